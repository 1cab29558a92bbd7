// Event-loop helper of the fault tests.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace pm::test {

// Runs the event loop until `done` or the timeout. Unlike QTest::qWaitFor it
// never sleeps between turns, so an exchange of many round trips (a catch-up)
// runs at the speed of the loopback.
template <class Pred>
bool Pump(Pred done, int timeoutMs = 5000) {
  QElapsedTimer t;
  t.start();
  QTimer wake;  // bounds each wait for more events
  wake.start(5);
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

}  // namespace pm::test
