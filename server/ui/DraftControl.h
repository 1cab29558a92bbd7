// The Commish's Draft Control window: the teams with their "*" marks, the
// team on the clock and its time, the time allowed, the next pick's round
// and selection, Halt, Kick, the Selections list with Delete, Merge, and the
// draftee list to pick for a team that is not connected.
//
// The window shows the engine's state and forwards the Commish's actions to
// the engine; it never changes a table itself.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pm {
class Prompter;
}  // namespace pm
namespace pm::widgets {
class DrafteeList;
}  // namespace pm::widgets

namespace pm::server {
class DraftServer;
}

namespace pm::server {


class DraftControl : public QWidget {
  Q_OBJECT
 public:
  DraftControl(server::DraftServer& engine, Prompter& prompter, QWidget* parent = nullptr);

  // The window's load: position 0 of the draftee list, the teams list, the
  // Merge button, the Selections list, the next pick, the team on the clock
  // and "60" seconds allowed.
  void Load();

  // Called with the Merge button (the main window opens the Merge window).
  std::function<void()> mergeRequested;

  // Handlers, also called by tests.
  void TeamsList_DblClick();
  void RookieList_DblClick();
  void Halt_Click();
  void Kick_Click();
  void Command2_Click();  // Delete
  void Command1_Click();  // Merge

  QListWidget* TeamsList() const { return teamsList_; }
  QLabel* TeamOnClock() const { return teamOnClock_; }
  QLabel* TimeLeft() const { return timeLeft_; }
  QLineEdit* TOC() const { return toc_; }
  QLineEdit* Text1() const { return text1_; }
  QLineEdit* Text2() const { return text2_; }
  QPushButton* Halt() const { return halt_; }
  QPushButton* Kick() const { return kick_; }
  QListWidget* List1() const { return list1_; }
  QPushButton* Command1() const { return command1_; }
  QPushButton* Command2() const { return command2_; }
  widgets::DrafteeList* Draftees() const { return draftees_; }

 signals:
  void mergeClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillTeams();
  void FillSelections();
  void ShowClock();
  void ShowNextPick();
  void UpdateDeleteButton();

  server::DraftServer& engine_;
  Prompter& prompter_;
  QListWidget* teamsList_;
  QLabel* teamOnClock_;
  QLabel* timeLeft_;
  QLineEdit* toc_;
  QLineEdit* text1_;
  QLineEdit* text2_;
  QPushButton* halt_;
  QPushButton* kick_;
  QListWidget* list1_;
  QPushButton* command2_;
  QPushButton* command1_;
  widgets::DrafteeList* draftees_;
};

}  // namespace pm::server
