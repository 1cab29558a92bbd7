// The Commish's Draft Order window: the teams in first-round order, which
// the Commish rearranges by drag, by Ctrl+Up / Ctrl+Down or with the Up and
// Down buttons; Linear or Snake; the number of rounds; "Load..." reads an
// order from a text file of team names. A grid of rounds x selections shows
// who owns each pick: the order's team, or (in bold, "via" the order's team
// in its tip) the team a pick was traded to; the Commish gives a pick to
// another team with the cell's list (double-click, Enter or F2) or takes it
// back with Delete. The time allowed per pick, and other times for some
// rounds ("Time in rounds 1-2: 120"). OK saves the order file beside the
// league and makes it the engine's order, before or during the draft; the
// automatic draft's other settings pass through unchanged.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <map>

#include "draft/DraftOrder.h"
#include "draft/Pick.h"

class QAction;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace pm {
class Prompter;
}  // namespace pm

namespace pm::server {

class DraftServer;
class PickOwnerDelegate;

class DraftOrderWindow : public QDialog {
  Q_OBJECT
 public:
  DraftOrderWindow(DraftServer& engine, Prompter& prompter, QWidget* parent = nullptr);

  // The file "Load..." reads; empty when the Commish cancels. A file dialog
  // unless a test replaces it.
  std::function<QString()> chooseFile;

  // The order as the window shows it, with the settings it was opened with.
  draft::DraftOrder ShownOrder() const;
  // Moves the selected team one place up (-1) or down (+1).
  void MoveSelected(int step);
  // Gives the pick at `label` to `team`; the order's own team for the pick
  // takes a trade back.
  void SetPickOwner(draft::PickLabel label, int team);
  // Rounds `first`..`last` get `seconds` per pick instead of the time allowed.
  void SetRoundTime(int first, int last, int seconds);
  // The selected round time's rounds go back to the time allowed.
  void RemoveSelectedRoundTime();
  // "Load...": reads the chosen file's teams, and its Linear/Snake and
  // rounds when it sets them; every line not used and every team left out
  // is shown in a message box.
  void LoadFromFile();
  // OK: sets the engine's order and saves it. An order that leaves teams
  // out, or that came from a file with lines not used, is saved only when
  // the Commish says Yes; the window stays open on No and when the file
  // could not be written.
  void accept() override;

  QListWidget* TeamList() const { return list_; }
  QRadioButton* LinearButton() const { return linear_; }
  QRadioButton* SnakeButton() const { return snake_; }
  QSpinBox* RoundsBox() const { return rounds_; }
  QPushButton* LoadButton() const { return load_; }
  QTableWidget* PickGrid() const { return grid_; }
  QListWidget* RoundTimeList() const { return roundTimes_; }
  QSpinBox* TimeAllowedBox() const { return timeAllowed_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class PickOwnerDelegate;
  void Show(const draft::DraftOrder& order);
  QWidget* MakePicksBox();
  QWidget* MakeTimesBox();
  // Lays the grid out anew for the shown order; one cell anew.
  void ShowPicks();
  void ShowPick(const draft::DraftOrder& order, draft::PickLabel label,
                const std::map<draft::PickLabel, draft::Pick>& made);
  // The picks made so far, by label.
  std::map<draft::PickLabel, draft::Pick> MadePicks() const;
  void ShowRoundTimes();
  // The team's name as shown.
  QString TeamName(int team) const;
  // True when the shown order may be saved: it leaves no team out and no
  // file with unused lines was loaded, or the Commish says so.
  bool ConfirmIncomplete(const draft::DraftOrder& order);

  DraftServer& engine_;
  Prompter& prompter_;
  QListWidget* list_;
  QRadioButton* linear_;
  QRadioButton* snake_;
  QSpinBox* rounds_;
  QPushButton* load_;
  QTableWidget* grid_;
  QAction* back_;  // takes the current pick's trade back
  QSpinBox* timeAllowed_;
  QListWidget* roundTimes_;
  QSpinBox* timeFrom_;
  QSpinBox* timeTo_;
  QSpinBox* timeSeconds_;
  draft::AutoDraftSettings settings_;  // the others pass through unchanged
  // Picks given to another team; those outside the shown order are kept
  // (rounds may come back) but not saved.
  std::map<draft::PickLabel, int> traded_;
  bool loadedFlawed_ = false;
  bool showing_ = false;  // Show fills the list: the grid follows at its end          // a loaded file had lines not
                          // used or left teams out
};

// Opens the Draft Order window over `parent` (window-modal, deleted when
// closed) and returns it.
DraftOrderWindow* OpenDraftOrder(DraftServer& engine, Prompter& prompter, QWidget* parent);

}  // namespace pm::server
