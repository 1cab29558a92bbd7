#include "server/engine/Sessions.h"

#include <QTcpSocket>

#include <algorithm>

#include "common/Common.h"

namespace pm::server {

namespace {

QString L1(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

std::size_t Slot(int element) { return static_cast<std::size_t>(element); }

}  // namespace

Sessions::Sessions(QObject* parent) : QObject(parent), listener_(std::make_unique<protocol::MessageListener>()) {
  teams_.resize(1);
  wishLists_.resize(1);
  connect(listener_.get(), &protocol::MessageListener::accepted, this, &Sessions::OnAccept);
  sweepTimer_.setInterval(1000);
  connect(&sweepTimer_, &QTimer::timeout, this, &Sessions::DropSilent);
}

Sessions::~Sessions() { CloseAll(); }

void Sessions::SetTeams(const std::vector<std::string>& names) {
  teams_.assign(names.size() + 1, TeamEntry{});
  for (std::size_t i = 0; i < names.size(); ++i) teams_[i + 1].name = names[i];
  ClearWishLists();
}

const std::vector<int>& Sessions::WishList(int team) const {
  static const std::vector<int> none;
  return team >= 1 && team < static_cast<int>(wishLists_.size()) ? wishLists_[Index(team)] : none;
}

void Sessions::ClearWishLists() { wishLists_.assign(teams_.size(), {}); }

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

std::vector<std::string> Sessions::TeamLines() const {
  std::vector<std::string> out;
  for (int i = 1; i <= TeamCount(); ++i) out.push_back(Team(i).name + (Team(i).signedOn ? "*" : ""));
  return out;
}

std::vector<std::string> Sessions::SignedOnNames() const {
  std::vector<std::string> out;
  for (int i = 1; i <= TeamCount(); ++i)
    if (Team(i).signedOn) out.push_back(Team(i).name);
  return out;
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
  // Until it signs on, a connection may send only a little.
  elements_[Slot(free)]->SetInputLimit(kMaxInputBeforeSignOn);
  return free;
}

void Sessions::OnAccept(QTcpSocket* socket) {
  const int free = TakeElement();
  if (free == 0) {
    // No element left: the connection is closed at once.
    socket->abort();
    socket->deleteLater();
    return;
  }
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
    e.Close();
    closed = true;
  }
  if (closed) emit connectionsChanged();
}

void Sessions::OnDisconnect(int element) {
  elements_[Slot(element)]->Close();
  int t = socketTeam_[Slot(element)];
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
      std::optional<int16_t> n = ToInt16(m.body);
      if (n) emit pickRequested(element, t, *n);
      break;
    }
    case protocol::kChat:
      emit chatLine(Team(t).name + ": " + m.body);
      SendOut(protocol::ChatRelay(t, m.body));
      break;
    case protocol::kPrivate: {
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

void Sessions::HandleLogin(int element, const protocol::Message& m) {
  if (!loginsOpen_) return;
  if (socketTeam_[Slot(element)] != 0) {
    // This connection has signed on already.
    SendTo(element, protocol::Refused(protocol::kRefuseSignedOn));
    return;
  }
  const int t = m.from;
  const std::string& body = m.body;
  int status = -1;
  if (GetField(body, 3, ",") != leagueName_) status = protocol::kRefuseLeague;
  if (status < 0) {
    bool numeric = false;
    int cmp = protocol::CompareVersions(protocol::kServerVersion, GetField(body, 1, ","), &numeric);
    if (!numeric || cmp > 0) status = protocol::kRefuseVersion;
  }
  if (status < 0 && LeadingNumber(GetField(body, 2, ",")) != drafteeCount_) status = protocol::kRefusePlayerCount;
  // A team outside the league cannot be recorded.
  if (status < 0 && (t < 1 || t > TeamCount())) status = protocol::kRefusePlayerCount;
  if (status < 0 && (Team(t).signedOn || Team(t).socket > 0)) status = protocol::kRefuseSignedOn;
  if (status >= 0) {
    SendTo(element, protocol::Refused(status));
    return;
  }
  elements_[Slot(element)]->SetInputLimit(0);
  SendOut(protocol::SignedOn(t));
  At(t).socket = element;
  socketTeam_[Slot(element)] = t;
  WhoOn(t, true);
  std::vector<int> others;
  for (int i = 1; i <= TeamCount(); ++i)
    if (Team(i).signedOn && i != t) others.push_back(i);
  if (!others.empty()) SendTo(element, protocol::WhoElse(t, others));
  emit loggedIn(element, t);
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
  std::vector<int>& list = wishLists_[Index(t)];
  const int first = m.to;
  if (first != 0 && first != static_cast<int>(list.size()))
    return refuse("the part starting at position " + Num(first) + " does not continue the list received so far (" +
                  Num(static_cast<long long>(list.size())) + " players).");
  if (first + static_cast<int>(pids.size()) > protocol::kMaxWishList)
    return refuse("a wish list holds at most " + Num(protocol::kMaxWishList) + " players.");
  if (first == 0) list.clear();
  list.insert(list.end(), pids.begin(), pids.end());
  emit wishListChanged(t);
}

// --------------------------------------------------------- the Commish

bool Sessions::Kick(const std::string& teamLine) {
  int t = TeamIndexOf(ReplaceChar(teamLine, '*', ""));
  if (t == 0 || Team(t).socket == 0) return false;
  SendTo(Team(t).socket, protocol::Refused(protocol::kRefuseKicked));
  return true;
}

bool Sessions::CommishChat(const std::string& recipient, const std::string& typed) {
  if (typed.empty()) return false;
  std::string text = protocol::CutChat(typed);
  if (UpperLatin1(recipient.substr(0, std::min<std::size_t>(3, recipient.size()))) == "ALL") {
    std::string msg = protocol::ChatRelay(0, text);
    for (int i = 1; i <= TeamCount(); ++i)
      if (Team(i).socket > 0) SendTo(Team(i).socket, msg);
    emit chatLine("Commish: " + text);
    return true;
  }
  int r = 0;
  for (int i = 1; i <= TeamCount() && r == 0; ++i)
    if (UpperLatin1(Team(i).name) == UpperLatin1(recipient)) r = i;
  if (r == 0 || Team(r).socket == 0) return false;
  SendTo(Team(r).socket, protocol::PrivateOut(0, r, text));
  emit chatLine("Private to " + recipient + ": " + text);
  return true;
}

}  // namespace pm::server
