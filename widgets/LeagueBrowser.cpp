#include "widgets/LeagueBrowser.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QStorageInfo>
#include <QTreeView>

namespace pm::widgets {

namespace {

// True when `folder` is `ancestor` or lies below it.
bool IsWithin(const QString& folder, const QString& ancestor) {
  if (ancestor.isEmpty()) return false;
  if (folder == ancestor) return true;
  return folder.startsWith(ancestor.endsWith(u'/') ? ancestor : ancestor + u'/');
}

// The root of the mounted volume holding the folder.
QString VolumeRoot(const QString& folder) {
  const QStorageInfo volume(folder);
  if (volume.isValid() && !volume.rootPath().isEmpty()) return volume.rootPath();
  return QDir(folder).rootPath();
}

}  // namespace

QString DriveCaption(const QString& rootPath, const QString& label) {
  const bool drive = rootPath.size() >= 2 && rootPath.size() <= 3 && rootPath[0].isLetter() && rootPath[1] == u':' &&
                     (rootPath.size() == 2 || rootPath[2] == u'/' || rootPath[2] == u'\\');
  if (!drive) return rootPath;
  const QString letter = rootPath.left(2).toUpper();
  return label.isEmpty() ? letter : letter + QStringLiteral(" [") + label + u']';
}

LeagueBrowser::LeagueBrowser(const QString& startFolder, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("LeagueBrowser"));
  grid_ = new QGridLayout(this);
  grid_->setContentsMargins(0, 0, 0, 0);

  driveList_ = new QComboBox(this);
  driveList_->setObjectName(QStringLiteral("Drive1"));
  grid_->addWidget(driveList_, 0, 0);

  dirModel_ = new QFileSystemModel(this);
  dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  dirModel_->setRootPath(QString());
  folderTree_ = new QTreeView(this);
  folderTree_->setObjectName(QStringLiteral("Dir1"));
  folderTree_->setModel(dirModel_);
  for (int c = 1; c < dirModel_->columnCount(); ++c) folderTree_->hideColumn(c);
  folderTree_->header()->hide();
  folderTree_->setMinimumSize(240, 220);
  grid_->addWidget(folderTree_, 1, 0);

  fileList_ = new QListWidget(this);
  fileList_->setObjectName(QStringLiteral("File1"));
  fileList_->setMinimumWidth(200);
  grid_->addWidget(fileList_, 0, 1, 2, 1);

  for (QWidget* w :
       {static_cast<QWidget*>(driveList_), static_cast<QWidget*>(folderTree_), static_cast<QWidget*>(fileList_)})
    w->installEventFilter(this);

  connect(driveList_, &QComboBox::activated, this,
          [this](int index) { SetDrive(driveList_->itemData(index).toString()); });
  connect(folderTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (settingFolder_ || !current.isValid()) return;
            const QString path = dirModel_->filePath(current);
            if (path.isEmpty() || path == folder_) return;
            folder_ = path;
            following_ = false;  // the person leads the tree from here
            folderTree_->expand(current);
            FillFiles();
            emit folderChanged(folder_);
          });
  // Enter is handled in eventFilter; a double-click always has its item.
  connect(fileList_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit fileActivated(PathOf(item->text())); });
  // The folder model reads folders in the background, so the folders leading
  // to the shown one may have no rows yet when it is set, and rows read later
  // (and the sort that follows them) move it out of view: until the person
  // picks a folder in the tree, each time a folder on the way has been read
  // or the rows were re-sorted, open the tree down to the folder again.
  connect(dirModel_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (following_ && IsWithin(folder_, path)) ShowFolderInTree();
  });
  connect(dirModel_, &QAbstractItemModel::layoutChanged, this, [this] {
    if (following_) ShowFolderInTree();
  });

  FillDrives();
  SetFolder(startFolder.isEmpty() ? QDir::currentPath() : startFolder);
}

void LeagueBrowser::FillDrives() {
  driveList_->clear();
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    driveList_->addItem(DriveCaption(volume.rootPath(), volume.name()), volume.rootPath());
  }
}

void LeagueBrowser::SetDrive(const QString& root) { SetFolder(root); }

void LeagueBrowser::SetFolder(const QString& folder) {
  folder_ = QDir(folder).absolutePath();
  following_ = true;
  const QString root = VolumeRoot(folder_);
  const int at = driveList_->findData(root);
  if (at >= 0) driveList_->setCurrentIndex(at);
  folderTree_->setRootIndex(dirModel_->index(root));
  ShowFolderInTree();
  // The file list is read at once, whatever the tree has loaded so far.
  FillFiles();
  emit folderChanged(folder_);
}

void LeagueBrowser::ShowFolderInTree() {
  const QModelIndex index = dirModel_->index(folder_);
  if (!index.isValid()) return;
  settingFolder_ = true;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) folderTree_->expand(up);
  folderTree_->setCurrentIndex(index);
  folderTree_->expand(index);
  folderTree_->scrollTo(index);
  settingFolder_ = false;
}

void LeagueBrowser::FillFiles() {
  fileList_->clear();
  // League files in any letter case (BIG.LGE, big.lge), and nothing that
  // merely starts with it (x.lgex).
  const QStringList names =
      QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::Readable, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names)
    if (name.endsWith(QStringLiteral(".lge"), Qt::CaseInsensitive)) fileList_->addItem(name);
}

QString LeagueBrowser::PathOf(const QString& name) const { return QDir(folder_).filePath(name); }

bool LeagueBrowser::SelectFile(const QString& name) {
  const auto found = fileList_->findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  fileList_->setCurrentItem(found.front());
  return true;
}

QString LeagueBrowser::CurrentFile() const {
  const QListWidgetItem* item = fileList_->currentItem();
  return item == nullptr ? QString() : PathOf(item->text());
}

QString LeagueBrowser::SelectedFile() const {
  const QListWidgetItem* item = fileList_->currentItem();
  return item == nullptr || !item->isSelected() ? QString() : PathOf(item->text());
}

void LeagueBrowser::AddBelowFiles(QWidget* control) {
  ++belowFiles_;
  grid_->addWidget(control, 1 + belowFiles_, 1);
  grid_->removeWidget(folderTree_);
  grid_->addWidget(folderTree_, 1, 0, 1 + belowFiles_, 1);
}

bool LeagueBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == driveList_) emit helpText(QString::fromLatin1(kHelpDrive));
    if (watched == folderTree_) emit helpText(QString::fromLatin1(kHelpDir));
    if (watched == fileList_) emit helpText(QString::fromLatin1(kHelpFile));
  }
  if (watched == fileList_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // Enter acts on the selected file only, as a double-click does.
      const QString path = SelectedFile();
      if (!path.isEmpty()) emit fileActivated(path);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::widgets
