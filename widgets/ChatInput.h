// The input half of both programs' chat windows: the line the user types
// and the list of recipients under it.
//
// Enter in a line that is not empty sends it: the recipient list is disabled,
// the window's send function gets the recipient shown and the typed text,
// the line is emptied when that function says it is done with it, the line
// keeps the focus and the list is enabled again. The Enter is swallowed;
// Enter in an empty line does nothing. The window lays both controls out.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QWidget;

namespace pm::widgets {

// The most lines a chat window keeps; older lines are dropped, so that no
// peer can make a transcript grow without end.
inline constexpr int kMaxChatLines = 10000;

class ChatInput : public QObject {
  Q_OBJECT
 public:
  // Sends a line (Latin-1 texts); returns true when the line is to be
  // emptied, false to leave it for another try.
  using SendFunction = std::function<bool(const std::string& recipient, const std::string& text)>;

  // Creates the line ("ChatSend") and the recipient list (named
  // `recipientListName`) as children of `parent`.
  ChatInput(QWidget* parent, const QString& recipientListName);

  QLineEdit* Line() const { return line_; }
  QComboBox* Recipients() const { return recipients_; }

  void SetSend(SendFunction send) { send_ = std::move(send); }
  // The focus given to `transcript`, which is only read, passes to the line.
  void TakeFocusFrom(QWidget* transcript);

  // The recipients replaced by `names`, the first one shown.
  void SetRecipients(const QStringList& names);
  void AddRecipient(const QString& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SendLine();

  QLineEdit* line_;
  QComboBox* recipients_;
  QWidget* transcript_ = nullptr;
  SendFunction send_;
};

}  // namespace pm::widgets
