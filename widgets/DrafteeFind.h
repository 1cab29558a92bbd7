// The Find box over a draftee list: typing part of a first or last name
// lists the matching available players of every position, with their
// position, under the box; Enter or a double-click on one shows him
// selected in his position's list, from where he is picked as usual.
//
// The matching is draft::FindDraftees; this widget shows its results and
// asks the list to show the chosen player. While the box is blank there is
// no result list and the draftee list works as without the box.
#pragma once

#include <QWidget>
#include <vector>

#include "draft/DrafteeFind.h"

class QLineEdit;
class QLabel;
class QListWidget;

namespace pm::widgets {

class DrafteeList;

class DrafteeFind : public QWidget {
  Q_OBJECT
 public:
  // Finds among the pool and the picks `list` holds.
  explicit DrafteeFind(DrafteeList* list, QWidget* parent = nullptr);

  // Finds again (the picks or the pool changed), keeping the chosen result.
  void Refresh();
  // Shows the player of result `row` selected in his position's list.
  void Choose(int row);

  QLineEdit* Box() const { return box_; }
  QListWidget* Results() const { return results_; }
  QLabel* Header() const { return header_; }
  const std::vector<draft::Found>& Matches() const { return found_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DrafteeList* list_;
  QLineEdit* box_;
  QListWidget* results_;
  QLabel* header_;
  std::vector<draft::Found> found_;
};

}  // namespace pm::widgets
