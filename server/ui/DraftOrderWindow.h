// The Commish's Draft Order window: the teams in first-round order, which
// the Commish rearranges by drag, by Ctrl+Up / Ctrl+Down or with the Up and
// Down buttons; Linear or Snake; the number of rounds; "Load..." reads an
// order from a text file of team names. OK saves the order file beside the
// league and makes it the engine's order; the automatic draft's settings the
// order holds are not shown and pass through unchanged.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "draft/DraftOrder.h"

class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pm {
class Prompter;
}  // namespace pm

namespace pm::server {

class DraftServer;

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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Show(const draft::DraftOrder& order);
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
  draft::AutoDraftSettings settings_;  // passed through unchanged
  bool loadedFlawed_ = false;          // a loaded file had lines not used or left teams out
};

// Opens the Draft Order window over `parent` (window-modal, deleted when
// closed) and returns it.
DraftOrderWindow* OpenDraftOrder(DraftServer& engine, Prompter& prompter, QWidget* parent);

}  // namespace pm::server
