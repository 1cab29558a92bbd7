#include "client/ui/UpNextWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "widgets/DraftBoardView.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

UpNextWindow::UpNextWindow(std::function<std::string(int)> teamName, QWidget* parent)
    : QWidget(parent), teamName_(std::move(teamName)) {
  setObjectName("UpNext");
  setWindowTitle(u"Up Next"_s);
  ownNext_ = new QLabel(this);
  ownNext_->setObjectName("OwnNextPick");
  QFont bold = ownNext_->font();
  bold.setBold(true);
  ownNext_->setFont(bold);
  ownNext_->setWordWrap(true);
  list_ = new QListWidget(this);
  list_->setObjectName("UpNextList");
  list_->setFocusPolicy(Qt::NoFocus);  // a list to read, nothing to choose in it
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setFont(widgets::FixedFont());
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ownNext_);
  layout->addWidget(list_, 1);
  Show({});
}

void UpNextWindow::Show(const UpNext& next) {
  ownNext_->setText(UpNextHeadline(next));
  list_->clear();
  for (const UpcomingPick& pick : next.picks) {
    auto* item = new QListWidgetItem(QString::fromStdString(pick.label.Text()).leftJustified(7) +
                                     widgets::L1(teamName_(pick.team)) + (pick.own ? u"  (you)"_s : QString()));
    if (pick.own) {
      item->setBackground(widgets::DraftBoardView::OwnColour());
      QFont font = item->font();
      font.setBold(true);
      item->setFont(font);
    }
    list_->addItem(item);
  }
}

}  // namespace pm::client
