#include "client/ui/Client.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

#include "client/ClientSettings.h"
#include "client/ui/DraftListWindow.h"
#include "client/ui/DrafteesWindow.h"
#include "client/ui/LeagueSelect.h"
#include "client/ui/MyListWindow.h"
#include "client/ui/PublicChat.h"
#include "common/Common.h"
#include "widgets/DraftBoardView.h"
#include "widgets/DrafteeList.h"
#include "widgets/MdiArrange.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using namespace pm::widgets;

Client::Client(Prompter* prompter, QWidget* parent) : QMainWindow(parent), prompter_(prompter) {
  setObjectName("Client");
  session_ = new ClientSession(this);
  session_->SetView(this);
  session_->SetPrompter(prompter_);

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("MdiArea");
  setCentralWidget(mdi_);

  QMenu* connectMenu = menuBar()->addMenu(u"C&onnection"_s);
  connectMenu->setObjectName("ConnectMenu");
  connectAction_ = connectMenu->addAction(u"Connect"_s);
  connectAction_->setObjectName("ConMenu");
  connectAction_->setCheckable(true);
  connect(connectAction_, &QAction::triggered, this, [this] {
    connectAction_->setChecked(connectedState_);  // the state shows the connection, not the click
    OnConnectMenu();
  });

  viewMenu_ = menuBar()->addMenu(u"&View "_s);
  viewMenu_->setObjectName("ViewMenu");
  QAction* chat = viewMenu_->addAction(u"&Chat"_s);
  chat->setObjectName("PublicChatMenu");
  connect(chat, &QAction::triggered, this, &Client::OnChatMenu);
  QAction* avail = viewMenu_->addAction(u"&Draftees"_s);
  avail->setObjectName("AvailMenu");
  connect(avail, &QAction::triggered, this, &Client::OnDrafteesMenu);
  QAction* myList = viewMenu_->addAction(u"&My List"_s);
  myList->setObjectName("MyListMenu");
  connect(myList, &QAction::triggered, this, &Client::OnMyListMenu);
  QAction* board = viewMenu_->addAction(u"Draft &Board"_s);
  board->setObjectName("DraftBoardMenu");
  connect(board, &QAction::triggered, this, &Client::OnDraftBoardMenu);

  windowMenu_ = menuBar()->addMenu(u"&Window"_s);
  windowMenu_->setObjectName("WindowMenu");
  QAction* arrange = windowMenu_->addAction(u"&Arrange Icons"_s);
  arrange->setObjectName("ArrangeMenu");
  connect(arrange, &QAction::triggered, this, [this] { widgets::ArrangeIcons(mdi_); });
  QAction* cascade = windowMenu_->addAction(u"&Cascade"_s);
  cascade->setObjectName("CascadeMenu");
  connect(cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
  QAction* hor = windowMenu_->addAction(u"Tile &Horizontally"_s);
  hor->setObjectName("HorMenu");
  connect(hor, &QAction::triggered, this, &Client::TileHorizontally);
  QAction* vert = windowMenu_->addAction(u"Tile &Vertically"_s);
  vert->setObjectName("VertMenu");
  connect(vert, &QAction::triggered, this, &Client::TileVertically);

  // Load: not connected.
  viewMenu_->menuAction()->setEnabled(false);
  windowMenu_->menuAction()->setEnabled(false);
  connectAction_->setChecked(false);
  SetCaption(session_->Caption());
  resize(1000, 700);
}

Client::~Client() {
  session_->SetView(nullptr);
  if (leagueSelect_) delete leagueSelect_.data();
}

DrafteesWindow* Client::Draftees() const {
  return drafteesSub_ && drafteesSub_->isVisible() ? qobject_cast<DrafteesWindow*>(drafteesSub_->widget()) : nullptr;
}
DraftListWindow* Client::DraftList() const {
  return draftListSub_ && draftListSub_->isVisible() ? qobject_cast<DraftListWindow*>(draftListSub_->widget())
                                                     : nullptr;
}
LeagueSelect* Client::LeagueWindow() const {
  return leagueSelect_ && leagueSelect_->isVisible() ? leagueSelect_.data() : nullptr;
}
PublicChat* Client::Chat() const {
  return chatSub_ && chatSub_->isVisible() ? qobject_cast<PublicChat*>(chatSub_->widget()) : nullptr;
}
DraftBoardView* Client::DraftBoard() const {
  return boardSub_ && boardSub_->isVisible() ? qobject_cast<DraftBoardView*>(boardSub_->widget()) : nullptr;
}

// --------------------------------------------------------------- menus ----

void Client::OnConnectMenu() {
  if (!connectedState_) {
    if (leagueSelect_ && !leagueSelect_->isVisible()) {  // closed: its deletion is pending
      leagueSelect_->deleteLater();
      leagueSelect_ = nullptr;
    }
    if (!leagueSelect_) {
      leagueSelect_ = new LeagueSelect(session_, prompter_);
      leagueSelect_->setAttribute(Qt::WA_DeleteOnClose);
      leagueSelect_->UseSettings(settings_);
    }
    leagueSelect_->show();
    leagueSelect_->raise();
    leagueSelect_->activateWindow();
    return;
  }
  if (prompter_->Confirm("", "Are you sure you want do disconnect?", PromptIcon::Critical, PromptAnswer::Yes))
    session_->Disconnect();
}

void Client::OnChatMenu() {
  OpenChat();
  chatSub_->showNormal();
  mdi_->setActiveSubWindow(chatSub_);
}

void Client::OnDrafteesMenu() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  DrafteesWindow* window = OpenDraftees();
  drafteesSub_->showNormal();
  window->List()->SelectPosition(0);
  QApplication::restoreOverrideCursor();
  mdi_->setActiveSubWindow(drafteesSub_);
}

void Client::OnDraftBoardMenu() {
  Reload(boardSub_);
  if (!boardSub_) {
    auto* view = new DraftBoardView(prompter_);
    view->SetSource(&session_->Picks(), session_->TeamCount(), session_->OwnTeamName());
    boardSub_ = AddChild(view);
  }
  boardSub_->showNormal();
  mdi_->setActiveSubWindow(boardSub_);
}

// ------------------------------------------------------- child windows ----

// A child window that was closed is gone (its deletion may still be
// pending): the next use loads a fresh one, as closing discards its contents.
void Client::Reload(QPointer<QMdiSubWindow>& sub) {
  if (sub && !sub->isVisible()) {
    sub->hide();
    sub->deleteLater();
    sub = nullptr;
  }
}

QMdiSubWindow* Client::AddChild(QWidget* widget) {
  QMdiSubWindow* sub = mdi_->addSubWindow(widget);
  sub->setAttribute(Qt::WA_DeleteOnClose);  // closing a child unloads it
  sub->setObjectName(widget->objectName() + u"Window"_s);
  sub->setWindowTitle(widget->windowTitle());
  if (settings_) {
    const QRect kept = settings_->ChildGeometry(sub->objectName());
    if (!kept.isNull()) sub->setGeometry(kept);
  }
  sub->show();
  return sub;
}

PublicChat* Client::OpenChat() {
  Reload(chatSub_);
  if (!chatSub_) chatSub_ = AddChild(new PublicChat(session_));
  return Chat();
}

DraftListWindow* Client::OpenDraftList() {
  Reload(draftListSub_);
  if (!draftListSub_) draftListSub_ = AddChild(new DraftListWindow);
  return DraftList();
}

DrafteesWindow* Client::OpenDraftees() {
  Reload(drafteesSub_);
  if (!drafteesSub_) {
    auto* window = new DrafteesWindow(session_, prompter_);
    InstallAddKey(window->List()->RookieList(), [this] { session_->AddWish(SelectedDraftee()); });
    drafteesSub_ = AddChild(window);
  }
  return Draftees();
}

void Client::TileHorizontally() {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : mdi_->subWindowList())
    if (w->isVisible() && !w->isMinimized()) windows << w;
  if (windows.isEmpty()) return;
  const QRect area = mdi_->viewport()->rect();
  const int h = area.height() / static_cast<int>(windows.size());
  for (int i = 0; i < windows.size(); ++i) {
    windows[i]->showNormal();
    windows[i]->setGeometry(0, i * h, area.width(), h);
  }
}

void Client::TileVertically() {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : mdi_->subWindowList())
    if (w->isVisible() && !w->isMinimized()) windows << w;
  if (windows.isEmpty()) return;
  const QRect area = mdi_->viewport()->rect();
  const int w = area.width() / static_cast<int>(windows.size());
  for (int i = 0; i < windows.size(); ++i) {
    windows[i]->showNormal();
    windows[i]->setGeometry(i * w, 0, w, area.height());
  }
}

// ---------------------------------------------------------- ClientView ----

void Client::SetCaption(const std::string& caption) { setWindowTitle(L1(caption)); }

void Client::ShowConnected() {
  connectedState_ = true;
  connectAction_->setChecked(true);
  viewMenu_->menuAction()->setEnabled(true);
  windowMenu_->menuAction()->setEnabled(true);
  if (leagueSelect_) leagueSelect_->close();
}

bool Client::ChatOpen() const { return IsFormShown(Chat()); }

void Client::ChatAppend(const std::string& line) { OpenChat()->Append(line); }

void Client::ChatAddRecipient(int team) {
  if (PublicChat* chat = Chat()) chat->AddRecipient(team);
}

void Client::ChatRemoveRecipient(int team) {
  if (PublicChat* chat = Chat()) chat->RemoveRecipient(team);
}

void Client::DraftListAdd(const std::string& line) { OpenDraftList()->AddLine(line); }

void Client::DraftListClear() { OpenDraftList()->Clear(); }

void Client::SetTimeLeft(const std::string& text) { OpenDraftees()->SetTimeLeft(text); }

std::string Client::DrafteesShownPosition() const {
  DrafteesWindow* window = Draftees();
  if (!IsFormShown(window)) return {};
  return window->List()->PositionCaption();
}

void Client::DrafteesRebuild() {
  if (DrafteesWindow* window = Draftees()) window->List()->Rebuild();
}

void Client::PicksChanged() {
  if (DraftBoardView* board = DraftBoard()) board->Refresh();
  if (DrafteesWindow* window = Draftees()) window->List()->RefreshFind();
}

void Client::closeEvent(QCloseEvent* event) {
  SaveLayout();
  // Closing the main window ends the program, the socket with it.
  if (leagueSelect_) leagueSelect_->close();
  event->accept();
  session_->Disconnect();
}

// ---------------------------------- My List, notice, remembered layout ----

void Client::OnMyListMenu() {
  Reload(myListSub_);
  if (!myListSub_) myListSub_ = AddChild(new MyListWindow(session_, [this] { return SelectedDraftee(); }));
  myListSub_->showNormal();
  mdi_->setActiveSubWindow(myListSub_);
}

MyListWindow* Client::MyList() const {
  return myListSub_ && myListSub_->isVisible() ? qobject_cast<MyListWindow*>(myListSub_->widget()) : nullptr;
}

int Client::SelectedDraftee() const {
  const DrafteesWindow* window = Draftees();
  if (!window) return 0;
  return window->List()->SelectedPid();
}

void Client::UseSettings(ClientSettings* settings) {
  settings_ = settings;
  if (!settings_) return;
  restoreGeometry(settings_->MainGeometry());
  restoreState(settings_->MainState());
  // The program mostly ends through the session (disconnect, kick, lost
  // connection) rather than by closing this window.
  connect(qApp, &QCoreApplication::aboutToQuit, this, &Client::SaveLayout, Qt::UniqueConnection);
}

void Client::SaveLayout() {
  if (!settings_) return;
  settings_->SetMainLayout(saveGeometry(), saveState());
  for (QMdiSubWindow* sub : mdi_->subWindowList())
    if (sub->isVisible() && !sub->isMinimized() && !sub->isMaximized())
      settings_->SetChildGeometry(sub->objectName(), sub->geometry());
}

void Client::WishListChanged() {
  if (MyListWindow* window = MyList()) window->Refresh();
}

// The taskbar entry flashes (or the dock icon bounces) until the owner
// comes back to the program.
void Client::RequestAttention() {
  if (!isActiveWindow()) QApplication::alert(this);
}

}  // namespace pm::client
