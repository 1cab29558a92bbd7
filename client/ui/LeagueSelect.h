// The league window: drive, folder and ".lge" file lists, "&Include Free
// Agents", the team drop-down and the server address box. A double-click
// (or Enter) on a league file loads the league; choosing a team enables the
// address box; Enter there connects.
#pragma once

#include <QWidget>
#include <string>

#include "widgets/LeagueBrowser.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTreeView;

namespace pm {
class Prompter;
}  // namespace pm
namespace pm::widgets {
class LeagueBrowser;
}  // namespace pm::widgets

namespace pm::client {

class ClientSession;

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

  // The folder shown (Dir1) and its ".lge" files (File1).
  QString Folder() const { return browser_->Folder(); }
  // Moves the folder list to `folder` (as a change of Dir1 does).
  void SetFolder(const QString& folder);
  // Moves to a drive (a mounted volume's root), as a change of Drive1 does.
  void SetDrive(const QString& root);

  // File1 double-click: loads the league of File1's current file.
  void LoadLeague();
  // TeamsList click: chooses the team shown in the list.
  void TeamsListClick();
  // IPAddress key press: returns true when the key was consumed.
  bool AddressKey(int key);

  widgets::LeagueBrowser* Browser() const { return browser_; }
  QComboBox* Drive1() const { return browser_->Drive1(); }
  QTreeView* Dir1() const { return browser_->Dir1(); }
  QListWidget* File1() const { return browser_->File1(); }
  QCheckBox* Check1() const { return check1_; }
  QComboBox* TeamsList() const { return teamsList_; }
  QLineEdit* IPAddress() const { return ipAddress_; }
  QLabel* LSHelp() const { return lsHelp_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Loads the league of a ".lge" file (full path); empty: no file chosen.
  void LoadLeagueFile(const QString& path);
  void ClearTeams();
  void Help(const char* text);
  void Help(const QString& text);

  ClientSession* session_;
  Prompter* prompter_;
  widgets::LeagueBrowser* browser_;
  QCheckBox* check1_;
  QComboBox* teamsList_;
  QLineEdit* ipAddress_;
  QLabel* lsHelp_;
};

}  // namespace pm::client
