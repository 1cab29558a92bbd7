#include "client/ui/DraftListWindow.h"

#include <QGroupBox>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>

#include "draft/Pick.h"
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
  // Wide enough for a whole line beside the scroll bar and the frames.
  const int width = QFontMetrics(FixedFont()).horizontalAdvance(QString(draft::kDraftListWidth + 2, u'M'));
  resize(width + dList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 60, 300);
}

void DraftListWindow::AddLine(const std::string& line) {
  // The line's first columns hold its label: it goes after every line of
  // a label not later than its own, so a pick made again goes back to its
  // place among the others.
  const std::optional<draft::PickLabel> label = draft::PickLabel::Parse(line.substr(0, 7));
  const int key = label ? label->round * (draft::kMaxPicks + 1) + label->selection : 0;
  int row = dList_->count();
  while (row > 0 && dList_->item(row - 1)->data(Qt::UserRole).toInt() > key) --row;
  auto* item = new QListWidgetItem(L1(line));
  item->setData(Qt::UserRole, key);
  dList_->insertItem(row, item);
  dList_->scrollToItem(item);
}

void DraftListWindow::Clear() { dList_->clear(); }

}  // namespace pm::client
