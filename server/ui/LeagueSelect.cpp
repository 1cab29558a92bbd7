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

#include "server/engine/DraftServer.h"
#include "widgets/LeagueBrowser.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

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

  browser_ = new LeagueBrowser(startFolder, frame);
  grid->addWidget(browser_, 0, 0, 1, 2);

  check1_ = new QCheckBox(QStringLiteral("&Include Free Agents"), frame);
  check1_->setObjectName(QStringLiteral("Check1"));
  grid->addWidget(check1_, 1, 0, 1, 2);

  lsHelp_ = new QLabel(frame);
  lsHelp_->setObjectName(QStringLiteral("LSHelp"));
  lsHelp_->setWordWrap(true);
  lsHelp_->setMinimumHeight(lsHelp_->fontMetrics().lineSpacing() * 2 + 4);
  grid->addWidget(lsHelp_, 2, 0, 1, 2);

  connect(browser_, &LeagueBrowser::helpText, this, [this](const QString& text) { ShowHelp(text); });
  connect(browser_, &LeagueBrowser::fileActivated, this, [this](const QString& path) { LoadFile(path); });
  connect(&engine_, &DraftServer::helpTextChanged, this, [this](const QString& text) { ShowHelp(text); });

  resize(520, 380);
}

void LeagueSelect::SetFolder(const QString& folder) { browser_->SetFolder(folder); }
QString LeagueSelect::Folder() const { return browser_->Folder(); }
bool LeagueSelect::SelectFile(const QString& name) { return browser_->SelectFile(name); }
QComboBox* LeagueSelect::Drive1() const { return browser_->Drive1(); }
QTreeView* LeagueSelect::Dir1() const { return browser_->Dir1(); }
QListWidget* LeagueSelect::File1() const { return browser_->File1(); }

void LeagueSelect::ShowHelp(const QString& text) {
  lsHelp_->setText(text);
  // The load runs without returning to the event loop; paint the progress
  // text now so that it is seen.
  if (lsHelp_->isVisible()) lsHelp_->repaint();
}

void LeagueSelect::File1_DblClick() {
  const QString path = browser_->SelectedFile();
  if (!path.isEmpty()) LoadFile(path);
}

void LeagueSelect::LoadFile(const QString& path) {
  const std::string file = ToL1(path);
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
    browser_->File1()->setFocus();
    return;
  }
  emit leagueLoaded(result.status == LoadResult::Status::Loaded);
}

}  // namespace pm::server
