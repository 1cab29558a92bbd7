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

MergeWindow::MergeWindow(MergeContext context, QWidget* parent)
    : QDialog(parent), ctx_(std::move(context)) {
  setObjectName(QStringLiteral("Merge"));
  setWindowTitle(QStringLiteral("Merge"));
  setModal(true);

  command1_ = new QPushButton(QStringLiteral("&Merge"), this);
  command1_->setObjectName(QStringLiteral("Command1"));
  connect(command1_, &QPushButton::clicked, this, &MergeWindow::RunMerge);

  auto* frame = new QGroupBox(QStringLiteral("League Stage"), this);
  frame->setObjectName(QStringLiteral("Frame1"));
  auto* frameLayout = new QVBoxLayout(frame);
  option1_ = new QButtonGroup(this);
  const std::pair<int, const char*> options[] = {
      {0, "&No Change"}, {1, "&Start College Draft"}, {3, "S&upplemental Start"}, {5, "Start &Training Camp"}};
  for (const auto& [index, caption] : options) {
    auto* button = new QRadioButton(QString::fromLatin1(caption), frame);
    button->setObjectName(QStringLiteral("Option1_%1").arg(index));
    option1_->addButton(button, index);
    frameLayout->addWidget(button);
  }

  label1_ = new QLabel(this);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setFont(FixedFont());
  label1_->setTextFormat(Qt::PlainText);
  label1_->setWordWrap(true);
  label1_->setVisible(false);

  guage_ = new QProgressBar(this);
  guage_->setObjectName(QStringLiteral("Guage"));
  guage_->setRange(0, 100);
  guage_->setValue(0);
  guage_->setVisible(false);

  auto* top = new QHBoxLayout;
  top->addWidget(frame);
  top->addWidget(command1_, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(label1_);
  layout->addWidget(guage_);

  progress_ = Progress([this](const std::string& text, int bar) {
    ShowStatus(text);
    guage_->setValue(bar);
  });
  Load();
}

MergeWindow::~MergeWindow() {
  if (!restored_ && ctx_.setOtherWindowsEnabled) ctx_.setOtherWindowsEnabled(true);
}

void MergeWindow::Load() {
  BusyCursor busy;
  if (ctx_.setOtherWindowsEnabled) ctx_.setOtherWindowsEnabled(false);
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
  switch (option1_->checkedId()) {
    case 1: return StageChoice::CollegeDraft;
    case 3: return StageChoice::Supplemental;
    case 5: return StageChoice::TrainingCamp;
    default: return StageChoice::NoChange;
  }
}

void MergeWindow::SelectStage(StageChoice choice) {
  if (auto* b = option1_->button(static_cast<int>(choice))) b->setChecked(true);
}

void MergeWindow::ShowStatus(const std::string& text) {
  std::string shown = text;
  if (!backupLine_.empty()) shown += "\n" + backupLine_;
  label1_->setText(L1(shown));
  // Repaint the label now without running the event loop: a socket event
  // handled in the middle of the merge could change the pick list under it.
  label1_->repaint();
  guage_->repaint();
}

void MergeWindow::Update(const std::string& stg, int val1, int val2, int cl) {
  progress_.Update(stg, val1, val2, cl);
}

void MergeWindow::RunMerge() {
  command1_->setEnabled(false);
  for (auto* b : option1_->buttons()) b->setEnabled(false);
  label1_->setVisible(true);
  guage_->setVisible(true);

  MergeInput input;
  input.leaguePath = ctx_.leaguePath;
  input.version = ctx_.version;
  input.leagueName = ctx_.leagueName;
  input.draftFile = ctx_.draftFile;
  if (ctx_.pickList) input.pickList = ctx_.pickList();
  if (ctx_.teamTable) input.teamTable = ctx_.teamTable();
  input.rookies = rookies_;
  input.faList = faList_;
  input.stage = SelectedStage();

  MergeOptions options = ctx_.options;
  options.progress = [this](const std::string& text, int bar) {
    ShowStatus(text);
    guage_->setValue(bar);
  };
  auto userBackupMade = ctx_.options.backupMade;
  options.backupMade = [this, userBackupMade](const std::filesystem::path& folder) {
    backupLine_ = "Backup: " + folder.string();
    if (userBackupMade) userBackupMade(folder);
  };

  {
    BusyCursor busy;
    last_ = merge::RunMerge(std::move(input), options);
  }
  if (!last_.ok) {
    ShowStatus(CentreStatus(last_.restored ? "Merge stopped - league restored" : "Merge stopped"));
    command1_->setEnabled(true);
    for (auto* b : option1_->buttons()) b->setEnabled(true);
    if (ctx_.reporter) ctx_.reporter->Report(last_.failureContext, last_.errorNumber, last_.failure);
    return;
  }
  if (ctx_.picksKept) ctx_.picksKept(last_.keptPickList);
  if (ctx_.prompter) ctx_.prompter->Inform("Info", last_.closingMessage);
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
