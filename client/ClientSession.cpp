#include "client/ClientSession.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>
#include <variant>

#include "client/ClientView.h"
#include "client/Log.h"
#include "client/Sound.h"
#include "common/Common.h"
#include "common/ErrorContexts.h"
#include "draft/Pick.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Transport.h"

namespace pm::client {

namespace {

constexpr std::size_t kSentLogSize = 200;

}  // namespace

ClientSession::ClientSession(QObject* parent) : QObject(parent) {
  reporter.programLabel = kClientLabel;
  caption_ = kClientCaption;
  defaultView_ = std::make_unique<ClientView>();
  view_ = defaultView_.get();
  endProgram = [] { QCoreApplication::exit(0); };
  clock = protocol::SteadyMs;
  defaultPauseTimer_ = std::make_unique<QtPauseTimer>();
  pauseTimer_ = defaultPauseTimer_.get();
  clockTimer_.setInterval(1000);
  connect(&clockTimer_, &QTimer::timeout, this, [this] { Tick(); });
  connectTimer_.setSingleShot(true);
  connect(&connectTimer_, &QTimer::timeout, this, [this] {
    if (connecting_ && !connected_) Handle(context::kClientSocketRead, [this] { OnConnectError(); });
  });
}

// An injected pause timer may be gone already; the session's own one stops
// with it.
ClientSession::~ClientSession() { ended_ = true; }

void ClientSession::SetView(ClientView* view) { view_ = view ? view : defaultView_.get(); }

void ClientSession::SetPauseTimer(PauseTimer* timer) {
  pauseTimer_->Stop();
  pauseTimer_ = timer ? timer : defaultPauseTimer_.get();
}

// ------------------------------------------------------------- league ----

LeagueLoad ClientSession::LoadLeague(const std::string& leagueFile, bool includeFreeAgents,
                                     const std::function<void(const char* step)>& progress) {
  LeagueLoad r = LoadLeagueFile(leagueFile, includeFreeAgents, progress);
  if (r.Ok()) {
    league = r.league;
    SetTeams(r.teams);
  }
  return r;
}

void ClientSession::SetTeams(const std::vector<std::string>& names) {
  teams_.clear();
  for (const std::string& name : names) teams_.push_back({name, false});
}

int ClientSession::ChooseTeam(const std::string& name) {
  ownTeamName_ = name;
  for (int k = 1; k <= TeamCount(); ++k) {
    if (TeamName(k) == name) {
      ownTeamIndex_ = static_cast<int16_t>(k);
      break;
    }
  }
  return ownTeamIndex_;
}

const TeamEntry& ClientSession::Team(int k) const {
  static const TeamEntry none;
  if (k < 1 || k > TeamCount()) return none;
  return teams_[static_cast<std::size_t>(k - 1)];
}

bool ClientSession::Connected() const { return connected_ && socket_ && socket_->IsConnected(); }

void ClientSession::SetCaptionStatus(const std::string& status) {
  std::string caption;
  for (int i = 1; i <= 4; ++i) caption += Trim(GetField(caption_, i, "-")) + " - ";
  caption_ = caption + status;
  view_->SetCaption(caption_);
}

// --------------------------------------------------------- operations ----

bool ClientSession::Connect(const std::string& address) {
  if (ended_ || connected_ || connecting_) return false;
  const std::string host = Trim(address);
  if (host.empty()) return false;
  if (!socket_) {
    socket_ = new protocol::MessageSocket(protocol::Receiver::Client, this);
    connect(socket_, &protocol::MessageSocket::messageReceived, this,
            [this](const protocol::Message& m) { Handle(context::kClientSocketRead, [&] { Dispatch(m); }); });
    connect(socket_, &protocol::MessageSocket::connected, this,
            [this] { Handle(context::kClientSocketConnect, [this] { OnConnected(); }); });
    connect(socket_, &protocol::MessageSocket::disconnected, this,
            [this] { Handle(context::kClientSocketRead, [this] { OnDisconnected(); }); });
    connect(socket_, &protocol::MessageSocket::connectFailed, this,
            [this] { Handle(context::kClientSocketRead, [this] { OnConnectError(); }); });
  }
  if (!socket_->ConnectTo(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())), port_)) return false;
  host_ = host;
  qCInfo(lcClientNet) << "connecting to" << QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size()))
                      << "port" << port_;
  connecting_ = true;
  caption_ = std::string(kClientCaption) + " - " + ownTeamName_;
  view_->SetCaption(caption_);
  connectTimer_.start(connectTimeoutMs_);
  return true;
}

void ClientSession::Tick() {
  Handle(context::kClientTimer, [this] { DoTick(); });
}

bool ClientSession::SendOwnPick(int pid, const std::string& name, const std::string& position) {
  // The time may have run out while the owner was deciding, or a pick (an
  // automatic one) may have gone out meanwhile.
  if (!MayPick()) return false;
  SetTimer(false);
  pickSent_ = true;
  Send(protocol::Draft(ownTeamIndex_, pid, name, position));
  return true;
}

bool ClientSession::MayPick() const {
  return !ended_ && clockSeconds_ > 0 && !pickSent_ && !(shownClock_.paused && Own(shownClock_.team));
}

int ClientSession::OnTheClockSecondsLeft() const {
  const ShownClock& c = shownClock_;
  if (c.team == 0) return 0;
  if (Own(c.team) && !c.paused) return clockSeconds_;
  if (c.paused) return c.seconds;
  const int64_t passed = (clock() - c.sinceMs) / 1000;
  return static_cast<int>(std::max<int64_t>(0, c.seconds - passed));
}

void ClientSession::ShowClock(ShownClock shown) {
  shownClock_ = shown;
  view_->ClockChanged();
}

bool ClientSession::SendChat(int to, const std::string& text) {
  if (ended_ || reconnecting_) return false;
  const std::string line = protocol::CutChat(text);
  if (line.empty()) return false;
  if (to == kChatToEveryone) {
    // Not shown here: the server's relay brings it back to every client.
    Send(protocol::Chat(ownTeamIndex_, line));
    return true;
  }
  if (to < 0 || to > TeamCount()) return false;  // names no team: never sent
  Append("Private to " + (to == 0 ? std::string("Commish") : TeamName(to)) + ": " + line);
  Send(protocol::PrivateLine(ownTeamIndex_, to, line));
  return true;
}

void ClientSession::Disconnect() {
  if (ended_) return;
  EndProgram();
}

void ClientSession::HandleMessage(const std::string& message) {
  const protocol::Message m = protocol::ParseMessage(message);
  Handle(context::kClientSocketRead, [&] { Dispatch(m); });
}

// ------------------------------------------------------------- events ----

void ClientSession::Handle(const char* context, const std::function<void()>& handler) {
  if (ended_) return;
  if (!Trap(reporter, context, handler)) EndProgram();
}

// The login goes out; nothing is settled until the server answers it (a
// refusal, or anything else). A reconnect keeps showing what it had until
// then.
void ClientSession::OnConnected() {
  if (!connecting_) return;
  qCInfo(lcClientNet) << "connected" << (reconnecting_ ? "again" : "");
  connecting_ = false;
  connected_ = true;
  connectTimer_.stop();
  signOnPending_ = true;
  features_ = {};
  if (reconnecting_) {
    reconnecting_ = false;
    rejoining_ = true;
    SendLogin();
    return;
  }
  rejoining_ = false;
  caption_ += " - Connected.";
  view_->SetCaption(caption_);
  SendLogin();
  LoadWishes();
  view_->ShowConnected();
  emit connectedToServer();
}

// The features go in a field a server of the plain protocol never reads, so
// the line feed after them is safe to send before the server has answered.
void ClientSession::SendLogin() {
  const std::string login =
      protocol::Login(ownTeamIndex_, kClientVersion, league.drafteeCount, league.leagueName, protocol::Features::All());
  if (socket_ && socket_->SendLine(login)) LogSent(login);
}

void ClientSession::OnConnectError() {
  if (connected_ || !connecting_) return;  // a lost connection is a disconnect
  if (reconnecting_) {
    AttemptFailed();
    return;
  }
  connecting_ = false;
  connectTimer_.stop();
  if (socket_) socket_->Close();
  caption_ = kClientCaption;
  view_->SetCaption(caption_);
  emit notice({kUnableToConnectTitle, kUnableToConnectText});
  emit connectFailed();
}

void ClientSession::OnDisconnected() {
  qCInfo(lcClientNet) << "connection closed" << (connected_ ? "" : "before it was made");
  if (!connected_) {
    OnConnectError();
    return;
  }
  if (draftOver_) {
    // The server closed after a complete draft: nothing to come back to.
    EndProgram("", kDraftOverClosedText);
    return;
  }
  if (reconnect_) {
    StartReconnecting();
    return;
  }
  EndProgram("", kConnectionLostText);
}

// ------------------------------------------------------- reconnecting ----

// The windows stay as they are; the clock stops (no pick can be sent until
// the team is signed on again: the server puts it on the clock again or the
// Commish picks), and nobody counts as signed on until the server says so.
void ClientSession::StartReconnecting() {
  connected_ = false;
  if (socket_) socket_->Close();
  const bool again = reconnecting_ || (rejoining_ && signOnPending_);  // lost before the sign-on was confirmed
  signOnPending_ = false;
  if (!again) {
    reconnectSince_ = clock();
    attempt_ = 0;
    Append(kConnectionLostLine);
  }
  reconnecting_ = true;
  pickSent_ = false;
  SetTimer(false);
  if (clockSeconds_ != 0) view_->SetTimeLeft("");
  clockSeconds_ = 0;
  ShowClock({});
  SignOffAll();
  SetCaptionStatus(kReconnectingStatus);
  ScheduleAttempt();
}

void ClientSession::SignOffAll() {
  for (int k = 1; k <= TeamCount(); ++k) {
    TeamEntry& team = teams_[Index(k - 1)];
    if (!team.signedOn) continue;
    team.signedOn = false;
    if (view_->ChatOpen()) view_->ChatRemoveRecipient(k);
  }
}

void ClientSession::ScheduleAttempt() {
  pauseTimer_->Start(ReconnectPauseMs(attempt_++),
                     [this] { Handle(context::kClientSocketRead, [this] { Attempt(); }); });
}

void ClientSession::Attempt() {
  if (!reconnecting_ || connecting_ || connected_) return;
  qCInfo(lcClientNet) << "reconnect attempt" << attempt_;
  if (!socket_->ConnectTo(QString::fromLatin1(host_.data(), static_cast<qsizetype>(host_.size())), port_)) {
    AttemptFailed();
    return;
  }
  connecting_ = true;
  connectTimer_.start(connectTimeoutMs_);
}

// An attempt did not connect, or the server refused the sign-on because it
// still holds the old connection: the next attempt follows a pause, until
// the time for reconnecting is up.
void ClientSession::AttemptFailed() {
  connecting_ = false;
  connected_ = false;
  connectTimer_.stop();
  socket_->Close();
  if (clock() - reconnectSince_ >= kReconnectForMs) {
    EndProgram("", kConnectionLostText);
    return;
  }
  SetCaptionStatus(kReconnectingStatus);
  ScheduleAttempt();
}

void ClientSession::EndProgram(const std::string& title, const std::string& text) {
  if (ended_) return;
  ended_ = true;
  reconnecting_ = false;
  signOnPending_ = false;
  SetTimer(false);
  connectTimer_.stop();
  pauseTimer_->Stop();
  if (socket_) socket_->Close();
  connected_ = false;
  // Told after everything stopped: nothing is handled while the message shows.
  if (!text.empty()) emit notice({title, text});
  if (endProgram) endProgram();
}

void ClientSession::DoTick() {
  if (!timerEnabled_) return;
  --clockSeconds_;
  view_->SetTimeLeft(Num(clockSeconds_));
  view_->ClockChanged();
  if (clockSeconds_ <= 0) {
    clockSeconds_ = 0;
    SetCaptionStatus("Connected.");
    Send(protocol::TimeUp(ownTeamIndex_));
    SetTimer(false);
    view_->SetTimeLeft("");
    return;
  }
  AutoPickIfDue();
}

// ----------------------------------------------------------- messages ----

void ClientSession::Send(const std::string& message) {
  if (socket_ && socket_->Send(message)) LogSent(message);
}

void ClientSession::LogSent(const std::string& message) {
  sent_.push_back(message);
  if (sent_.size() > kSentLogSize) sent_.pop_front();
}

void ClientSession::Append(const std::string& line) { view_->ChatAppend(line); }

void ClientSession::MarkSignedOn(int k) {
  teams_[static_cast<std::size_t>(k - 1)].signedOn = true;
  if (view_->ChatOpen()) view_->ChatAddRecipient(k);
}

bool ClientSession::Own(int k) const { return TeamName(k) == ownTeamName_; }

void ClientSession::SetTimer(bool on) {
  if (timerEnabled_ == on) return;
  timerEnabled_ = on;
  if (realTimer_) {
    if (on)
      clockTimer_.start();
    else
      clockTimer_.stop();
  }
}

// A pick the server did not take: the owner may pick again, and the clock
// goes on unless the draft is paused.
void ClientSession::GoOnAfterRefusedPick() {
  pickSent_ = false;
  if (!shownClock_.paused) SetTimer(true);
}

void ClientSession::ClockReset() {
  clockSeconds_ = 0;
  pickSent_ = false;
  SetTimer(false);
  view_->SetTimeLeft("");
  SetCaptionStatus("Connected.");
}

void ClientSession::Play(const char* file) {
  if (!sound_) return;
  std::string path = soundFolder_.empty() ? std::string(file) : soundFolder_ + "/" + file;
  sound_->PlaySound(path);
}

void ClientSession::RedrawDraftList() {
  view_->DraftListClear();
  for (const std::optional<draft::Pick>& pick : picks_.Slots())
    if (pick) view_->DraftListAdd(draft::DraftListFill(*pick));
}

// Whether a decoded message may be handled: the teams it names are teams of
// the league, and a caught-up pick has room in the list.
bool ClientSession::Acceptable(const protocol::in::FromServer& message) const {
  namespace in = protocol::in;
  const auto team = [this](int k) { return k >= 1 && k <= TeamCount(); };
  const auto teamOrCommish = [&](int k) { return k == 0 || team(k); };
  return std::visit(Overloaded{
                        [&](const in::WhoElse& w) { return std::all_of(w.teams.begin(), w.teams.end(), team); },
                        [&](const in::SignedOn& m) { return team(m.team); },
                        [&](const in::Left& m) { return team(m.team); },
                        [&](const in::Chat& m) { return teamOrCommish(m.from); },
                        [&](const in::Private& m) { return teamOrCommish(m.from); },
                        [&](const in::OnClock& m) { return team(m.team); },
                        [&](const in::Paused& m) { return team(m.team); },
                        [&](const in::TimedOut& m) { return team(m.team); },
                        [&](const in::Halted& m) { return team(m.team); },
                        [&](const in::Picked& m) { return team(m.team); },
                        [&](const in::Taken& m) { return team(m.team); },
                        [&](const in::PickRecord& m) { return !m.pick || !picks_.Full(); },
                        [&](const in::Order& m) { return std::all_of(m.teams.begin(), m.teams.end(), team); },
                        [](const auto&) { return true; },
                    },
                    message);
}

void ClientSession::Dispatch(const protocol::Message& m) {
  if (protocol::in::UnknownToClient(m)) return;  // not a message the client knows: ignored
  const std::optional<protocol::in::FromServer> message = protocol::in::DecodeFromServer(m);
  if (!message || !Acceptable(*message)) {
    ++dropped_;
    return;
  }
  if (signOnPending_ && !std::holds_alternative<protocol::in::Refused>(*message)) SignOnConfirmed();
  std::visit([this](const auto& decoded) { On(decoded); }, *message);
}

// The server took the login (its first answer that is no refusal): a
// reconnect starts its catch-up afresh now, and a server that takes wish
// lists gets the owner's list, whatever it holds.
void ClientSession::SignOnConfirmed() {
  signOnPending_ = false;
  if (rejoining_) {
    rejoining_ = false;
    SetCaptionStatus("Connected.");
    Append(kReconnectedLine);
    StartCatchUp();
  }
}

void ClientSession::On(const protocol::in::Accepted& m) {
  features_ = m.features;
  qCInfo(lcClientNet) << "the server shares" << QString::fromStdString(features_.Text());
  if (features_.Has(protocol::Feature::Lines)) socket_->SetFraming(protocol::Framing::Lines);
  if (features_.Has(protocol::Feature::WishList)) SendWishes();
}

void ClientSession::On(const protocol::in::Refused& m) {
  qCInfo(lcClientNet) << "refused, reason"
                      << QString::fromLatin1(m.reason.data(), static_cast<qsizetype>(m.reason.size()));
  // The server has not yet seen the old connection go: try again later.
  if (rejoining_ && signOnPending_ &&
      protocol::RefusalText(std::string_view(m.reason)) == protocol::RefusalText(protocol::kRefuseSignedOn)) {
    signOnPending_ = false;
    rejoining_ = false;
    reconnecting_ = true;
    AttemptFailed();
    return;
  }
  EndProgram(kDisconnectedTitle,
             std::string(kDisconnectedLead) + "\r\n\r\n" + protocol::RefusalText(std::string_view(m.reason)));
}

void ClientSession::On(const protocol::in::WhoElse& m) {
  for (int k : m.teams) MarkSignedOn(k);
}

void ClientSession::On(const protocol::in::SignedOn& m) { MarkSignedOn(m.team); }

// ----------------------------------------------------------- catch-up ----
//
// A server that agreed to the whole catch-up sends every recorded pick right
// after the login, then an empty V. Any other server sends pick 1 after the
// login and answers each "V n" with slot n of its list, or with the first
// pick after it when slot n is blank (a deleted pick; that pick then comes
// twice), or not at all past its last pick: the client asks for one pick
// after each answer, counting on with its own index (counting the picks held
// would ask for the same pick again after a gap).

// A fresh catch-up after signing on again: the list is rebuilt from the
// answers, so picks deleted meanwhile are gone and none is held twice. As
// in the first catch-up, the Draftees list is left as it is (a pick of a
// player taken meanwhile is answered by the server as taken).
void ClientSession::StartCatchUp() {
  catchUpNext_ = 2;
  firstUnreached_ = 0;
  picks_ = draft::PickList(draft::kMaxPicks);
  view_->DraftListClear();
  view_->PicksChanged();
}

void ClientSession::On(const protocol::in::PickRecord& m) {
  if (!m.pick) return;  // the end of a whole catch-up
  if (!features_.Has(protocol::Feature::WholeCatchUp)) Send(protocol::PickRequest(ownTeamIndex_, catchUpNext_++));
  StoreCaughtUp(*m.pick);
}

// An answer is stored unless its player is held already (the pick after a
// blank slot comes twice; a pick seen made as Z comes again). A pick made
// during the catch-up reaches the client as Z before any answer carrying it,
// and every answer that is not held is older than it, so it goes in before
// the picks the catch-up has not reached yet.
void ClientSession::StoreCaughtUp(draft::Pick pick) {
  if (picks_.HasPid(pick.pid)) {
    for (int k = firstUnreached_; firstUnreached_ > 0 && k <= picks_.Count(); ++k) {
      const draft::Pick* held = picks_.At(k);
      if (held && held->pid == pick.pid) {
        firstUnreached_ = k < picks_.Count() ? k + 1 : 0;  // reached
        break;
      }
    }
    return;
  }
  const int pid = pick.pid;
  if (firstUnreached_ > 0) {
    if (!picks_.Insert(firstUnreached_, std::move(pick))) return;
    ++firstUnreached_;
    RedrawDraftList();
  } else {
    const std::string line = draft::DraftListFill(pick);
    if (!picks_.Append(std::move(pick))) return;
    view_->DraftListAdd(line);
  }
  Drafted(pid);
  view_->PicksChanged();
}

void ClientSession::On(const protocol::in::Left& m) {
  teams_[static_cast<std::size_t>(m.team - 1)].signedOn = false;
  const std::string& name = TeamName(m.team);
  if (view_->ChatOpen()) view_->ChatRemoveRecipient(m.team);
  Append("*** " + name + " *** has left the draft.");
}

// Public lines are shown only while the chat window is open.
void ClientSession::On(const protocol::in::Chat& m) {
  if (!view_->ChatOpen()) return;
  Append((m.from == 0 ? std::string("Commish") : TeamName(m.from)) + ": " + m.text);
}

void ClientSession::On(const protocol::in::Private& m) {
  Append("Private from " + (m.from == 0 ? std::string("the Commish") : TeamName(m.from)) + ": " + m.text);
  // The server answers a pick it did not record with a line of its own: the
  // clock goes on from the value kept when the pick was sent.
  if (m.from == 0 && pickSent_ && clockSeconds_ > 0) GoOnAfterRefusedPick();
}

void ClientSession::On(const protocol::in::OnClock& m) {
  draftOver_ = false;
  ShowClock({m.team, m.label, std::max(m.seconds, 0), clock(), false});
  if (Own(m.team)) {
    // The clock only starts from positive seconds; it stops at exactly 0.
    if (m.seconds > 0) {
      clockSeconds_ = m.seconds;
      SetCaptionStatus("On the clock.");
      view_->SetTimeLeft(Num(clockSeconds_));
      SetTimer(true);
      Play(kRingFile);
      view_->RequestAttention();
      autoPickTried_ = false;
    }
  }
  Append(TeamName(m.team) + " is on the clock.");
  if (Own(m.team)) AutoPickIfDue();
}

// The clock stops where it is: the own team keeps its seconds and may not
// pick until N starts the clock again.
void ClientSession::On(const protocol::in::Paused& m) {
  if (Own(m.team) && m.seconds > 0) {
    SetTimer(false);
    clockSeconds_ = m.seconds;
    view_->SetTimeLeft(Num(clockSeconds_));
    SetCaptionStatus("Paused.");
  }
  ShowClock({m.team, m.label, m.seconds, clock(), true});
}

void ClientSession::On(const protocol::in::TimedOut& m) {
  if (shownClock_.team == m.team) ShowClock({});
  if (Own(m.team)) {
    Play(kBuzzerFile);
    ClockReset();
  }
  Append(m.text);
}

void ClientSession::On(const protocol::in::Halted& m) {
  if (shownClock_.team == m.team) ShowClock({});
  if (Own(m.team)) {
    Play(kBuzzerFile);
    ClockReset();
  }
  Append(TeamName(m.team) + " has been taken off the clock by the commish.");
}

void ClientSession::On(const protocol::in::Picked& m) {
  draft::Pick pick = m.pick;
  pick.team = TeamName(m.team);
  const std::string chatLine =
      pick.team + " has selected " + pick.position + " " + pick.player + "  -  Round " + pick.label.Text() + ".";
  const std::string position = pick.position;
  const int pid = pick.pid;
  // A pick beyond what the list holds is not stored, but still ends the
  // turn and is told in the chat.
  const std::string line = draft::DraftListFill(pick);
  if (picks_.Append(std::move(pick))) {
    view_->DraftListAdd(line);
    if (firstUnreached_ == 0) firstUnreached_ = picks_.Count();
    view_->PicksChanged();
  }
  const std::string shown = view_->DrafteesShownPosition();
  if (!shown.empty() && shown == position) view_->DrafteesRebuild();
  if (Own(m.team)) ClockReset();
  if (shownClock_.team == m.team) ShowClock({});
  Append(chatLine);
  Drafted(pid);
}

void ClientSession::On(const protocol::in::Taken& m) {
  Append(TeamName(m.team) + " attempted to choose " + m.position + " " + m.player + " who has already been selected.");
  // Resume from the value kept when the pick was sent.
  if (Own(m.team) && clockSeconds_ > 0) {
    autoPickTried_ = false;  // an automatic pick may try the next player listed
    GoOnAfterRefusedPick();
  }
}

// The first pick with the label is blanked (none: nothing changes) and the
// draft list is drawn again from the picks.
void ClientSession::On(const protocol::in::Deleted& m) {
  if (m.label) picks_.BlankLabel(*m.label);
  RedrawDraftList();
  view_->PicksChanged();
}

// Position 0 starts a new order; a later part sets the owners from its
// position on (one entry: a traded pick). An order without owners only says
// that the server no longer runs by it (the Commish took over, or the draft
// ended): the order known stays, so that the owners still see what comes
// and when the draft is over.
void ClientSession::On(const protocol::in::Order& m) {
  if (m.first == 0 && m.teams.empty()) return;
  if (m.first == 0) orderOwners_.clear();
  const std::size_t end = static_cast<std::size_t>(m.first) + m.teams.size();
  if (static_cast<std::size_t>(m.first) > orderOwners_.size()) return;  // a part out of turn
  if (orderOwners_.size() < end) orderOwners_.resize(end);
  std::copy(m.teams.begin(), m.teams.end(), orderOwners_.begin() + m.first);
  orderPerRound_ = m.perRound;
  view_->OrderChanged();
}

void ClientSession::On(const protocol::in::DraftOver&) {
  draftOver_ = true;
  ShowClock({});
  Append(kDraftOverLine);
}

}  // namespace pm::client
