// PKClient: a team owner's program for the draft.
#include <QApplication>
#include <QMessageBox>

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
  session.reporter.showMessage = [&window](const std::string& message) {
    QMessageBox::critical(&window, QString::fromLatin1(pm::kClientLabel), pm::L1(message));
  };

  window.show();
  return app.exec();
}
