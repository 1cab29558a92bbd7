// The My List window: the owner's wish list as fixed-pitch lines (position,
// then the Draftees line of the player), the buttons and keys that change
// it, and the two automatic-pick boxes. The list itself lives in the
// session (ClientSession::Wishes); this window shows it and forwards.
//
// Keys in the list: Delete removes the selected player, Ctrl+Up and
// Ctrl+Down move him. Insert in the Draftees list adds the player selected
// there (InstallAddKey), as "Add to My List" does.
#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace pm::client {

class ClientSession;

class MyListWindow : public QWidget {
  Q_OBJECT
 public:
  // `selectedDraftee` gives the PID of the player selected in the Draftees
  // window, 0 when none is.
  MyListWindow(ClientSession* session, std::function<int()> selectedDraftee, QWidget* parent = nullptr);

  // Shows the session's list again, keeping the selection on the same player.
  void Refresh();
  // The buttons.
  void AddSelectedDraftee();
  void RemoveSelected();
  void MoveSelected(int by);

  QListWidget* List() const { return list_; }
  QCheckBox* AutoPickLateBox() const { return late_; }
  QCheckBox* AutoPickAtOnceBox() const { return atOnce_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int SelectedPid() const;
  void SelectPid(int pid);

  ClientSession* session_;
  std::function<int()> selectedDraftee_;
  QLabel* header_;
  QListWidget* list_;
  QCheckBox* late_;
  QCheckBox* atOnce_;
};

// Makes Insert in `drafteeLines` (the Draftees window's list) call `add`.
void InstallAddKey(QListWidget* drafteeLines, std::function<void()> add);

}  // namespace pm::client
