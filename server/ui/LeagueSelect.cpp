#include "server/ui/LeagueSelect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/Common.h"
#include "common/Files.h"
#include "server/engine/DraftServer.h"
#include "widgets/LeagueBrowser.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

const char* LoadStepHelp(LoadStep step) {
  switch (step) {
    case LoadStep::Version: return kHelpVersion;
    case LoadStep::Teams: return kHelpTeams;
    case LoadStep::College: return kHelpCollege;
    case LoadStep::FreeAgents: return kHelpFreeAgents;
    case LoadStep::Previous: return kHelpPrevious;
    case LoadStep::Connections: return kHelpConnections;
    case LoadStep::Idle: break;
  }
  return "";
}

LoadMessage LoadMessageOf(const LoadResult& result) {
  switch (result.status) {
    case LoadResult::Status::NotRecognised:
      return {"ERROR", "Unable to determine version of the " + pm::ShownPath(result.leaguePath) +
                           " league file. Select another league."};
    case LoadResult::Status::NoTeams: return {"ERROR", "No teams found in league file."};
    case LoadResult::Status::NoPlayers: return {"Information.", "No players found in the league files."};
    case LoadResult::Status::DraftFileRefused:
      return {"ERROR", "The draft file " + pm::ShownPath(result.draftFile) + " holds " +
                           Num(static_cast<long long>(result.records)) +
                           " picks, but the server can keep no more than " + Num(draft::kMaxPicks) +
                           ". The league was not loaded. Move that file to another folder (or remove the extra "
                           "lines with a text editor) and load the league again."};
    case LoadResult::Status::MergeNotRestored:
    case LoadResult::Status::InUse:
    case LoadResult::Status::FolderNotWritable: return {"ERROR", result.message};
    case LoadResult::Status::Loaded:
    case LoadResult::Status::DraftInProgress:
    case LoadResult::Status::ListenFailed:
    case LoadResult::Status::AlreadyLoaded:
    case LoadResult::Status::Failed: break;
  }
  return {};
}

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

  browser_ = new LeagueBrowser(startFolder, frame);
  grid->addWidget(browser_, 0, 0, 1, 2);

  freeAgentsBox_ = new QCheckBox(QStringLiteral("&Include Free Agents"), frame);
  freeAgentsBox_->setObjectName(QStringLiteral("Check1"));
  grid->addWidget(freeAgentsBox_, 1, 0, 1, 2);

  helpLabel_ = new QLabel(frame);
  helpLabel_->setObjectName(QStringLiteral("LSHelp"));
  helpLabel_->setWordWrap(true);
  helpLabel_->setMinimumHeight(helpLabel_->fontMetrics().lineSpacing() * 2 + 4);
  grid->addWidget(helpLabel_, 2, 0, 1, 2);

  connect(browser_, &LeagueBrowser::helpText, this, [this](const QString& text) { ShowHelp(text); });
  connect(browser_, &LeagueBrowser::fileActivated, this, [this](const QString& path) { LoadFile(path); });
  connect(&engine_, &DraftServer::loadProgress, this,
          [this](LoadStep step) { ShowHelp(QString::fromLatin1(LoadStepHelp(step))); });

  resize(520, 380);
}

void LeagueSelect::SetFolder(const QString& folder) { browser_->SetFolder(folder); }
QString LeagueSelect::Folder() const { return browser_->Folder(); }
bool LeagueSelect::SelectFile(const QString& name) { return browser_->SelectFile(name); }
QComboBox* LeagueSelect::DriveList() const { return browser_->DriveList(); }
QTreeView* LeagueSelect::FolderTree() const { return browser_->FolderTree(); }
QListWidget* LeagueSelect::FileList() const { return browser_->FileList(); }

void LeagueSelect::ShowHelp(const QString& text) {
  helpLabel_->setText(text);
  // The load runs without returning to the event loop; paint the progress
  // text now so that it is seen.
  if (helpLabel_->isVisible()) helpLabel_->repaint();
}

PreviousDraft LeagueSelect::AskAboutDraftInProgress() {
  // No is the default: a reflexive Enter must not end the draft in progress.
  const bool clear = prompter_.Ask({"", engine_.ResumeQuestion(), PromptButtons::YesNo, PromptIcon::Question,
                                    PromptAnswer::No, false, TextCoding::Utf8}) == PromptAnswer::Yes;
  return clear ? PreviousDraft::Clear : PreviousDraft::Resume;
}

void LeagueSelect::LoadSelectedFile() {
  const QString path = browser_->SelectedFile();
  if (!path.isEmpty()) LoadFile(path);
}

void LeagueSelect::LoadFile(const QString& path) {
  const std::string file = NativePath(path);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The box is read once: it stays disabled from here on, also after a
  // league that is refused.
  const bool includeFreeAgents = freeAgentsBox_->isChecked();
  freeAgentsBox_->setEnabled(false);
  LoadResult result = engine_.LoadLeague(file, includeFreeAgents);
  QApplication::restoreOverrideCursor();
  ShowHelp(QString());
  if (result.status == LoadResult::Status::DraftInProgress) result = engine_.ContinueLoad(AskAboutDraftInProgress());
  if (!result.Ok()) {
    const LoadMessage message = LoadMessageOf(result);
    if (!message.text.empty()) prompter_.Inform(message.title, message.text, PromptIcon::None, TextCoding::Utf8);
    browser_->FileList()->setFocus();
    return;
  }
  emit leagueLoaded(result.status == LoadResult::Status::Loaded);
}

}  // namespace pm::server
