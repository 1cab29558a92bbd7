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
#include <QLineEdit>
#include <QListWidget>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include "ClientSession.h"
#include "FBPro.h"
#include "PoolTable.h"
#include "Prompt.h"
#include "Widgets.h"

namespace pm {

namespace {

// The busy mouse pointer for the life of the object.
struct BusyPointer {
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { Release(); }
  void Release() {
    if (on) QApplication::restoreOverrideCursor();
    on = false;
  }
  bool on = true;
};

QString RootOf(const QString& folder) {
  QString best;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    const bool inside = folder == root || folder.startsWith(root.endsWith('/') ? root : root + '/');
    if (inside && root.size() > best.size()) best = root;
  }
  return best.isEmpty() ? QDir(folder).rootPath() : best;
}

}  // namespace

using client::LeagueSelect;

LeagueSelect::LeagueSelect(ClientSession* session, Prompter* prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), prompter_(prompter) {
  setObjectName("LeagueSelect");
  setWindowTitle("Pickmill Client- League/Team Selection");
  auto* frame = new QGroupBox("Select League, Team, and IP Address", this);
  frame->setObjectName("Frame1");

  drive1_ = new QComboBox(frame);
  drive1_->setObjectName("Drive1");
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady()) drive1_->addItem(volume.rootPath());
  }

  dir1_ = new QTreeView(frame);
  dir1_->setObjectName("Dir1");
  dirModel_ = new QFileSystemModel(this);
  dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  dirModel_->setRootPath(QString());
  dir1_->setModel(dirModel_);
  for (int c = 1; c < dirModel_->columnCount(); ++c) dir1_->hideColumn(c);
  dir1_->header()->hide();

  file1_ = new QListWidget(frame);
  file1_->setObjectName("File1");

  check1_ = new QCheckBox("&Include Free Agents", frame);
  check1_->setObjectName("Check1");

  teamsList_ = new QComboBox(frame);
  teamsList_->setObjectName("TeamsList");
  teamsList_->setEnabled(false);

  auto* addressLabel = new QLabel("IP Address:", frame);
  addressLabel->setObjectName("Label1");
  ipAddress_ = new QLineEdit(frame);
  ipAddress_->setObjectName("IPAddress");
  ipAddress_->setEnabled(false);

  lsHelp_ = new QLabel(frame);
  lsHelp_->setObjectName("LSHelp");
  lsHelp_->setWordWrap(true);
  lsHelp_->setMinimumHeight(lsHelp_->fontMetrics().height() * 2);

  auto* grid = new QGridLayout(frame);
  grid->addWidget(drive1_, 0, 0);
  grid->addWidget(dir1_, 1, 0, 3, 1);
  grid->addWidget(file1_, 0, 1, 2, 1);
  grid->addWidget(check1_, 2, 1);
  grid->addWidget(teamsList_, 3, 1);
  grid->addWidget(addressLabel, 4, 0);
  grid->addWidget(ipAddress_, 4, 1);
  grid->addWidget(lsHelp_, 5, 0, 1, 2);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);

  for (QWidget* w : {static_cast<QWidget*>(drive1_), static_cast<QWidget*>(dir1_),
                     static_cast<QWidget*>(file1_), static_cast<QWidget*>(teamsList_),
                     static_cast<QWidget*>(ipAddress_)})
    w->installEventFilter(this);

  connect(drive1_, &QComboBox::activated, this, [this](int index) { SetDrive(drive1_->itemText(index)); });
  connect(dir1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (settingFolder_ || !current.isValid()) return;
            SetFolder(dirModel_->filePath(current));
          });
  connect(file1_, &QListWidget::itemActivated, this, [this] { LoadLeague(); });
  connect(teamsList_, &QComboBox::activated, this, [this] { TeamsListClick(); });

  // Load: the folder list shows the current folder and the file list its leagues.
  SetFolder(QDir::currentPath());
  resize(640, 420);
}

void LeagueSelect::Help(const char* text) {
  lsHelp_->setText(QString::fromLatin1(text));
  lsHelp_->repaint();
}

void LeagueSelect::ClearTeams() {
  teamsList_->clear();
  teamsList_->setEnabled(false);
}

void LeagueSelect::SetDrive(const QString& root) {
  ClearTeams();
  SetFolder(root);
}

void LeagueSelect::SetFolder(const QString& folder) {
  ClearTeams();
  folder_ = QDir(folder).absolutePath();
  const QString root = RootOf(folder_);
  const int drive = drive1_->findText(root);
  if (drive >= 0) drive1_->setCurrentIndex(drive);
  settingFolder_ = true;
  const QModelIndex index = dirModel_->index(folder_);
  if (index.isValid()) {
    dir1_->setCurrentIndex(index);
    dir1_->scrollTo(index);
    dir1_->expand(index);
  }
  settingFolder_ = false;
  FillFiles();
}

void LeagueSelect::FillFiles() {
  file1_->clear();
  QDir dir(folder_);
  QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) {
    if (name.endsWith(".lge", Qt::CaseInsensitive)) file1_->addItem(name);
  }
}

void LeagueSelect::LoadLeague() {
  ClientLeague& league = session_->league;
  session_->reporter.errorFilePath = (QDir(folder_).filePath(kErrorFileName)).toStdString();
  const bool includeFreeAgents = check1_->isChecked();
  check1_->setEnabled(false);
  QListWidgetItem* selected = file1_->currentItem();
  if (!selected) return;

  BusyPointer busy;
  teamsList_->clear();
  Help("Getting version of league files...");
  const QString fileName = selected->text();
  const std::string leaguePath = QDir(folder_).filePath(fileName.left(fileName.size() - 4)).toStdString();
  try {
    const fbpro::VersionInfo version = fbpro::GetVersion(leaguePath);
    if (version.version == 0) {
      busy.Release();
      lsHelp_->clear();
      check1_->setEnabled(true);
      prompter_->Inform("ERROR", "Unable to determine version of the " + leaguePath +
                                     " league file. Select another league.");
      file1_->setFocus();
      return;
    }
    Help("Getting teams...");
    const fbpro::TeamList teams = fbpro::GetTeams(leaguePath);
    if (teams.teamCount == 0) {
      busy.Release();
      lsHelp_->clear();
      check1_->setEnabled(true);
      prompter_->Inform("ERROR", "No teams found in league file.");
      file1_->setFocus();
      return;
    }
    Help("Loading college draftees, please wait...");
    fbpro::DrafteePool pool = fbpro::GetCollege(leaguePath, version.version);
    const auto noPlayers = [&](const char* text) {
      busy.Release();
      lsHelp_->clear();
      check1_->setEnabled(true);
      prompter_->Inform("", text);
      Help(kHelpFile);
    };
    if (pool.Count() == 0 && !includeFreeAgents) {
      noPlayers("No college draftees were found in league selected.");
      return;
    }
    if (includeFreeAgents) {
      Help("Loading free agents, please wait...");
      const fbpro::DrafteePool freeAgents = fbpro::GetFA(leaguePath, version.version);
      if (pool.Count() + freeAgents.Count() == 0) {
        noPlayers("No players were found in league selected.");
        return;
      }
      if (freeAgents.Count() >= 1) fbpro::AppendFreeAgents(pool, freeAgents);
    }

    league.leaguePath = leaguePath;
    league.versionCode = version.version;
    league.leagueName = version.name;
    league.includeFreeAgents = includeFreeAgents;
    league.drafteeCount = pool.Count();
    league.table = draftees::TableFromPool(pool);
    std::vector<std::string> names;
    for (int i = 1; i <= teams.teamCount && i <= fbpro::kMaxTeamNumber; ++i)
      names.push_back(teams.names[static_cast<std::size_t>(i)]);
    session_->SetTeams(names);

    for (const std::string& name : names) teamsList_->addItem(L1(name));
    teamsList_->setCurrentIndex(-1);  // no team chosen yet
    teamsList_->setEnabled(true);
    teamsList_->setFocus();
    Help(kHelpTeams);
  } catch (const fbpro::LeagueError& e) {
    busy.Release();
    session_->reporter.Report(e.context, e.number, e.Description());
  } catch (const std::exception& e) {
    busy.Release();
    session_->reporter.Report("LeagueSelect_File1_DblClick", 5, e.what());
  }
}

void LeagueSelect::TeamsListClick() {
  if (teamsList_->currentText().isEmpty()) {
    ipAddress_->setEnabled(false);
    return;
  }
  BusyPointer busy;
  session_->ChooseTeam(ToL1(teamsList_->currentText()));
  Help(kHelpAddress);
  ipAddress_->setEnabled(true);
  busy.Release();
  ipAddress_->setFocus();
}

bool LeagueSelect::AddressKey(int key) {
  if (teamsList_->currentText().isEmpty()) {
    // No team shown (the folder changed since): no connection can start.
    ipAddress_->setEnabled(false);
    return true;
  }
  if ((key != Qt::Key_Return && key != Qt::Key_Enter) || ipAddress_->text().isEmpty()) return false;
  BusyPointer busy;
  const bool started = session_->Connect(ToL1(ipAddress_->text()));
  busy.Release();
  if (!started) prompter_->Inform("PK Info.", "Unable to connect to server.");
  return true;
}

bool LeagueSelect::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == drive1_) Help(kHelpDrive);
    if (watched == dir1_) Help(kHelpDir);
    if (watched == file1_) Help(kHelpFile);
    if (watched == teamsList_) Help(kHelpTeams);
  }
  if (watched == ipAddress_ && event->type() == QEvent::KeyPress) {
    if (AddressKey(static_cast<QKeyEvent*>(event)->key())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm
