// The Find box over a draftee list: typing part of a first or last name
// lists the matching available players of every position, with their
// position, in a results pane under the box; Enter or a double-click on one
// shows him selected in his position's list, from where he is picked as
// usual.
//
// The matching is draft::FindDraftees; this widget (the box's row) shows its
// results and asks the list to show the chosen player. The draftee list
// places the results pane (ResultsPane). While the box is blank the pane is
// hidden and the draftee list works as without the box.
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
  // The column titles and the results; hidden while the box is blank.
  QWidget* ResultsPane() const { return pane_; }
  // The pane's height with room for a few lines of results.
  int PreferredPaneHeight() const;
  QListWidget* Results() const { return results_; }
  QLabel* Header() const { return header_; }
  const std::vector<draft::Found>& Matches() const { return found_; }

 signals:
  // The results pane appeared (a text to find) or went (the box blank).
  void resultsShown(bool shown);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A results list's height showing `lines` lines.
  int ResultsHeight(int lines) const;

  DrafteeList* list_;
  QWidget* pane_;
  QLineEdit* box_;
  QListWidget* results_;
  QLabel* header_;
  std::vector<draft::Found> found_;
};

}  // namespace pm::widgets
