// The server's league window: drive (mounted volume), folder and ".lge"
// file lists, "&Include Free Agents", and the help label. A double-click (or
// Enter) on a league file loads it through the engine.
#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QTreeView;

namespace pm::server {
class DraftServer;
}

namespace pm {

class Prompter;

class LeagueSelect : public QWidget {
  Q_OBJECT
 public:
  // Opens on `startFolder` (the working folder when empty).
  LeagueSelect(server::DraftServer& engine, Prompter& prompter, const QString& startFolder = QString(),
               QWidget* parent = nullptr);

  // Shows the folder in the folder list (its volume in the drive list) and
  // its league files in the file list.
  void SetFolder(const QString& folder);
  QString Folder() const { return folder_; }
  // Selects a file of the file list by name; false when it is not listed.
  bool SelectFile(const QString& name);
  // The loading flow of a double-click on the selected file.
  void File1_DblClick();

  QComboBox* Drive1() const { return drive1_; }
  QTreeView* Dir1() const { return dir1_; }
  QListWidget* File1() const { return file1_; }
  QCheckBox* Check1() const { return check1_; }
  QLabel* LSHelp() const { return lsHelp_; }

 signals:
  // The league is loaded (the engine is listening, or the port could not be
  // opened and `listening` is false); the main window takes over.
  void leagueLoaded(bool listening);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillDrives();
  void FillFiles();
  void ShowHelp(const QString& text);

  server::DraftServer& engine_;
  Prompter& prompter_;
  QString folder_;
  QComboBox* drive1_;
  QFileSystemModel* dirModel_;
  QTreeView* dir1_;
  QListWidget* file1_;
  QCheckBox* check1_;
  QLabel* lsHelp_;
};

}  // namespace pm
