// What the client session writes into its windows.
//
// The session is plain QtCore/QtNetwork; the main window implements this
// interface over its child windows (chat, draft list, draftees), and tests
// implement it with a recorder. Each call has the window behaviour the
// session relies on: a chat line or a draft list line opens its window when
// it is closed, writing the time left opens the Draftees window, and public
// chat lines and recipient upkeep happen only while the chat window is open.
#pragma once

#include <string>

namespace pm::client {

class ClientView {
 public:
  virtual ~ClientView() = default;

  // The main window's caption.
  virtual void SetCaption(const std::string& caption) { (void)caption; }
  // The connection is established: Connect menu checked, View and Window
  // menus enabled, league window closed.
  virtual void ShowConnected() {}

  // The chat window is loaded and visible.
  virtual bool ChatOpen() const { return false; }
  // Appends one line (CR LF added by the window) and shows the last line;
  // opens the chat window first when it is not open.
  virtual void ChatAppend(const std::string& line) { (void)line; }
  // Recipient list upkeep; called only while the chat window is open.
  virtual void ChatAddRecipient(int team) { (void)team; }
  virtual void ChatRemoveRecipient(int team) { (void)team; }

  // Adds a 60-column line to the draft list (in label order); opens the window (empty)
  // when it is closed.
  virtual void DraftListAdd(const std::string& line) { (void)line; }
  // Removes every line of the draft list; opens the window when closed.
  virtual void DraftListClear() {}
  // The picks changed (one arrived, caught up or deleted): the windows that
  // show them (draft board, Find results) read them again.
  virtual void PicksChanged() {}

  // The Draftees window's time label; opens that window when it is closed.
  virtual void SetTimeLeft(const std::string& text) { (void)text; }
  // Caption of the position shown in the Draftees window ("QB", ...), or
  // empty text when that window is not open.
  virtual std::string DrafteesShownPosition() const { return {}; }
  // Rebuilds the Draftees list for its shown position in natural order.
  virtual void DrafteesRebuild() {}

  // Who is on the clock changed, or was paused or resumed, or the own clock
  // counted down a second (ClientSession::OnTheClock).
  virtual void ClockChanged() {}
  // The draft order the server runs by changed (ClientSession::OrderOwners).
  virtual void OrderChanged() {}
  // The owner's wish list changed: My List, when open, shows it again.
  virtual void WishListChanged() {}
  // The own team went on the clock: the window asks the desktop for the
  // owner's attention when it is not the active window.
  virtual void RequestAttention() {}
};

}  // namespace pm::client
