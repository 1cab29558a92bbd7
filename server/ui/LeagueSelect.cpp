#include "LeagueSelect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include "DraftServer.h"
#include "Widgets.h"

namespace pm {

using server::DraftServer;
using server::LoadResult;

LeagueSelect::LeagueSelect(DraftServer& engine, Prompter& prompter, const QString& startFolder, QWidget* parent)
    : QWidget(parent), engine_(engine), prompter_(prompter) {
  setObjectName(QStringLiteral("LeagueSelect"));
  setWindowTitle(QStringLiteral("Pickmill Server - League Selection"));
  // Error reports of this program carry the server's label.
  engine_.Reporter().programLabel = kServerLabel;

  auto* outer = new QVBoxLayout(this);
  auto* frame = new QGroupBox(QStringLiteral("Select League"), this);
  frame->setObjectName(QStringLiteral("SelectLeagueFrame"));
  outer->addWidget(frame);
  auto* grid = new QGridLayout(frame);

  drive1_ = new QComboBox(frame);
  drive1_->setObjectName(QStringLiteral("Drive1"));
  grid->addWidget(drive1_, 0, 0);

  dirModel_ = new QFileSystemModel(this);
  dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  dirModel_->setRootPath(QString());
  dir1_ = new QTreeView(frame);
  dir1_->setObjectName(QStringLiteral("Dir1"));
  dir1_->setModel(dirModel_);
  for (int c = 1; c < dirModel_->columnCount(); ++c) dir1_->hideColumn(c);
  dir1_->header()->hide();
  dir1_->setMinimumSize(240, 220);
  grid->addWidget(dir1_, 1, 0);

  file1_ = new QListWidget(frame);
  file1_->setObjectName(QStringLiteral("File1"));
  file1_->setMinimumWidth(200);
  grid->addWidget(file1_, 0, 1, 2, 1);

  check1_ = new QCheckBox(QStringLiteral("&Include Free Agents"), frame);
  check1_->setObjectName(QStringLiteral("Check1"));
  grid->addWidget(check1_, 2, 0, 1, 2);

  lsHelp_ = new QLabel(frame);
  lsHelp_->setObjectName(QStringLiteral("LSHelp"));
  lsHelp_->setWordWrap(true);
  lsHelp_->setMinimumHeight(lsHelp_->fontMetrics().lineSpacing() * 2 + 4);
  grid->addWidget(lsHelp_, 3, 0, 1, 2);

  for (QWidget* w : {static_cast<QWidget*>(drive1_), static_cast<QWidget*>(dir1_), static_cast<QWidget*>(file1_)})
    w->installEventFilter(this);
  connect(file1_, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });
  connect(drive1_, &QComboBox::activated, this, [this](int index) {
    // Changing the drive sets the folder list's drive.
    SetFolder(drive1_->itemData(index).toString());
  });
  connect(dir1_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
    QString path = dirModel_->filePath(index);
    if (!path.isEmpty() && path != folder_) {
      folder_ = path;
      FillFiles();
    }
  });
  // The folder model reads folders in the background: once the folders
  // leading to the shown one are read, bring it into view.
  connect(dirModel_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (!folder_.startsWith(path)) return;
    QModelIndex index = dirModel_->index(folder_);
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) dir1_->expand(up);
    QSignalBlocker block(dir1_->selectionModel());
    dir1_->setCurrentIndex(index);
    dir1_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  });
  connect(&engine_, &DraftServer::helpTextChanged, this, [this](const QString& text) { ShowHelp(text); });

  FillDrives();
  SetFolder(startFolder.isEmpty() ? QDir::currentPath() : startFolder);
  resize(520, 380);
}

void LeagueSelect::FillDrives() {
  drive1_->clear();
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    drive1_->addItem(volume.rootPath(), volume.rootPath());
  }
}

void LeagueSelect::SetFolder(const QString& folder) {
  folder_ = QDir(folder).absolutePath();
  QStorageInfo volume(folder_);
  int at = drive1_->findData(volume.rootPath());
  if (at >= 0) drive1_->setCurrentIndex(at);
  dir1_->setRootIndex(dirModel_->index(volume.rootPath()));
  QModelIndex index = dirModel_->index(folder_);
  if (index.isValid()) {
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) dir1_->expand(up);
    QSignalBlocker block(dir1_->selectionModel());
    dir1_->setCurrentIndex(index);
    dir1_->scrollTo(index);
    dir1_->expand(index);
  }
  FillFiles();
}

void LeagueSelect::FillFiles() {
  file1_->clear();
  // League files in any letter case (BIG.LGE, big.lge).
  QDir dir(folder_);
  const QStringList names =
      dir.entryList({QStringLiteral("*.lge")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
  file1_->addItems(names);
}

bool LeagueSelect::SelectFile(const QString& name) {
  const auto found = file1_->findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  file1_->setCurrentItem(found.front());
  return true;
}

void LeagueSelect::ShowHelp(const QString& text) {
  lsHelp_->setText(text);
  // The load runs without returning to the event loop; paint the progress
  // text now so that it is seen.
  if (lsHelp_->isVisible()) lsHelp_->repaint();
}

void LeagueSelect::File1_DblClick() {
  QListWidgetItem* item = file1_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  const std::string file = ToL1(QDir(folder_).filePath(item->text()));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The box is read once: it stays disabled from here on, also after a
  // league that is refused.
  const bool includeFreeAgents = check1_->isChecked();
  check1_->setEnabled(false);
  LoadResult result = engine_.LoadLeague(file, includeFreeAgents);
  QApplication::restoreOverrideCursor();
  ShowHelp(QString());
  if (!result.Ok()) {
    if (!result.message.empty()) prompter_.Inform(result.title, result.message);
    file1_->setFocus();
    return;
  }
  emit leagueLoaded(result.status == LoadResult::Status::Loaded);
}

bool LeagueSelect::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == drive1_) ShowHelp(QString::fromLatin1(server::kHelpDrive));
    if (watched == dir1_) ShowHelp(QString::fromLatin1(server::kHelpDir));
    if (watched == file1_) ShowHelp(QString::fromLatin1(server::kHelpFile));
  }
  if (watched == file1_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      File1_DblClick();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm
