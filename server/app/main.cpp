// PKServer: the Commish's draft server.
#include <QApplication>
#include <QTimer>

#include "server/engine/DraftServer.h"
#include "server/ui/ServerWindow.h"
#include "widgets/Widgets.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("PKServer"));

  pm::server::DraftServer engine;
  pm::widgets::QtPrompter prompter;
  engine.SetPrompter(&prompter);
  engine.SetPort(pm::protocol::kDraftPort);

  pm::ErrorReporter& reporter = engine.Reporter();
  reporter.programLabel = pm::kServerLabel;

  pm::server::ServerWindow window(engine, prompter);
  prompter.SetParent(&window);
  pm::widgets::ShowErrorsInMessageBox(reporter, &window, QStringLiteral("PKServer"));
  window.show();

  // The draft clock: one tick per second; the engine ignores ticks while no
  // clock runs.
  QTimer timer1;
  timer1.setInterval(1000);
  QObject::connect(&timer1, &QTimer::timeout, &engine, [&engine] { engine.Tick(); });
  timer1.start();

  pm::widgets::ArmSmokeTest(&window);

  return app.exec();
}
