// The client's main window: a multiple-document window hosting the
// Draftees, Draft List and Chat windows, with the Connection, View and
// Window menus. It owns the session and shows it (ClientView).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/ClientSession.h"
#include "client/ClientView.h"
#include "client/UpNext.h"
#include "draft/DraftBoard.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSystemTrayIcon;
class QTimer;

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
class UpNextWindow;

class Client : public QMainWindow, public ClientView {
  Q_OBJECT
 public:
  // `prompter` answers every message box (a QtPrompter in the program).
  explicit Client(Prompter* prompter, QWidget* parent = nullptr);
  ~Client() override;

  ClientSession& Session() { return *session_; }

  // Menu commands: Connection > Connect (the league window while not
  // connected, else the disconnect question), Connection > Disconnect (the
  // question), View > Chat, View > Draftees, View > Draft Board, View > Up
  // Next.
  void OnConnectMenu();
  void OnDisconnectMenu();
  void OnUpNextMenu();
  void OnChatMenu();
  void OnDrafteesMenu();
  void OnDraftBoardMenu();

  // The child windows; null while closed.
  LeagueSelect* LeagueWindow() const;
  DrafteesWindow* Draftees() const;
  DraftListWindow* DraftList() const;
  PublicChat* Chat() const;
  widgets::DraftBoardView* DraftBoard() const;
  UpNextWindow* UpNextView() const;
  QMdiArea* MdiArea() const { return mdi_; }

  QAction* ConnectAction() const { return connectAction_; }
  QAction* DisconnectAction() const { return disconnectAction_; }
  // Options > Desktop Notifications: a message from the system tray when
  // the own team is on the clock or on deck (off unless the settings say).
  QAction* NoticesAction() const { return noticesAction_; }
  // The desktop notice shown (the tray's message in the program; tests
  // replace it).
  std::function<void(const QString& title, const QString& text)> showNotice;
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
  void ClockChanged() override;
  void OrderChanged() override;

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
  UpNextWindow* OpenUpNext();
  // The windows a signed-on owner starts with; those without a remembered
  // place are laid out side by side.
  void OpenRoom();
  // The banner, Up Next and the board's order and pick in progress, from
  // the session.
  void ShowRoom();
  void ShowBanner();
  // Tells the owner, once per pick, that the own team is on deck or on the
  // clock (the desktop's attention and, when chosen, a desktop notice).
  void TellOwner(const UpNext& next);
  void ShowNotice(const QString& title, const QString& text);
  draft::BoardOrder ShownOrder() const;

  Prompter* prompter_;
  ClientSession* session_;
  QMdiArea* mdi_;
  QAction* connectAction_;
  QAction* disconnectAction_;
  QAction* noticesAction_;
  QSystemTrayIcon* tray_ = nullptr;
  QTimer* secondTimer_;  // counts another team's time down in the banner
  std::optional<draft::PickLabel> toldDeck_, toldClock_;
  QMenu* viewMenu_;
  QMenu* windowMenu_;
  bool connectedState_ = false;
  QPointer<LeagueSelect> leagueSelect_;
  QPointer<QMdiSubWindow> chatSub_, draftListSub_, drafteesSub_, boardSub_;
  QPointer<QMdiSubWindow> myListSub_, upNextSub_;
  ClientSettings* settings_ = nullptr;
};

}  // namespace pm::client
