// The draftee list as a widget: the Find box (DrafteeFind) over its results
// and the "Draftees" frame, which share the room below it, the frame with
// the "Position" buttons, the rating and name sort boxes above their
// columns, the column titles and the list of 54-column lines. The server's
// Draft Control window and the client's Draftees window each carry one.
//
// All list logic lives in pm::draft::DrafteeListModel; this widget shows
// its lines and turns clicks into its calls. A rebuild never yields to the
// event loop, so no message or click can re-enter it halfway.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "draft/Draftees.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QSplitter;

namespace pm::widgets {

class DrafteeFind;

class DrafteeList : public QWidget {
  Q_OBJECT

 public:
  // `sortLabel` is "Sort by:" on the server and "Sort by" in the client.
  explicit DrafteeList(QWidget* parent = nullptr, const QString& sortLabel = QStringLiteral("Sort by:"));

  // The pool shown; selects position 0 and builds its list in natural order.
  void SetPool(draft::DrafteeTable table);
  // The program's picks, read at every rebuild; they must outlive this
  // widget or be replaced.
  void SetPicks(const draft::PickList* picks);

  // Selects position `index` (0..14) and rebuilds its list in natural order
  // with every sort box unticked, as a click on that position button does.
  void SelectPosition(int index);
  // Rebuilds the shown position (natural order, boxes unticked).
  void Rebuild() { SelectPosition(CurrentPosition()); }
  // After a pick made elsewhere: rebuilds when `positionCaption` is the
  // caption of the shown position; returns whether it did.
  bool RebuildIfShown(const std::string& positionCaption);

  int CurrentPosition() const { return model_.CurrentPosition(); }
  // Caption of the selected position button ("QB" ...).
  std::string PositionCaption() const { return model_.CurrentCaption(); }

  // The player of the selected line; 0 when none is selected.
  int SelectedPid() const;
  // Takes player `pid`'s line out after a pick was made from it (wherever
  // a rebuild meanwhile has put it). False when he is not listed.
  bool RemovePlayer(int pid);

  // Shows the player `pid` of position `index` as the Find box does: that
  // position's list (as its button would), his line selected, scrolled to
  // and focused. False when he is not in that list.
  bool ShowPlayer(int index, int pid);
  // The picks changed while the list may be showing another position: the
  // Find box's results are made again (every rebuild does so too).
  void RefreshFind();

  const draft::DrafteeListModel& Model() const { return model_; }
  QListWidget* RookieList() const { return rookieList_; }
  QCheckBox* RatingBox(int box) const { return rating_[static_cast<std::size_t>(box)]; }
  // Where the caption of a rating box starts, in this widget's coordinates.
  int RatingCaptionX(int box) const;
  QCheckBox* NameSortBox() const { return nameSortBox_; }
  QRadioButton* PositionButton(int index) const { return positionButtons_[static_cast<std::size_t>(index)]; }
  QLabel* HeaderLabel() const { return header_; }
  DrafteeFind* Find() const { return find_; }

  QSize minimumSizeHint() const override;

 signals:
  // A player's line was double-clicked or Enter was pressed on it.
  void playerActivated(int pid);
  // A position was selected (by a click or by SelectPosition).
  void positionSelected(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void RatingClicked(int box, bool ticked);
  void NameClicked(bool ticked);
  void ShowModel();  // lines and box states from the model
  void ShowBoxes();  // box states only
  int SelectedRow() const;
  void PlaceSortBoxes();
  void GiveResultsRoom();
  int TextLeft() const;
  // Where a check box's caption starts within the box.
  static int CaptionOffset(const QCheckBox* box);

  draft::DrafteeListModel model_;
  DrafteeFind* find_ = nullptr;
  QGroupBox* frame_ = nullptr;
  QSplitter* split_ = nullptr;
  QButtonGroup* positions_ = nullptr;
  std::array<QRadioButton*, draft::kShownPositions> positionButtons_{};
  QWidget* sortArea_ = nullptr;
  QLabel* sortLabel_ = nullptr;
  QCheckBox* nameSortBox_ = nullptr;
  std::array<QCheckBox*, draft::kRatingBoxes> rating_{};
  QLabel* header_ = nullptr;
  QListWidget* rookieList_ = nullptr;
};

}  // namespace pm::widgets
