#include "client/ui/DraftListWindow.h"

#include <QGroupBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using namespace pm::widgets;

DraftListWindow::DraftListWindow(QWidget* parent) : QWidget(parent) {
  setObjectName("DraftList");
  setWindowTitle(u"Draft List"_s);
  auto* frame = new QGroupBox(u"Draft List"_s, this);
  frame->setObjectName("Frame1");
  dList_ = new QListWidget(frame);
  dList_->setObjectName("DList");
  dList_->setFont(FixedFont());
  dList_->setUniformItemSizes(true);
  auto* inner = new QVBoxLayout(frame);
  inner->addWidget(dList_);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  const int width = QFontMetrics(FixedFont()).horizontalAdvance(QString(62, u'M'));
  resize(width + 60, 300);
}

void DraftListWindow::AddLine(const std::string& line) {
  dList_->addItem(L1(line));
  dList_->scrollToBottom();
}

void DraftListWindow::Clear() { dList_->clear(); }

}  // namespace pm::client
