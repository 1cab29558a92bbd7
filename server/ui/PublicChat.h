// The server's chat window: the transcript of the draft's conversation and
// of the server's announcements, and the Commish's input with its recipient
// ("All Members" for everyone, or one signed-on team).
#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace pm::server {
class DraftServer;
}
namespace pm::widgets {
class ChatPanel;
}

namespace pm::server {

class PublicChat : public QWidget {
  Q_OBJECT
 public:
  explicit PublicChat(server::DraftServer& engine, QWidget* parent = nullptr);

  // The window's load: recipients "All Members" and every signed-on team in
  // team order, item 0 selected; the transcript starts empty.
  void Load();
  // Appends a line (the caller has checked that the window is shown).
  void AddPubChat(const QString& line);
  // Recipient list upkeep on sign-on and sign-off.
  void AddRecipient(int team);
  void RemoveRecipient(int team);

  QPlainTextEdit* ChatText() const;
  QLineEdit* ChatSend() const;
  QComboBox* RecipientBox() const;

 private:
  server::DraftServer& engine_;
  widgets::ChatPanel* panel_;
};

}  // namespace pm::server
