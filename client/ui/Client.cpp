#include "client/ui/Client.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>

#include "client/ClientSettings.h"
#include "client/ui/DraftListWindow.h"
#include "client/ui/DrafteesWindow.h"
#include "client/ui/LeagueSelect.h"
#include "client/ui/MyListWindow.h"
#include "client/ui/PublicChat.h"
#include "client/ui/UpNextWindow.h"
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
  connect(session_, &ClientSession::notice, this, [this](const Notice& n) { prompter_->Inform(n); });

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("MdiArea");
  setCentralWidget(mdi_);

  QMenu* connectMenu = menuBar()->addMenu(u"C&onnection"_s);
  connectMenu->setObjectName("ConnectMenu");
  connectAction_ = connectMenu->addAction(u"&Connect"_s);
  connectAction_->setObjectName("ConMenu");
  connectAction_->setCheckable(true);
  connect(connectAction_, &QAction::triggered, this, [this] {
    connectAction_->setChecked(connectedState_);  // the state shows the connection, not the click
    OnConnectMenu();
  });
  disconnectAction_ = connectMenu->addAction(u"&Disconnect"_s);
  disconnectAction_->setObjectName("DisconnectMenu");
  connect(disconnectAction_, &QAction::triggered, this, &Client::OnDisconnectMenu);

  viewMenu_ = menuBar()->addMenu(u"&View "_s);
  viewMenu_->setObjectName("ViewMenu");
  QAction* chat = viewMenu_->addAction(u"&Chat"_s);
  chat->setObjectName("PublicChatMenu");
  connect(chat, &QAction::triggered, this, &Client::OnChatMenu);
  QAction* draftees = viewMenu_->addAction(u"&Draftees"_s);
  draftees->setObjectName("AvailMenu");
  connect(draftees, &QAction::triggered, this, &Client::OnDrafteesMenu);
  QAction* myList = viewMenu_->addAction(u"&My List"_s);
  myList->setObjectName("MyListMenu");
  connect(myList, &QAction::triggered, this, &Client::OnMyListMenu);
  QAction* board = viewMenu_->addAction(u"Draft &Board"_s);
  board->setObjectName("DraftBoardMenu");
  connect(board, &QAction::triggered, this, &Client::OnDraftBoardMenu);
  QAction* upNext = viewMenu_->addAction(u"&Up Next"_s);
  upNext->setObjectName("UpNextMenu");
  connect(upNext, &QAction::triggered, this, &Client::OnUpNextMenu);

  windowMenu_ = menuBar()->addMenu(u"&Window"_s);
  windowMenu_->setObjectName("WindowMenu");
  QAction* arrange = windowMenu_->addAction(u"&Arrange Icons"_s);
  arrange->setObjectName("ArrangeMenu");
  connect(arrange, &QAction::triggered, this, [this] { widgets::ArrangeIcons(mdi_); });
  QAction* cascade = windowMenu_->addAction(u"&Cascade"_s);
  cascade->setObjectName("CascadeMenu");
  connect(cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
  QAction* tileHorizontally = windowMenu_->addAction(u"Tile &Horizontally"_s);
  tileHorizontally->setObjectName("HorMenu");
  connect(tileHorizontally, &QAction::triggered, this, &Client::TileHorizontally);
  QAction* tileVertically = windowMenu_->addAction(u"Tile &Vertically"_s);
  tileVertically->setObjectName("VertMenu");
  connect(tileVertically, &QAction::triggered, this, &Client::TileVertically);

  QMenu* options = menuBar()->addMenu(u"&Options"_s);
  options->setObjectName("OptionsMenu");
  noticesAction_ = options->addAction(u"Desktop &Notifications"_s);
  noticesAction_->setObjectName("NoticesMenu");
  noticesAction_->setCheckable(true);
  connect(noticesAction_, &QAction::toggled, this, [this](bool on) {
    if (settings_) settings_->SetDesktopNotices(on);
  });
  showNotice = [this](const QString& title, const QString& text) { ShowNotice(title, text); };

  secondTimer_ = new QTimer(this);
  secondTimer_->setInterval(1000);
  connect(secondTimer_, &QTimer::timeout, this, &Client::ShowBanner);

  // Load: not connected.
  viewMenu_->menuAction()->setEnabled(false);
  windowMenu_->menuAction()->setEnabled(false);
  connectAction_->setChecked(false);
  disconnectAction_->setEnabled(false);
  SetCaption(session_->Caption());
  // On a small screen the window starts no larger than the screen.
  resize(QSize(1000, 700).boundedTo(screen()->availableSize()));
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
UpNextWindow* Client::UpNextView() const {
  return upNextSub_ && upNextSub_->isVisible() ? qobject_cast<UpNextWindow*>(upNextSub_->widget()) : nullptr;
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
  OnDisconnectMenu();
}

void Client::OnDisconnectMenu() {
  if (!connectedState_) return;
  if (prompter_->Confirm("", "Are you sure you want to disconnect?", PromptIcon::Question, PromptAnswer::No))
    session_->Disconnect();
}

void Client::OnUpNextMenu() {
  OpenUpNext();
  upNextSub_->showNormal();
  mdi_->setActiveSubWindow(upNextSub_);
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
    view->SetOrder(ShownOrder());
    view->SetCurrent(session_->OnTheClock().label);
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
  // No tiling or dragging makes a window smaller than its contents need:
  // windows may overlap, but their controls never do.
  sub->setMinimumSize(sub->minimumSizeHint());
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
    ShowBanner();
  }
  return Draftees();
}

UpNextWindow* Client::OpenUpNext() {
  Reload(upNextSub_);
  if (!upNextSub_) {
    upNextSub_ = AddChild(new UpNextWindow([this](int team) { return session_->TeamName(team); }));
    ShowRoom();
  }
  return UpNextView();
}

void Client::OpenRoom() {
  const bool kept = settings_ && !settings_->ChildGeometry(u"DrafteesWindow"_s).isNull();
  OpenDraftees();
  OpenUpNext();
  OpenDraftList();
  OpenChat();
  if (kept) return;
  // The Draftees at the left, as wide as their lines; Up Next over the
  // chat at the right; the Draft List below the Draftees.
  // On a small screen the Draftees keep the room they need and the others
  // overlap them.
  const QRect area = mdi_->viewport()->rect();
  const int left = std::min(std::max(drafteesSub_->minimumWidth(), area.width() * 3 / 5), area.width());
  const int top = std::max(drafteesSub_->minimumHeight(), area.height() * 2 / 3);
  drafteesSub_->setGeometry(0, 0, left, top);
  const auto place = [&area](QMdiSubWindow* sub, int x, int y, int w, int h) {
    // Inside the area as far as the window's minimum size allows.
    w = std::max(w, sub->minimumWidth());
    h = std::max(h, sub->minimumHeight());
    sub->setGeometry(std::max(0, std::min(x, area.width() - w)), std::max(0, std::min(y, area.height() - h)), w, h);
  };
  place(draftListSub_, 0, top, left, area.height() - top);
  place(upNextSub_, left, 0, area.width() - left, area.height() / 3);
  place(chatSub_, left, area.height() / 3, area.width() - left, area.height() - area.height() / 3);
  mdi_->setActiveSubWindow(drafteesSub_);
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
  disconnectAction_->setEnabled(true);
  if (leagueSelect_) leagueSelect_->close();
  OpenRoom();
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

void Client::SetTimeLeft(const std::string& text) {
  OpenDraftees()->SetTimeLeft(text);
  ShowBanner();  // the own clock's seconds, set after the clock was shown
}

void Client::ClockChanged() { ShowRoom(); }

void Client::OrderChanged() {
  if (DraftBoardView* board = DraftBoard()) board->SetOrder(ShownOrder());
  ShowRoom();
}

draft::BoardOrder Client::ShownOrder() const {
  draft::BoardOrder order;
  order.perRound = session_->OrderPerRound();
  for (int team : session_->OrderOwners()) order.owners.push_back(session_->TeamName(team));
  for (int team : OrderedTeams(session_->OrderOwners(), order.perRound))
    order.originals.push_back(session_->TeamName(team));
  return order;
}

void Client::ShowBanner() {
  const ClientSession::ShownClock& clock = session_->OnTheClock();
  const bool own = clock.team != 0 && clock.team == session_->OwnTeamIndex();
  // Another team's time is counted here; the own clock's seconds come from
  // the session, which calls again at each of them.
  if (clock.team != 0 && !own && !clock.paused) {
    if (!secondTimer_->isActive()) secondTimer_->start();
  } else {
    secondTimer_->stop();
  }
  if (DrafteesWindow* draftees = Draftees()) {
    const BannerState banner{
        clock.team != 0, own, session_->TeamName(clock.team), clock.label, session_->OnTheClockSecondsLeft(),
        clock.paused};
    draftees->SetBanner(BannerText(banner), own, clock.paused);
  }
}

void Client::ShowRoom() {
  ShowBanner();
  const ClientSession::ShownClock& clock = session_->OnTheClock();
  UpNext next = ComputeUpNext(session_->OrderOwners(), session_->OrderPerRound(), session_->Picks(),
                              clock.team != 0 ? clock.label : std::nullopt, session_->OwnTeamIndex(), 12);
  if (session_->DraftOver()) {  // passed picks never come
    next = {};
    next.over = true;
  }
  if (UpNextWindow* window = UpNextView()) window->Show(next);
  if (DraftBoardView* board = DraftBoard()) {
    board->SetCurrent(clock.team != 0 ? clock.label : std::nullopt);
    board->Refresh();
  }
  TellOwner(next);
}

void Client::TellOwner(const UpNext& next) {
  const ClientSession::ShownClock& clock = session_->OnTheClock();
  const bool ownClock = clock.team != 0 && clock.team == session_->OwnTeamIndex() && !clock.paused;
  if (ownClock && clock.label != toldClock_) {
    toldClock_ = clock.label;
    // The session asks for the desktop's attention itself (RequestAttention).
    if (noticesAction_->isChecked())
      showNotice(u"Pickmill"_s,
                 u"You are on the clock"_s +
                     (clock.label ? u" \u2014 pick "_s + QString::fromStdString(clock.label->Text()) : QString()));
  }
  if (next.OnDeck() && next.ownNext != toldDeck_) {
    toldDeck_ = next.ownNext;
    if (!isActiveWindow()) QApplication::alert(this);
    if (noticesAction_->isChecked()) showNotice(u"Pickmill"_s, OwnNextText(next));
  }
}

void Client::ShowNotice(const QString& title, const QString& text) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (!tray_) {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setObjectName("Tray");
    tray_->setToolTip(windowTitle());
  }
  tray_->show();
  tray_->showMessage(title, text, QSystemTrayIcon::Information);
}

std::string Client::DrafteesShownPosition() const {
  DrafteesWindow* window = Draftees();
  if (!IsFormShown(window)) return {};
  return window->List()->PositionCaption();
}

void Client::DrafteesRebuild() {
  if (DrafteesWindow* window = Draftees()) window->List()->Rebuild();
}

void Client::PicksChanged() {
  if (DrafteesWindow* window = Draftees()) window->List()->RefreshFind();
  ShowRoom();  // Up Next and the board
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
  noticesAction_->setChecked(settings_->DesktopNotices());
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
