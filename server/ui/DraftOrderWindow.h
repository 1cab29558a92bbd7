// The Commish's Draft Order window: the teams in first-round order, which
// the Commish rearranges by drag, by Ctrl+Up / Ctrl+Down or with the Up and
// Down buttons; Linear or Snake; the number of rounds; "Load..." reads an
// order from a text file of team names. OK saves the order file beside the
// league and makes it the engine's order.
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

  // The order as the window shows it.
  draft::DraftOrder ShownOrder() const;
  // Moves the selected team one place up (-1) or down (+1).
  void MoveSelected(int step);
  // "Load...": reads the chosen file; unknown names and missing teams are
  // shown in a message box.
  void LoadFromFile();
  // OK: sets the engine's order and saves it; the window stays open when
  // the file could not be written.
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

  DraftServer& engine_;
  Prompter& prompter_;
  QListWidget* list_;
  QRadioButton* linear_;
  QRadioButton* snake_;
  QSpinBox* rounds_;
  QPushButton* load_;
};

// Opens the Draft Order window over `parent` (window-modal, deleted when
// closed) and returns it.
DraftOrderWindow* OpenDraftOrder(DraftServer& engine, Prompter& prompter, QWidget* parent);

}  // namespace pm::server
