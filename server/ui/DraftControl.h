// The Commish's Draft Control window: the teams with their "*" marks, the
// team on the clock and its time, the time allowed, the next pick's round
// and selection, Halt, Kick, the Selections list with Delete, Merge, and the
// draftee list to pick for a team that is not connected; the automatic run
// (Run automatically, the Draft Order window, the rule for absent and late
// teams with its ratings, the pause between picks, the time absent teams
// get, the start time) and what the run is doing; and "Web board on port",
// which serves the read-only live board to browsers (when PKServer is built
// with it; off until the Commish ticks it, then remembered).
//
// The window shows the engine's state and forwards the Commish's actions to
// the engine: list items carry the team, player or pick they show, the
// window asks the Commish what is to be asked, and the engine's operation
// checks its own preconditions. It never changes a table itself.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "draft/Draftees.h"
#include "draft/Pick.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QSettings;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;

namespace pm {
class Prompter;
}  // namespace pm
namespace pm::widgets {
class DrafteeList;
}  // namespace pm::widgets

namespace pm::server {

class DraftServer;
namespace web {
class WebBoard;
}

class DraftControl : public QWidget {
  Q_OBJECT
 public:
  DraftControl(server::DraftServer& engine, Prompter& prompter, QWidget* parent = nullptr);

  // The window's load: position 0 of the draftee list, the teams list, the
  // Merge button, the Selections list, the next pick, the team on the clock,
  // the time allowed (remembered, 60 at first) and the automatic run's
  // settings from the engine.
  void Load();

  // Where the time allowed is remembered (not owned; nullptr: nowhere).
  void SetSettings(QSettings* settings) { settings_ = settings; }

  // Called with the Merge button (the main window opens the Merge window).
  std::function<void()> mergeRequested;

  // Handlers, also called by tests.
  void OnTeamActivated();           // a double-click or Enter on a team: on the clock
  void OnPlayerActivated(int pid);  // a double-click or Enter on a draftee: the Commish's pick
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
  // Pause / Resume: the Commish's pause of the draft.
  QPushButton* PauseButton() const { return pauseDraft_; }
  // The webhook's address (empty: off), remembered.
  QLineEdit* NotifyEdit() const { return notifyUrl_; }
  QPushButton* KickButton() const { return kick_; }
  QListWidget* SelectionsList() const { return selections_; }
  QPushButton* MergeButton() const { return merge_; }
  QPushButton* DeleteButton() const { return delete_; }
  widgets::DrafteeList* Draftees() const { return draftees_; }
  QCheckBox* RunAutoBox() const { return runAuto_; }
  QComboBox* AutoDraftRuleBox() const { return rule_; }
  QCheckBox* RuleRatingBox(int box) const { return ruleRatings_[static_cast<std::size_t>(box)]; }
  QSpinBox* PauseBox() const { return pause_; }
  QSpinBox* AbsentTimeBox() const { return absentTime_; }
  QCheckBox* StartAtBox() const { return startAtBox_; }
  QDateTimeEdit* StartAtEdit() const { return startAt_; }
  QLabel* RunStatusLabel() const { return runStatus_; }
  QPushButton* OrderButton() const { return order_; }
  // The web board's box and port; null when PKServer is built without it.
  QCheckBox* WebBoardBox() const { return webBox_; }
  QSpinBox* WebPortBox() const { return webPort_; }
  web::WebBoard* WebBoard() const { return web_; }

 signals:
  // A line for the server's chat from Draft Control itself (the web
  // board's address, why it or the webhook could not start).
  void chatNote(const QString& line);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildAutomatic();
  QWidget* BuildWebBoard();
  QWidget* BuildNotify();
  void ApplyNotifyUrl();
  void ShowPause();
  // Serves the web board on the port shown while the box is ticked, else
  // stops it; remembers both.
  void ApplyWebBoard();
  void FillTeams();
  void FillSelections();
  void AddSelection(const draft::Pick& pick);
  void PickRecorded(const draft::Pick& pick, bool byCommish);
  void ShowClock();
  void ShowNextPick();
  void ShowRunSettings();
  void UpdateDeleteButton();
  void UpdateHaltButton();
  void TimeAllowedEdited();
  void NextPickEdited();
  // The automatic run's settings as shown, to the engine and the order file.
  void SendRunSettings();
  void SendStartTime();
  static draft::PickLabel LabelOf(const QListWidgetItem* item);

  server::DraftServer& engine_;
  Prompter& prompter_;
  QListWidget* teamsList_;
  QLabel* teamOnClock_;
  QLabel* timeLeft_;
  QLineEdit* timeAllowed_;
  QLineEdit* roundEdit_;
  QLineEdit* selectionEdit_;
  QPushButton* halt_;
  QPushButton* pauseDraft_;
  QLineEdit* notifyUrl_ = nullptr;
  QPushButton* kick_;
  QListWidget* selections_;
  QPushButton* delete_;
  QPushButton* merge_;
  widgets::DrafteeList* draftees_;
  QCheckBox* runAuto_ = nullptr;
  QComboBox* rule_ = nullptr;
  std::array<QCheckBox*, draft::kRatingBoxes> ruleRatings_{};
  QSpinBox* pause_ = nullptr;
  QSpinBox* absentTime_ = nullptr;
  QCheckBox* startAtBox_ = nullptr;
  QDateTimeEdit* startAt_ = nullptr;
  QLabel* runStatus_ = nullptr;
  QPushButton* order_ = nullptr;
  QSettings* settings_ = nullptr;
  QCheckBox* webBox_ = nullptr;
  QSpinBox* webPort_ = nullptr;
  web::WebBoard* web_ = nullptr;  // a child
};

}  // namespace pm::server
