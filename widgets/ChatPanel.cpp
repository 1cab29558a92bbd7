#include "widgets/ChatPanel.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include "widgets/Widgets.h"

namespace pm::widgets {

ChatPanel::ChatPanel(const Names& names, QWidget* parent) : QWidget(parent) {
  auto* frame = new QGroupBox(QStringLiteral("Public Chat Area"), this);
  frame->setObjectName(names.frame);
  transcript_ = new QPlainTextEdit(frame);
  transcript_->setObjectName(QStringLiteral("ChatText"));
  transcript_->setReadOnly(true);
  transcript_->setMaximumBlockCount(kMaxChatLines);
  // The transcript is only read: the focus it gets passes to the line.
  transcript_->installEventFilter(this);
  line_ = new QLineEdit(frame);
  line_->setObjectName(QStringLiteral("ChatSend"));
  line_->installEventFilter(this);
  recipients_ = new QComboBox(frame);
  recipients_->setObjectName(names.recipients);
  recipients_->setEditable(false);  // a recipient can only be one of the listed names
  recipients_->setMinimumContentsLength(20);
  auto* label = new QLabel(QStringLiteral("Message to:"), frame);
  label->setObjectName(names.label);
  label->setBuddy(recipients_);

  auto* grid = new QGridLayout(frame);
  grid->addWidget(transcript_, 0, 0, 1, 3);
  grid->addWidget(line_, 1, 0, 1, 3);
  grid->addWidget(label, 2, 0);
  grid->addWidget(recipients_, 2, 1);
  grid->setColumnStretch(2, 1);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(frame);
  setFocusProxy(line_);
}

void ChatPanel::Append(const QString& line) {
  transcript_->appendPlainText(line);
  transcript_->moveCursor(QTextCursor::End);
  transcript_->verticalScrollBar()->setValue(transcript_->verticalScrollBar()->maximum());
}

QString ChatPanel::Transcript() const {
  QString text;
  for (QTextBlock b = transcript_->document()->firstBlock(); b.isValid(); b = b.next())
    if (!b.text().isEmpty() || b.next().isValid()) text += b.text() + QStringLiteral("\r\n");
  return text;
}

void ChatPanel::SetRecipients(const std::vector<Recipient>& recipients) {
  recipients_->clear();
  for (const auto& [name, to] : recipients) recipients_->addItem(name, to);
  recipients_->setCurrentIndex(0);
}

void ChatPanel::AddRecipient(const QString& name, int to) {
  if (recipients_->findData(to) < 0) recipients_->addItem(name, to);
}

void ChatPanel::RemoveRecipient(int to) {
  const int at = recipients_->findData(to);
  if (at >= 0) recipients_->removeItem(at);
}

bool ChatPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == transcript_ && event->type() == QEvent::FocusIn) {
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
  return QWidget::eventFilter(watched, event);
}

void ChatPanel::SendLine() {
  recipients_->setEnabled(false);
  const bool done = !send_ || send_(recipients_->currentData().toInt(), ToL1(line_->text()));
  if (done) line_->clear();
  line_->setFocus();
  recipients_->setEnabled(true);
}

}  // namespace pm::widgets
