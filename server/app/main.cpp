// PKServer: the Commish's draft server.
#include <QApplication>
#include <QTimer>

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

  pm::ServerWindow window(engine, prompter);
  prompter.SetParent(&window);
  pm::ShowErrorsInMessageBox(reporter, &window, QStringLiteral("PKServer"));
  window.show();

  // The draft clock: one tick per second; the engine ignores ticks while no
  // clock runs.
  QTimer timer1;
  timer1.setInterval(1000);
  QObject::connect(&timer1, &QTimer::timeout, &engine, [&engine] { engine.Tick(); });
  timer1.start();

  pm::ArmSmokeTest(&window);

  return app.exec();
}
