// Waiting in tests: a barrier that runs the event loop until a condition
// holds, never for a fixed time.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

namespace pm::test {

// Runs the event loop (deferred deletes included) until `done` holds or the
// timeout passes; false on the timeout. Unlike QTest::qWaitFor it never
// sleeps between turns, so an exchange of many round trips (a catch-up) runs
// at the speed of the loopback.
template <class Pred>
bool WaitFor(Pred done, int timeoutMs = 5000) {
  QElapsedTimer t;
  t.start();
  QTimer wake;  // bounds each wait for more events
  wake.start(5);
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return true;
}

}  // namespace pm::test
