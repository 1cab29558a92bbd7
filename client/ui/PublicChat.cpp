#include "client/ui/PublicChat.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include "client/ClientSession.h"
#include "widgets/ChatInput.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using widgets::L1;

PublicChat::PublicChat(ClientSession* session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("PublicChat");
  setWindowTitle(u"Chat"_s);
  auto* frame = new QGroupBox(u"Public Chat Area"_s, this);
  frame->setObjectName("Frame1");
  transcriptBox_ = new QPlainTextEdit(frame);
  transcriptBox_->setObjectName("ChatText");
  transcriptBox_->setReadOnly(true);
  transcriptBox_->setMaximumBlockCount(widgets::kMaxChatLines);
  input_ = new widgets::ChatInput(frame, u"ChatTo"_s);
  auto* label = new QLabel(u"Message to:"_s, frame);
  label->setObjectName("Label1");

  auto* grid = new QGridLayout(frame);
  grid->addWidget(transcriptBox_, 0, 0, 1, 3);
  grid->addWidget(input_->Line(), 1, 0, 1, 3);
  grid->addWidget(label, 2, 0);
  grid->addWidget(input_->Recipients(), 2, 1);
  grid->setColumnStretch(2, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);

  input_->TakeFocusFrom(transcriptBox_);
  // A public line is shown when the server's relay comes back; the session
  // writes a private one itself. The line is emptied either way.
  input_->SetSend([this](const std::string& recipient, const std::string& text) {
    if (session_) session_->SendChat(recipient, text);
    return true;
  });

  // Window load: the fixed recipients, then every other signed-on team.
  QStringList recipients = {u"All Members"_s, u"Commish"_s};
  if (session_) {
    for (int k = 1; k <= session_->TeamCount(); ++k)
      if (session_->SignedOn(k) && k != session_->OwnTeamIndex()) recipients << L1(session_->TeamName(k));
  }
  input_->SetRecipients(recipients);
  resize(480, 300);
}

QLineEdit* PublicChat::InputLine() const { return input_->Line(); }
QComboBox* PublicChat::RecipientList() const { return input_->Recipients(); }

QString PublicChat::Transcript() const {
  QString text;
  for (QTextBlock b = transcriptBox_->document()->firstBlock(); b.isValid(); b = b.next())
    if (!b.text().isEmpty() || b.next().isValid()) text += b.text() + u"\r\n"_s;
  return text;
}

void PublicChat::Append(const std::string& line) {
  transcriptBox_->appendPlainText(L1(line));
  transcriptBox_->moveCursor(QTextCursor::End);
  transcriptBox_->verticalScrollBar()->setValue(transcriptBox_->verticalScrollBar()->maximum());
}

void PublicChat::AddRecipient(const std::string& name) { input_->AddRecipient(L1(name)); }

void PublicChat::RemoveRecipient(const std::string& name) {
  QComboBox* recipients = input_->Recipients();
  const int at = recipients->findText(L1(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at >= 0) recipients->removeItem(at);
}

}  // namespace pm::client
