// PKServer: the Commish's draft server.
#include <QApplication>
#include <QSettings>

#include <string>

#include "common/CommandLine.h"
#include "server/engine/DraftServer.h"
#include "server/headless/HeadlessServer.h"
#include "server/ui/ServerWindow.h"
#include "widgets/Widgets.h"

int main(int argc, char** argv) {
  const std::string usage = std::string(
                                "usage: PKServer [--help | --version]\n"
                                "The Commish's draft server: choose Server > Start and load the league.\n\n") +
                            pm::server::kHeadlessUsage;
  if (pm::AnswerInfoOption(argc, argv, "PKServer", usage.c_str())) return 0;
  // Without windows: no display is needed or opened.
  if (pm::server::WantsHeadless(argc, argv)) return pm::server::RunHeadless(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("PKServer"));
  QApplication::setOrganizationName(QStringLiteral("Pickmill"));
  // The last league folder and the time allowed, remembered between runs.
  QSettings settings;

  // The draft clock: a one-second timer the engine starts when a team goes
  // on the clock and stops when the clock stops.
  pm::server::TimerTicker ticker;
  pm::server::DraftServer engine;
  pm::widgets::QtPrompter prompter;
  engine.SetPort(pm::protocol::kDraftPort);
  engine.SetTicker(&ticker);

  pm::ErrorReporter& reporter = engine.Reporter();
  reporter.programLabel = pm::kServerLabel;

  pm::server::ServerWindow window(engine, prompter, pm::server::ServerWindow::RememberedFolder(settings));
  window.SetSettings(&settings);
  prompter.SetParent(&window);
  pm::widgets::ShowErrorsInMessageBox(reporter, &window, QStringLiteral("PKServer"));
  window.show();

  pm::widgets::ArmSmokeTest(&window);

  return app.exec();
}
