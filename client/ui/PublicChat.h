// The client's chat window: the transcript, the input line and the
// recipient list ("All Members", "Commish", then the other signed-on teams).
#pragma once

#include <QWidget>
#include <string>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace pm::widgets {
class ChatPanel;
}  // namespace pm::widgets

namespace pm::client {

class ClientSession;

// In its own namespace: the server has a window of the same name.
class PublicChat : public QWidget {
  Q_OBJECT
 public:
  // Builds the recipient list from the session's team table (window load).
  PublicChat(ClientSession* session, QWidget* parent = nullptr);

  // Appends one line and shows the last line.
  void Append(const std::string& line);
  void AddRecipient(int team);
  void RemoveRecipient(int team);

  QPlainTextEdit* TranscriptBox() const;
  QLineEdit* InputLine() const;
  QComboBox* RecipientList() const;
  // The lines shown, each ended by CR LF.
  QString Transcript() const;

 private:
  ClientSession* session_;
  widgets::ChatPanel* panel_;
};

}  // namespace pm::client
