// PKClient: a team owner's program for the draft.
#include <QApplication>

#include "client/ClientSettings.h"
#include "client/Sound.h"
#include "client/ui/Client.h"
#include "common/CommandLine.h"
#include "widgets/Widgets.h"

int main(int argc, char** argv) {
  if (pm::AnswerInfoOption(argc, argv, "PKClient",
                           "usage: PKClient [--help | --version]\n"
                           "A team owner's draft program: choose Connection > Connect, load your league copy,\n"
                           "choose your team and type the server's address.\n"))
    return 0;
  QApplication app(argc, argv);
  // Where the remembered choices, the layout and the wish lists are kept.
  QCoreApplication::setOrganizationName(QStringLiteral("Pickmill"));
  QCoreApplication::setApplicationName(QStringLiteral("PKClient"));
  pm::client::ClientSettings settings;
  pm::widgets::QtPrompter prompter;
  pm::client::QtSoundPlayer sound;
  pm::client::Client window(&prompter);
  prompter.SetParent(&window);

  pm::client::ClientSession& session = window.Session();
  session.SetSoundPlayer(&sound);
  session.SetSoundFolder(pm::widgets::NativePath(pm::client::SoundFolder(QCoreApplication::applicationDirPath())));
  session.UseRealTimer(true);
  session.SetReconnect(true);
  session.endProgram = [] { QCoreApplication::exit(0); };
  pm::widgets::ShowErrorsInMessageBox(session.reporter, &window, QString::fromLatin1(pm::kClientLabel));

  window.UseSettings(&settings);
  window.show();
  pm::widgets::ArmSmokeTest(&window);
  return app.exec();
}
