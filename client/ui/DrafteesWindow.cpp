#include "client/ui/DrafteesWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "client/ClientSession.h"
#include "common/Prompt.h"
#include "draft/Draftees.h"
#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using namespace pm::widgets;

DrafteesWindow::DrafteesWindow(ClientSession* session, Prompter* prompter, QWidget* parent)
    : QWidget(parent), session_(session), prompter_(prompter) {
  setObjectName("Draftees");
  setWindowTitle(u"Draftees"_s);
  list_ = new DrafteeList(this, QStringLiteral("Sort by"));
  list_->setObjectName("DrafteeList");
  auto* label = new QLabel(u"Time Left:"_s, this);
  label->setObjectName("Label1");
  timeLeft_ = new QLabel(this);
  timeLeft_->setObjectName("TimeLeft");
  timeLeft_->setMinimumWidth(60);
  auto* timeRow = new QHBoxLayout;
  timeRow->addWidget(label);
  timeRow->addWidget(timeLeft_);
  timeRow->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(timeRow);
  layout->addWidget(list_, 1);

  list_->SetPicks(&session_->Picks());
  list_->SetPool(session_->league.table);
  list_->SelectPosition(0);
  connect(list_, &DrafteeList::playerActivated, this, &DrafteesWindow::SelectPlayer);
}

void DrafteesWindow::SetTimeLeft(const std::string& text) { timeLeft_->setText(L1(text)); }

void DrafteesWindow::SelectPlayer(int pid) {
  // Only a team on the clock with time left, not paused, may pick.
  if (!session_->MayPick()) return;
  const draft::DrafteeTable::Found found = session_->league.table.Find(pid);
  if (!found.player) return;
  const std::string name = draft::ShownName(*found.player);
  if (!prompter_->Confirm("Draft Selection", "Are you sure you want to select " + name + "?", PromptIcon::Question,
                          PromptAnswer::No, true))
    return;
  // The session looks at the clock again: time may have run out while the
  // box was open, and then nothing is sent.
  if (!session_->SendOwnPick(pid, name, draft::PositionCaption(found.position))) return;
  // Events handled while the box was open may have rebuilt the list: the
  // line goes wherever it is now.
  list_->RemovePlayer(pid);
}

}  // namespace pm::client
