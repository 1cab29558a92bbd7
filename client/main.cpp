// PKClient: a team owner's program for the draft.
#include <QApplication>

#include "Client.h"
#include "Sound.h"
#include "Widgets.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pm::QtPrompter prompter;
  pm::QtSoundPlayer sound;
  pm::Client window(&prompter);
  prompter.SetParent(&window);

  pm::ClientSession& session = window.Session();
  session.SetSoundPlayer(&sound);
  session.SetSoundFolder(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString());
  session.UseRealTimer(true);
  session.endProgram = [] { QCoreApplication::exit(0); };
  pm::ShowErrorsInMessageBox(session.reporter, &window, QString::fromLatin1(pm::kClientLabel));

  window.show();
  pm::ArmSmokeTest(&window);
  return app.exec();
}
