// The contents of both programs' chat windows: the transcript, the line the
// user types and the list of recipients under it, in a "Public Chat Area"
// frame.
//
// Each recipient carries a number the program gives it (a team number, 0
// for the Commish, kEveryone for a public line), so that what is sent never
// depends on how a name reads. Enter in a line that is not empty sends it:
// the recipient list is disabled, the program's send function gets the
// recipient's number and the typed text, the line is emptied when that
// function says it is done with it, the line keeps the focus and the list is
// enabled again. Enter in an empty line does nothing. The transcript keeps
// its last kMaxChatLines lines, so that no peer can make it grow without end.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace pm::widgets {

inline constexpr int kMaxChatLines = 10000;

class ChatPanel : public QWidget {
  Q_OBJECT
 public:
  // The recipient number of a public line.
  static constexpr int kEveryone = -1;
  // The object names of the frame, the recipient list and its label.
  struct Names {
    QString frame;
    QString recipients;
    QString label;
  };
  // Sends a line (Latin-1 text); returns true when the line is to be
  // emptied, false to leave it for another try.
  using SendFunction = std::function<bool(int to, const std::string& text)>;
  using Recipient = std::pair<QString, int>;

  explicit ChatPanel(const Names& names, QWidget* parent = nullptr);

  void SetSend(SendFunction send) { send_ = std::move(send); }
  // Appends one line and shows the last line.
  void Append(const QString& line);
  // The lines shown, each ended by CR LF.
  QString Transcript() const;

  // The recipients replaced by `recipients`, the first one shown.
  void SetRecipients(const std::vector<Recipient>& recipients);
  void AddRecipient(const QString& name, int to);
  void RemoveRecipient(int to);

  QPlainTextEdit* TranscriptBox() const { return transcript_; }
  QLineEdit* Line() const { return line_; }
  QComboBox* Recipients() const { return recipients_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SendLine();

  QPlainTextEdit* transcript_;
  QLineEdit* line_;
  QComboBox* recipients_;
  SendFunction send_;
};

}  // namespace pm::widgets
