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

namespace {
constexpr int kMargin = 4;         // around and between the parts
constexpr int kBannerPadding = 4;  // around the banner's text
}  // namespace

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
  banner_ = new QLabel(this);
  banner_->setObjectName("Banner");
  banner_->setAlignment(Qt::AlignCenter);
  banner_->setWordWrap(true);
  QFont large = banner_->font();
  large.setPointSizeF(large.pointSizeF() * 1.4);
  large.setBold(true);
  banner_->setFont(large);
  // Room for two lines, kept while hidden: the list below does not move
  // under the owner's mouse when a clock starts or ends.
  banner_->setMinimumHeight(2 * QFontMetrics(large).lineSpacing() + 2 * kBannerPadding);
  QSizePolicy keep = banner_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  banner_->setSizePolicy(keep);
  banner_->hide();
  // The banner and the time left share the top row.
  auto* timeRow = new QHBoxLayout;
  timeRow->addWidget(banner_, 1);
  timeRow->addWidget(label);
  timeRow->addWidget(timeLeft_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->setSpacing(kMargin);
  layout->addLayout(timeRow);
  layout->addWidget(list_, 1);

  list_->SetPicks(&session_->Picks());
  list_->SetPool(session_->league.table);
  list_->SelectPosition(0);
  connect(list_, &DrafteeList::playerActivated, this, &DrafteesWindow::SelectPlayer);
}

void DrafteesWindow::SetTimeLeft(const std::string& text) { timeLeft_->setText(L1(text)); }

void DrafteesWindow::SetBanner(const QString& text, bool own, bool paused) {
  banner_->setText(text);
  banner_->setVisible(!text.isEmpty());
  const char* style = paused ? "background:#f6d55c; color:#222;"
                      : own  ? "background:#c0392b; color:white;"
                             : "background:#dfe8f2; color:#1d2b3a;";
  banner_->setStyleSheet(QString::fromLatin1(style) + u"padding:%1px; border-radius:3px;"_s.arg(kBannerPadding));
}

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
