#include "server/ui/DraftOrderWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Common.h"
#include "common/Prompt.h"
#include "draft/Pick.h"
#include "server/engine/DraftServer.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

namespace {

constexpr int kLastRoundRole = Qt::UserRole + 1;  // a round time's last round

// A pick's cell: the round and selection it stands for.
draft::PickLabel LabelOf(const QModelIndex& index) { return {index.row() + 1, index.column() + 1}; }

// Seconds for a person: "90 s", "2 min", "1 h 30 min".
QString Duration(int seconds) {
  if (seconds < 60 || seconds % 60 != 0) return QStringLiteral("%1 s").arg(seconds);
  const int minutes = seconds / 60;
  if (minutes < 60) return QStringLiteral("%1 min").arg(minutes);
  return minutes % 60 == 0 ? QStringLiteral("%1 h").arg(minutes / 60)
                           : QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

QSpinBox* SecondsBox(const QString& name, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(1, draft::kMaxPickSeconds);
  box->setSuffix(QStringLiteral(" s"));
  box->setAccelerated(true);
  return box;
}

}  // namespace

// The list a pick's cell is edited with: the order's team for the pick
// first (taking a trade back), then every other team; a choice takes at once.
class PickOwnerDelegate : public QStyledItemDelegate {
 public:
  explicit PickOwnerDelegate(DraftOrderWindow& window) : QStyledItemDelegate(&window), window_(window) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("PickOwnerChoice"));
    const draft::DraftOrder order = window_.ShownOrder();
    const draft::PickLabel label = LabelOf(index);
    const int own = order.TeamAt(label.round, label.selection);
    const bool traded = order.OwnerOf(label) != own;
    box->addItem(traded ? QStringLiteral("Back to the order's team: %1").arg(TeamName(own))
                        : QStringLiteral("%1 (the order's team)").arg(TeamName(own)),
                 own);
    for (int t = 1; t <= window_.engine_.TeamCount(); ++t)
      if (t != own) box->addItem(TeamName(t), t);
    // The list opens at once, as wide as its names, whatever the cell's width.
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 2 * box->fontMetrics().averageCharWidth());
    QTimer::singleShot(0, box, &QComboBox::showPopup);
    auto* self = const_cast<PickOwnerDelegate*>(this);
    connect(box, &QComboBox::activated, self, [self, box] {
      emit self->commitData(box);
      emit self->closeEditor(box);
    });
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(std::max(0, box->findData(index.data(Qt::UserRole))));
  }
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    window_.SetPickOwner(LabelOf(index), static_cast<QComboBox*>(editor)->currentData().toInt());
  }

 private:
  QString TeamName(int team) const { return window_.TeamName(team); }
  DraftOrderWindow& window_;
};

DraftOrderWindow::DraftOrderWindow(DraftServer& engine, Prompter& prompter, QWidget* parent)
    : QDialog(parent), engine_(engine), prompter_(prompter) {
  setObjectName(QStringLiteral("DraftOrder"));
  setWindowTitle(QStringLiteral("Draft Order"));
  chooseFile = [this] {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Load Draft Order"), QString(),
                                        QStringLiteral("Text files (*.txt *.TXT);;All files (*)"));
  };

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Teams in first-round order:"), this));
  auto* row = new QHBoxLayout;
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("OrderList"));
  list_->setFont(FixedFont());
  list_->setDragDropMode(QAbstractItemView::InternalMove);
  list_->setDefaultDropAction(Qt::MoveAction);
  list_->installEventFilter(this);
  row->addWidget(list_, 1);
  auto* side = new QVBoxLayout;
  auto* up = new QPushButton(QStringLiteral("&Up"), this);
  up->setObjectName(QStringLiteral("OrderUp"));
  auto* down = new QPushButton(QStringLiteral("Do&wn"), this);
  down->setObjectName(QStringLiteral("OrderDown"));
  load_ = new QPushButton(QStringLiteral("&Load..."), this);
  load_->setObjectName(QStringLiteral("LoadOrder"));
  side->addWidget(up);
  side->addWidget(down);
  side->addSpacing(12);
  side->addWidget(load_);
  side->addStretch(1);
  row->addLayout(side);
  layout->addLayout(row, 1);

  auto* kind = new QGroupBox(QStringLiteral("Order"), this);
  kind->setObjectName(QStringLiteral("OrderKind"));
  auto* kindLayout = new QHBoxLayout(kind);
  linear_ = new QRadioButton(QStringLiteral("L&inear"), kind);
  linear_->setObjectName(QStringLiteral("Linear"));
  snake_ = new QRadioButton(QStringLiteral("&Snake"), kind);
  snake_->setObjectName(QStringLiteral("Snake"));
  kindLayout->addWidget(linear_);
  kindLayout->addWidget(snake_);
  kindLayout->addSpacing(16);
  auto* roundsCaption = new QLabel(QStringLiteral("&Rounds:"), kind);
  rounds_ = new QSpinBox(kind);
  rounds_->setObjectName(QStringLiteral("Rounds"));
  roundsCaption->setBuddy(rounds_);
  kindLayout->addWidget(roundsCaption);
  kindLayout->addWidget(rounds_);
  kindLayout->addStretch(1);
  layout->addWidget(kind);
  layout->addWidget(MakePicksBox(), 2);
  layout->addWidget(MakeTimesBox());

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("OrderButtons"));
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK / Save"));
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OrderOk"));
  layout->addWidget(buttons);

  connect(up, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveSelected(1); });
  connect(load_, &QPushButton::clicked, this, [this] { LoadFromFile(); });
  // The grid follows the order as it is rearranged.
  const auto follow = [this] {
    if (!showing_) ShowPicks();
  };
  connect(list_->model(), &QAbstractItemModel::rowsMoved, this, follow);
  connect(list_->model(), &QAbstractItemModel::rowsInserted, this, follow);
  connect(list_->model(), &QAbstractItemModel::rowsRemoved, this, follow);
  connect(snake_, &QRadioButton::toggled, this, [this] { ShowPicks(); });
  // A pick made during the draft can no longer be traded.
  connect(&engine_, &DraftServer::picksChanged, this, [this] { ShowPicks(); });
  connect(rounds_, &QSpinBox::valueChanged, this, [this] {
    ShowPicks();
    ShowRoundTimes();
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &DraftOrderWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &DraftOrderWindow::reject);

  // Never more labels than the draft can record.
  const int teams = std::max(1, engine_.TeamCount());
  rounds_->setRange(1, std::clamp(draft::kMaxPicks / teams, 1, draft::kMaxRounds));
  Show(engine_.Order());
  const std::vector<QWidget*> tabs = {list_, up,           down,        load_,     linear_, snake_,      rounds_,
                                      grid_, timeAllowed_, roundTimes_, timeFrom_, timeTo_, timeSeconds_};
  for (std::size_t i = 1; i < tabs.size(); ++i) setTabOrder(tabs[i - 1], tabs[i]);
  resize(760, 580);
}

QWidget* DraftOrderWindow::MakePicksBox() {
  auto* box =
      new QGroupBox(QStringLiteral("&Picks (bold: traded; double-click or Enter gives a pick to another team)"), this);
  box->setObjectName(QStringLiteral("PicksBox"));
  auto* layout = new QVBoxLayout(box);
  grid_ = new QTableWidget(box);
  grid_->setObjectName(QStringLiteral("PickOwners"));
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  grid_->setItemDelegate(new PickOwnerDelegate(*this));
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  grid_->installEventFilter(this);
  // Delete, or the cell's menu, takes a trade back.
  back_ = new QAction(QStringLiteral("&Back to the order's team"), grid_);
  back_->setObjectName(QStringLiteral("PickBack"));
  back_->setShortcut(QKeySequence::Delete);
  back_->setShortcutContext(Qt::WidgetShortcut);
  grid_->addAction(back_);
  grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(back_, &QAction::triggered, this, [this] {
    const QModelIndex at = grid_->currentIndex();
    if (at.isValid() && (grid_->item(at.row(), at.column())->flags() & Qt::ItemIsEditable))
      SetPickOwner(LabelOf(at), 0);
  });
  layout->addWidget(grid_);
  return box;
}

QWidget* DraftOrderWindow::MakeTimesBox() {
  auto* box = new QGroupBox(QStringLiteral("Time per pick"), this);
  box->setObjectName(QStringLiteral("TimesBox"));
  auto* layout = new QHBoxLayout(box);
  auto* allowedCaption = new QLabel(QStringLiteral("&Time allowed:"), box);
  timeAllowed_ = SecondsBox(QStringLiteral("OrderTimeAllowed"), box);
  allowedCaption->setBuddy(timeAllowed_);
  layout->addWidget(allowedCaption);
  layout->addWidget(timeAllowed_);
  layout->addSpacing(16);
  roundTimes_ = new QListWidget(box);
  roundTimes_->setObjectName(QStringLiteral("RoundTimes"));
  roundTimes_->setMaximumHeight(6 * roundTimes_->fontMetrics().height());
  roundTimes_->setToolTip(QStringLiteral("Rounds that give another time than the time allowed"));
  layout->addWidget(roundTimes_, 1);
  auto* edit = new QGridLayout;
  timeFrom_ = new QSpinBox(box);
  timeFrom_->setObjectName(QStringLiteral("RoundTimeFrom"));
  timeTo_ = new QSpinBox(box);
  timeTo_->setObjectName(QStringLiteral("RoundTimeTo"));
  timeSeconds_ = SecondsBox(QStringLiteral("RoundTimeSeconds"), box);
  auto* fromCaption = new QLabel(QStringLiteral("Roun&ds"), box);
  fromCaption->setBuddy(timeFrom_);
  edit->addWidget(fromCaption, 0, 0);
  edit->addWidget(timeFrom_, 0, 1);
  edit->addWidget(new QLabel(QStringLiteral("to"), box), 0, 2);
  edit->addWidget(timeTo_, 0, 3);
  edit->addWidget(timeSeconds_, 1, 1, 1, 3);
  auto* set = new QPushButton(QStringLiteral("S&et"), box);
  set->setObjectName(QStringLiteral("SetRoundTime"));
  auto* remove = new QPushButton(QStringLiteral("Remo&ve"), box);
  remove->setObjectName(QStringLiteral("RemoveRoundTime"));
  edit->addWidget(set, 0, 4);
  edit->addWidget(remove, 1, 4);
  layout->addLayout(edit);

  connect(timeAllowed_, &QSpinBox::valueChanged, this, [this](int seconds) { settings_.timeAllowed = seconds; });
  connect(timeFrom_, &QSpinBox::valueChanged, this,
          [this](int first) { timeTo_->setValue(std::max(first, timeTo_->value())); });
  connect(timeTo_, &QSpinBox::valueChanged, this,
          [this](int last) { timeFrom_->setValue(std::min(last, timeFrom_->value())); });
  connect(roundTimes_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (!item) return;
    timeFrom_->setValue(item->data(Qt::UserRole).toInt());
    timeTo_->setValue(item->data(kLastRoundRole).toInt());
    timeSeconds_->setValue(settings_.TimeFor(item->data(Qt::UserRole).toInt()));
  });
  connect(set, &QPushButton::clicked, this,
          [this] { SetRoundTime(timeFrom_->value(), timeTo_->value(), timeSeconds_->value()); });
  connect(remove, &QPushButton::clicked, this, [this] { RemoveSelectedRoundTime(); });
  return box;
}

QString DraftOrderWindow::TeamName(int team) const {
  return team >= 1 && team <= engine_.TeamCount() ? L1(engine_.Team(team).name) : QString();
}

void DraftOrderWindow::ShowPicks() {
  const draft::DraftOrder order = ShownOrder();
  const int selections = static_cast<int>(order.teams.size());
  const QModelIndex current = grid_->currentIndex();
  grid_->setRowCount(order.rounds);
  grid_->setColumnCount(selections);
  QStringList rows, columns;
  for (int r = 1; r <= order.rounds; ++r) rows << QStringLiteral("Round %1").arg(r);
  for (int s = 1; s <= selections; ++s) columns << QString::number(s);
  grid_->setVerticalHeaderLabels(rows);
  grid_->setHorizontalHeaderLabels(columns);
  const std::map<draft::PickLabel, draft::Pick> made = MadePicks();
  for (int r = 1; r <= order.rounds; ++r)
    for (int s = 1; s <= selections; ++s) ShowPick(order, {r, s}, made);
  if (current.isValid() && current.row() < order.rounds && current.column() < selections)
    grid_->setCurrentCell(current.row(), current.column());
}

std::map<draft::PickLabel, draft::Pick> DraftOrderWindow::MadePicks() const {
  std::map<draft::PickLabel, draft::Pick> made;
  for (draft::Pick& pick : engine_.Log().Picks()) made[pick.label] = std::move(pick);
  return made;
}

void DraftOrderWindow::ShowPick(const draft::DraftOrder& order, draft::PickLabel label,
                                const std::map<draft::PickLabel, draft::Pick>& made) {
  const int owner = order.OwnerOf(label);
  const int own = order.TeamAt(label.round, label.selection);
  QTableWidgetItem* item = grid_->item(label.round - 1, label.selection - 1);
  if (!item) {
    item = new QTableWidgetItem;
    grid_->setItem(label.round - 1, label.selection - 1, item);
  }
  item->setText(TeamName(owner));
  item->setData(Qt::UserRole, owner);
  QFont font = grid_->font();
  font.setBold(owner != own);
  item->setFont(font);
  QString tip = owner != own ? QStringLiteral("%1 via %2").arg(TeamName(owner), TeamName(own)) : TeamName(owner);
  // A pick made stays with the team that made it.
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
  if (const auto pick = made.find(label); pick != made.end()) {
    flags &= ~Qt::ItemIsEditable;
    tip += QStringLiteral("\nPicked: %1 (%2)").arg(L1(pick->second.player), L1(pick->second.position));
  }
  item->setFlags(flags);
  item->setToolTip(tip);
}

void DraftOrderWindow::SetPickOwner(draft::PickLabel label, int team) {
  const draft::DraftOrder order = ShownOrder();
  if (!order.Has(label)) return;
  if (team == order.TeamAt(label.round, label.selection) || team < 1 || team > engine_.TeamCount())
    traded_.erase(label);
  else
    traded_[label] = team;
  ShowPick(ShownOrder(), label, MadePicks());
}

void DraftOrderWindow::ShowRoundTimes() {
  const int rounds = rounds_->value();
  timeFrom_->setRange(1, rounds);
  timeTo_->setRange(1, rounds);
  roundTimes_->clear();
  // Rounds next to each other with one time make one entry.
  const std::map<int, int> times = ShownOrder().settings.roundSeconds;
  for (auto it = times.begin(); it != times.end();) {
    auto last = it;
    while (std::next(last) != times.end() && std::next(last)->first == last->first + 1 &&
           std::next(last)->second == it->second)
      ++last;
    const QString which = it == last ? QStringLiteral("Round %1").arg(it->first)
                                     : QStringLiteral("Rounds %1-%2").arg(it->first).arg(last->first);
    auto* item = new QListWidgetItem(QStringLiteral("%1: %2").arg(which, Duration(it->second)), roundTimes_);
    item->setData(Qt::UserRole, it->first);
    item->setData(kLastRoundRole, last->first);
    it = std::next(last);
  }
}

void DraftOrderWindow::SetRoundTime(int first, int last, int seconds) {
  for (int r = std::max(1, first); r <= std::min(last, rounds_->value()); ++r) settings_.roundSeconds[r] = seconds;
  ShowRoundTimes();
}

void DraftOrderWindow::RemoveSelectedRoundTime() {
  const QListWidgetItem* item = roundTimes_->currentItem();
  if (!item) return;
  for (int r = item->data(Qt::UserRole).toInt(); r <= item->data(kLastRoundRole).toInt(); ++r)
    settings_.roundSeconds.erase(r);
  ShowRoundTimes();
}

void DraftOrderWindow::Show(const draft::DraftOrder& order) {
  settings_ = order.settings;
  traded_ = order.traded;
  showing_ = true;
  list_->clear();
  for (int t : order.teams) {
    if (t < 1 || t > engine_.TeamCount()) continue;
    auto* item = new QListWidgetItem(L1(engine_.Team(t).name), list_);
    item->setData(Qt::UserRole, t);
  }
  showing_ = false;
  if (list_->count() > 0) list_->setCurrentRow(0);
  (order.snake ? snake_ : linear_)->setChecked(true);
  rounds_->setValue(order.rounds);
  timeAllowed_->setValue(order.settings.timeAllowed);
  timeSeconds_->setValue(order.settings.timeAllowed);
  ShowPicks();
  ShowRoundTimes();
}

draft::DraftOrder DraftOrderWindow::ShownOrder() const {
  draft::DraftOrder order;
  for (int i = 0; i < list_->count(); ++i) order.teams.push_back(list_->item(i)->data(Qt::UserRole).toInt());
  order.snake = snake_->isChecked();
  order.rounds = rounds_->value();
  order.settings = settings_;
  std::erase_if(order.settings.roundSeconds, [&](const auto& time) { return time.first > order.rounds; });
  for (const auto& [label, team] : traded_)
    if (order.Has(label) && team != order.TeamAt(label.round, label.selection)) order.traded[label] = team;
  return order;
}

void DraftOrderWindow::MoveSelected(int step) {
  const int row = list_->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= list_->count()) return;
  list_->insertItem(to, list_->takeItem(row));
  list_->setCurrentRow(to);
}

void DraftOrderWindow::LoadFromFile() {
  const QString file = chooseFile ? chooseFile() : QString();
  if (file.isEmpty()) return;
  draft::OrderFileStatus status = draft::OrderFileStatus::Read;
  std::optional<draft::OrderRead> read = draft::ReadOrderFile(NativePath(file), engine_.TeamNames(), &status);
  if (!read) {
    prompter_.Inform("Draft Order", "The file " + file.toStdString() + " " + draft::OrderFileProblem(status) + ".",
                     PromptIcon::Warning, TextCoding::Utf8);
    return;
  }
  const std::string problems = draft::OrderProblems(*read);
  if (read->order.teams.empty()) {
    prompter_.Inform("Draft Order", "The file names no team of this league; the order was not changed." + problems,
                     PromptIcon::Warning);
    return;
  }
  draft::DraftOrder shown = ShownOrder();
  shown.teams = read->order.teams;
  if (read->roundsSet) shown.rounds = read->order.rounds;
  if (read->kindSet) shown.snake = read->order.snake;
  // The file's trades and round times, when it has them.
  if (!read->order.traded.empty()) shown.traded = read->order.traded;
  if (!read->order.settings.roundSeconds.empty()) shown.settings.roundSeconds = read->order.settings.roundSeconds;
  Show(shown);
  loadedFlawed_ = read->Flawed();
  if (loadedFlawed_)
    prompter_.Inform("Draft Order", "The order was read, but the file does not match the league's teams." + problems,
                     PromptIcon::Warning);
}

bool DraftOrderWindow::ConfirmIncomplete(const draft::DraftOrder& order) {
  const std::vector<std::string> names = engine_.TeamNames();
  std::vector<std::string> left;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (std::find(order.teams.begin(), order.teams.end(), static_cast<int>(i) + 1) == order.teams.end())
      left.push_back(names[i]);
  if (left.empty() && !loadedFlawed_) return true;
  std::string text;
  if (!left.empty())
    text = "These teams are not in the order and would not pick:" + draft::ListedNames(left) + "\r\n\r\n";
  if (loadedFlawed_) text += "The file loaded had lines that are not in this order.\r\n\r\n";
  return prompter_.Confirm("Draft Order", text + "Save this order anyway?", PromptIcon::Warning, PromptAnswer::No);
}

void DraftOrderWindow::accept() {
  const draft::DraftOrder order = ShownOrder();
  if (!ConfirmIncomplete(order)) return;
  engine_.SetOrder(order);
  if (!engine_.SaveOrder()) return;
  QDialog::accept();
}

bool DraftOrderWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && grid_->currentIndex().isValid()) {
      grid_->edit(grid_->currentIndex());
      return true;
    }
    if (key->key() == Qt::Key_Delete) {
      back_->trigger();
      return true;
    }
  }
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::ControlModifier) {
      if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
        MoveSelected(key->key() == Qt::Key_Up ? -1 : 1);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

DraftOrderWindow* OpenDraftOrder(DraftServer& engine, Prompter& prompter, QWidget* parent) {
  auto* window = new DraftOrderWindow(engine, prompter, parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->open();
  return window;
}

}  // namespace pm::server
