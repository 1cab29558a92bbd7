#include "widgets/DraftBoardView.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/Prompt.h"
#include "widgets/Widgets.h"

namespace pm::widgets {

DraftBoardView::DraftBoardView(Prompter* prompter, QWidget* parent) : QWidget(parent), prompter_(prompter) {
  setObjectName(QStringLiteral("DraftBoard"));
  setWindowTitle(QStringLiteral("Draft Board"));
  grid_ = new QTableWidget(this);
  grid_->setObjectName(QStringLiteral("BoardGrid"));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setWordWrap(false);
  const QFontMetrics fm(grid_->font());
  // Columns fit their names (Refresh), but never narrower than a short one.
  grid_->horizontalHeader()->setMinimumSectionSize(fm.averageCharWidth() * 12);
  grid_->horizontalHeader()->setDefaultSectionSize(fm.averageCharWidth() * 18);
  // Three lines: player, team and the team a traded pick came from.
  grid_->verticalHeader()->setDefaultSectionSize(fm.lineSpacing() * 3 + 8);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

  save_ = new QPushButton(QStringLiteral("&Save as CSV..."), this);
  save_->setObjectName(QStringLiteral("SaveCsv"));
  connect(save_, &QPushButton::clicked, this, [this] { SaveCsv(); });
  askPath = [this] {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save as CSV"), QStringLiteral("draft-board.csv"),
                                        QStringLiteral("CSV files (*.csv);;All files (*)"));
  };

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 1);
  layout->addLayout(buttons);
}

QSize DraftBoardView::sizeHint() const {
  // Room for about six selections of four rounds.
  const QFontMetrics fm(grid_->font());
  return {fm.averageCharWidth() * 18 * 6 + 80, fm.lineSpacing() * 16};
}

void DraftBoardView::SetSource(const draft::PickList* picks, int teamCount, std::string ownTeam) {
  picks_ = picks;
  teamCount_ = teamCount;
  ownTeam_ = std::move(ownTeam);
  Refresh();
}

void DraftBoardView::Refresh() {
  draft::DraftBoard next = picks_ ? draft::DraftBoard(*picks_, teamCount_, ownTeam_, order_) : draft::DraftBoard();
  // Only the cells that changed are set again, and only their columns are
  // fitted anew, so a pick costs little even on a full board (a catch-up
  // refreshes once per pick). A grid that shrinks is made afresh.
  if (next.Rounds() < board_.Rounds() || next.Selections() < board_.Selections()) grid_->clearContents();
  grid_->setUpdatesEnabled(false);
  ShowSize(next);
  for (int s = 1; s <= next.Selections(); ++s) {
    bool columnChanged = false;
    for (int r = 1; r <= next.Rounds(); ++r) columnChanged |= ShowCell(next, {r, s});
    if (columnChanged) FitColumn(s - 1);
  }
  board_ = std::move(next);
  grid_->setUpdatesEnabled(true);
}

bool DraftBoardView::ShowCell(const draft::DraftBoard& next, draft::PickLabel label) {
  const int row = label.round - 1, column = label.selection - 1;
  const QString text = L1(next.CellText(label));
  const draft::BoardCell* cell = next.At(label.round, label.selection);
  const bool own = cell ? cell->own : !ownTeam_.empty() && next.OwnerOf(label) == ownTeam_;
  const QBrush background = current_ == label ? QBrush(CurrentColour()) : own ? QBrush(OwnColour()) : QBrush();
  const QBrush foreground = cell ? QBrush() : QBrush(palette().color(QPalette::PlaceholderText));
  QTableWidgetItem* item = grid_->item(row, column);
  if (text.isEmpty() && current_ != label) {
    if (item == nullptr) return false;
    delete grid_->takeItem(row, column);
    return true;
  }
  if (item != nullptr && item->text() == text && item->background() == background && item->foreground() == foreground)
    return false;
  if (item == nullptr) {
    item = new QTableWidgetItem;
    grid_->setItem(row, column, item);
  }
  item->setText(text);
  item->setBackground(background);
  item->setForeground(foreground);
  return true;
}

void DraftBoardView::ShowSize(const draft::DraftBoard& next) {
  if (grid_->rowCount() != next.Rounds()) {
    grid_->setRowCount(next.Rounds());
    QStringList rounds;
    for (int r = 1; r <= next.Rounds(); ++r) rounds << QStringLiteral("Round %1").arg(r);
    grid_->setVerticalHeaderLabels(rounds);
  }
  const int before = grid_->columnCount();
  if (before != next.Selections()) grid_->setColumnCount(next.Selections());
  QStringList titles;
  for (int s = 1; s <= next.Selections(); ++s) titles << L1(next.ColumnTitle(s));
  bool titlesChanged = false;
  for (int c = 0; c < next.Selections(); ++c) {
    const QTableWidgetItem* head = grid_->horizontalHeaderItem(c);
    titlesChanged |= head == nullptr || head->text() != titles[c];
  }
  if (titlesChanged) {
    grid_->setHorizontalHeaderLabels(titles);
    for (int c = 0; c < next.Selections(); ++c) FitColumn(c);
  } else {
    for (int c = before; c < next.Selections(); ++c) FitColumn(c);
  }
}

void DraftBoardView::FitColumn(int column) {
  grid_->resizeColumnToContents(column);
  grid_->setColumnWidth(column, grid_->columnWidth(column) + grid_->fontMetrics().averageCharWidth() * 2);
}

void DraftBoardView::SaveCsv() {
  const QString path = askPath ? askPath() : QString();
  if (!path.isEmpty()) SaveCsvTo(path);
}

bool DraftBoardView::SaveCsvTo(const QString& path) {
  const std::string csv = board_.Csv();  // the picks in label order
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) &&
      file.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()) && file.commit())
    return true;
  if (prompter_ != nullptr)
    prompter_->Inform(
        "Draft Board",
        "Unable to save the draft board to " + path.toStdString() + ": " + file.errorString().toStdString(),
        PromptIcon::Warning, TextCoding::Utf8);
  return false;
}

}  // namespace pm::widgets
