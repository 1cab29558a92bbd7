// PKServer: the Commish's draft server.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

#include "DraftServer.h"
#include "ServerWindow.h"
#include "Widgets.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("PKServer"));

  pm::server::DraftServer engine;
  pm::QtPrompter prompter;
  engine.SetPrompter(&prompter);
  engine.SetPort(pm::server::kDraftPort);

  pm::ErrorReporter& reporter = engine.Reporter();
  reporter.programLabel = pm::kServerLabel;
  reporter.showMessage = [](const std::string& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("PKServer"), pm::L1(message), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  };

  pm::ServerWindow window(engine, prompter);
  prompter.SetParent(&window);
  window.show();

  // The draft clock: one tick per second; the engine ignores ticks while no
  // clock runs.
  QTimer timer1;
  timer1.setInterval(1000);
  QObject::connect(&timer1, &QTimer::timeout, &engine, [&engine] { engine.Tick(); });
  timer1.start();

  // Test hook for the smoke test: with PICKMILL_SMOKE=1 the program prints its caption once the window is up and ends.
  if (qEnvironmentVariableIntValue("PICKMILL_SMOKE") == 1)
    QTimer::singleShot(0, &window, [&window] {
      std::printf("caption: %s\n", qPrintable(window.windowTitle()));
      std::fflush(stdout);
      QCoreApplication::exit(window.isVisible() ? 0 : 1);
    });

  return app.exec();
}
