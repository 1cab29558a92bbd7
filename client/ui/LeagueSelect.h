// The league window: drive, folder and ".lge" file lists, "&Include Free
// Agents", the team drop-down and the server address box. A double-click
// (or Enter) on a league file loads the league (the session does the load;
// this window shows its progress and outcome); choosing a team enables the
// address box; Enter there connects.
#pragma once

#include <QWidget>

#include "widgets/LeagueBrowser.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace pm {
class Prompter;
}  // namespace pm

namespace pm::client {

class ClientSession;
class ClientSettings;

// The drive, folder and file help texts are the league file chooser's
// (kHelpDrive, kHelpDir, kHelpFile in LeagueBrowser.h).
inline constexpr const char* kHelpTeams = "Select team by utilizing the drop down box, below the file box.";
inline constexpr const char* kHelpAddress = "Enter the IP Address of the server (host).";

// The client's windows that share a name with the server's live in their own
// namespace, so that both programs' windows can be linked into one process
// (the end-to-end test runs a server and its clients together).

class LeagueSelect : public QWidget {
  Q_OBJECT
 public:
  LeagueSelect(ClientSession* session, Prompter* prompter, QWidget* parent = nullptr);

  // Moves the folder list to `folder`, as a click in the folder tree does.
  void SetFolder(const QString& folder);

  // Starts from the last connection kept in `settings` (its folder, league
  // file and address; its team once that league is loaded) and keeps each
  // connection started here. Null: nothing is remembered.
  void UseSettings(ClientSettings* settings);

  // Double-click on the file list: loads the league of its current file.
  void LoadLeague();
  // A team chosen in the team list.
  void OnTeamChosen();
  // A key pressed in the address box: returns true when the key was consumed.
  bool OnAddressKey(int key);

  QListWidget* FileList() const { return browser_->FileList(); }
  QCheckBox* IncludeFreeAgentsBox() const { return includeFreeAgents_; }
  QComboBox* TeamList() const { return teamList_; }
  QLineEdit* AddressBox() const { return address_; }
  QLabel* HelpLabel() const { return help_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Loads the league of a ".lge" file (full path); empty: no file chosen.
  void LoadLeagueFile(const QString& path);
  void ClearTeams();
  void Help(const char* text);
  void Help(const QString& text);
  void ChooseRememberedTeam();

  ClientSession* session_;
  Prompter* prompter_;
  widgets::LeagueBrowser* browser_;
  QCheckBox* includeFreeAgents_;
  QComboBox* teamList_;
  QLineEdit* address_;
  QLabel* help_;
  ClientSettings* settings_ = nullptr;
  QString loadedFile_;  // the league file loaded last (full path)
};

}  // namespace pm::client
