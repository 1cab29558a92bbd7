#include "server/ui/PublicChat.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "common/ErrorContexts.h"
#include "server/engine/DraftServer.h"
#include "widgets/ChatPanel.h"
#include "widgets/Widgets.h"

namespace pm::server {

using namespace pm::widgets;

PublicChat::PublicChat(server::DraftServer& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
  setObjectName(QStringLiteral("PublicChat"));
  setWindowTitle(QStringLiteral("Chat"));
  panel_ = new ChatPanel(
      {QStringLiteral("PublicChatFrame"), QStringLiteral("Combo1"), QStringLiteral("MessageToLabel")}, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_);
  // "All Members" is recipient 0: the engine's public line. A line that
  // could not be sent (its recipient has just left) stays in the input so
  // that nothing typed is lost.
  panel_->SetSend([this](int to, const std::string& text) {
    bool sent = false;
    Trap(engine_.Reporter(), context::kChatSent, [&] { sent = engine_.CommishChat(to, text); });
    return sent;
  });
  resize(460, 320);
  Load();
}

QPlainTextEdit* PublicChat::ChatText() const { return panel_->TranscriptBox(); }
QLineEdit* PublicChat::ChatSend() const { return panel_->Line(); }
QComboBox* PublicChat::RecipientBox() const { return panel_->Recipients(); }

void PublicChat::Load() {
  panel_->TranscriptBox()->clear();
  std::vector<ChatPanel::Recipient> recipients = {{QStringLiteral("All Members"), 0}};
  for (int t = 1; t <= engine_.TeamCount(); ++t)
    if (engine_.Team(t).signedOn) recipients.emplace_back(L1(engine_.Team(t).name), t);
  panel_->SetRecipients(recipients);
}

void PublicChat::AddPubChat(const QString& line) { panel_->Append(line); }

void PublicChat::AddRecipient(int team) { panel_->AddRecipient(L1(engine_.Team(team).name), team); }

void PublicChat::RemoveRecipient(int team) { panel_->RemoveRecipient(team); }

}  // namespace pm::server
