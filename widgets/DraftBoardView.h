// The Draft Board window both programs show: the picks as a grid of a row
// per round and a column per selection, each cell the player's name and
// position over his team's name, and a button that saves the picks as CSV.
// With the draft order known, the columns are headed by the teams of the
// first round, a traded pick says "via" the team the order gave it, a pick
// not made yet names its owner, and the pick in progress is marked; the own
// team's picks stand out. The round titles stay in view while the grid
// scrolls sideways.
//
// The grid is draft::DraftBoard made again from the picks at every Refresh;
// the program calls Refresh when its picks change.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "draft/DraftBoard.h"

class QPushButton;
class QTableWidget;

namespace pm {
class Prompter;
}  // namespace pm

namespace pm::widgets {

class DraftBoardView : public QWidget {
  Q_OBJECT
 public:
  // `prompter` tells when the CSV file cannot be written (not owned).
  explicit DraftBoardView(Prompter* prompter, QWidget* parent = nullptr);

  // The picks shown (read at every Refresh; they must outlive this window
  // or be replaced), the number of teams and the own team's name (empty:
  // no pick is marked). Shows them.
  void SetSource(const draft::PickList* picks, int teamCount, std::string ownTeam = {});
  // The draft order (empty: none known) and the pick in progress (none:
  // nobody is on the clock). Shown at the next Refresh.
  void SetOrder(draft::BoardOrder order) { order_ = std::move(order); }
  void SetCurrent(std::optional<draft::PickLabel> label) { current_ = label; }
  // Makes the grid again from the picks (setting the cells that changed).
  void Refresh();

  // The "Save as CSV..." button: asks for the path (askPath) and writes the
  // board's CSV there. Nothing is written when no path is given.
  void SaveCsv();
  // Writes the CSV to `path`; false, telling the user why, when it fails.
  bool SaveCsvTo(const QString& path);
  // Answers where to save the CSV (empty: cancelled). A file dialog unless
  // a test replaces it.
  std::function<QString()> askPath;

  QSize sizeHint() const override;

  const draft::DraftBoard& Board() const { return board_; }
  QTableWidget* Grid() const { return grid_; }
  QPushButton* SaveButton() const { return save_; }
  // The background of the own team's cells, and of the pick in progress.
  static QColor OwnColour() { return QColor(255, 236, 160); }
  static QColor CurrentColour() { return QColor(150, 220, 150); }

 private:
  // The grid's rows and columns (with their titles) for `next`.
  void ShowSize(const draft::DraftBoard& next);
  // Sets the cell of `label` from `next`; true when it changed.
  bool ShowCell(const draft::DraftBoard& next, draft::PickLabel label);
  // Fits a column to its cells, with a margin.
  void FitColumn(int column);

  Prompter* prompter_;
  const draft::PickList* picks_ = nullptr;
  int teamCount_ = 0;
  std::string ownTeam_;
  draft::BoardOrder order_;
  std::optional<draft::PickLabel> current_;
  draft::DraftBoard board_;
  QTableWidget* grid_;
  QPushButton* save_;
};

}  // namespace pm::widgets
