// The client's main window: a multiple-document window hosting the
// Draftees, Draft List and Chat windows, with the Connection, View and
// Window menus. It owns the session and shows it (ClientView).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>

#include "client/ClientSession.h"
#include "client/ClientView.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace pm::widgets {
class DraftBoardView;
}  // namespace pm::widgets

namespace pm::client {

class ClientSettings;
class DraftListWindow;
class DrafteesWindow;
class LeagueSelect;
class MyListWindow;
class PublicChat;

class Client : public QMainWindow, public ClientView {
  Q_OBJECT
 public:
  // `prompter` answers every message box (a QtPrompter in the program).
  explicit Client(Prompter* prompter, QWidget* parent = nullptr);
  ~Client() override;

  ClientSession& Session() { return *session_; }

  // Menu commands: Connection > Connect (the league window while not
  // connected, else the disconnect question), View > Chat, View > Draftees,
  // View > Draft Board.
  void OnConnectMenu();
  void OnChatMenu();
  void OnDrafteesMenu();
  void OnDraftBoardMenu();

  // The child windows; null while closed.
  LeagueSelect* LeagueWindow() const;
  DrafteesWindow* Draftees() const;
  DraftListWindow* DraftList() const;
  PublicChat* Chat() const;
  widgets::DraftBoardView* DraftBoard() const;
  QMdiArea* MdiArea() const { return mdi_; }

  QAction* ConnectAction() const { return connectAction_; }
  QMenu* ViewMenu() const { return viewMenu_; }
  QMenu* WindowMenu() const { return windowMenu_; }

  // ---- My List, the desktop notice and what is remembered ----
  // View > My List.
  void OnMyListMenu();
  // My List; null while closed.
  MyListWindow* MyList() const;
  // The PID of the player selected in the Draftees window; 0 when none is.
  int SelectedDraftee() const;
  // Remembers the window layout and the league window's last connection in
  // `settings`, and restores the main window's layout from it now. Null (the
  // default): nothing is remembered.
  void UseSettings(ClientSettings* settings);
  // Keeps the window layout in the settings (also done when the program
  // ends or this window closes).
  void SaveLayout();
  void WishListChanged() override;
  void RequestAttention() override;

  // ClientView
  void SetCaption(const std::string& caption) override;
  void ShowConnected() override;
  bool ChatOpen() const override;
  void ChatAppend(const std::string& line) override;
  void ChatAddRecipient(int team) override;
  void ChatRemoveRecipient(int team) override;
  void DraftListAdd(const std::string& line) override;
  void DraftListClear() override;
  void SetTimeLeft(const std::string& text) override;
  std::string DrafteesShownPosition() const override;
  void DrafteesRebuild() override;
  void PicksChanged() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QMdiSubWindow* AddChild(QWidget* widget);
  void Reload(QPointer<QMdiSubWindow>& sub);
  PublicChat* OpenChat();
  DraftListWindow* OpenDraftList();
  DrafteesWindow* OpenDraftees();
  void TileHorizontally();
  void TileVertically();

  Prompter* prompter_;
  ClientSession* session_;
  QMdiArea* mdi_;
  QAction* connectAction_;
  QMenu* viewMenu_;
  QMenu* windowMenu_;
  bool connectedState_ = false;
  QPointer<LeagueSelect> leagueSelect_;
  QPointer<QMdiSubWindow> chatSub_, draftListSub_, drafteesSub_, boardSub_;
  QPointer<QMdiSubWindow> myListSub_;
  ClientSettings* settings_ = nullptr;
};

}  // namespace pm::client
