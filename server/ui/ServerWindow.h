// The server's main window `Server`: a multiple-document window with the
// caption that tells whether the server is up, the menus Server, View and
// Window, and the child windows League Selection, Draft Control, Chat and
// Draft Board.
#pragma once

#include <QMainWindow>
#include <functional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSettings;

namespace pm {
class Prompter;
}  // namespace pm

namespace pm::server {
class DraftServer;
}
namespace pm::widgets {
class DraftBoardView;
}  // namespace pm::widgets

namespace pm::server {

class DraftControl;
class LeagueSelect;
class PublicChat;

class ServerWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `leagueFolder`: where the league window opens (working folder if empty).
  ServerWindow(server::DraftServer& engine, Prompter& prompter, const QString& leagueFolder = QString(),
               QWidget* parent = nullptr);
  ~ServerWindow() override;

  // Menu commands.
  void Start();             // Server > Start: the league window
  void ShutDown();          // Server > Shut Down
  void ShowChat();          // View > Chat
  void ShowDraftControl();  // View > Draft Control
  void ShowDraftOrder();    // View > Draft Order
  // Where the last league folder and the time allowed are remembered (not
  // owned; nullptr: nowhere, as in tests).
  void SetSettings(QSettings* settings);
  // The remembered league folder (empty when none).
  static QString RememberedFolder(const QSettings& settings);
  void ShowDraftBoard();  // View > Draft Board
  // Closes and reopens the Draft Control window (after a merge).
  void ReopenDraftControl();

  // Ends the program at once; tests replace it.
  std::function<void()> endProgram;
  // The Draft Control's Merge button: opens the modal Merge window unless a
  // test replaces it.
  std::function<void()> mergeRequested;
  // Shows the Merge window over the loaded league and waits for it.
  void OpenMerge();

  QMdiArea* MdiArea() const { return mdi_; }
  LeagueSelect* LeagueWindow() const { return leagueSelect_; }
  DraftControl* DraftControlWindow() const { return draftControl_; }
  PublicChat* ChatWindow() const { return chat_; }
  widgets::DraftBoardView* DraftBoardWindow() const { return board_; }
  // The child windows' frames (nullptr until first shown).
  QMdiSubWindow* DraftControlFrame() const { return draftControlFrame_; }
  QMdiSubWindow* ChatFrame() const { return chatFrame_; }
  QAction* StartAction() const { return start_; }
  QAction* ShutDownAction() const { return shutDown_; }
  QMenu* ViewMenu() const { return view_; }
  QMenu* WindowMenu() const { return window_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void LeagueLoaded(bool listening);
  QMdiSubWindow* AddChild(QWidget* child);
  // The board from the picks, the draft order and the clock.
  void ShowBoard();
  bool ChatShown() const;

  server::DraftServer& engine_;
  Prompter& prompter_;
  QString leagueFolder_;
  QSettings* settings_ = nullptr;
  QMdiArea* mdi_;
  QAction* start_;
  QAction* shutDown_;
  QMenu* view_;
  QMenu* window_;
  LeagueSelect* leagueSelect_ = nullptr;
  QMdiSubWindow* leagueFrame_ = nullptr;
  DraftControl* draftControl_ = nullptr;
  QMdiSubWindow* draftControlFrame_ = nullptr;
  PublicChat* chat_ = nullptr;
  QMdiSubWindow* chatFrame_ = nullptr;
  widgets::DraftBoardView* board_ = nullptr;
  QMdiSubWindow* boardFrame_ = nullptr;
};

}  // namespace pm::server
