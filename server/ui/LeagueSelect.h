// The server's league window: the league file chooser (drive, folder and
// ".lge" file lists), "&Include Free Agents", and the help label. A
// double-click (or Enter) on a league file loads it through the engine.
#pragma once

#include <QString>
#include <QWidget>

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QTreeView;

namespace pm {
class Prompter;
}  // namespace pm
namespace pm::widgets {
class LeagueBrowser;
}  // namespace pm::widgets

namespace pm::server {

class DraftServer;
enum class PreviousDraft;
enum class LoadStep;
struct LoadResult;

// The help label's text while a league loads, step by step (its focus help
// texts are the league file chooser's, pm::widgets::kHelpDrive and the others
// in LeagueBrowser.h).
inline constexpr const char* kHelpVersion = "Getting league version...";
inline constexpr const char* kHelpTeams = "Getting teams...";
inline constexpr const char* kHelpCollege = "Loading college draftees, please wait...";
inline constexpr const char* kHelpFreeAgents = "Loading Free agents, please wait...";
inline constexpr const char* kHelpPrevious = "Getting previous selections....";
inline constexpr const char* kHelpConnections = "Initializing connections....";
// The text of a load step; empty for Idle.
const char* LoadStepHelp(LoadStep step);

// The message box a refused league load shows: its title and text, both empty
// when the window shows nothing (loaded, already loaded, or reported).
struct LoadMessage {
  std::string title;
  std::string text;  // UTF-8: it may name the league's or the draft file's path
};
LoadMessage LoadMessageOf(const LoadResult& result);

class LeagueSelect : public QWidget {
  Q_OBJECT
 public:
  // Opens on `startFolder` (the working folder when empty).
  LeagueSelect(server::DraftServer& engine, Prompter& prompter, const QString& startFolder = QString(),
               QWidget* parent = nullptr);

  // Shows the folder in the folder list (its volume in the drive list) and
  // its league files in the file list.
  void SetFolder(const QString& folder);
  QString Folder() const;
  // Selects a file of the file list by name; false when it is not listed.
  bool SelectFile(const QString& name);
  // The loading flow of a double-click on the selected file.
  void LoadSelectedFile();

  widgets::LeagueBrowser* Browser() const { return browser_; }
  QComboBox* DriveList() const;
  QTreeView* FolderTree() const;
  QListWidget* FileList() const;
  QCheckBox* FreeAgentsBox() const { return freeAgentsBox_; }
  QLabel* HelpLabel() const { return helpLabel_; }

 signals:
  // The league is loaded (the engine is listening, or the port could not be
  // opened and `listening` is false); the main window takes over.
  void leagueLoaded(bool listening);

 private:
  // Loads the league file (full path, with its extension).
  void LoadFile(const QString& path);
  // Asks the Commish whether to clear the draft in progress the load found.
  server::PreviousDraft AskAboutDraftInProgress();
  void ShowHelp(const QString& text);

  server::DraftServer& engine_;
  Prompter& prompter_;
  widgets::LeagueBrowser* browser_;
  QCheckBox* freeAgentsBox_;
  QLabel* helpLabel_;
};

}  // namespace pm::server
