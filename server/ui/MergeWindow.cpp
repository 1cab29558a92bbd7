#include "server/ui/MergeWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/platform/Platform.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::merge;

using namespace pm::widgets;

namespace {

// Hourglass for the life of a scope.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

MergeWindow::MergeWindow(MergeContext context, QWidget* parent) : QDialog(parent), ctx_(std::move(context)) {
  setObjectName(QStringLiteral("Merge"));
  setWindowTitle(QStringLiteral("Merge"));
  setModal(true);

  mergeButton_ = new QPushButton(QStringLiteral("&Merge"), this);
  mergeButton_->setObjectName(QStringLiteral("Command1"));
  connect(mergeButton_, &QPushButton::clicked, this, &MergeWindow::RunMerge);

  auto* frame = new QGroupBox(QStringLiteral("League Stage"), this);
  frame->setObjectName(QStringLiteral("Frame1"));
  auto* frameLayout = new QVBoxLayout(frame);
  stages_ = new QButtonGroup(this);
  const std::pair<int, const char*> options[] = {
      {0, "&No Change"}, {1, "&Start College Draft"}, {3, "S&upplemental Start"}, {5, "Start &Training Camp"}};
  for (const auto& [index, caption] : options) {
    auto* button = new QRadioButton(QString::fromLatin1(caption), frame);
    button->setObjectName(QStringLiteral("Option1_%1").arg(index));
    stages_->addButton(button, index);
    frameLayout->addWidget(button);
  }

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Label1"));
  status_->setFont(FixedFont());
  status_->setTextFormat(Qt::PlainText);
  status_->setWordWrap(true);
  status_->setVisible(false);

  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName(QStringLiteral("Guage"));
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setVisible(false);

  auto* top = new QHBoxLayout;
  top->addWidget(frame);
  top->addWidget(mergeButton_, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(status_);
  layout->addWidget(progressBar_);

  progress_ = Progress([this](const std::string& text, int bar) {
    ShowStatus(text);
    progressBar_->setValue(bar);
  });
  Load();
}

MergeWindow::~MergeWindow() {
  if (!restored_ && ctx_.setOtherWindowsEnabled) ctx_.setOtherWindowsEnabled(true);
}

void MergeWindow::Load() {
  BusyCursor busy;
  if (ctx_.setOtherWindowsEnabled) ctx_.setOtherWindowsEnabled(false);
  // A merge killed part-way (by another run since the league was loaded) is
  // put back before the lists and the stage are read.
  const Recovery recovery = RecoverInterruptedMerge(ctx_.leaguePath, ctx_.leagueName);
  if (recovery.found && ctx_.prompter)
    ctx_.prompter->Inform("Info", recovery.message, recovery.restored ? PromptIcon::Information : PromptIcon::Critical,
                          TextCoding::Utf8);
  rookies_ = league::ReadCollegeList(ctx_.leaguePath);
  faList_ = league::ReadFAList(ctx_.leaguePath);
  try {
    loadedStage_ = league::GetLeagueStage(ctx_.leaguePath);
  } catch (const league::LeagueError&) {
    // Without a readable stage nothing is preselected but "No Change".
    loadedStage_ = -1;
  }
  SelectStage(PreselectedStage(loadedStage_));
}

StageChoice MergeWindow::SelectedStage() const {
  switch (stages_->checkedId()) {
    case 1: return StageChoice::CollegeDraft;
    case 3: return StageChoice::Supplemental;
    case 5: return StageChoice::TrainingCamp;
    default: return StageChoice::NoChange;
  }
}

void MergeWindow::SelectStage(StageChoice choice) {
  if (auto* b = stages_->button(static_cast<int>(choice))) b->setChecked(true);
}

void MergeWindow::ShowStatus(const std::string& text) {
  QString shown = L1(text);
  if (!backupLine_.isEmpty()) shown += u'\n' + backupLine_;
  status_->setText(shown);
  // Repaint the label now without running the event loop: a socket event
  // handled in the middle of the merge could change the pick list under it.
  status_->repaint();
  progressBar_->repaint();
}

void MergeWindow::Update(const std::string& stg, int val1, int val2, int cl) { progress_.Update(stg, val1, val2, cl); }

void MergeWindow::RunMerge() {
  mergeButton_->setEnabled(false);
  for (auto* b : stages_->buttons()) b->setEnabled(false);
  status_->setVisible(true);
  progressBar_->setVisible(true);

  MergeInput input;
  input.leaguePath = ctx_.leaguePath;
  input.version = ctx_.version;
  input.leagueName = ctx_.leagueName;
  input.draftFile = ctx_.draftFile;
  if (ctx_.picks) input.picks = ctx_.picks();
  if (ctx_.teams) input.teams = ctx_.teams();
  input.rookies = rookies_;
  input.faList = faList_;
  input.stage = SelectedStage();

  MergeOptions options = ctx_.options;
  options.progress = [this](const std::string& text, int bar) {
    ShowStatus(text);
    progressBar_->setValue(bar);
  };
  auto userBackupMade = ctx_.options.backupMade;
  options.backupMade = [this, userBackupMade](const std::filesystem::path& folder) {
    backupLine_ = QStringLiteral("Backup: ") + widgets::ShownPath(pm::TextOfPath(folder));
    if (userBackupMade) userBackupMade(folder);
  };

  {
    BusyCursor busy;
    last_ = merge::RunMerge(std::move(input), options);
  }
  if (!last_.ok) {
    ShowStatus(CentreStatus(last_.restored ? "Merge stopped - league restored" : "Merge stopped"));
    mergeButton_->setEnabled(true);
    for (auto* b : stages_->buttons()) b->setEnabled(true);
    if (ctx_.reporter) ctx_.reporter->Report(last_.failureContext, last_.errorNumber, last_.failure);
    return;
  }
  if (ctx_.picksKept) ctx_.picksKept(last_.kept);
  if (ctx_.prompter) ctx_.prompter->Inform("Info", last_.closingMessage, PromptIcon::None, TextCoding::Utf8);
  accept();
  if (ctx_.reopenDraftControl) ctx_.reopenDraftControl();
  emit merged();
}

void MergeWindow::done(int result) {
  if (!restored_) {
    restored_ = true;
    if (ctx_.setOtherWindowsEnabled) ctx_.setOtherWindowsEnabled(true);
  }
  QDialog::done(result);
}

}  // namespace pm::server
