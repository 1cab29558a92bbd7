// PKClient: a team owner's program for the draft.
#include <QApplication>

#include "client/Sound.h"
#include "client/ui/Client.h"
#include "widgets/Widgets.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pm::widgets::QtPrompter prompter;
  pm::client::QtSoundPlayer sound;
  pm::client::Client window(&prompter);
  prompter.SetParent(&window);

  pm::client::ClientSession& session = window.Session();
  session.SetSoundPlayer(&sound);
  session.SetSoundFolder(pm::widgets::NativePath(QCoreApplication::applicationDirPath()));
  session.UseRealTimer(true);
  session.endProgram = [] { QCoreApplication::exit(0); };
  pm::widgets::ShowErrorsInMessageBox(session.reporter, &window, QString::fromLatin1(pm::kClientLabel));

  window.show();
  pm::widgets::ArmSmokeTest(&window);
  return app.exec();
}
