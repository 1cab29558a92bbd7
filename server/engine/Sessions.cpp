#include "server/engine/Sessions.h"

#include <QTcpSocket>

#include <algorithm>

#include "common/Common.h"
#include "protocol/Messages.h"
#include "server/engine/Log.h"

namespace pm::server {

namespace {

std::size_t Slot(int element) { return static_cast<std::size_t>(element); }

}  // namespace

Sessions::Sessions(QObject* parent) : QObject(parent), listener_(std::make_unique<protocol::MessageListener>()) {
  teams_.resize(1);
  connect(listener_.get(), &protocol::MessageListener::accepted, this, &Sessions::OnAccept);
  sweepTimer_.setInterval(1000);
  connect(&sweepTimer_, &QTimer::timeout, this, &Sessions::DropSilent);
}

Sessions::~Sessions() { CloseAll(); }

void Sessions::SetTeams(const std::vector<std::string>& names) {
  teams_.assign(names.size() + 1, TeamEntry{});
  for (std::size_t i = 0; i < names.size(); ++i) teams_[i + 1].name = names[i];
}

void Sessions::OpenLogins(const std::string& leagueName, int drafteeCount) {
  leagueName_ = leagueName;
  drafteeCount_ = drafteeCount;
  loginsOpen_ = true;
}

bool Sessions::Listen(quint16 port, QString* reason) {
  if (!listener_->Listen(port, reason)) return false;
  sweepTimer_.start();
  return true;
}
bool Sessions::Listening() const { return listener_->IsListening(); }
quint16 Sessions::Port() const { return listener_->IsListening() ? listener_->Port() : 0; }

void Sessions::CloseAll() {
  sweepTimer_.stop();
  if (listener_) listener_->Close();
  for (int i = 1; i <= elementCount_; ++i) {
    if (elements_[Slot(i)]) elements_[Slot(i)]->Close();
    socketTeam_[Slot(i)] = 0;
  }
  for (int i = 1; i <= TeamCount(); ++i) {
    At(i).socket = 0;
    At(i).signedOn = false;
  }
}

int Sessions::TeamIndexOf(std::string_view name) const {
  for (int i = 1; i <= TeamCount(); ++i)
    if (Team(i).name == name) return i;
  return 0;
}

protocol::Features Sessions::FeaturesOf(int element) const {
  return element >= 1 && element <= kMaxConnections ? features_[Slot(element)] : protocol::Features{};
}

int Sessions::OpenConnections() const {
  int n = 0;
  for (int i = 1; i <= elementCount_; ++i)
    if (elements_[Slot(i)] && elements_[Slot(i)]->IsConnected()) ++n;
  return n;
}

// ------------------------------------------------------------ connections

int Sessions::TakeElement() {
  int free = 0;
  for (int i = 1; i <= elementCount_; ++i) {
    if (!elements_[Slot(i)]->IsConnected()) {
      free = i;
      break;
    }
  }
  if (free == 0) {
    if (elementCount_ >= kMaxConnections) return 0;
    free = ++elementCount_;
    auto element = std::make_unique<protocol::MessageSocket>(protocol::Receiver::Server);
    connect(element.get(), &protocol::MessageSocket::messageReceived, this,
            [this, free](const protocol::Message& m) { OnMessage(free, m); });
    connect(element.get(), &protocol::MessageSocket::disconnected, this, [this, free] { OnDisconnect(free); });
    elements_[Slot(free)] = std::move(element);
  }
  socketTeam_[Slot(free)] = 0;
  acceptedAt_[Slot(free)] = clock();
  features_[Slot(free)] = {};
  chatRate_[Slot(free)] = ChatRate{kChatBurst * kChatLine, clock(), 0};
  // Until it signs on, a connection may send only a little.
  elements_[Slot(free)]->SetInputLimit(kMaxInputBeforeSignOn);
  return free;
}

void Sessions::OnAccept(QTcpSocket* socket) {
  const int free = TakeElement();
  if (free == 0) {
    // No element left: the connection is closed at once.
    qCInfo(lcServerNet) << "connection from" << socket->peerAddress().toString() << "refused: no room";
    socket->abort();
    socket->deleteLater();
    return;
  }
  qCInfo(lcServerNet) << "connection" << free << "from" << socket->peerAddress().toString();
  elements_[Slot(free)]->Adopt(socket);
  emit connectionsChanged();
}

int Sessions::AcceptDetached() {
  const int free = TakeElement();
  if (free == 0) return 0;
  elements_[Slot(free)]->AdoptDetached();
  emit connectionsChanged();
  return free;
}

void Sessions::Receive(int element, std::string_view bytes) {
  if (element >= 1 && element <= elementCount_) elements_[Slot(element)]->Receive(bytes);
}

std::string Sessions::TakeOutput(int element) {
  return element >= 1 && element <= elementCount_ ? elements_[Slot(element)]->TakeOutput() : std::string();
}

void Sessions::PeerClose(int element) {
  if (element >= 1 && element <= elementCount_) elements_[Slot(element)]->PeerClose();
}

void Sessions::DropSilent() {
  const int64_t now = clock();
  bool closed = false;
  for (int i = 1; i <= elementCount_; ++i) {
    protocol::MessageSocket& e = *elements_[Slot(i)];
    if (socketTeam_[Slot(i)] != 0 || !e.IsConnected()) continue;
    if (now - acceptedAt_[Slot(i)] < kSignOnDeadlineMs) continue;
    qCInfo(lcServerNet) << "connection" << i << "closed: no sign-on in time";
    e.Close();
    closed = true;
  }
  if (closed) emit connectionsChanged();
}

void Sessions::OnDisconnect(int element) {
  elements_[Slot(element)]->Close();
  int t = socketTeam_[Slot(element)];
  qCInfo(lcServerNet) << "connection" << element << "of team" << t << "gone";
  socketTeam_[Slot(element)] = 0;
  if (t > 0 && t <= TeamCount() && Team(t).socket == element) {
    std::string name = Team(t).name;
    WhoOn(t, false);
    At(t).socket = 0;
    if (!name.empty()) emit chatLine("*** " + name + "*** has left the draft. ***");
    SendOut(protocol::Left(t));
  }
  emit connectionsChanged();
}

void Sessions::SendTo(int element, const std::string& text) {
  if (element >= 1 && element <= elementCount_ && elements_[Slot(element)]) elements_[Slot(element)]->Send(text);
}

void Sessions::SendOut(const std::string& text) {
  for (int i = 1; i <= TeamCount(); ++i)
    if (Team(i).socket > 0) SendTo(Team(i).socket, text);
}

void Sessions::SendSignedOn(const std::string& text) {
  for (int i = 1; i <= TeamCount(); ++i)
    if (Team(i).signedOn && Team(i).socket > 0) SendTo(Team(i).socket, text);
}

void Sessions::SendSignedOnWith(protocol::Feature feature, const std::string& text) {
  ForEachSignedOn([&](int element, protocol::Features features) {
    if (features.Has(feature)) SendTo(element, text);
  });
}

void Sessions::ForEachSignedOn(const std::function<void(int element, protocol::Features features)>& send) {
  for (int i = 1; i <= TeamCount(); ++i)
    if (Team(i).signedOn && Team(i).socket > 0) send(Team(i).socket, FeaturesOf(Team(i).socket));
}

void Sessions::WhoOn(int team, bool add) {
  At(team).signedOn = add;
  if (add)
    emit teamSignedOn(team, L1(Team(team).name));
  else
    emit teamSignedOff(team, L1(Team(team).name));
}

// ---------------------------------------------------------------- dispatch

void Sessions::OnMessage(int element, const protocol::Message& m) {
  const int t = socketTeam_[Slot(element)];
  if (m.codeText.size() != 1) return;  // not a code
  if (m.code == protocol::kDraft && (!m.valid || t == 0 || m.from != t)) {
    // A selection that cannot be a pick is answered, so that no owner waits
    // on a pick that was never made.
    std::string why = t == 0     ? "You are not signed on: sign on before you make a selection."
                      : !m.valid ? "Your selection was not recorded: the message was cut short or malformed."
                                 : "Your selection was not recorded: you can only select for your own team.";
    SendTo(element, protocol::PrivateOut(0, t, why));
    return;
  }
  if (m.code == protocol::kWishList) {
    HandleWishList(element, t, m);
    return;
  }
  if (!m.valid) return;  // numbers beyond 16 bits, or a structured field cut
  if (m.code == protocol::kLogin) {
    HandleLogin(element, m);
    return;
  }
  // Everything else only from a signed-on connection, speaking for its team.
  if (t == 0 || m.from != t) return;
  switch (m.code) {
    case protocol::kPickRequest: {
      if (const std::optional<int> n = protocol::from_client::DecodePickRequest(m)) emit pickRequested(element, t, *n);
      break;
    }
    case protocol::kChat:
      if (!ChatAllowed(element)) break;
      emit chatLine(Team(t).name + ": " + m.body);
      SendOut(protocol::ChatRelay(t, m.body));
      break;
    case protocol::kPrivate: {
      if (!ChatAllowed(element)) break;
      int u = m.to;
      if (u == 0) {
        emit showChatWindow();
        emit chatLine("Private from " + Team(t).name + ": " + m.body);
      } else if (u >= 1 && u <= TeamCount() && Team(u).socket > 0) {
        SendTo(Team(u).socket, protocol::PrivateOut(t, u, m.body));
      }
      break;
    }
    case protocol::kDraft: emit draftReceived(element, t, m); break;
    default: break;  // T and unknown codes change nothing
  }
}

bool Sessions::ChatAllowed(int element) {
  // A bucket of kChatBurst lines, filled at kChatPerSecond, counted in
  // thousandths of a line so that whole milliseconds add up exactly.
  ChatRate& rate = chatRate_[Slot(element)];
  const int64_t now = clock();
  rate.tokens = std::min<int64_t>(kChatBurst * kChatLine, rate.tokens + (now - rate.at) * kChatPerSecond);
  rate.at = now;
  if (rate.tokens >= kChatLine) {
    rate.tokens -= kChatLine;
    rate.dropped = 0;
    return true;
  }
  if (rate.dropped++ == 0) SendTo(element, protocol::PrivateOut(0, socketTeam_[Slot(element)], kChatTooFast));
  if (rate.dropped >= kFloodLimit) {
    const int team = socketTeam_[Slot(element)];
    qCInfo(lcServerNet) << "connection" << element << "of team" << team << "dropped for flooding";
    emit chatLine("*** " + Team(team).name + " was disconnected for flooding the chat. ***");
    OnDisconnect(element);
  }
  return false;
}

void Sessions::HandleLogin(int element, const protocol::Message& m) {
  if (!loginsOpen_) return;
  if (socketTeam_[Slot(element)] != 0) {
    // This connection has signed on already.
    SendTo(element, protocol::Refused(protocol::kRefuseSignedOn));
    return;
  }
  const int t = m.from;
  const protocol::from_client::Login login = protocol::from_client::DecodeLogin(m);
  int status = -1;
  if (login.league != leagueName_) status = protocol::kRefuseLeague;
  // The version as its leading number: "3.03abc" is 3.03, "x" is 0.
  if (status < 0 && protocol::CompareVersions(protocol::kServerVersion, login.version) > 0)
    status = protocol::kRefuseVersion;
  if (status < 0 && login.draftees != drafteeCount_) status = protocol::kRefusePlayerCount;
  // A team outside the league cannot be recorded.
  if (status < 0 && (t < 1 || t > TeamCount())) status = protocol::kRefusePlayerCount;
  if (status < 0 && (Team(t).signedOn || Team(t).socket > 0)) status = protocol::kRefuseSignedOn;
  if (status >= 0) {
    qCInfo(lcServerNet) << "connection" << element << "login of team" << t << "refused, reason" << status;
    SendTo(element, protocol::Refused(status));
    return;
  }
  protocol::MessageSocket& connection = *elements_[Slot(element)];
  connection.SetInputLimit(0);
  SendOut(protocol::SignedOn(t));
  At(t).socket = element;
  socketTeam_[Slot(element)] = t;
  // Features only for a client that announced some: the answer comes first,
  // and from it on the connection speaks as agreed.
  const protocol::Features shared = login.features.SharedWith(protocol::Features::All());
  features_[Slot(element)] = shared;
  qCInfo(lcServerNet) << "connection" << element << "signed on as team" << t << "sharing"
                      << QString::fromStdString(shared.Text());
  if (!shared.Empty()) {
    if (shared.Has(protocol::Feature::Lines)) connection.SetFraming(protocol::Framing::Lines);
    SendTo(element, protocol::Accepted(t, shared));
  }
  WhoOn(t, true);
  std::vector<int> others;
  for (int i = 1; i <= TeamCount(); ++i)
    if (Team(i).signedOn && i != t) others.push_back(i);
  if (others.empty()) {
    emit loggedIn(element, t, shared);
    return;
  }
  SendTo(element, protocol::WhoElse(t, others));
  AfterSpacing(element, t, [this, element, t, shared] { emit loggedIn(element, t, shared); });
}

void Sessions::AfterSpacing(int element, int team, std::function<void()> send) {
  // A connection without a socket (tests, the fuzzer) has no reads to keep apart.
  if (!FeaturesOf(element).Empty() || elements_[Slot(element)]->IsDetached()) {
    send();
    return;
  }
  QTimer::singleShot(kPlainSpacingMs, this, [this, element, team, send = std::move(send)] {
    if (element >= 1 && element <= elementCount_ && socketTeam_[Slot(element)] == team) send();
  });
}

void Sessions::HandleWishList(int element, int t, const protocol::Message& m) {
  auto refuse = [&](const std::string& why) {
    SendTo(element, protocol::PrivateOut(0, t, "Your wish list was not stored: " + why));
  };
  std::vector<int> pids;
  if (t == 0) return refuse("you are not signed on.");
  if (!m.valid || m.truncated || m.hadControls || !protocol::ParseWishListPart(m.body, &pids))
    return refuse("the message was cut short or malformed.");
  if (m.from != t) return refuse("you can only send the wish list of your own team.");
  emit wishListReceived(element, t, m.to, pids);
}

// --------------------------------------------------------- the Commish

bool Sessions::Kick(int team) {
  if (team < 1 || team > TeamCount() || Team(team).socket == 0) return false;
  SendTo(Team(team).socket, protocol::Refused(protocol::kRefuseKicked));
  return true;
}

bool Sessions::CommishChat(int to, const std::string& typed) {
  const std::string text = protocol::CutChat(typed);
  if (text.empty()) return false;
  if (to == 0) {
    SendOut(protocol::ChatRelay(0, text));
    emit chatLine("Commish: " + text);
    return true;
  }
  if (to < 1 || to > TeamCount() || Team(to).socket == 0) return false;
  SendTo(Team(to).socket, protocol::PrivateOut(0, to, text));
  emit chatLine("Private to " + Team(to).name + ": " + text);
  return true;
}

}  // namespace pm::server
