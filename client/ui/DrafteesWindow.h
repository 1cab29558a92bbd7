// The Draftees window: the draftee list of the loaded league under a banner
// naming the team on the clock, and the time left while the own team is on
// the clock. A double-click (or Enter) on a
// line while the team is on the clock asks for confirmation and sends the
// team's pick.
#pragma once

#include <QWidget>
#include <string>

class QLabel;

namespace pm {
class Prompter;
}  // namespace pm
namespace pm::widgets {
class DrafteeList;
}  // namespace pm::widgets

namespace pm::client {

class ClientSession;

class DrafteesWindow : public QWidget {
  Q_OBJECT
 public:
  // Window load: shows the session's pool, position 0 in natural order.
  DrafteesWindow(ClientSession* session, Prompter* prompter, QWidget* parent = nullptr);

  void SetTimeLeft(const std::string& text);
  // The banner's text (empty: hidden), coloured for the own team's turn or
  // a paused clock.
  void SetBanner(const QString& text, bool own, bool paused);
  QLabel* Banner() const { return banner_; }
  widgets::DrafteeList* List() const { return list_; }
  QLabel* TimeLeftLabel() const { return timeLeft_; }

  // The own selection of player `pid` (a double-click or Enter on his line).
  void SelectPlayer(int pid);

 private:
  ClientSession* session_;
  Prompter* prompter_;
  widgets::DrafteeList* list_;
  QLabel* timeLeft_;
  QLabel* banner_;
};

}  // namespace pm::client
