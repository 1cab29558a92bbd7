#include "client/ui/LeagueSelect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "client/ClientSession.h"
#include "league/FBPro.h"
#include "draft/PoolTable.h"
#include "common/Prompt.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using namespace pm::widgets;

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

}  // namespace

using client::LeagueSelect;

LeagueSelect::LeagueSelect(ClientSession* session, Prompter* prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), prompter_(prompter) {
  setObjectName("LeagueSelect");
  setWindowTitle(u"Pickmill Client- League/Team Selection"_s);
  auto* frame = new QGroupBox(u"Select League, Team, and IP Address"_s, this);
  frame->setObjectName("Frame1");

  // Load: the folder list shows the current folder and the file list its leagues.
  browser_ = new LeagueBrowser(QDir::currentPath(), frame);

  check1_ = new QCheckBox(u"&Include Free Agents"_s, frame);
  check1_->setObjectName("Check1");

  teamsList_ = new QComboBox(frame);
  teamsList_->setObjectName("TeamsList");
  teamsList_->setEnabled(false);

  auto* addressLabel = new QLabel(u"IP Address:"_s, frame);
  addressLabel->setObjectName("Label1");
  ipAddress_ = new QLineEdit(frame);
  ipAddress_->setObjectName("IPAddress");
  ipAddress_->setEnabled(false);

  lsHelp_ = new QLabel(frame);
  lsHelp_->setObjectName("LSHelp");
  lsHelp_->setWordWrap(true);
  lsHelp_->setMinimumHeight(lsHelp_->fontMetrics().height() * 2);

  // The box and the drop-down sit under the file list, beside the folder tree.
  browser_->AddBelowFiles(check1_);
  browser_->AddBelowFiles(teamsList_);
  auto* grid = new QGridLayout(frame);
  grid->addWidget(browser_, 0, 0, 1, 2);
  grid->addWidget(addressLabel, 1, 0);
  grid->addWidget(ipAddress_, 1, 1);
  grid->addWidget(lsHelp_, 2, 0, 1, 2);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);

  for (QWidget* w : {static_cast<QWidget*>(teamsList_), static_cast<QWidget*>(ipAddress_)})
    w->installEventFilter(this);

  connect(browser_, &LeagueBrowser::helpText, this, [this](const QString& text) { Help(text); });
  connect(browser_, &LeagueBrowser::fileActivated, this, [this](const QString& path) { LoadLeagueFile(path); });
  // A team chosen for the league of another folder is dropped.
  connect(browser_, &LeagueBrowser::folderChanged, this, [this] { ClearTeams(); });
  connect(teamsList_, &QComboBox::activated, this, [this] { TeamsListClick(); });

  resize(640, 420);
}

void LeagueSelect::Help(const char* text) { Help(QString::fromLatin1(text)); }

void LeagueSelect::Help(const QString& text) {
  lsHelp_->setText(text);
  lsHelp_->repaint();
}

void LeagueSelect::ClearTeams() {
  teamsList_->clear();
  teamsList_->setEnabled(false);
}

// Both clear the team drop-down through the browser's folderChanged.
void LeagueSelect::SetDrive(const QString& root) { browser_->SetDrive(root); }
void LeagueSelect::SetFolder(const QString& folder) { browser_->SetFolder(folder); }

void LeagueSelect::LoadLeague() { LoadLeagueFile(browser_->CurrentFile()); }

void LeagueSelect::LoadLeagueFile(const QString& path) {
  ClientLeague& league = session_->league;
  const QString folder = path.isEmpty() ? browser_->Folder() : QFileInfo(path).absolutePath();
  session_->reporter.errorFilePath = (QDir(folder).filePath(QString::fromLatin1(kErrorFileName))).toStdString();
  const bool includeFreeAgents = check1_->isChecked();
  check1_->setEnabled(false);
  if (path.isEmpty()) return;

  BusyPointer busy;
  teamsList_->clear();
  Help("Getting version of league files...");
  // The league's files are named by the path without ".lge".
  const std::string leaguePath = path.left(path.size() - 4).toStdString();
  try {
    const league::VersionInfo version = league::GetVersion(leaguePath);
    if (version.version == 0) {
      busy.Release();
      lsHelp_->clear();
      check1_->setEnabled(true);
      prompter_->Inform("ERROR", "Unable to determine version of the " + leaguePath +
                                     " league file. Select another league.");
      browser_->File1()->setFocus();
      return;
    }
    Help("Getting teams...");
    const league::TeamList teams = league::GetTeams(leaguePath);
    if (teams.teamCount == 0) {
      busy.Release();
      lsHelp_->clear();
      check1_->setEnabled(true);
      prompter_->Inform("ERROR", "No teams found in league file.");
      browser_->File1()->setFocus();
      return;
    }
    Help("Loading college draftees, please wait...");
    league::DrafteePool pool = league::GetCollege(leaguePath, version.version);
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
      const league::DrafteePool freeAgents = league::GetFA(leaguePath, version.version);
      if (pool.Count() + freeAgents.Count() == 0) {
        noPlayers("No players were found in league selected.");
        return;
      }
      if (freeAgents.Count() >= 1) league::AppendFreeAgents(pool, freeAgents);
    }

    league.leaguePath = leaguePath;
    league.versionCode = version.version;
    league.leagueName = version.name;
    league.includeFreeAgents = includeFreeAgents;
    league.drafteeCount = pool.Count();
    league.table = draft::TableFromPool(pool);
    std::vector<std::string> names;
    for (int i = 1; i <= teams.teamCount && i <= league::kMaxTeamNumber; ++i)
      names.push_back(teams.names[static_cast<std::size_t>(i)]);
    session_->SetTeams(names);

    for (const std::string& name : names) teamsList_->addItem(L1(name));
    teamsList_->setCurrentIndex(-1);  // no team chosen yet
    teamsList_->setEnabled(true);
    teamsList_->setFocus();
    Help(kHelpTeams);
  } catch (const league::LeagueError& e) {
    busy.Release();
    session_->reporter.Report(e.context, e.number, e.Description());
  } catch (const std::exception& e) {
    busy.Release();
    session_->reporter.Report("LeagueSelect_File1_DblClick", ErrorOf(e));
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
  if (event->type() == QEvent::FocusIn && watched == teamsList_) Help(kHelpTeams);
  if (watched == ipAddress_ && event->type() == QEvent::KeyPress) {
    if (AddressKey(static_cast<QKeyEvent*>(event)->key())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::client
