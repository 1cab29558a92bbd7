#include "server/ui/DraftControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Common.h"
#include "common/ErrorContexts.h"
#include "draft/Pick.h"
#include "draft/PoolTable.h"
#include "server/engine/DraftServer.h"
#include "server/ui/DraftOrderWindow.h"
#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"
#ifdef PICKMILL_WEB_BOARD
#include "server/web/WebBoard.h"
#endif

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

constexpr const char* kWebBoardKey = "draftControl/webBoard";
constexpr const char* kWebPortKey = "draftControl/webPort";
constexpr const char* kNotifyUrlKey = "draftControl/notifyUrl";
constexpr int kDefaultWebPort = 8080;

std::string TimeRefused() {
  return "The time allowed must be a whole number of seconds from 1 to " + Num(kMaxClockSeconds) + ".";
}

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
  pauseDraft_ = new QPushButton(QStringLiteral("Pau&se draft"), ops);
  pauseDraft_->setObjectName(QStringLiteral("PauseDraft"));
  pauseDraft_->setToolTip(
      QStringLiteral("Stop the clock: the team on the clock keeps its seconds, and nobody picks until Resume"));
  opsLayout->addWidget(halt_, 0, 0);
  opsLayout->addWidget(kick_, 0, 1);
  opsLayout->addWidget(delete_, 1, 0);
  opsLayout->addWidget(merge_, 1, 1);
  opsLayout->addWidget(pauseDraft_, 2, 0, 1, 2);
  left->addWidget(ops);

  left->addWidget(BuildAutomatic());
  if (QWidget* webRow = BuildWebBoard()) left->addWidget(webRow);
  left->addWidget(BuildNotify());
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
  selections_->installEventFilter(this);
  selLayout->addWidget(selections_);
  grid->addWidget(selections, 1, 0, 1, 2);
  grid->setRowStretch(0, 3);
  grid->setRowStretch(1, 1);

  merge_->setEnabled(false);
  delete_->setEnabled(false);
  halt_->setEnabled(false);
  pauseDraft_->setEnabled(false);

  connect(halt_, &QPushButton::clicked, this, [this] { OnHaltClicked(); });
  connect(pauseDraft_, &QPushButton::clicked, this, [this] {
    if (!engine_.ResumeDraft()) engine_.PauseDraft();
  });
  connect(&engine_, &DraftServer::pauseChanged, this, [this] { ShowPause(); });
  connect(kick_, &QPushButton::clicked, this, [this] { OnKickClicked(); });
  connect(delete_, &QPushButton::clicked, this, [this] { OnDeleteClicked(); });
  connect(merge_, &QPushButton::clicked, this, [this] { OnMergeClicked(); });
  connect(selections_, &QListWidget::itemSelectionChanged, this, [this] { UpdateDeleteButton(); });
  connect(draftees_, &DrafteeList::playerActivated, this, [this](int pid) { OnPlayerActivated(pid); });
  connect(timeAllowed_, &QLineEdit::textEdited, this, [this] { TimeAllowedEdited(); });
  connect(roundEdit_, &QLineEdit::textEdited, this, [this] { NextPickEdited(); });
  connect(selectionEdit_, &QLineEdit::textEdited, this, [this] { NextPickEdited(); });

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
  connect(&engine_, &DraftServer::autoRunChanged, this, [this](bool on) {
    runAuto_->setChecked(on);
    UpdateHaltButton();
  });
  connect(&engine_, &DraftServer::runStatusChanged, this, [this] { runStatus_->setText(L1(engine_.RunStatus())); });
  connect(&engine_, &DraftServer::orderChanged, this, [this] { ShowRunSettings(); });

  draftees_->SetPicks(&engine_.Log().List());
}

// The automatic run: Run automatically and the order; the rule for absent
// and late teams with the ratings it sums (boxes of their own, so that
// sorting the list never changes the rule); the pause between picks; the
// time a team gets while its owner is away; the start time; and a line that
// says what the run is doing.
QWidget* DraftControl::BuildAutomatic() {
  auto* automatic = new QGroupBox(QStringLiteral("Automatic"), this);
  automatic->setObjectName(QStringLiteral("AutomaticFrame"));
  auto* grid = new QGridLayout(automatic);
  runAuto_ = new QCheckBox(QStringLiteral("R&un automatically"), automatic);
  runAuto_->setObjectName(QStringLiteral("RunAuto"));
  order_ = new QPushButton(QStringLiteral("&Order..."), automatic);
  order_->setObjectName(QStringLiteral("OrderButton"));
  grid->addWidget(runAuto_, 0, 0);
  grid->addWidget(order_, 0, 1);

  auto* ruleCaption = new QLabel(QStringLiteral("Absent or late &team:"), automatic);
  rule_ = new QComboBox(automatic);
  rule_->setObjectName(QStringLiteral("AutoDraftRule"));
  rule_->addItem(QStringLiteral("Wait for the Commish"));
  rule_->addItem(QStringLiteral("Best available by the ratings"));
  ruleCaption->setBuddy(rule_);
  grid->addWidget(ruleCaption, 1, 0, 1, 2);
  grid->addWidget(rule_, 2, 0, 1, 2);
  auto* ratings = new QHBoxLayout;
  ratings->setSpacing(2);
  for (int box = 0; box < draft::kRatingBoxes; ++box) {
    QString caption = QString::fromLatin1(draft::kRatingCaptions[Index(box)]);
    caption.remove(u'&');
    auto* check = new QCheckBox(caption, automatic);
    check->setObjectName(QStringLiteral("RuleRating%1").arg(box));
    ruleRatings_[Index(box)] = check;
    ratings->addWidget(check);
    connect(check, &QCheckBox::clicked, this, [this] { SendRunSettings(); });
  }
  grid->addLayout(ratings, 3, 0, 1, 2);

  auto* pauseCaption = new QLabel(QStringLiteral("&Pause between picks:"), automatic);
  pause_ = new QSpinBox(automatic);
  pause_->setObjectName(QStringLiteral("PauseSeconds"));
  pause_->setRange(0, draft::kMaxPauseSeconds);
  pause_->setSuffix(QStringLiteral(" s"));
  pauseCaption->setBuddy(pause_);
  grid->addWidget(pauseCaption, 4, 0);
  grid->addWidget(pause_, 4, 1);

  auto* absentCaption = new QLabel(QStringLiteral("Absent team's ti&me:"), automatic);
  absentTime_ = new QSpinBox(automatic);
  absentTime_->setObjectName(QStringLiteral("AbsentTime"));
  absentTime_->setRange(0, kMaxClockSeconds);
  absentTime_->setSuffix(QStringLiteral(" s"));
  absentTime_->setSpecialValueText(QStringLiteral("the time allowed"));
  absentCaption->setBuddy(absentTime_);
  grid->addWidget(absentCaption, 5, 0);
  grid->addWidget(absentTime_, 5, 1);

  startAtBox_ = new QCheckBox(QStringLiteral("Start &at:"), automatic);
  startAtBox_->setObjectName(QStringLiteral("StartAtBox"));
  startAt_ = new QDateTimeEdit(QDateTime::currentDateTime().addSecs(3600), automatic);
  startAt_->setObjectName(QStringLiteral("StartAt"));
  startAt_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
  startAt_->setEnabled(false);
  grid->addWidget(startAtBox_, 6, 0);
  grid->addWidget(startAt_, 6, 1);

  runStatus_ = new QLabel(automatic);
  runStatus_->setObjectName(QStringLiteral("RunStatus"));
  runStatus_->setWordWrap(true);
  grid->addWidget(runStatus_, 7, 0, 1, 2);

  connect(runAuto_, &QCheckBox::clicked, this, [this](bool on) {
    engine_.SetRunAutomatically(on);
    runAuto_->setChecked(engine_.RunningAutomatically());
    engine_.SaveOrder();
  });
  connect(order_, &QPushButton::clicked, this, [this] { OnOrderClicked(); });
  connect(rule_, &QComboBox::activated, this, [this] { SendRunSettings(); });
  connect(pause_, &QSpinBox::editingFinished, this, [this] { SendRunSettings(); });
  connect(absentTime_, &QSpinBox::editingFinished, this, [this] { SendRunSettings(); });
  connect(startAtBox_, &QCheckBox::toggled, this, [this] { SendStartTime(); });
  connect(startAt_, &QDateTimeEdit::editingFinished, this, [this] { SendStartTime(); });
  return automatic;
}

// One row: the box and the port. Built only into a PKServer that has the
// web board.
QWidget* DraftControl::BuildWebBoard() {
#ifdef PICKMILL_WEB_BOARD
  auto* row = new QWidget(this);
  row->setObjectName(QStringLiteral("WebBoardRow"));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  webBox_ = new QCheckBox(QStringLiteral("We&b board on port"), row);
  webBox_->setObjectName(QStringLiteral("WebBoard"));
  webBox_->setToolTip(QStringLiteral("Serve a read-only live draft board that anyone can watch in a browser"));
  webPort_ = new QSpinBox(row);
  webPort_->setObjectName(QStringLiteral("WebPort"));
  webPort_->setRange(1, 65535);
  webPort_->setValue(kDefaultWebPort);
  layout->addWidget(webBox_);
  layout->addWidget(webPort_);
  layout->addStretch(1);
  web_ = new web::WebBoard(engine_, this);
  connect(webBox_, &QCheckBox::clicked, this, [this] { ApplyWebBoard(); });
  connect(webPort_, &QSpinBox::editingFinished, this, [this] {
    if (web_->Port() != webPort_->value()) ApplyWebBoard();
  });
  return row;
#else
  return nullptr;
#endif
}

// One row: the address the server posts its draft events to.
QWidget* DraftControl::BuildNotify() {
  auto* row = new QWidget(this);
  row->setObjectName(QStringLiteral("NotifyRow"));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  notifyUrl_ = new QLineEdit(row);
  notifyUrl_->setObjectName(QStringLiteral("NotifyUrl"));
  notifyUrl_->setPlaceholderText(QStringLiteral("https://chat.example.org/hooks/..."));
  notifyUrl_->setToolTip(
      QStringLiteral("Post each team on the clock, pick, pause and the end of the draft to this "
                     "address (a league chat's incoming webhook); empty: off"));
  auto* label = new QLabel(QStringLiteral("&Notify:"), row);
  label->setBuddy(notifyUrl_);
  layout->addWidget(label);
  layout->addWidget(notifyUrl_, 1);
  connect(notifyUrl_, &QLineEdit::editingFinished, this, [this] { ApplyNotifyUrl(); });
  return row;
}

void DraftControl::ApplyNotifyUrl() {
  const QString url = notifyUrl_->text().trimmed();
  if (url == engine_.NotifyUrl()) return;
  if (!engine_.SetNotifyUrl(url)) {
    emit chatNote(
        QStringLiteral("The address %1 cannot take draft events: give an http:// or https:// address.").arg(url));
    return;
  }
  if (settings_) settings_->setValue(QLatin1String(kNotifyUrlKey), url);
  emit chatNote(url.isEmpty() ? QStringLiteral("Draft events are no longer posted.")
                              : QStringLiteral("Draft events are posted to %1.").arg(url));
}

void DraftControl::ShowPause() {
  pauseDraft_->setText(engine_.PausedByCommish() ? QStringLiteral("Re&sume draft") : QStringLiteral("Pau&se draft"));
  pauseDraft_->setEnabled(engine_.LeagueLoaded());
}

void DraftControl::ApplyWebBoard() {
#ifdef PICKMILL_WEB_BOARD
  if (settings_) {
    settings_->setValue(QLatin1String(kWebBoardKey), webBox_->isChecked());
    settings_->setValue(QLatin1String(kWebPortKey), webPort_->value());
  }
  if (!webBox_->isChecked()) {
    if (web_->Serving()) emit chatNote(QStringLiteral("The web board is off."));
    web_->Stop();
    return;
  }
  web::WebBoardOptions options;
  options.port = static_cast<quint16>(webPort_->value());
  QString error;
  if (!web_->Start(options, &error)) {
    webBox_->setChecked(false);
    emit chatNote(QStringLiteral("The web board cannot use port %1: %2").arg(webPort_->value()).arg(error));
    return;
  }
  emit chatNote(QStringLiteral("The web board is on. Share this address to let anyone watch the draft in a browser: %1")
                    .arg(web_->ShareAddress()));
#endif
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
  runStatus_->setText(L1(engine_.RunStatus()));
  ShowRunSettings();
  ShowPause();
  if (settings_) {
    notifyUrl_->setText(settings_->value(QLatin1String(kNotifyUrlKey)).toString());
    ApplyNotifyUrl();
  }
#ifdef PICKMILL_WEB_BOARD
  if (settings_ && !web_->Serving()) {
    webPort_->setValue(settings_->value(QLatin1String(kWebPortKey), kDefaultWebPort).toInt());
    webBox_->setChecked(settings_->value(QLatin1String(kWebBoardKey), false).toBool());
    if (webBox_->isChecked()) ApplyWebBoard();
  }
#endif
}

void DraftControl::TimeAllowedEdited() {
  const long long seconds = LeadingNumber(ToL1(timeAllowed_->text()));
  if (seconds < 1 || seconds > kMaxClockSeconds) return;
  engine_.SetTimeAllowed(static_cast<int>(seconds));
  if (settings_) settings_->setValue(QLatin1String(kTimeAllowedKey), timeAllowed_->text());
}

void DraftControl::ShowRunSettings() {
  const draft::AutoDraftSettings& s = engine_.Order().settings;
  rule_->setCurrentIndex(s.rule == AutoDraftRule::BestAvailable ? 1 : 0);
  for (int box = 0; box < draft::kRatingBoxes; ++box) ruleRatings_[Index(box)]->setChecked(s.ratings[Index(box)]);
  pause_->setValue(s.pauseSeconds);
  absentTime_->setValue(s.absentSeconds.value_or(0));
}

void DraftControl::SendRunSettings() {
  draft::Ratings ratings{};
  for (int box = 0; box < draft::kRatingBoxes; ++box) ratings[Index(box)] = ruleRatings_[Index(box)]->isChecked();
  engine_.SetAutoDraftRule(rule_->currentIndex() == 1 ? AutoDraftRule::BestAvailable : AutoDraftRule::WaitForCommish,
                           ratings);
  engine_.SetPauseSeconds(pause_->value());
  engine_.SetAbsentTime(absentTime_->value() > 0 ? std::optional<int>(absentTime_->value()) : std::nullopt);
  // Kept with the order, so that a restart runs by the same settings.
  engine_.SaveOrder();
}

void DraftControl::SendStartTime() {
  startAt_->setEnabled(startAtBox_->isChecked());
  engine_.SetStartTime(startAtBox_->isChecked() ? std::optional<int64_t>(startAt_->dateTime().toMSecsSinceEpoch())
                                                : std::nullopt);
}

void DraftControl::OnOrderClicked() { OpenDraftOrder(engine_, prompter_, this); }

// A sorted list, letter case ignored; each item carries its team.
void DraftControl::FillTeams() {
  const int chosen = teamsList_->currentItem() ? teamsList_->currentItem()->data(Qt::UserRole).toInt() : 0;
  std::vector<int> teams;
  for (int t = 1; t <= engine_.TeamCount(); ++t) teams.push_back(t);
  std::stable_sort(teams.begin(), teams.end(), [this](int a, int b) {
    return L1(engine_.Team(a).name).compare(L1(engine_.Team(b).name), Qt::CaseInsensitive) < 0;
  });
  teamsList_->clear();
  for (int t : teams) {
    auto* item = new QListWidgetItem(L1(engine_.Team(t).name + (engine_.Team(t).signedOn ? "*" : "")));
    item->setData(Qt::UserRole, t);
    teamsList_->addItem(item);
    if (t == chosen) teamsList_->setCurrentItem(item);
  }
}

draft::PickLabel DraftControl::LabelOf(const QListWidgetItem* item) {
  return {item->data(Qt::UserRole).toInt(), item->data(Qt::UserRole + 1).toInt()};
}

void DraftControl::FillSelections() {
  selections_->clear();
  for (const draft::Pick& pick : engine_.Log().Picks()) AddSelection(pick);
  UpdateDeleteButton();
}

// In label order (a pick made again at a deleted label goes back to its
// place), the newest in view.
void DraftControl::AddSelection(const draft::Pick& pick) {
  int row = selections_->count();
  while (row > 0 && pick.label < LabelOf(selections_->item(row - 1))) --row;
  auto* item = new QListWidgetItem(L1(draft::DraftListFill(pick)));
  item->setData(Qt::UserRole, pick.label.round);
  item->setData(Qt::UserRole + 1, pick.label.selection);
  selections_->insertItem(row, item);
  selections_->scrollToItem(item);
}

void DraftControl::PickRecorded(const draft::Pick& pick, bool byCommish) {
  AddSelection(pick);
  // A team's pick of the position shown takes the player out of the list;
  // the Commish's own pick removes its line itself and keeps the order.
  if (!byCommish) draftees_->RebuildIfShown(pick.position);
}

void DraftControl::ShowClock() {
  const DraftClock& clock = engine_.Clock();
  teamOnClock_->setText(clock.OnClock() ? L1(engine_.Team(clock.Team()).name) : QString());
  timeLeft_->setText(clock.Running()  ? QString::number(clock.Seconds())
                     : clock.Paused() ? QStringLiteral("%1 (paused)").arg(clock.SecondsLeft())
                                      : QString());
  UpdateHaltButton();
}

void DraftControl::UpdateHaltButton() {
  // Halt also ends an automatic run during its pause.
  halt_->setEnabled(engine_.Clock().OnClock() || engine_.RunningAutomatically());
}

// The edits are left alone while they hold the label already, so that
// typing "01" is not rewritten under the Commish's hands.
void DraftControl::ShowNextPick() {
  const draft::PickLabel next = engine_.NextLabel();
  // After the order's last pick there is no next pick to show.
  const draft::DraftOrder& order = engine_.Order();
  if (!order.teams.empty() && next.round > order.rounds) {
    roundEdit_->clear();
    selectionEdit_->clear();
    return;
  }
  if (LeadingNumber(ToL1(roundEdit_->text())) != next.round) roundEdit_->setText(QString::number(next.round));
  if (LeadingNumber(ToL1(selectionEdit_->text())) != next.selection)
    selectionEdit_->setText(QString::number(next.selection));
}

void DraftControl::NextPickEdited() {
  engine_.SetNextLabel({static_cast<int>(LeadingNumber(ToL1(roundEdit_->text()))),
                        static_cast<int>(LeadingNumber(ToL1(selectionEdit_->text())))});
}

void DraftControl::UpdateDeleteButton() {
  QListWidgetItem* item = selections_->currentItem();
  delete_->setEnabled(item != nullptr && item->isSelected());
}

void DraftControl::OnTeamActivated() {
  Trap(engine_.Reporter(), context::kTeamsListActivated, [this] {
    QListWidgetItem* item = teamsList_->currentItem();
    if (engine_.Clock().OnClock()) return;
    if (item == nullptr || !item->isSelected()) return;
    const std::string seconds = ToL1(timeAllowed_->text());
    // A time that is not a number, or does not fit the clock, is refused
    // before anything is sent; a time of 0 blocks the command silently.
    if (HasNoNumber(seconds)) {
      prompter_.Inform("Information.", TimeRefused());
      return;
    }
    const long long time = LeadingNumber(seconds);
    if (time == 0) return;
    if (time < 1 || time > kMaxClockSeconds) {
      prompter_.Inform("Information.", TimeRefused());
      return;
    }
    const int team = item->data(Qt::UserRole).toInt();
    const draft::PickLabel label{static_cast<int>(LeadingNumber(ToL1(roundEdit_->text()))),
                                 static_cast<int>(LeadingNumber(ToL1(selectionEdit_->text())))};
    switch (engine_.PutOnClock(team, static_cast<int>(time), label)) {
      case DraftServer::ClockResult::MustSelect:
        prompter_.Inform("Information.", "You will have to select for " + engine_.Team(team).name + ".");
        break;
      case DraftServer::ClockResult::BadTime: prompter_.Inform("Information.", TimeRefused()); break;
      case DraftServer::ClockResult::BadLabel:
        prompter_.Inform("Information.", "Round - Sel. is not a pick of this draft: the selection runs from 1 to " +
                                             Num(engine_.TeamCount()) + ", and a draft holds at most " +
                                             Num(draft::kMaxPicks) + " picks.");
        break;
      default: break;
    }
  });
}

void DraftControl::OnPlayerActivated(int pid) {
  Trap(engine_.Reporter(), context::kRookieListActivated, [this, pid] {
    // A connected team picks for itself.
    if (!engine_.CommishMayPick()) return;
    const DraftServer::PoolPlayer* player = engine_.FindPlayer(pid);
    if (!player) return;
    // What the Commish sees when he decides; the engine checks it still holds.
    const int team = engine_.Clock().Team();
    const draft::PickLabel label = engine_.Clock().Label();
    const std::string name = player->name;
    const std::string position = player->position;
    if (!prompter_.Confirm("Draft Selection", "Are you sure you want to select " + name + "?", PromptIcon::Question,
                           PromptAnswer::No, true))
      return;
    switch (engine_.CommishPick(pid, team, label)) {
      case DraftServer::PickResult::Picked: draftees_->RemovePlayer(pid); break;
      case DraftServer::PickResult::Taken:
        prompter_.Inform("Information.", position + " " + name + " already selected.");
        draftees_->Rebuild();
        break;
      case DraftServer::PickResult::Full:
        prompter_.Inform("Information.",
                         "The draft holds " + Num(draft::kMaxPicks) + " picks; no more picks can be recorded.");
        break;
      case DraftServer::PickResult::Changed:
        prompter_.Inform("Draft Selection", "The draft changed while you were deciding: " + engine_.Team(team).name +
                                                " is no longer waiting for your selection at " + label.Text() + ". " +
                                                name + " was not recorded.");
        break;
      default: break;
    }
  });
}

// Halt disables itself; the focus goes to the teams, where the next team is
// put on the clock, rather than to the button beside it (Kick).
void DraftControl::OnHaltClicked() {
  engine_.Halt();
  teamsList_->setFocus();
}

void DraftControl::OnKickClicked() {
  Trap(engine_.Reporter(), context::kKickClicked, [this] {
    QListWidgetItem* item = teamsList_->currentItem();
    if (item == nullptr || !item->isSelected()) return;
    const int team = item->data(Qt::UserRole).toInt();
    if (!prompter_.Confirm("Draft Selection",
                           "Are you sure you want to kick " + engine_.Team(team).name + " out of the draft?",
                           PromptIcon::Question, PromptAnswer::No, true))
      return;
    engine_.Kick(team);
  });
}

void DraftControl::OnDeleteClicked() {
  QListWidgetItem* item = selections_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  if (engine_.Clock().OnClock()) return;
  const draft::PickLabel label = LabelOf(item);
  if (!prompter_.Confirm("Draft Selection", "Are you sure you want to delete pick at round " + label.Text() + "?",
                         PromptIcon::Question, PromptAnswer::No, true))
    return;
  engine_.DeletePick(label);
}

void DraftControl::OnMergeClicked() {
  if (engine_.Log().Count() == 0 || selections_->count() == 0) return;
  if (mergeRequested) mergeRequested();
}

bool DraftControl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == teamsList_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      OnTeamActivated();
      return true;
    }
    if (watched == selections_ && key == Qt::Key_Delete) {
      OnDeleteClicked();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::server
