#include "client/ui/PublicChat.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "client/ClientSession.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using namespace pm::widgets;

using client::PublicChat;

PublicChat::PublicChat(ClientSession* session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("PublicChat");
  setWindowTitle(u"Chat"_s);
  auto* frame = new QGroupBox(u"Public Chat Area"_s, this);
  frame->setObjectName("Frame1");
  chatText_ = new QPlainTextEdit(frame);
  chatText_->setObjectName("ChatText");
  chatText_->setReadOnly(true);
  chatSend_ = new QLineEdit(frame);
  chatSend_->setObjectName("ChatSend");
  auto* label = new QLabel(u"Message to:"_s, frame);
  label->setObjectName("Label1");
  chatTo_ = new QComboBox(frame);
  chatTo_->setObjectName("ChatTo");
  chatTo_->setEditable(false);  // a recipient can only be one of the listed names
  chatTo_->setMinimumContentsLength(20);

  auto* grid = new QGridLayout(frame);
  grid->addWidget(chatText_, 0, 0, 1, 3);
  grid->addWidget(chatSend_, 1, 0, 1, 3);
  grid->addWidget(label, 2, 0);
  grid->addWidget(chatTo_, 2, 1);
  grid->setColumnStretch(2, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);

  chatText_->installEventFilter(this);
  chatSend_->installEventFilter(this);

  // Window load: the fixed recipients, then every other signed-on team.
  chatTo_->addItem(u"All Members"_s);
  chatTo_->addItem(u"Commish"_s);
  if (session_) {
    for (int k = 1; k <= session_->TeamCount(); ++k) {
      if (session_->SignedOn(k) && k != session_->OwnTeamIndex()) chatTo_->addItem(L1(session_->TeamName(k)));
    }
  }
  chatTo_->setCurrentIndex(0);
  resize(480, 300);
}

void PublicChat::Append(const std::string& line) {
  transcript_ += L1(line) + u"\r\n"_s;
  chatText_->appendPlainText(L1(line));
  chatText_->moveCursor(QTextCursor::End);
  chatText_->verticalScrollBar()->setValue(chatText_->verticalScrollBar()->maximum());
}

void PublicChat::AddRecipient(const std::string& name) { chatTo_->addItem(L1(name)); }

void PublicChat::RemoveRecipient(const std::string& name) {
  const int at = chatTo_->findText(L1(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at >= 0) chatTo_->removeItem(at);
}

bool PublicChat::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chatText_ && event->type() == QEvent::FocusIn) {
    // The transcript is only read; typing goes to the input line.
    chatSend_->setFocus();
    return false;
  }
  if (watched == chatSend_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !chatSend_->text().isEmpty()) {
      SendLine();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void PublicChat::SendLine() {
  chatTo_->setEnabled(false);
  const std::string recipient = ToL1(chatTo_->currentText());
  const std::string text = ToL1(chatSend_->text());
  chatSend_->clear();
  chatSend_->setFocus();
  chatTo_->setEnabled(true);
  if (session_) session_->SendChat(recipient, text);
}

}  // namespace pm::client
