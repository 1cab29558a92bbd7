#include "client/ui/MyListWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "client/ClientSession.h"
#include "client/WishList.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using namespace pm::widgets;

namespace {

// Calls `action` for one key pressed in the watched widget.
class KeyHook : public QObject {
 public:
  KeyHook(QObject* watched, int key, std::function<void()> action)
      : QObject(watched), key_(key), action_(std::move(action)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == key_ && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        action_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  int key_;
  std::function<void()> action_;
};

}  // namespace

void InstallAddKey(QListWidget* drafteeLines, std::function<void()> add) {
  new KeyHook(drafteeLines, Qt::Key_Insert, std::move(add));
}

MyListWindow::MyListWindow(ClientSession* session, std::function<int()> selectedDraftee, QWidget* parent)
    : QWidget(parent), session_(session), selectedDraftee_(std::move(selectedDraftee)) {
  setObjectName("MyList");
  setWindowTitle(u"My List"_s);
  auto* frame = new QGroupBox(u"My List"_s, this);
  frame->setObjectName("MyListFrame");
  header_ = new QLabel(L1(WishHeader()), frame);
  header_->setObjectName("MyListHeader");
  header_->setFont(FixedFont());
  list_ = new QListWidget(frame);
  list_->setObjectName("MyListLines");
  list_->setFont(FixedFont());
  list_->setUniformItemSizes(true);
  list_->installEventFilter(this);

  const auto button = [frame](const QString& text, const char* name) {
    auto* b = new QPushButton(text, frame);
    b->setObjectName(name);
    return b;
  };
  QPushButton* add = button(u"&Add to My List"_s, "AddToMyList");
  add->setToolTip(u"Adds the player selected in Draftees (or press Insert there)."_s);
  QPushButton* remove = button(u"&Remove"_s, "RemoveFromMyList");
  remove->setToolTip(u"Removes the selected player (Delete)."_s);
  QPushButton* up = button(u"Move &Up"_s, "MoveUpInMyList");
  up->setToolTip(u"Ctrl+Up"_s);
  QPushButton* down = button(u"Move Do&wn"_s, "MoveDownInMyList");
  down->setToolTip(u"Ctrl+Down"_s);
  connect(add, &QPushButton::clicked, this, &MyListWindow::AddSelectedDraftee);
  connect(remove, &QPushButton::clicked, this, &MyListWindow::RemoveSelected);
  connect(up, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveSelected(1); });

  late_ = new QCheckBox(u"Pick from my list when my time is nearly up"_s, frame);
  late_->setObjectName("AutoPickLate");
  late_->setChecked(session_->AutoPickLate());
  atOnce_ = new QCheckBox(u"Pick from my list as soon as I am on the clock"_s, frame);
  atOnce_->setObjectName("AutoPickAtOnce");
  atOnce_->setChecked(session_->AutoPickAtOnce());
  connect(late_, &QCheckBox::toggled, this, [this](bool on) { session_->SetAutoPickLate(on); });
  connect(atOnce_, &QCheckBox::toggled, this, [this](bool on) { session_->SetAutoPickAtOnce(on); });

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, remove, up, down}) buttons->addWidget(b);
  buttons->addStretch(1);
  auto* inner = new QVBoxLayout(frame);
  inner->addWidget(header_);
  inner->addWidget(list_, 1);
  inner->addLayout(buttons);
  inner->addWidget(late_);
  inner->addWidget(atOnce_);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  // Wide enough for whole lines beside the scroll bar.
  list_->setMinimumWidth(QFontMetrics(FixedFont()).horizontalAdvance(QString(std::ssize(WishHeader()) + 6, u'M')));
  resize(sizeHint().width(), 360);
  Refresh();
}

void MyListWindow::Refresh() {
  const int selected = SelectedPid();
  list_->clear();
  for (int pid : session_->Wishes().Pids()) {
    auto* item = new QListWidgetItem(L1(WishLine(session_->league.table, pid)), list_);
    item->setData(Qt::UserRole, pid);
  }
  SelectPid(selected);
}

int MyListWindow::SelectedPid() const {
  const QListWidgetItem* item = list_->currentItem();
  return item && item->isSelected() ? item->data(Qt::UserRole).toInt() : 0;
}

void MyListWindow::SelectPid(int pid) {
  for (int row = 0; row < list_->count(); ++row)
    if (pid != 0 && list_->item(row)->data(Qt::UserRole).toInt() == pid) {
      list_->setCurrentRow(row);
      return;
    }
}

void MyListWindow::AddSelectedDraftee() {
  const int pid = selectedDraftee_ ? selectedDraftee_() : 0;
  if (pid != 0 && session_->AddWish(pid)) SelectPid(pid);
}

void MyListWindow::RemoveSelected() {
  const int row = list_->currentRow();
  if (!session_->RemoveWish(SelectedPid())) return;
  // The next player takes the removed one's place in the selection.
  if (list_->count() > 0) list_->setCurrentRow(std::min(row, list_->count() - 1));
}

void MyListWindow::MoveSelected(int by) {
  const int pid = SelectedPid();
  if (session_->MoveWish(pid, by)) SelectPid(pid);
}

bool MyListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    if (key->key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
      RemoveSelected();
      return true;
    }
    if (ctrl && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      MoveSelected(key->key() == Qt::Key_Up ? -1 : 1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pm::client
