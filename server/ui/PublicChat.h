// The server's chat window: the transcript of the draft's conversation and
// of the server's announcements, and the Commish's input with its recipient.
#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace pm::server {
class DraftServer;
}
namespace pm::widgets {
class ChatInput;
}

namespace pm::server {

class PublicChat : public QWidget {
  Q_OBJECT
 public:
  // The transcript keeps this many of the last lines; older ones go, so a
  // long or flooded draft cannot make the window hold ever more.

  explicit PublicChat(server::DraftServer& engine, QWidget* parent = nullptr);

  // The window's load: recipients "All Members" and every signed-on team in
  // team order, item 0 selected; the transcript starts empty.
  void Load();
  // Appends a line (the caller has checked that the window is shown).
  void AddPubChat(const QString& line);
  // Recipient list upkeep on sign-on and sign-off.
  void AddRecipient(const QString& name);
  void RemoveRecipient(const QString& name);

  QPlainTextEdit* ChatText() const { return chatText_; }
  QLineEdit* ChatSend() const;
  QComboBox* RecipientBox() const;

 private:
  server::DraftServer& engine_;
  QPlainTextEdit* chatText_;
  widgets::ChatInput* input_;
};

}  // namespace pm::server
