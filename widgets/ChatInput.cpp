#include "widgets/ChatInput.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "widgets/Widgets.h"

namespace pm::widgets {

ChatInput::ChatInput(QWidget* parent, const QString& recipientListName) : QObject(parent) {
  line_ = new QLineEdit(parent);
  line_->setObjectName(QStringLiteral("ChatSend"));
  line_->installEventFilter(this);
  recipients_ = new QComboBox(parent);
  recipients_->setObjectName(recipientListName);
  recipients_->setEditable(false);  // a recipient can only be one of the listed names
  recipients_->setMinimumContentsLength(20);
}

void ChatInput::TakeFocusFrom(QWidget* transcript) {
  transcript_ = transcript;
  transcript_->installEventFilter(this);
}

void ChatInput::SetRecipients(const QStringList& names) {
  recipients_->clear();
  recipients_->addItems(names);
  recipients_->setCurrentIndex(0);
}

void ChatInput::AddRecipient(const QString& name) { recipients_->addItem(name); }

bool ChatInput::eventFilter(QObject* watched, QEvent* event) {
  if (transcript_ && watched == transcript_ && event->type() == QEvent::FocusIn) {
    line_->setFocus();
    return false;
  }
  if (watched == line_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !line_->text().isEmpty()) {
      SendLine();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void ChatInput::SendLine() {
  recipients_->setEnabled(false);
  const bool done = !send_ || send_(ToL1(recipients_->currentText()), ToL1(line_->text()));
  if (done) line_->clear();
  line_->setFocus();
  recipients_->setEnabled(true);
}

}  // namespace pm::widgets
