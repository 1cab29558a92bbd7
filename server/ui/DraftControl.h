// The Commish's Draft Control window: the teams with their "*" marks, the
// team on the clock and its time, the time allowed, the next pick's round
// and selection, Halt, Kick, the Selections list with Delete, Merge, and the
// draftee list to pick for a team that is not connected; the "Run
// automatically" box, the rule for absent and late teams and the button that
// opens the Draft Order window.
//
// The window shows the engine's state and forwards the Commish's actions to
// the engine; it never changes a table itself.
#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSettings;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pm {
class Prompter;
}  // namespace pm
namespace pm::draft {
struct Pick;
}  // namespace pm::draft
namespace pm::widgets {
class DrafteeList;
}  // namespace pm::widgets

namespace pm::server {

class DraftServer;

class DraftControl : public QWidget {
  Q_OBJECT
 public:
  DraftControl(server::DraftServer& engine, Prompter& prompter, QWidget* parent = nullptr);

  // The window's load: position 0 of the draftee list, the teams list, the
  // Merge button, the Selections list, the next pick, the team on the clock
  // and "60" seconds allowed.
  void Load();

  // Where the time allowed is remembered (not owned; nullptr: nowhere).
  void SetSettings(QSettings* settings) { settings_ = settings; }

  // Called with the Merge button (the main window opens the Merge window).
  std::function<void()> mergeRequested;

  // Handlers, also called by tests.
  void OnTeamActivated();     // a double-click or Enter on a team: on the clock
  void OnDrafteeActivated();  // a double-click or Enter on a draftee: the Commish's pick
  void OnHaltClicked();
  void OnKickClicked();
  void OnDeleteClicked();
  void OnMergeClicked();
  void OnOrderClicked();  // opens the Draft Order window

  QListWidget* TeamsList() const { return teamsList_; }
  QLabel* TeamOnClockLabel() const { return teamOnClock_; }
  QLabel* TimeLeftLabel() const { return timeLeft_; }
  QLineEdit* TimeAllowedEdit() const { return timeAllowed_; }
  QLineEdit* RoundEdit() const { return roundEdit_; }
  QLineEdit* SelectionEdit() const { return selectionEdit_; }
  QPushButton* HaltButton() const { return halt_; }
  QPushButton* KickButton() const { return kick_; }
  QListWidget* SelectionsList() const { return selections_; }
  QPushButton* MergeButton() const { return merge_; }
  QPushButton* DeleteButton() const { return delete_; }
  widgets::DrafteeList* Draftees() const { return draftees_; }
  QCheckBox* RunAutoBox() const { return runAuto_; }
  QComboBox* AutoDraftRuleBox() const { return rule_; }
  QPushButton* OrderButton() const { return order_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillTeams();
  void FillSelections();
  void PickRecorded(const draft::Pick& pick, bool byCommish);
  void ShowClock();
  void ShowNextPick();
  void UpdateDeleteButton();
  void UpdateHaltButton();
  void TimeAllowedEdited();
  // The rule chosen and the rating boxes ticked, to the engine.
  void SendRule();

  server::DraftServer& engine_;
  Prompter& prompter_;
  QListWidget* teamsList_;
  QLabel* teamOnClock_;
  QLabel* timeLeft_;
  QLineEdit* timeAllowed_;
  QLineEdit* roundEdit_;
  QLineEdit* selectionEdit_;
  QPushButton* halt_;
  QPushButton* kick_;
  QListWidget* selections_;
  QPushButton* delete_;
  QPushButton* merge_;
  widgets::DrafteeList* draftees_;
  QCheckBox* runAuto_;
  QComboBox* rule_;
  QPushButton* order_;
  QSettings* settings_ = nullptr;
};

}  // namespace pm::server
