#include "server/ui/DraftOrderWindow.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Common.h"
#include "common/Prompt.h"
#include "draft/Pick.h"
#include "server/engine/DraftServer.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

namespace {}  // namespace

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

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("OrderButtons"));
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK / Save"));
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OrderOk"));
  layout->addWidget(buttons);

  connect(up, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveSelected(1); });
  connect(load_, &QPushButton::clicked, this, [this] { LoadFromFile(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &DraftOrderWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &DraftOrderWindow::reject);

  // Never more labels than the draft can record.
  const int teams = std::max(1, engine_.TeamCount());
  rounds_->setRange(1, std::clamp(draft::kMaxPicks / teams, 1, draft::kMaxRounds));
  Show(engine_.Order());
  resize(420, 520);
}

void DraftOrderWindow::Show(const draft::DraftOrder& order) {
  settings_ = order.settings;
  list_->clear();
  for (int t : order.teams) {
    if (t < 1 || t > engine_.TeamCount()) continue;
    auto* item = new QListWidgetItem(L1(engine_.Team(t).name), list_);
    item->setData(Qt::UserRole, t);
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
  (order.snake ? snake_ : linear_)->setChecked(true);
  rounds_->setValue(order.rounds);
}

draft::DraftOrder DraftOrderWindow::ShownOrder() const {
  draft::DraftOrder order;
  for (int i = 0; i < list_->count(); ++i) order.teams.push_back(list_->item(i)->data(Qt::UserRole).toInt());
  order.snake = snake_->isChecked();
  order.rounds = rounds_->value();
  order.settings = settings_;
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
