#include "client/ui/PublicChat.h"

#include <QVBoxLayout>

#include "client/ClientSession.h"
#include "widgets/ChatPanel.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::client {

using widgets::ChatPanel;
using widgets::L1;

PublicChat::PublicChat(ClientSession* session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("PublicChat");
  setWindowTitle(u"Chat"_s);
  panel_ = new ChatPanel({u"Frame1"_s, u"ChatTo"_s, u"Label1"_s}, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_);
  // A public line is shown when the server's relay comes back; the session
  // writes a private one itself. The line is emptied either way.
  panel_->SetSend([this](int to, const std::string& text) {
    if (session_) session_->SendChat(to, text);
    return true;
  });

  // Window load: the fixed recipients, then every other signed-on team.
  std::vector<ChatPanel::Recipient> recipients = {{u"All Members"_s, ClientSession::kChatToEveryone},
                                                  {u"Commish"_s, 0}};
  if (session_) {
    for (int k = 1; k <= session_->TeamCount(); ++k)
      if (session_->SignedOn(k) && k != session_->OwnTeamIndex()) recipients.emplace_back(L1(session_->TeamName(k)), k);
  }
  panel_->SetRecipients(recipients);
  resize(480, 300);
}

QPlainTextEdit* PublicChat::TranscriptBox() const { return panel_->TranscriptBox(); }
QLineEdit* PublicChat::InputLine() const { return panel_->Line(); }
QComboBox* PublicChat::RecipientList() const { return panel_->Recipients(); }
QString PublicChat::Transcript() const { return panel_->Transcript(); }

void PublicChat::Append(const std::string& line) { panel_->Append(L1(line)); }

void PublicChat::AddRecipient(int team) {
  if (session_) panel_->AddRecipient(L1(session_->TeamName(team)), team);
}

void PublicChat::RemoveRecipient(int team) { panel_->RemoveRecipient(team); }

}  // namespace pm::client
