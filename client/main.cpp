// PKClient: a team owner's program for the draft.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

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
  // Test hook for the smoke test: with PICKMILL_SMOKE=1 the program prints its caption once the window is up and ends.
  if (qEnvironmentVariableIntValue("PICKMILL_SMOKE") == 1)
    QTimer::singleShot(0, &window, [&window] {
      std::printf("caption: %s\n", qPrintable(window.windowTitle()));
      std::fflush(stdout);
      QCoreApplication::exit(window.isVisible() ? 0 : 1);
    });
  return app.exec();
}
