#include "server/ui/PublicChat.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "server/engine/DraftServer.h"
#include "server/ui/Guard.h"
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
  chatText_->setMaximumBlockCount(kMaxLines);
  chatText_->installEventFilter(this);
  layout->addWidget(chatText_, 1);

  chatSend_ = new QLineEdit(frame);
  chatSend_->setObjectName(QStringLiteral("ChatSend"));
  chatSend_->installEventFilter(this);
  layout->addWidget(chatSend_);

  auto* row = new QHBoxLayout;
  auto* to = new QLabel(QStringLiteral("Message to:"), frame);
  to->setObjectName(QStringLiteral("MessageToLabel"));
  recipients_ = new QComboBox(frame);
  recipients_->setObjectName(QStringLiteral("Combo1"));
  recipients_->setMinimumContentsLength(20);
  row->addWidget(to);
  row->addWidget(recipients_, 1);
  layout->addLayout(row);
  resize(460, 320);
  Load();
}

void PublicChat::Load() {
  chatText_->clear();
  recipients_->clear();
  recipients_->addItem(QStringLiteral("All Members"));
  for (const std::string& name : engine_.SignedOnNames()) recipients_->addItem(L1(name));
  recipients_->setCurrentIndex(0);
}

void PublicChat::AddPubChat(const QString& line) {
  // Each line ends with CR LF in the transcript; the text box shows line
  // breaks, so the line is appended as one paragraph.
  chatText_->appendPlainText(line);
  chatText_->verticalScrollBar()->setValue(chatText_->verticalScrollBar()->maximum());
  chatText_->moveCursor(QTextCursor::End);
}

void PublicChat::AddRecipient(const QString& name) { recipients_->addItem(name); }

void PublicChat::RemoveRecipient(const QString& name) {
  // Item 0 ("All Members") stays.
  for (int i = 1; i < recipients_->count(); ++i) {
    if (recipients_->itemText(i) == name) {
      recipients_->removeItem(i);
      return;
    }
  }
}

bool PublicChat::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chatText_ && event->type() == QEvent::FocusIn) {
    // The Commish types only in the input.
    chatSend_->setFocus();
    return false;
  }
  if (watched == chatSend_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !chatSend_->text().isEmpty()) {
      Guard(engine_.Reporter(), "PublicChat_ChatSend_KeyPress", [this] { Send(); });
      return true;  // swallowed
    }
  }
  return QWidget::eventFilter(watched, event);
}

void PublicChat::Send() {
  recipients_->setEnabled(false);
  // A line that could not be sent (its recipient has just left) stays in the
  // input so that nothing typed is lost.
  if (engine_.CommishChat(ToL1(recipients_->currentText()), ToL1(chatSend_->text()))) chatSend_->clear();
  chatSend_->setFocus();
  recipients_->setEnabled(true);
}

}  // namespace pm::server
