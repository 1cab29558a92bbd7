#include "widgets/DrafteeFind.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

namespace pm::widgets {

namespace {
constexpr int kShownResults = 6;  // lines the results get when they appear
constexpr int kLeastResults = 2;  // lines they keep when the room is short
}  // namespace

DrafteeFind::DrafteeFind(DrafteeList* list, QWidget* parent) : QWidget(parent), list_(list) {
  setObjectName(QStringLiteral("DrafteeFind"));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* label = new QLabel(QStringLiteral("&Find"), this);
  label->setObjectName(QStringLiteral("FindLabel"));
  box_ = new QLineEdit(this);
  box_->setObjectName(QStringLiteral("FindBox"));
  box_->setClearButtonEnabled(true);
  label->setBuddy(box_);
  box_->installEventFilter(this);
  connect(box_, &QLineEdit::textChanged, this, [this] { Refresh(); });
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(label);
  row->addWidget(box_, 1);

  // The results and their column titles, as over the Draftees list, in a
  // pane of their own that the draftee list lays out.
  pane_ = new QWidget(this);
  pane_->setObjectName(QStringLiteral("FindResultsPane"));
  pane_->hide();
  header_ = new QLabel(L1(draft::FoundHeader()), pane_);
  header_->setObjectName(QStringLiteral("FindHeader"));
  header_->setFont(FixedFont());
  header_->setTextFormat(Qt::PlainText);
  results_ = new QListWidget(pane_);
  results_->setObjectName(QStringLiteral("FindResults"));
  results_->setFont(FixedFont());
  results_->setUniformItemSizes(true);
  results_->setSelectionMode(QAbstractItemView::SingleSelection);
  results_->setMinimumHeight(ResultsHeight(kLeastResults));
  results_->installEventFilter(this);
  connect(results_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { Choose(results_->row(item)); });
  auto* column = new QVBoxLayout(pane_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  column->addWidget(header_);
  column->addWidget(results_, 1);
  // The titles start where the lines' text does.
  const int textLeft =
      results_->frameWidth() + results_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, results_) + 1;
  header_->setContentsMargins(textLeft, 0, 0, 0);
}

int DrafteeFind::ResultsHeight(int lines) const {
  return QFontMetrics(FixedFont()).lineSpacing() * lines + 2 * results_->frameWidth();
}

int DrafteeFind::PreferredPaneHeight() const {
  return header_->sizeHint().height() + pane_->layout()->spacing() + ResultsHeight(kShownResults);
}

void DrafteeFind::Refresh() {
  const bool blank = box_->text().trimmed().isEmpty();
  if (blank != pane_->isHidden()) {
    pane_->setVisible(!blank);
    emit resultsShown(!blank);
  }
  if (blank) {  // nothing to find: the list works as without the box
    found_.clear();
    results_->clear();
    return;
  }
  const draft::DrafteeListModel& model = list_->Model();
  const int chosen = results_->currentRow();
  const int chosenPid =
      chosen >= 0 && chosen < static_cast<int>(found_.size()) ? found_[static_cast<std::size_t>(chosen)].pid : -1;
  const draft::DraftedSet drafted = model.Picks() ? draft::DraftedSet(*model.Picks()) : draft::DraftedSet();
  found_ = draft::FindDraftees(model.Table(), drafted, ToL1(box_->text()));
  QStringList lines;
  for (const draft::Found& f : found_) lines << L1(draft::FoundLine(model.Table(), f));
  results_->clear();
  results_->addItems(lines);
  auto again =
      std::find_if(found_.begin(), found_.end(), [chosenPid](const draft::Found& f) { return f.pid == chosenPid; });
  if (again != found_.end()) results_->setCurrentRow(static_cast<int>(again - found_.begin()));
}

void DrafteeFind::Choose(int row) {
  if (row < 0 || row >= static_cast<int>(found_.size())) return;
  const draft::Found chosen = found_[static_cast<std::size_t>(row)];
  list_->ShowPlayer(chosen.position, chosen.pid);
}

bool DrafteeFind::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (watched == box_ && enter) {
    // Enter in the box takes the chosen result, else the first.
    Choose(std::max(results_->currentRow(), 0));
    return true;
  }
  if (watched == box_ && key == Qt::Key_Down && results_->count() > 0) {
    results_->setFocus();
    if (results_->currentRow() < 0) results_->setCurrentRow(0);
    return true;
  }
  if (watched == results_ && enter) {
    Choose(results_->currentRow());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::widgets
