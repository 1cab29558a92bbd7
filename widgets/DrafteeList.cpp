#include "widgets/DrafteeList.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <algorithm>

#include "widgets/DrafteeFind.h"
#include "widgets/Widgets.h"

namespace pm::widgets {

using namespace pm::draft;

namespace {
constexpr int kGap = 4;  // between the parts, and inside the frame
}  // namespace

DrafteeList::DrafteeList(QWidget* parent, const QString& sortLabel) : QWidget(parent) {
  setObjectName(QStringLiteral("DrafteeList"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(kGap);
  find_ = new DrafteeFind(this, this);
  outer->addWidget(find_);
  frame_ = new QGroupBox(QStringLiteral("Draftees"), this);
  frame_->setObjectName(QStringLiteral("DrafteesFrame"));
  // The Find results and the draftees share the room under the box; the
  // line between them can be dragged.
  split_ = new QSplitter(Qt::Vertical, this);
  split_->setObjectName(QStringLiteral("FindSplitter"));
  split_->setChildrenCollapsible(false);
  split_->addWidget(find_->ResultsPane());
  split_->addWidget(frame_);
  split_->setStretchFactor(1, 1);
  outer->addWidget(split_, 1);
  connect(find_, &DrafteeFind::resultsShown, this, [this](bool shown) {
    if (shown) GiveResultsRoom();
  });
  auto* layout = new QVBoxLayout(frame_);
  layout->setContentsMargins(kGap, kGap, kGap, kGap);
  layout->setSpacing(kGap);

  auto* positionFrame = new QGroupBox(QStringLiteral("Position"), frame_);
  positionFrame->setObjectName(QStringLiteral("PositionFrame"));
  auto* grid = new QGridLayout(positionFrame);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setVerticalSpacing(0);
  positions_ = new QButtonGroup(this);
  positions_->setObjectName(QStringLiteral("Option1"));
  for (int i = 0; i < kShownPositions; ++i) {
    auto* b = new QRadioButton(QString::fromLatin1(kPositionCaptions[static_cast<std::size_t>(i)]), positionFrame);
    b->setObjectName(QStringLiteral("Option1_%1").arg(i));
    positions_->addButton(b, i);
    grid->addWidget(b, i / 8, i % 8);
    positionButtons_[static_cast<std::size_t>(i)] = b;
  }
  positionButtons_[0]->setChecked(true);
  connect(positions_, &QButtonGroup::idClicked, this, [this](int id) { SelectPosition(id); });
  layout->addWidget(positionFrame);

  // The sort boxes stand over the columns they sort by; their places are
  // set from the font's character width (PlaceSortBoxes).
  sortArea_ = new QWidget(frame_);
  sortArea_->setObjectName(QStringLiteral("SortArea"));
  sortLabel_ = new QLabel(sortLabel, sortArea_);
  sortLabel_->setObjectName(QStringLiteral("SortByLabel"));
  nameSortBox_ = new QCheckBox(QString::fromLatin1(kNameCaption), sortArea_);
  nameSortBox_->setObjectName(QStringLiteral("Check1"));
  connect(nameSortBox_, &QCheckBox::clicked, this, [this](bool on) { NameClicked(on); });
  for (int m = 0; m < kRatingBoxes; ++m) {
    auto* box = new QCheckBox(QString::fromLatin1(kRatingCaptions[static_cast<std::size_t>(m)]), sortArea_);
    box->setObjectName(QStringLiteral("Rating_%1").arg(m));
    connect(box, &QCheckBox::clicked, this, [this, m](bool on) { RatingClicked(m, on); });
    rating_[static_cast<std::size_t>(m)] = box;
  }
  layout->addWidget(sortArea_);

  header_ = new QLabel(L1(HeaderLine()), frame_);
  header_->setObjectName(QStringLiteral("HeaderLabel"));
  header_->setFont(FixedFont());
  header_->setIndent(0);
  header_->setTextFormat(Qt::PlainText);
  layout->addWidget(header_);

  rookieList_ = new QListWidget(frame_);
  rookieList_->setObjectName(QStringLiteral("RookieList"));
  rookieList_->setFont(FixedFont());
  rookieList_->setUniformItemSizes(true);
  rookieList_->setSelectionMode(QAbstractItemView::SingleSelection);
  rookieList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  rookieList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  rookieList_->installEventFilter(this);
  connect(rookieList_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit playerActivated(item->data(Qt::UserRole).toInt()); });
  layout->addWidget(rookieList_, 1);

  // Wide enough for a whole line beside the scroll bar.
  QFontMetrics fm(FixedFont());
  int width = 2 * TextLeft() + fm.horizontalAdvance(QString(kLineWidth + 1, QLatin1Char('0'))) +
              rookieList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
  rookieList_->setMinimumWidth(width);
  // Three lines at least (more while the Find results are hidden), so that
  // the window stays usable down to 640x400 with the results shown.
  rookieList_->setMinimumHeight(fm.lineSpacing() * 3 + 2 * rookieList_->frameWidth());
  int boxHeight = nameSortBox_->sizeHint().height();
  sortArea_->setFixedHeight(2 * boxHeight);
  sortArea_->setMinimumWidth(width);
  PlaceSortBoxes();

  // The tab order follows the eye: Find, the list, then the position
  // buttons and the sort boxes over it.
  QWidget* previous = find_->Box();
  const auto next = [&previous](QWidget* w) {
    setTabOrder(previous, w);
    previous = w;
  };
  next(rookieList_);
  next(positionButtons_[0]);
  for (int m = 0; m < kRatingBoxes; ++m) next(rating_[static_cast<std::size_t>(m)]);
  next(nameSortBox_);
}

QSize DrafteeList::minimumSizeHint() const {
  // While the Find results are hidden the minimum keeps their room, so that
  // a window as small as this minimum allows has it when they appear.
  QSize size = QWidget::minimumSizeHint();
  const QWidget* pane = find_->ResultsPane();
  if (pane->isHidden()) size.rheight() += pane->minimumSizeHint().height() + split_->handleWidth();
  return size;
}

void DrafteeList::GiveResultsRoom() {
  // A new find gets a few lines of results, as far as the draftees keep
  // their minimum.
  const int room = split_->height() - split_->handleWidth();
  const int most = room - frame_->minimumSizeHint().height();
  const int pane =
      std::max(std::min(find_->PreferredPaneHeight(), most), find_->ResultsPane()->minimumSizeHint().height());
  split_->setSizes({pane, std::max(room - pane, 0)});
}

int DrafteeList::CaptionOffset(const QCheckBox* box) {
  QStyleOptionButton option;
  option.initFrom(box);
  option.text = box->text();
  return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).left();
}

int DrafteeList::TextLeft() const {
  // Where the text of a list line starts: the list's frame, then the item
  // view's text margin (the focus-frame margin plus one).
  int margin = rookieList_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, rookieList_) + 1;
  return rookieList_->frameWidth() + margin;
}

void DrafteeList::PlaceSortBoxes() {
  QFontMetrics fm(FixedFont());
  const int cw = fm.horizontalAdvance(QLatin1Char('0'));
  // The list and the sort area share their left edge in the frame's layout.
  const int left = rookieList_->x() - sortArea_->x() + TextLeft();
  header_->setContentsMargins(rookieList_->x() - header_->x() + TextLeft(), 0, 0, 0);
  const int h = nameSortBox_->sizeHint().height();
  // Rating boxes alternate between two rows so that each has the width of
  // two columns for its caption; each stands over the first character of
  // its column.
  // The caption of each box starts at its column, the tick mark in front of
  // it standing over the preceding columns.
  for (int m = 0; m < kRatingBoxes; ++m) {
    QCheckBox* box = rating_[static_cast<std::size_t>(m)];
    box->resize(box->sizeHint());
    box->move(left + cw * (RatingColumn(m) - 1) - CaptionOffset(box), (m % 2) * h);
  }
  sortLabel_->resize(sortLabel_->sizeHint());
  sortLabel_->move(left, (h - sortLabel_->height()) / 2);
  nameSortBox_->resize(nameSortBox_->sizeHint());
  nameSortBox_->move(left + cw * (kNameColumn - 1) - CaptionOffset(nameSortBox_), h);
}

int DrafteeList::RatingCaptionX(int box) const {
  QCheckBox* b = rating_[static_cast<std::size_t>(box)];
  return b->mapTo(this, QPoint(CaptionOffset(b), 0)).x();
}

void DrafteeList::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceSortBoxes();
}

void DrafteeList::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  PlaceSortBoxes();
}

void DrafteeList::SetPool(DrafteeTable table) {
  model_.SetTable(std::move(table));
  SelectPosition(0);
}

void DrafteeList::SetPicks(const draft::PickList* picks) { model_.SetPicks(picks); }

void DrafteeList::SelectPosition(int index) {
  if (index >= 0 && index < kShownPositions) {
    QSignalBlocker block(positions_);
    positionButtons_[static_cast<std::size_t>(index)]->setChecked(true);
  }
  model_.SelectPosition(index);
  ShowModel();
  RefreshFind();
  emit positionSelected(index);
}

bool DrafteeList::RebuildIfShown(const std::string& positionCaption) {
  if (positionCaption != PositionCaption()) {
    RefreshFind();
    return false;
  }
  Rebuild();
  return true;
}

void DrafteeList::RatingClicked(int box, bool ticked) {
  if (model_.SetRating(box, ticked))
    ShowModel();
  else
    ShowBoxes();
}

void DrafteeList::NameClicked(bool ticked) {
  if (model_.SetName(ticked))
    ShowModel();
  else
    ShowBoxes();
}

void DrafteeList::ShowBoxes() {
  for (int m = 0; m < kRatingBoxes; ++m) {
    QSignalBlocker block(rating_[static_cast<std::size_t>(m)]);
    rating_[static_cast<std::size_t>(m)]->setChecked(model_.RatingTicked(m));
  }
  QSignalBlocker block(nameSortBox_);
  nameSortBox_->setChecked(model_.NameTicked());
}

void DrafteeList::ShowModel() {
  ShowBoxes();
  rookieList_->setUpdatesEnabled(false);
  rookieList_->clear();
  const std::vector<std::string>& lines = model_.Lines();
  for (std::size_t row = 0; row < lines.size(); ++row) {
    auto* item = new QListWidgetItem(L1(lines[row]));
    item->setData(Qt::UserRole, model_.PidAt(static_cast<int>(row)));
    rookieList_->addItem(item);
  }
  rookieList_->setUpdatesEnabled(true);
}

int DrafteeList::SelectedPid() const {
  const int row = SelectedRow();
  return row < 0 ? 0 : rookieList_->item(row)->data(Qt::UserRole).toInt();
}

int DrafteeList::SelectedRow() const {
  QListWidgetItem* item = rookieList_->currentItem();
  if (item == nullptr || !item->isSelected()) return -1;
  return rookieList_->row(item);
}

bool DrafteeList::RemovePlayer(int pid) {
  for (int row = 0; row < rookieList_->count(); ++row) {
    if (rookieList_->item(row)->data(Qt::UserRole).toInt() != pid) continue;
    model_.RemoveLine(row);
    delete rookieList_->takeItem(row);
    RefreshFind();
    return true;
  }
  return false;
}

bool DrafteeList::ShowPlayer(int index, int pid) {
  SelectPosition(index);
  const auto& players = model_.Table().Of(index);
  const auto& rows = model_.Rows();
  for (std::size_t line = 0; line < rows.size(); ++line) {
    if (players[static_cast<std::size_t>(rows[line])].pid != pid) continue;
    QListWidgetItem* item = rookieList_->item(static_cast<int>(line));
    rookieList_->setCurrentItem(item);
    rookieList_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    rookieList_->setFocus();
    return true;
  }
  return false;
}

void DrafteeList::RefreshFind() { find_->Refresh(); }

bool DrafteeList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == rookieList_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (const int pid = SelectedPid()) emit playerActivated(pid);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::widgets
