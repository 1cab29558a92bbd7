// The league file chooser of both programs' league windows: the drive list
// (mounted volumes), the folder tree of the drive and the ".lge" files of the
// folder, in any letter case. A double-click or Enter on a file hands its
// path to the window; each control's focus help goes to the window's own
// help label through helpText.
#pragma once

#include <QString>
#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QGridLayout;
class QListWidget;
class QTreeView;

namespace pm::widgets {

// Focus help of the three controls.
inline constexpr const char* kHelpDrive = "Select drive where league file and directory appears.";
inline constexpr const char* kHelpDir = "Select directory/folder of league file.";
inline constexpr const char* kHelpFile = "Select league, to use for drafting, by double-clicking the name.";

// How the drive list names a volume: a drive root ("C:/") by its letter and
// label ("C: [System]"), any other root (a mount point) by its path.
QString DriveCaption(const QString& rootPath, const QString& label);

class LeagueBrowser : public QWidget {
  Q_OBJECT
 public:
  // Opens on `startFolder` (the working folder when empty).
  explicit LeagueBrowser(const QString& startFolder = QString(), QWidget* parent = nullptr);

  // Shows the folder in the folder tree (its volume in the drive list, the
  // tree rooted at that volume) and its league files in the file list.
  // folderChanged follows, also when the folder is the one shown.
  void SetFolder(const QString& folder);
  // Moves to a drive (a mounted volume's root), as a choice in Drive1 does.
  void SetDrive(const QString& root);
  QString Folder() const { return folder_; }

  // Selects a file of the file list by name; false when it is not listed.
  bool SelectFile(const QString& name);
  // Full path of the file list's current file; empty when there is none.
  QString CurrentFile() const;
  // As CurrentFile, but empty unless that file is also selected.
  QString SelectedFile() const;

  // Places a control of the window in the file list's column, below the
  // file list and the ones placed before it; the folder tree grows beside.
  void AddBelowFiles(QWidget* control);

  QComboBox* DriveList() const { return driveList_; }
  QTreeView* FolderTree() const { return folderTree_; }
  QListWidget* FileList() const { return fileList_; }

 signals:
  // The help text of the control that just got the focus.
  void helpText(const QString& text);
  // A league file was double-clicked, or Enter was pressed on it.
  void fileActivated(const QString& path);
  // The folder shown changed (drive chosen, folder clicked, SetFolder).
  void folderChanged(const QString& folder);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillDrives();
  void FillFiles();
  // Expands the tree down to the folder and makes it the current one.
  void ShowFolderInTree();
  QString PathOf(const QString& name) const;

  QString folder_;
  QGridLayout* grid_;
  QComboBox* driveList_;
  QFileSystemModel* dirModel_;
  QTreeView* folderTree_;
  QListWidget* fileList_;
  int belowFiles_ = 0;
  // Set while the tree is moved to the folder by the code, so that the
  // move is not taken for a click.
  bool settingFolder_ = false;
  // Set while the tree is to follow the folder set by the code as the
  // model reads the folders; a folder picked in the tree ends it.
  bool following_ = false;
};

}  // namespace pm::widgets
