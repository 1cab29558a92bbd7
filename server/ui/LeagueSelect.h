// The server's league window: the league file chooser (drive, folder and
// ".lge" file lists), "&Include Free Agents", and the help label. A
// double-click (or Enter) on a league file loads it through the engine.
#pragma once

#include <QString>
#include <QWidget>

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
}

namespace pm::server {


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
  void File1_DblClick();

  widgets::LeagueBrowser* Browser() const { return browser_; }
  QComboBox* Drive1() const;
  QTreeView* Dir1() const;
  QListWidget* File1() const;
  QCheckBox* Check1() const { return check1_; }
  QLabel* LSHelp() const { return lsHelp_; }

 signals:
  // The league is loaded (the engine is listening, or the port could not be
  // opened and `listening` is false); the main window takes over.
  void leagueLoaded(bool listening);

 private:
  // Loads the league file (full path, with its extension).
  void LoadFile(const QString& path);
  void ShowHelp(const QString& text);

  server::DraftServer& engine_;
  Prompter& prompter_;
  widgets::LeagueBrowser* browser_;
  QCheckBox* check1_;
  QLabel* lsHelp_;
};

}  // namespace pm::server
