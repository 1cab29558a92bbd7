// Small window helpers shared by the server's and the client's windows.
#pragma once

#include <QFont>
#include <QString>
#include <string>

#include "common/ErrorReport.h"
#include "common/Prompt.h"

class QWidget;

namespace pm::widgets {

// The font of every column list: "Courier New" where it is installed, else
// the system's fixed-pitch font, so that the columns of the lines line up.
QFont FixedFont();

// True when the window exists and is visible. Updates meant for a window
// that is closed (or was never opened) are dropped after asking this.
bool IsFormShown(const QWidget* window);

// Latin-1 texts of the programs to and from the window's texts.
inline QString L1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToL1(const QString& text) { return text.toLatin1().toStdString(); }

// A text of the programs in the coding it is held in (Latin-1, or UTF-8 for
// texts that name a path).
QString Shown(const std::string& text, TextCoding coding);

// A path chosen in a window as the libraries take it (the platform's
// file-name encoding, QFile::encodeName), and such a path shown in a window
// (QFile::decodeName). Never Latin-1: a folder named "Müller Liga" must open.
std::string NativePath(const QString& path);
QString ShownPath(const std::string& path);

// The prompt interface shown as real message boxes: the exact title, text,
// buttons, default button and icon of the request; application-modal.
class QtPrompter : public Prompter {
 public:
  // Message boxes are centred over `parent` when given.
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  PromptAnswer Ask(const PromptRequest& request) override;

 private:
  QWidget* parent_;
};

// The program's fatal error message: a critical box with an OK button and
// the text as written (plain text, line breaks kept).
void ShowErrorsInMessageBox(ErrorReporter& reporter, QWidget* parent, const QString& title);

// The smoke test's hook: with PICKMILL_SMOKE=1 in the environment the program
// prints "caption: <window title>" once `window` is up and ends (0 when the
// window was visible). Nothing happens without it.
void ArmSmokeTest(QWidget* window);

}  // namespace pm::widgets
