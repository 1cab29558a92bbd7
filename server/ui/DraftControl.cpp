#include "server/ui/DraftControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Common.h"
#include "draft/Pick.h"
#include "draft/PoolTable.h"
#include "server/engine/DraftServer.h"
#include "server/ui/DraftOrderWindow.h"
#include "server/ui/Guard.h"
#include "widgets/DrafteeList.h"
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

constexpr const char* kTimeAllowedKey = "draftControl/timeAllowed";

constexpr const char* kTimeRefused = "The time allowed must be a whole number of seconds from 1 to 32767.";

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
  connect(teamsList_, &QListWidget::itemDoubleClicked, this, [this] { OnTeamActivated(); });
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
  timeAllowed_ = new QLineEdit(this);
  timeAllowed_->setObjectName(QStringLiteral("TOC"));
  info->addWidget(timeAllowed_, 3, 1);
  info->addWidget(Caption(QStringLiteral("Round - Sel."), this), 4, 0, 1, 2);
  auto* pickRow = new QHBoxLayout;
  roundEdit_ = new QLineEdit(this);
  roundEdit_->setObjectName(QStringLiteral("Text1"));
  selectionEdit_ = new QLineEdit(this);
  selectionEdit_->setObjectName(QStringLiteral("Text2"));
  roundEdit_->setMaximumWidth(fm.horizontalAdvance(QStringLiteral("00000")) + 16);
  selectionEdit_->setMaximumWidth(fm.horizontalAdvance(QStringLiteral("00000")) + 16);
  pickRow->addWidget(roundEdit_);
  pickRow->addWidget(Caption(QStringLiteral("-"), this));
  pickRow->addWidget(selectionEdit_);
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
  delete_ = new QPushButton(QStringLiteral("&Delete"), ops);
  delete_->setObjectName(QStringLiteral("Command2"));
  merge_ = new QPushButton(QStringLiteral("&Merge"), ops);
  merge_->setObjectName(QStringLiteral("Command1"));
  opsLayout->addWidget(halt_, 0, 0);
  opsLayout->addWidget(kick_, 0, 1);
  opsLayout->addWidget(delete_, 1, 0);
  opsLayout->addWidget(merge_, 1, 1);
  left->addWidget(ops);

  auto* automatic = new QGroupBox(QStringLiteral("Automatic"), this);
  automatic->setObjectName(QStringLiteral("AutomaticFrame"));
  auto* autoLayout = new QGridLayout(automatic);
  runAuto_ = new QCheckBox(QStringLiteral("R&un automatically"), automatic);
  runAuto_->setObjectName(QStringLiteral("RunAuto"));
  order_ = new QPushButton(QStringLiteral("&Order..."), automatic);
  order_->setObjectName(QStringLiteral("OrderButton"));
  auto* ruleCaption = new QLabel(QStringLiteral("Absent or late &team:"), automatic);
  rule_ = new QComboBox(automatic);
  rule_->setObjectName(QStringLiteral("AutoDraftRule"));
  rule_->addItem(QStringLiteral("Wait for the Commish"));
  rule_->addItem(QStringLiteral("Best available by the ticked ratings"));
  ruleCaption->setBuddy(rule_);
  autoLayout->addWidget(runAuto_, 0, 0);
  autoLayout->addWidget(order_, 0, 1);
  autoLayout->addWidget(ruleCaption, 1, 0, 1, 2);
  autoLayout->addWidget(rule_, 2, 0, 1, 2);
  left->addWidget(automatic);
  grid->addLayout(left, 0, 0);

  draftees_ = new DrafteeList(this, QStringLiteral("Sort by:"));
  grid->addWidget(draftees_, 0, 1);

  auto* selections = new QGroupBox(QStringLiteral("Selections"), this);
  selections->setObjectName(QStringLiteral("SelectionsFrame"));
  auto* selLayout = new QVBoxLayout(selections);
  selections_ = new QListWidget(selections);
  selections_->setObjectName(QStringLiteral("List1"));
  selections_->setFont(fixed);
  selections_->setMinimumHeight(fm.lineSpacing() * 7);
  selLayout->addWidget(selections_);
  grid->addWidget(selections, 1, 0, 1, 2);
  grid->setRowStretch(0, 3);
  grid->setRowStretch(1, 1);

  merge_->setEnabled(false);
  delete_->setEnabled(false);
  halt_->setEnabled(false);

  connect(halt_, &QPushButton::clicked, this, [this] { OnHaltClicked(); });
  connect(kick_, &QPushButton::clicked, this, [this] { OnKickClicked(); });
  connect(delete_, &QPushButton::clicked, this, [this] { OnDeleteClicked(); });
  connect(merge_, &QPushButton::clicked, this, [this] { OnMergeClicked(); });
  connect(selections_, &QListWidget::itemSelectionChanged, this, [this] { UpdateDeleteButton(); });
  connect(draftees_, &DrafteeList::lineActivated, this, [this] { OnDrafteeActivated(); });
  connect(runAuto_, &QCheckBox::clicked, this, [this](bool on) {
    engine_.SetRunAutomatically(on);
    runAuto_->setChecked(engine_.RunningAutomatically());
  });
  connect(order_, &QPushButton::clicked, this, [this] { OnOrderClicked(); });
  connect(rule_, &QComboBox::activated, this, [this] { SendRule(); });
  // A rating box the Commish clicks changes the rule's ranking; the list's
  // own rebuilds (which untick the boxes) do not.
  for (int box = 0; box < draft::kRatingBoxes; ++box)
    connect(draftees_->RatingBox(box), &QCheckBox::clicked, this, [this] { SendRule(); });
  connect(timeAllowed_, &QLineEdit::textEdited, this, [this] { TimeAllowedEdited(); });
  connect(&engine_, &DraftServer::autoRunChanged, this, [this](bool on) {
    runAuto_->setChecked(on);
    UpdateHaltButton();
  });
  connect(roundEdit_, &QLineEdit::textEdited, this,
          [this] { engine_.SetNextPickText(ToL1(roundEdit_->text()), ToL1(selectionEdit_->text())); });
  connect(selectionEdit_, &QLineEdit::textEdited, this,
          [this] { engine_.SetNextPickText(ToL1(roundEdit_->text()), ToL1(selectionEdit_->text())); });

  connect(&engine_, &DraftServer::teamSignedOn, this, [this] { FillTeams(); });
  connect(&engine_, &DraftServer::teamSignedOff, this, [this] { FillTeams(); });
  connect(&engine_, &DraftServer::mergeEnabledChanged, merge_, &QPushButton::setEnabled);
  connect(&engine_, &DraftServer::pickRecorded, this, &DraftControl::PickRecorded);
  connect(&engine_, &DraftServer::picksChanged, this, [this] {
    FillSelections();
    draftees_->Rebuild();
  });
  connect(&engine_, &DraftServer::clockChanged, this, [this] { ShowClock(); });
  connect(&engine_, &DraftServer::nextPickChanged, this, [this] { ShowNextPick(); });

  draftees_->SetPicks(&engine_.Log().List());
}

void DraftControl::Load() {
  draftees_->SetPicks(&engine_.Log().List());
  draftees_->SetPool(draft::TableFromPool(engine_.Pool()));  // position 0, natural order
  FillTeams();
  merge_->setEnabled(engine_.MergeEnabled());
  FillSelections();
  ShowNextPick();
  ShowClock();
  timeAllowed_->setText(settings_ ? settings_->value(QLatin1String(kTimeAllowedKey), QStringLiteral("60")).toString()
                                  : QStringLiteral("60"));
  TimeAllowedEdited();
  runAuto_->setChecked(engine_.RunningAutomatically());
  rule_->setCurrentIndex(engine_.Rule() == AutoDraftRule::BestAvailable ? 1 : 0);
}

void DraftControl::TimeAllowedEdited() {
  const long long seconds = LeadingNumber(ToL1(timeAllowed_->text()));
  if (seconds < 1 || seconds > 32767) return;
  engine_.SetTimeAllowed(static_cast<int>(seconds));
  if (settings_) settings_->setValue(QLatin1String(kTimeAllowedKey), timeAllowed_->text());
}

void DraftControl::SendRule() {
  std::array<bool, draft::kRatingBoxes> ratings{};
  for (int box = 0; box < draft::kRatingBoxes; ++box) ratings[Index(box)] = draftees_->RatingBox(box)->isChecked();
  engine_.SetAutoDraftRule(rule_->currentIndex() == 1 ? AutoDraftRule::BestAvailable : AutoDraftRule::WaitForCommish,
                           ratings);
}

void DraftControl::OnOrderClicked() { OpenDraftOrder(engine_, prompter_, this); }

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
  selections_->clear();
  for (const std::string& line : engine_.SelectionLines()) selections_->addItem(L1(line));
  UpdateDeleteButton();
}

void DraftControl::PickRecorded(const draft::Pick& pick, bool byCommish) {
  selections_->addItem(L1(draft::DraftListFill(pick)));
  // A team's pick of the position shown takes the player out of the list;
  // the Commish's own pick removes its line itself and keeps the order.
  if (!byCommish) draftees_->RebuildIfShown(pick.position);
}

void DraftControl::ShowClock() {
  teamOnClock_->setText(L1(engine_.Clock().Team()));
  timeLeft_->setText(L1(engine_.Clock().TimeLeft()));
  UpdateHaltButton();
}

void DraftControl::UpdateHaltButton() {
  // Halt also ends an automatic run during its pause.
  halt_->setEnabled(engine_.Clock().OnClock() || engine_.RunningAutomatically());
}

void DraftControl::ShowNextPick() {
  if (roundEdit_->text() != L1(engine_.RoundText())) roundEdit_->setText(L1(engine_.RoundText()));
  if (selectionEdit_->text() != L1(engine_.SelectionText())) selectionEdit_->setText(L1(engine_.SelectionText()));
}

void DraftControl::UpdateDeleteButton() {
  QListWidgetItem* item = selections_->currentItem();
  delete_->setEnabled(item != nullptr && item->isSelected());
}

void DraftControl::OnTeamActivated() {
  Guard(engine_.Reporter(), "DraftControl_TeamsList_DblClick", [this] {
    QListWidgetItem* item = teamsList_->currentItem();
    if (engine_.Clock().Seconds() >= 1 || engine_.Clock().OnClock()) return;
    if (item == nullptr || !item->isSelected()) return;
    const std::string seconds = ToL1(timeAllowed_->text());
    // A time that is not a number, or does not fit the clock, is refused
    // before anything is sent; a time of 0 blocks the command silently.
    if (HasNoNumber(seconds)) {
      prompter_.Inform("Information.", kTimeRefused);
      return;
    }
    auto result =
        engine_.PutOnClock(ToL1(item->text()), seconds, ToL1(roundEdit_->text()), ToL1(selectionEdit_->text()));
    if (result == DraftServer::ClockResult::BadTime) prompter_.Inform("Information.", kTimeRefused);
  });
}

void DraftControl::OnDrafteeActivated() {
  Guard(engine_.Reporter(), "DraftControl_RookieList_DblClick", [this] {
    if (!engine_.Clock().OnClock()) return;
    if (!engine_.WaitingForCommish()) return;  // a connected team picks for itself
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

void DraftControl::OnHaltClicked() { engine_.Halt(); }

void DraftControl::OnKickClicked() {
  Guard(engine_.Reporter(), "DraftControl_Kick_Click", [this] {
    QListWidgetItem* item = teamsList_->currentItem();
    if (item == nullptr || !item->isSelected()) return;
    engine_.Kick(ToL1(item->text()));
  });
}

void DraftControl::OnDeleteClicked() {
  QListWidgetItem* item = selections_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  if (engine_.Clock().OnClock()) return;
  engine_.DeletePickAtLine(ToL1(item->text()));
}

void DraftControl::OnMergeClicked() {
  if (engine_.Log().Count() == 0 || selections_->count() == 0) return;
  if (mergeRequested) mergeRequested();
}

bool DraftControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == teamsList_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      OnTeamActivated();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::server
