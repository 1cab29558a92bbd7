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
  grid_->verticalHeader()->setDefaultSectionSize(fm.lineSpacing() * 2 + 8);
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
  draft::DraftBoard next = picks_ ? draft::DraftBoard(*picks_, teamCount_, ownTeam_) : draft::DraftBoard();
  // Only the cells that changed are set again, and only their columns are
  // fitted anew, so a pick costs little even on a full board (a catch-up
  // refreshes once per pick). A grid that shrinks is made afresh.
  if (next.Rounds() < board_.Rounds() || next.Selections() < board_.Selections()) {
    grid_->clearContents();
    board_ = draft::DraftBoard();
  }
  grid_->setUpdatesEnabled(false);
  ShowSize(next);
  for (int s = 1; s <= next.Selections(); ++s) {
    bool columnChanged = false;
    for (int r = 1; r <= next.Rounds(); ++r) {
      const draft::BoardCell* now = next.At(r, s);
      const draft::BoardCell* was = board_.At(r, s);
      if (now == was || (now != nullptr && was != nullptr && *now == *was)) continue;
      columnChanged = true;
      if (now == nullptr) {
        delete grid_->takeItem(r - 1, s - 1);
        continue;
      }
      auto* item = new QTableWidgetItem(L1(draft::DraftBoard::CellText(now->pick)));
      if (now->own) item->setBackground(OwnColour());
      grid_->setItem(r - 1, s - 1, item);
    }
    if (columnChanged) FitColumn(s - 1);
  }
  board_ = std::move(next);
  grid_->setUpdatesEnabled(true);
}

void DraftBoardView::ShowSize(const draft::DraftBoard& next) {
  if (grid_->rowCount() != next.Rounds()) {
    grid_->setRowCount(next.Rounds());
    QStringList rounds;
    for (int r = 1; r <= next.Rounds(); ++r) rounds << QStringLiteral("Round %1").arg(r);
    grid_->setVerticalHeaderLabels(rounds);
  }
  if (grid_->columnCount() != next.Selections()) {
    const int before = grid_->columnCount();
    grid_->setColumnCount(next.Selections());
    QStringList selections;
    for (int s = 1; s <= next.Selections(); ++s) selections << QString::number(s);
    grid_->setHorizontalHeaderLabels(selections);
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
  const std::string csv = board_.Csv();
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
