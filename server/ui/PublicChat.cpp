#include "server/ui/PublicChat.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "server/engine/DraftServer.h"
#include "server/ui/Guard.h"
#include "widgets/ChatInput.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

PublicChat::PublicChat(server::DraftServer& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
  setObjectName(QStringLiteral("PublicChat"));
  setWindowTitle(QStringLiteral("Chat"));
  auto* outer = new QVBoxLayout(this);
  auto* frame = new QGroupBox(QStringLiteral("Public Chat Area"), this);
  frame->setObjectName(QStringLiteral("PublicChatFrame"));
  outer->addWidget(frame);
  auto* layout = new QVBoxLayout(frame);

  chatText_ = new QPlainTextEdit(frame);
  chatText_->setObjectName(QStringLiteral("ChatText"));
  chatText_->setReadOnly(true);
  chatText_->setMaximumBlockCount(kMaxChatLines);
  layout->addWidget(chatText_, 1);

  input_ = new ChatInput(frame, QStringLiteral("Combo1"));
  input_->TakeFocusFrom(chatText_);
  // A line that could not be sent (its recipient has just left) stays in the
  // input so that nothing typed is lost.
  input_->SetSend([this](const std::string& recipient, const std::string& text) {
    bool sent = false;
    Guard(engine_.Reporter(), "PublicChat_ChatSend_KeyPress", [&] { sent = engine_.CommishChat(recipient, text); });
    return sent;
  });
  layout->addWidget(input_->Line());

  auto* row = new QHBoxLayout;
  auto* to = new QLabel(QStringLiteral("Message to:"), frame);
  to->setObjectName(QStringLiteral("MessageToLabel"));
  row->addWidget(to);
  row->addWidget(input_->Recipients(), 1);
  layout->addLayout(row);
  resize(460, 320);
  Load();
}

QLineEdit* PublicChat::ChatSend() const { return input_->Line(); }
QComboBox* PublicChat::RecipientBox() const { return input_->Recipients(); }

void PublicChat::Load() {
  chatText_->clear();
  QStringList recipients = {QStringLiteral("All Members")};
  for (const std::string& name : engine_.SignedOnNames()) recipients << L1(name);
  input_->SetRecipients(recipients);
}

void PublicChat::AddPubChat(const QString& line) {
  // Each line ends with CR LF in the transcript; the text box shows line
  // breaks, so the line is appended as one paragraph.
  chatText_->appendPlainText(line);
  chatText_->verticalScrollBar()->setValue(chatText_->verticalScrollBar()->maximum());
  chatText_->moveCursor(QTextCursor::End);
}

void PublicChat::AddRecipient(const QString& name) { input_->AddRecipient(name); }

void PublicChat::RemoveRecipient(const QString& name) {
  // Item 0 ("All Members") stays.
  QComboBox* recipients = input_->Recipients();
  for (int i = 1; i < recipients->count(); ++i) {
    if (recipients->itemText(i) == name) {
      recipients->removeItem(i);
      return;
    }
  }
}

}  // namespace pm::server
