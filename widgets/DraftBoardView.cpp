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
  board_ = picks_ ? draft::DraftBoard(*picks_, teamCount_, ownTeam_) : draft::DraftBoard();
  grid_->setUpdatesEnabled(false);
  grid_->clearContents();
  grid_->setRowCount(board_.Rounds());
  grid_->setColumnCount(board_.Selections());
  QStringList rounds, selections;
  for (int r = 1; r <= board_.Rounds(); ++r) rounds << QStringLiteral("Round %1").arg(r);
  for (int s = 1; s <= board_.Selections(); ++s) selections << QString::number(s);
  grid_->setVerticalHeaderLabels(rounds);
  grid_->setHorizontalHeaderLabels(selections);
  for (int r = 1; r <= board_.Rounds(); ++r) {
    for (int s = 1; s <= board_.Selections(); ++s) {
      const draft::BoardCell* cell = board_.At(r, s);
      if (cell == nullptr) continue;
      auto* item = new QTableWidgetItem(L1(draft::DraftBoard::CellText(cell->pick)));
      if (cell->own) item->setBackground(OwnColour());
      grid_->setItem(r - 1, s - 1, item);
    }
  }
  grid_->resizeColumnsToContents();
  const int padding = grid_->fontMetrics().averageCharWidth() * 2;
  for (int c = 0; c < grid_->columnCount(); ++c) grid_->setColumnWidth(c, grid_->columnWidth(c) + padding);
  grid_->setUpdatesEnabled(true);
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
