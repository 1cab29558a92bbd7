#include "server/ui/ServerWindow.h"

#include "server/ui/MergeWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSettings>
#include <filesystem>
#include <optional>

#include "common/platform/Platform.h"
#include "draft/DraftBoard.h"
#include "server/engine/DraftServer.h"
#include "server/ui/DraftControl.h"
#include "server/ui/DraftOrderWindow.h"
#include "server/ui/LeagueSelect.h"
#include "server/ui/PublicChat.h"
#include "widgets/DraftBoardView.h"
#include "widgets/MdiArrange.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

using server::DraftServer;

namespace {

constexpr const char* kLeagueFolderKey = "server/leagueFolder";
constexpr const char* kGeometryKey = "server/geometry";

// A child window that is hidden, not destroyed, when the Commish closes it;
// showing it again loads it afresh.
class ChildFrame : public QMdiSubWindow {
 public:
  using QMdiSubWindow::QMdiSubWindow;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    hide();
  }
};

}  // namespace

ServerWindow::ServerWindow(DraftServer& engine, Prompter& prompter, const QString& leagueFolder, QWidget* parent)
    : QMainWindow(parent), engine_(engine), prompter_(prompter), leagueFolder_(leagueFolder) {
  setObjectName(QStringLiteral("Server"));
  setWindowTitle(QString::fromLatin1(server::kCaptionDown));
  endProgram = [] { QCoreApplication::exit(0); };
  mergeRequested = [this] { OpenMerge(); };

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("MdiArea"));
  setCentralWidget(mdi_);

  QMenu* serverMenu = menuBar()->addMenu(QStringLiteral("&Server"));
  serverMenu->setObjectName(QStringLiteral("ServerMenu"));
  start_ = serverMenu->addAction(QStringLiteral("&Start"), this, [this] { Start(); });
  start_->setObjectName(QStringLiteral("Start"));
  shutDown_ = serverMenu->addAction(QStringLiteral("S&hut Down"), this, [this] { ShutDown(); });
  shutDown_->setObjectName(QStringLiteral("ShutDown"));

  view_ = menuBar()->addMenu(QStringLiteral("&View"));
  view_->setObjectName(QStringLiteral("ViewMenu"));
  view_->addAction(QStringLiteral("&Chat"), this, [this] { ShowChat(); })->setObjectName(QStringLiteral("Chat"));
  view_->addAction(QStringLiteral("&Draft Control"), this, [this] { ShowDraftControl(); })
      ->setObjectName(QStringLiteral("DraftControlMenu"));
  view_->addAction(QStringLiteral("Draft &Order"), this, [this] { ShowDraftOrder(); })
      ->setObjectName(QStringLiteral("DraftOrderMenu"));
  view_->addAction(QStringLiteral("Draft &Board"), this, [this] { ShowDraftBoard(); })
      ->setObjectName(QStringLiteral("DraftBoardMenu"));

  window_ = menuBar()->addMenu(QStringLiteral("&Window"));
  window_->setObjectName(QStringLiteral("WindowMenu"));
  window_->addAction(QStringLiteral("&Arrange Icons"), mdi_, [this] { ArrangeIcons(mdi_); });
  window_->addAction(QStringLiteral("&Cascade"), mdi_, &QMdiArea::cascadeSubWindows);
  window_->addAction(QStringLiteral("Tile &Horizontally"), mdi_, [this] {
    // One above the other, each as wide as the area.
    const auto list = mdi_->subWindowList();
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : list)
      if (w->isVisible() && !w->isMinimized()) shown << w;
    if (shown.isEmpty()) return;
    int h = mdi_->viewport()->height() / static_cast<int>(shown.size());
    for (int i = 0; i < shown.size(); ++i) shown[i]->setGeometry(0, i * h, mdi_->viewport()->width(), h);
  });
  window_->addAction(QStringLiteral("Tile &Vertically"), mdi_, [this] {
    // Side by side, each as tall as the area.
    const auto list = mdi_->subWindowList();
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : list)
      if (w->isVisible() && !w->isMinimized()) shown << w;
    if (shown.isEmpty()) return;
    int w = mdi_->viewport()->width() / static_cast<int>(shown.size());
    for (int i = 0; i < shown.size(); ++i) shown[i]->setGeometry(i * w, 0, w, mdi_->viewport()->height());
  });

  // Until a league is loaded only Start can be used.
  shutDown_->setEnabled(false);
  view_->setEnabled(false);
  window_->setEnabled(false);

  connect(&engine_, &DraftServer::notice, this, [this](const Notice& n) { prompter_.Inform(n); });
  connect(&engine_, &DraftServer::captionChanged, this, [this](const QString& c) { setWindowTitle(c); });
  connect(&engine_, &DraftServer::showChatWindow, this, [this] { ShowChat(); });
  connect(&engine_, &DraftServer::pubChatAdded, this, [this](const QString& line) {
    // Lines for a closed chat window are dropped.
    if (ChatShown()) chat_->AddPubChat(line);
  });
  connect(&engine_, &DraftServer::teamSignedOn, this, [this](int team) {
    if (ChatShown()) chat_->AddRecipient(team);
  });
  connect(&engine_, &DraftServer::teamSignedOff, this, [this](int team) {
    if (ChatShown()) chat_->RemoveRecipient(team);
  });
  // The board follows every pick and delete, the clock and the order while
  // it is open.
  const auto refreshBoard = [this] {
    if (board_ != nullptr && IsFormShown(boardFrame_)) ShowBoard();
  };
  connect(&engine_, &DraftServer::pickRecorded, this, refreshBoard);
  connect(&engine_, &DraftServer::picksChanged, this, refreshBoard);
  connect(&engine_, &DraftServer::clockChanged, this, refreshBoard);
  connect(&engine_, &DraftServer::orderChanged, this, refreshBoard);
  resize(1280, 900);
}

ServerWindow::~ServerWindow() = default;

QMdiSubWindow* ServerWindow::AddChild(QWidget* child) {
  auto* frame = new ChildFrame(mdi_);
  frame->setWidget(child);
  frame->setAttribute(Qt::WA_DeleteOnClose, false);
  frame->setWindowTitle(child->windowTitle());
  frame->setObjectName(child->objectName() + QStringLiteral("Frame"));
  mdi_->addSubWindow(frame);
  return frame;
}

bool ServerWindow::ChatShown() const { return chat_ != nullptr && IsFormShown(chatFrame_); }

void ServerWindow::Start() {
  if (engine_.LeagueLoaded()) {
    // The league is loaded but the port could not be opened: try again.
    if (engine_.StartListening()) LeagueLoaded(true);
    return;
  }
  if (leagueSelect_ == nullptr) {
    leagueSelect_ = new LeagueSelect(engine_, prompter_, leagueFolder_);
    leagueFrame_ = AddChild(leagueSelect_);
    connect(leagueSelect_, &LeagueSelect::leagueLoaded, this, [this](bool listening) { LeagueLoaded(listening); });
  }
  leagueFrame_->showNormal();
  mdi_->setActiveSubWindow(leagueFrame_);
}

void ServerWindow::SetSettings(QSettings* settings) {
  settings_ = settings;
  if (settings_ != nullptr) restoreGeometry(settings_->value(QLatin1String(kGeometryKey)).toByteArray());
  if (draftControl_ != nullptr) draftControl_->SetSettings(settings);
}

QString ServerWindow::RememberedFolder(const QSettings& settings) {
  return settings.value(QLatin1String(kLeagueFolderKey)).toString();
}

void ServerWindow::ShowDraftOrder() {
  if (engine_.LeagueLoaded()) OpenDraftOrder(engine_, prompter_, this);
}

void ServerWindow::LeagueLoaded(bool listening) {
  if (settings_ != nullptr)
    settings_->setValue(QLatin1String(kLeagueFolderKey),
                        ShownPath(pm::TextOfPath(pm::PathOfText(engine_.LeaguePath()).parent_path())));
  view_->setEnabled(true);
  window_->setEnabled(true);
  shutDown_->setEnabled(true);
  // Start stays usable only to retry a port that could not be opened.
  start_->setEnabled(!listening);
  if (leagueFrame_ != nullptr && leagueFrame_->isVisible()) leagueFrame_->hide();
  ShowDraftControl();
}

void ServerWindow::ShutDown() {
  if (endProgram) endProgram();
}

void ServerWindow::ShowChat() {
  if (chat_ == nullptr) {
    chat_ = new PublicChat(engine_);
    chatFrame_ = AddChild(chat_);
  } else if (!chatFrame_->isVisible()) {
    chat_->Load();  // a closed window loads afresh
  }
  chatFrame_->showNormal();
  mdi_->setActiveSubWindow(chatFrame_);
}

void ServerWindow::ShowDraftControl() {
  if (draftControl_ == nullptr) {
    draftControl_ = new DraftControl(engine_, prompter_);
    draftControl_->SetSettings(settings_);
    connect(draftControl_, &DraftControl::chatNote, this, [this](const QString& line) {
      ShowChat();
      chat_->AddPubChat(line);
    });
    draftControl_->mergeRequested = [this] {
      if (mergeRequested) mergeRequested();
    };
    draftControlFrame_ = AddChild(draftControl_);
    draftControl_->Load();
  } else if (!draftControlFrame_->isVisible()) {
    draftControl_->Load();
  }
  draftControlFrame_->showNormal();
  mdi_->setActiveSubWindow(draftControlFrame_);
}

void ServerWindow::ShowDraftBoard() {
  if (board_ == nullptr) {
    board_ = new DraftBoardView(&prompter_);
    boardFrame_ = AddChild(board_);
  }
  ShowBoard();  // a closed window loads afresh
  boardFrame_->showNormal();
  mdi_->setActiveSubWindow(boardFrame_);
}

void ServerWindow::ShowBoard() {
  const draft::DraftOrder& order = engine_.Order();
  draft::BoardOrder shown;
  shown.perRound = static_cast<int>(order.teams.size());
  const auto name = [this](int team) {
    return team >= 1 && team <= engine_.TeamCount() ? engine_.Team(team).name : std::string();
  };
  for (int r = 1; r <= order.rounds && shown.perRound > 0; ++r) {
    for (int s = 1; s <= shown.perRound; ++s) {
      shown.owners.push_back(name(order.OwnerOf({r, s})));
      shown.originals.push_back(name(order.TeamAt(r, s)));
    }
  }
  board_->SetOrder(std::move(shown));
  const DraftClock& clock = engine_.Clock();
  board_->SetCurrent(clock.OnClock() ? std::optional(clock.Label()) : std::nullopt);
  board_->SetSource(&engine_.Log().List(), engine_.TeamCount());
}

void ServerWindow::OpenMerge() {
  if (!engine_.LeagueLoaded() || !engine_.MergeEnabled()) return;
  MergeContext context;
  context.leaguePath = engine_.LeaguePath();
  context.version = engine_.LeagueVersion();
  context.leagueName = engine_.LeagueName();
  context.draftFile = engine_.DraftFile();
  context.picks = [this] { return engine_.Log().Picks(); };
  context.teams = [this] {
    std::vector<std::string> names;
    for (int i = 1; i <= engine_.TeamCount(); ++i) names.push_back(engine_.Team(i).name);
    return names;
  };
  context.reporter = &engine_.Reporter();
  context.prompter = &prompter_;
  context.picksKept = [this](const std::vector<draft::Pick>& kept) { engine_.ReplacePicks(kept); };
  // The menus and every child window are out of reach while the merge runs.
  context.setOtherWindowsEnabled = [this](bool enabled) {
    menuBar()->setEnabled(enabled);
    mdi_->setEnabled(enabled);
  };
  context.reopenDraftControl = [this] { ReopenDraftControl(); };
  MergeWindow window(std::move(context), this);
  window.exec();
}

void ServerWindow::ReopenDraftControl() {
  if (draftControlFrame_ != nullptr) draftControlFrame_->hide();
  ShowDraftControl();
}

void ServerWindow::closeEvent(QCloseEvent* event) {
  if (settings_ != nullptr) settings_->setValue(QLatin1String(kGeometryKey), saveGeometry());
  // Closing the main window closes the listener and every connection.
  engine_.Unload();
  event->accept();
}

}  // namespace pm::server
