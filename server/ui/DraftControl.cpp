#include "server/ui/DraftControl.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Common.h"
#include "server/engine/DraftServer.h"
#include "widgets/DrafteeList.h"
#include "server/ui/Guard.h"
#include "draft/PoolTable.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

using server::DraftServer;

namespace {

QLabel* Caption(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  return l;
}

// Text that holds no leading number at all (not even "0").
bool HasNoNumber(const std::string& text) {
  std::string t = Trim(text);
  std::size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
  return i >= t.size() || t[i] < '0' || t[i] > '9';
}

constexpr const char* kTimeRefused =
    "The time allowed must be a whole number of seconds from 1 to 32767.";

}  // namespace

DraftControl::DraftControl(DraftServer& engine, Prompter& prompter, QWidget* parent)
    : QWidget(parent), engine_(engine), prompter_(prompter) {
  setObjectName(QStringLiteral("DraftControl"));
  setWindowTitle(QStringLiteral("Draft Control"));
  const QFont fixed = FixedFont();
  QFontMetrics fm(fixed);

  auto* grid = new QGridLayout(this);

  // Left: teams, clock, next pick, operations.
  auto* left = new QVBoxLayout;
  auto* teamsFrame = new QGroupBox(QStringLiteral("Teams"), this);
  teamsFrame->setObjectName(QStringLiteral("TeamsFrame"));
  auto* teamsLayout = new QVBoxLayout(teamsFrame);
  teamsList_ = new QListWidget(teamsFrame);
  teamsList_->setObjectName(QStringLiteral("TeamsList"));
  teamsList_->setFont(fixed);
  teamsList_->setMinimumWidth(fm.horizontalAdvance(QString(24, QLatin1Char('W'))) / 1 + 24);
  teamsList_->installEventFilter(this);
  connect(teamsList_, &QListWidget::itemDoubleClicked, this, [this] { TeamsList_DblClick(); });
  teamsLayout->addWidget(teamsList_);
  left->addWidget(teamsFrame, 1);

  auto* info = new QGridLayout;
  info->addWidget(Caption(QStringLiteral("Currently on the clock:"), this), 0, 0, 1, 2);
  teamOnClock_ = new QLabel(this);
  teamOnClock_->setObjectName(QStringLiteral("TeamOnClock"));
  teamOnClock_->setFrameShape(QFrame::Panel);
  teamOnClock_->setFrameShadow(QFrame::Sunken);
  teamOnClock_->setMinimumHeight(fm.height() + 6);
  info->addWidget(teamOnClock_, 1, 0, 1, 2);
  info->addWidget(Caption(QStringLiteral("Time Left"), this), 2, 0);
  info->addWidget(Caption(QStringLiteral("Time allowed"), this), 2, 1);
  timeLeft_ = new QLabel(this);
  timeLeft_->setObjectName(QStringLiteral("TimeLeft"));
  timeLeft_->setFrameShape(QFrame::Panel);
  timeLeft_->setFrameShadow(QFrame::Sunken);
  timeLeft_->setMinimumHeight(fm.height() + 6);
  info->addWidget(timeLeft_, 3, 0);
  toc_ = new QLineEdit(this);
  toc_->setObjectName(QStringLiteral("TOC"));
  info->addWidget(toc_, 3, 1);
  info->addWidget(Caption(QStringLiteral("Round - Sel."), this), 4, 0, 1, 2);
  auto* pickRow = new QHBoxLayout;
  text1_ = new QLineEdit(this);
  text1_->setObjectName(QStringLiteral("Text1"));
  text2_ = new QLineEdit(this);
  text2_->setObjectName(QStringLiteral("Text2"));
  text1_->setMaximumWidth(fm.horizontalAdvance(QStringLiteral("00000")) + 16);
  text2_->setMaximumWidth(fm.horizontalAdvance(QStringLiteral("00000")) + 16);
  pickRow->addWidget(text1_);
  pickRow->addWidget(Caption(QStringLiteral("-"), this));
  pickRow->addWidget(text2_);
  pickRow->addStretch(1);
  info->addLayout(pickRow, 5, 0, 1, 2);
  left->addLayout(info);

  auto* ops = new QGroupBox(QStringLiteral("Operations"), this);
  ops->setObjectName(QStringLiteral("OperationsFrame"));
  auto* opsLayout = new QGridLayout(ops);
  halt_ = new QPushButton(QStringLiteral("&Halt"), ops);
  halt_->setObjectName(QStringLiteral("Halt"));
  kick_ = new QPushButton(QStringLiteral("&Kick"), ops);
  kick_->setObjectName(QStringLiteral("Kick"));
  command2_ = new QPushButton(QStringLiteral("&Delete"), ops);
  command2_->setObjectName(QStringLiteral("Command2"));
  command1_ = new QPushButton(QStringLiteral("&Merge"), ops);
  command1_->setObjectName(QStringLiteral("Command1"));
  opsLayout->addWidget(halt_, 0, 0);
  opsLayout->addWidget(kick_, 0, 1);
  opsLayout->addWidget(command2_, 1, 0);
  opsLayout->addWidget(command1_, 1, 1);
  left->addWidget(ops);
  grid->addLayout(left, 0, 0);

  draftees_ = new DrafteeList(this, QStringLiteral("Sort by:"));
  grid->addWidget(draftees_, 0, 1);

  auto* selections = new QGroupBox(QStringLiteral("Selections"), this);
  selections->setObjectName(QStringLiteral("SelectionsFrame"));
  auto* selLayout = new QVBoxLayout(selections);
  list1_ = new QListWidget(selections);
  list1_->setObjectName(QStringLiteral("List1"));
  list1_->setFont(fixed);
  list1_->setMinimumHeight(fm.lineSpacing() * 7);
  selLayout->addWidget(list1_);
  grid->addWidget(selections, 1, 0, 1, 2);
  grid->setRowStretch(0, 3);
  grid->setRowStretch(1, 1);

  command1_->setEnabled(false);
  command2_->setEnabled(false);
  halt_->setEnabled(false);

  connect(halt_, &QPushButton::clicked, this, [this] { Halt_Click(); });
  connect(kick_, &QPushButton::clicked, this, [this] { Kick_Click(); });
  connect(command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(list1_, &QListWidget::itemSelectionChanged, this, [this] { UpdateDeleteButton(); });
  connect(draftees_, &DrafteeList::lineActivated, this, [this] { RookieList_DblClick(); });
  connect(draftees_, &DrafteeList::positionSelected, this,
          [this](int index) { engine_.SetCurrentPosition(index); });
  connect(text1_, &QLineEdit::textEdited, this,
          [this] { engine_.SetNextPickText(ToL1(text1_->text()), ToL1(text2_->text())); });
  connect(text2_, &QLineEdit::textEdited, this,
          [this] { engine_.SetNextPickText(ToL1(text1_->text()), ToL1(text2_->text())); });

  connect(&engine_, &DraftServer::teamSignedOn, this, [this] { FillTeams(); });
  connect(&engine_, &DraftServer::teamSignedOff, this, [this] { FillTeams(); });
  connect(&engine_, &DraftServer::mergeEnabledChanged, command1_, &QPushButton::setEnabled);
  connect(&engine_, &DraftServer::selectionAdded, this, [this](const QString& line) { list1_->addItem(line); });
  connect(&engine_, &DraftServer::selectionsReset, this, [this] { FillSelections(); });
  connect(&engine_, &DraftServer::clockChanged, this, [this] { ShowClock(); });
  connect(&engine_, &DraftServer::nextPickChanged, this, [this] { ShowNextPick(); });
  connect(&engine_, &DraftServer::drafteeListRebuild, this, [this] { draftees_->Rebuild(); });

  draftees_->SetPickList(&engine_.PickList());
}

void DraftControl::Load() {
  draftees_->SetPickList(&engine_.PickList());
  draftees_->SetPool(draft::TableFromPool(engine_.Pool()));  // position 0, natural order
  FillTeams();
  command1_->setEnabled(engine_.MergeEnabled());
  FillSelections();
  ShowNextPick();
  ShowClock();
  toc_->setText(QStringLiteral("60"));
}

void DraftControl::FillTeams() {
  QString chosen;
  if (QListWidgetItem* item = teamsList_->currentItem()) chosen = item->text().remove(QLatin1Char('*'));
  // A sorted list, letter case ignored.
  QStringList lines;
  for (const std::string& line : engine_.TeamLines()) lines << L1(line);
  std::stable_sort(lines.begin(), lines.end(),
                   [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  teamsList_->clear();
  teamsList_->addItems(lines);
  if (!chosen.isEmpty()) {
    for (int i = 0; i < teamsList_->count(); ++i) {
      if (teamsList_->item(i)->text().remove(QLatin1Char('*')) == chosen) {
        teamsList_->setCurrentRow(i);
        break;
      }
    }
  }
}

void DraftControl::FillSelections() {
  list1_->clear();
  for (const std::string& line : engine_.SelectionLines()) list1_->addItem(L1(line));
  UpdateDeleteButton();
}

void DraftControl::ShowClock() {
  teamOnClock_->setText(L1(engine_.TeamOnClock()));
  timeLeft_->setText(L1(engine_.TimeLeft()));
  halt_->setEnabled(!engine_.TeamOnClock().empty());
}

void DraftControl::ShowNextPick() {
  if (text1_->text() != L1(engine_.Text1())) text1_->setText(L1(engine_.Text1()));
  if (text2_->text() != L1(engine_.Text2())) text2_->setText(L1(engine_.Text2()));
}

void DraftControl::UpdateDeleteButton() {
  QListWidgetItem* item = list1_->currentItem();
  command2_->setEnabled(item != nullptr && item->isSelected());
}

void DraftControl::TeamsList_DblClick() {
  Guard(engine_.Reporter(), "DraftControl_TeamsList_DblClick", [this] {
    QListWidgetItem* item = teamsList_->currentItem();
    if (engine_.ClockSeconds() >= 1 || !engine_.TeamOnClock().empty()) return;
    if (item == nullptr || !item->isSelected()) return;
    const std::string seconds = ToL1(toc_->text());
    // A time that is not a number, or does not fit the clock, is refused
    // before anything is sent; a time of 0 blocks the command silently.
    if (HasNoNumber(seconds)) {
      prompter_.Inform("Information.", kTimeRefused);
      return;
    }
    auto result = engine_.PutOnClock(ToL1(item->text()), seconds, ToL1(text1_->text()), ToL1(text2_->text()));
    if (result == DraftServer::ClockResult::BadTime) prompter_.Inform("Information.", kTimeRefused);
  });
}

void DraftControl::RookieList_DblClick() {
  Guard(engine_.Reporter(), "DraftControl_RookieList_DblClick", [this] {
    if (engine_.TeamOnClock().empty()) return;
    int t = engine_.TeamIndexOf(engine_.TeamOnClock());
    if (t > 0 && engine_.Team(t).signedOn) return;  // a connected team picks for itself
    const std::string line = draftees_->SelectedLine();
    if (line.empty()) return;
    draft::LineSelection sel = draft::ReadLine(line);
    const std::string position = draftees_->PositionCaption();
    auto result = engine_.CommishPick(sel.pidText, sel.name, position);
    if (result == DraftServer::PickResult::Picked) {
      // The confirmation box lets other events run, and a rebuild may have
      // moved the lines meanwhile: the line is found again by its PID.
      const auto& lines = draftees_->Model().Lines();
      for (std::size_t i = 0; i < lines.size(); ++i) {
        if (draft::ReadLine(lines[i]).pidText == sel.pidText) {
          draftees_->RemoveLine(static_cast<int>(i));
          break;
        }
      }
    } else if (result == DraftServer::PickResult::Taken) {
      prompter_.Inform("Information.", position + " " + sel.name + " already selected.");
      draftees_->Rebuild();
    } else if (result == DraftServer::PickResult::Full) {
      prompter_.Inform("Information.", "The draft holds 1000 picks; no more picks can be recorded.");
    }
  });
}

void DraftControl::Halt_Click() { engine_.Halt(); }

void DraftControl::Kick_Click() {
  Guard(engine_.Reporter(), "DraftControl_Kick_Click", [this] {
    QListWidgetItem* item = teamsList_->currentItem();
    if (item == nullptr || !item->isSelected()) return;
    engine_.Kick(ToL1(item->text()));
  });
}

void DraftControl::Command2_Click() {
  QListWidgetItem* item = list1_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  if (!engine_.TeamOnClock().empty()) return;
  engine_.DeletePickAtLine(ToL1(item->text()));
}

void DraftControl::Command1_Click() {
  if (engine_.PickCount() == 0 || list1_->count() == 0) return;
  emit mergeClicked();
  if (mergeRequested) mergeRequested();
}

bool DraftControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == teamsList_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      TeamsList_DblClick();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::server
