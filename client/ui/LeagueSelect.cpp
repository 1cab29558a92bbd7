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

#include <exception>

#include "client/ClientSession.h"
#include "client/ClientSettings.h"
#include "common/ErrorContexts.h"
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

LeagueSelect::LeagueSelect(ClientSession* session, Prompter* prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), prompter_(prompter) {
  setObjectName("LeagueSelect");
  setWindowTitle(u"Pickmill Client- League/Team Selection"_s);
  auto* frame = new QGroupBox(u"Select League, Team, and IP Address"_s, this);
  frame->setObjectName("Frame1");

  // Load: the folder list shows the current folder and the file list its leagues.
  browser_ = new LeagueBrowser(QDir::currentPath(), frame);

  includeFreeAgents_ = new QCheckBox(u"&Include Free Agents"_s, frame);
  includeFreeAgents_->setObjectName("Check1");

  teamList_ = new QComboBox(frame);
  teamList_->setObjectName("TeamsList");
  teamList_->setEnabled(false);
  auto* teamLabel = new QLabel(u"&Team:"_s, frame);
  teamLabel->setObjectName("TeamLabel");
  teamLabel->setBuddy(teamList_);

  auto* addressLabel = new QLabel(u"IP Address:"_s, frame);
  addressLabel->setObjectName("Label1");
  address_ = new QLineEdit(frame);
  address_->setObjectName("IPAddress");
  address_->setEnabled(false);

  help_ = new QLabel(frame);
  help_->setObjectName("LSHelp");
  help_->setWordWrap(true);
  help_->setMinimumHeight(help_->fontMetrics().height() * 2);

  // The box and the drop-down sit under the file list, beside the folder tree.
  browser_->AddBelowFiles(includeFreeAgents_);
  browser_->AddBelowFiles(teamLabel);
  browser_->AddBelowFiles(teamList_);
  auto* grid = new QGridLayout(frame);
  grid->addWidget(browser_, 0, 0, 1, 2);
  grid->addWidget(addressLabel, 1, 0);
  grid->addWidget(address_, 1, 1);
  grid->addWidget(help_, 2, 0, 1, 2);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);

  for (QWidget* w : {static_cast<QWidget*>(teamList_), static_cast<QWidget*>(address_)}) w->installEventFilter(this);

  connect(browser_, &LeagueBrowser::helpText, this, [this](const QString& text) { Help(text); });
  connect(browser_, &LeagueBrowser::fileActivated, this, [this](const QString& path) { LoadLeagueFile(path); });
  // A team chosen for the league of another folder is dropped.
  connect(browser_, &LeagueBrowser::folderChanged, this, [this] { ClearTeams(); });
  connect(teamList_, &QComboBox::activated, this, [this] { OnTeamChosen(); });

  resize(640, 420);
}

void LeagueSelect::Help(const char* text) { Help(QString::fromLatin1(text)); }

void LeagueSelect::Help(const QString& text) {
  help_->setText(text);
  help_->repaint();
}

void LeagueSelect::ClearTeams() {
  teamList_->clear();
  teamList_->setEnabled(false);
}

// Clears the team drop-down through the browser's folderChanged.
void LeagueSelect::SetFolder(const QString& folder) { browser_->SetFolder(folder); }

void LeagueSelect::LoadLeague() { LoadLeagueFile(browser_->CurrentFile()); }

void LeagueSelect::LoadLeagueFile(const QString& path) {
  const QString folder = path.isEmpty() ? browser_->Folder() : QFileInfo(path).absolutePath();
  session_->reporter.errorFilePath = NativePath(QDir(folder).filePath(QString::fromLatin1(kErrorFileName)));
  const bool includeFreeAgents = includeFreeAgents_->isChecked();
  includeFreeAgents_->setEnabled(false);
  if (path.isEmpty()) return;

  BusyPointer busy;
  teamList_->clear();
  try {
    const LeagueLoad load =
        session_->LoadLeague(NativePath(path), includeFreeAgents, [this](const char* step) { Help(step); });
    switch (load.outcome) {
      case LeagueLoad::Outcome::Loaded:
        loadedFile_ = path;
        for (const std::string& name : load.teams) teamList_->addItem(L1(name));
        teamList_->setCurrentIndex(-1);  // no team chosen yet
        teamList_->setEnabled(true);
        teamList_->setFocus();
        Help(kHelpTeams);
        busy.Release();
        ChooseRememberedTeam();
        return;
      case LeagueLoad::Outcome::NotRecognised:
      case LeagueLoad::Outcome::NoTeams:
        // Another league may be chosen, the free agents with it.
        busy.Release();
        help_->clear();
        includeFreeAgents_->setEnabled(true);
        prompter_->Inform(load.title, load.message, PromptIcon::None, TextCoding::Utf8);
        browser_->FileList()->setFocus();
        return;
      case LeagueLoad::Outcome::NoCollegeDraftees:
      case LeagueLoad::Outcome::NoPlayers:
        busy.Release();
        help_->clear();
        includeFreeAgents_->setEnabled(true);
        prompter_->Inform(load.title, load.message, PromptIcon::None, TextCoding::Utf8);
        Help(kHelpFile);
        return;
      case LeagueLoad::Outcome::Failed:
        busy.Release();
        session_->reporter.Report(load.errorContext, load.error);
        return;
    }
  } catch (const std::exception& e) {
    busy.Release();
    session_->reporter.Report(context::kLeagueFileChosen, ErrorOf(e));
  }
}

void LeagueSelect::OnTeamChosen() {
  if (teamList_->currentText().isEmpty()) {
    address_->setEnabled(false);
    return;
  }
  BusyPointer busy;
  session_->ChooseTeam(ToL1(teamList_->currentText()));
  Help(kHelpAddress);
  address_->setEnabled(true);
  busy.Release();
  address_->setFocus();
}

bool LeagueSelect::OnAddressKey(int key) {
  if (teamList_->currentText().isEmpty()) {
    // No team shown (the folder changed since): no connection can start.
    address_->setEnabled(false);
    return true;
  }
  if ((key != Qt::Key_Return && key != Qt::Key_Enter) || address_->text().isEmpty()) return false;
  if (session_->Connecting()) return true;  // a second Enter while the first one connects
  BusyPointer busy;
  const bool started = session_->Connect(ToL1(address_->text()));
  busy.Release();
  if (!started) prompter_->Inform(kUnableToConnectTitle, kUnableToConnectText);
  if (started && settings_) {
    const QFileInfo league(loadedFile_);
    settings_->SetLastConnection(
        {league.absolutePath(), league.fileName(), teamList_->currentText(), address_->text()});
  }
  return true;
}

// ----------------------------------------------------- remembered choice ----

void LeagueSelect::UseSettings(ClientSettings* settings) {
  settings_ = settings;
  if (!settings_) return;
  const ClientSettings::Connection last = settings_->LastConnection();
  if (!last.folder.isEmpty() && QDir(last.folder).exists()) {
    SetFolder(last.folder);
    browser_->SelectFile(last.leagueFile);
  }
  address_->setText(last.address);
}

// After a league load: the team of the last connection when this league
// has it, as if chosen in the list.
void LeagueSelect::ChooseRememberedTeam() {
  if (!settings_) return;
  const int at = teamList_->findText(settings_->LastConnection().team);
  if (at < 0) return;
  teamList_->setCurrentIndex(at);
  OnTeamChosen();
}

bool LeagueSelect::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && watched == teamList_) Help(kHelpTeams);
  if (watched == address_ && event->type() == QEvent::KeyPress) {
    if (OnAddressKey(static_cast<QKeyEvent*>(event)->key())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::client
