#include "client/ClientSession.h"

#include <QCoreApplication>
#include <QString>

#include <exception>
#include <optional>
#include <utility>

#include "client/ClientView.h"
#include "client/Sound.h"
#include "common/Common.h"
#include "draft/Pick.h"
#include "protocol/Protocol.h"
#include "protocol/Transport.h"

namespace pm::client {

namespace {

constexpr std::size_t kSentLogSize = 200;

}  // namespace

struct ClientSession::Event {
  enum Kind { Connected, Disconnected, ConnectError, TickEvent, Message, Retry } kind;
  protocol::Message message;
};

ClientSession::ClientSession(QObject* parent) : QObject(parent) {
  reporter.programLabel = kClientLabel;
  caption_ = kClientCaption;
  defaultView_ = std::make_unique<ClientView>();
  view_ = defaultView_.get();
  defaultPrompter_ = std::make_unique<ScriptedPrompter>();
  prompter_ = defaultPrompter_.get();
  endProgram = [] { QCoreApplication::exit(0); };
  clock = protocol::SteadyMs;
  defaultPauseTimer_ = std::make_unique<QtPauseTimer>();
  pauseTimer_ = defaultPauseTimer_.get();
  clockTimer_.setInterval(1000);
  connect(&clockTimer_, &QTimer::timeout, this, [this] { Tick(); });
  connectTimer_.setSingleShot(true);
  connect(&connectTimer_, &QTimer::timeout, this, [this] {
    if (connecting_ && !connected_) Post({Event::ConnectError, {}});
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
    connect(socket_, &protocol::MessageSocket::messageReceived, this, [this](const protocol::Message& m) {
      Post({Event::Message, m});
    });
    connect(socket_, &protocol::MessageSocket::connected, this, [this] { Post({Event::Connected, {}}); });
    connect(socket_, &protocol::MessageSocket::disconnected, this, [this] { Post({Event::Disconnected, {}}); });
    connect(socket_, &protocol::MessageSocket::connectFailed, this, [this] { Post({Event::ConnectError, {}}); });
  }
  if (!socket_->ConnectTo(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())), port_)) return false;
  host_ = host;
  connecting_ = true;
  caption_ = std::string(kClientCaption) + " - " + ownTeamName_;
  view_->SetCaption(caption_);
  connectTimer_.start(connectTimeoutMs_);
  return true;
}

void ClientSession::Tick() { Post({Event::TickEvent, {}}); }

bool ClientSession::SendOwnPick(const std::string& pid, const std::string& name, const std::string& position) {
  // The time may have run out while the owner was deciding, or a pick (an
  // automatic one) may have gone out meanwhile.
  if (ended_ || clockSeconds_ <= 0 || pickSent_) return false;
  SetTimer(false);
  pickSent_ = true;
  Send(protocol::Draft(ownTeamIndex_, pid, name, position));
  return true;
}

bool ClientSession::SendChat(const std::string& recipient, const std::string& text) {
  if (ended_ || reconnecting_) return false;
  const std::string line = protocol::CutChat(text);
  if (line.empty()) return false;
  if (UpperLatin1(recipient.substr(0, 3)) == "ALL") {
    // Not shown here: the server's relay brings it back to every client.
    Send(protocol::Chat(ownTeamIndex_, line));
    return true;
  }
  int to = -1;
  if (recipient == "Commish") {
    to = 0;
  } else {
    const std::string wanted = UpperLatin1(recipient);
    for (int i = 1; i <= TeamCount(); ++i) {
      if (UpperLatin1(TeamName(i)) == wanted) {
        to = i;
        break;
      }
    }
  }
  if (to < 0) return false;  // names no team: never sent
  Append("Private to " + recipient + ": " + line);
  Send(protocol::PrivateLine(ownTeamIndex_, to, line));
  return true;
}

void ClientSession::Disconnect() {
  if (ended_) return;
  EndProgram();
}

void ClientSession::HandleMessage(const std::string& message) {
  Post({Event::Message, protocol::ParseMessage(message)});
}

// ------------------------------------------------------------- events ----

void ClientSession::Post(Event e) {
  if (ended_) return;
  queue_.push_back(std::make_unique<Event>(std::move(e)));
  if (busy_) return;  // handled when the running handler is done
  busy_ = true;
  while (!queue_.empty() && !ended_) {
    std::unique_ptr<Event> next = std::move(queue_.front());
    queue_.pop_front();
    try {
      Handle(*next);
    } catch (const std::exception& ex) {
      const char* context = "Client_Socket1_Read";
      if (next->kind == Event::TickEvent) context = "Client_Timer1_Timer";
      if (next->kind == Event::Connected) context = "Client_Socket1_Connect";
      reporter.Report(context, ErrorOf(ex));
      EndProgram();
    }
  }
  busy_ = false;
}

void ClientSession::Handle(const Event& e) {
  switch (e.kind) {
    case Event::Connected: OnConnected(); break;
    case Event::Disconnected: OnDisconnected(); break;
    case Event::ConnectError: OnConnectError(); break;
    case Event::TickEvent: DoTick(); break;
    case Event::Message: Dispatch(e.message); break;
    case Event::Retry: Attempt(); break;
  }
}

void ClientSession::OnConnected() {
  if (!connecting_) return;
  connecting_ = false;
  connected_ = true;
  connectTimer_.stop();
  if (reconnecting_) {
    // The same login again; the picks are asked for afresh from pick 1. The
    // server acknowledges a login only by not refusing it: the first message
    // that is no refusal confirms it.
    reconnecting_ = false;
    rejoinPending_ = true;
    SetCaptionStatus("Connected.");
    StartCatchUp();
    SendLogin();
    // A server started again has lost the list.
    if (!wishes_.Empty()) SendWishes();
    return;
  }
  caption_ += " - Connected.";
  view_->SetCaption(caption_);
  SendLogin();
  LoadWishes();
  view_->ShowConnected();
  emit connectedToServer();
}

void ClientSession::SendLogin() {
  Send(protocol::Login(ownTeamIndex_, kClientVersion, league.drafteeCount, league.leagueName));
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
  prompter_->Inform(kUnableToConnectTitle, kUnableToConnectText);
  emit connectFailed();
}

void ClientSession::OnDisconnected() {
  if (!connected_) {
    OnConnectError();
    return;
  }
  if (reconnect_) {
    StartReconnecting();
    return;
  }
  prompter_->Inform("", kConnectionLostText);
  EndProgram();
}

// ------------------------------------------------------- reconnecting ----

// The windows stay as they are; the clock stops (no pick can be sent until
// the team is signed on again: the server puts it on the clock again or the
// Commish picks), and nobody counts as signed on until the server says so.
void ClientSession::StartReconnecting() {
  connected_ = false;
  if (socket_) socket_->Close();
  const bool again = reconnecting_ || rejoinPending_;  // lost before the sign-on was confirmed
  rejoinPending_ = false;
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
  SignOffAll();
  SetCaptionStatus(kReconnectingStatus);
  ScheduleAttempt();
}

void ClientSession::SignOffAll() {
  for (TeamEntry& team : teams_) {
    if (!team.signedOn) continue;
    team.signedOn = false;
    if (view_->ChatOpen()) view_->ChatRemoveRecipient(team.name);
  }
}

void ClientSession::ScheduleAttempt() {
  pauseTimer_->Start(ReconnectPauseMs(attempt_++), [this] { Post({Event::Retry, {}}); });
}

void ClientSession::Attempt() {
  if (!reconnecting_ || connecting_ || connected_) return;
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
    prompter_->Inform("", kConnectionLostText);
    EndProgram();
    return;
  }
  SetCaptionStatus(kReconnectingStatus);
  ScheduleAttempt();
}

void ClientSession::EndProgram() {
  if (ended_) return;
  ended_ = true;
  reconnecting_ = false;
  rejoinPending_ = false;
  queue_.clear();
  SetTimer(false);
  connectTimer_.stop();
  pauseTimer_->Stop();
  if (socket_) socket_->Close();
  connected_ = false;
  if (endProgram) endProgram();
}

void ClientSession::DoTick() {
  if (!timerEnabled_) return;
  clockSeconds_ = static_cast<int16_t>(clockSeconds_ - 1);
  view_->SetTimeLeft(Num(clockSeconds_));
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
  if (!socket_ || !socket_->Send(message)) return;
  sent_.push_back(message);
  if (sent_.size() > kSentLogSize) sent_.pop_front();
}

void ClientSession::Append(const std::string& line) { view_->ChatAppend(line); }

void ClientSession::MarkSignedOn(int k) {
  teams_[static_cast<std::size_t>(k - 1)].signedOn = true;
  if (view_->ChatOpen()) view_->ChatAddRecipient(TeamName(k));
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

// Whether a message may be handled: its numbers fit 16 bits, the teams it
// names are in the league, and a pick it carries has room in the list.
bool ClientSession::Acceptable(const protocol::Message& m) const {
  const auto team = [this](int k) { return k >= 1 && k <= TeamCount(); };
  const auto fits = [](const std::string& text) { return ToInt16(text).has_value(); };
  const auto firstFits = [&] { return fits(protocol::BodyField(m, 1)); };
  switch (m.code) {
    case protocol::kSignedOn:
    case protocol::kLeft: return team(m.from);
    case protocol::kChatRelay:
    case protocol::kPrivateOut: return m.from == 0 || team(m.from);
    case protocol::kTimedOut:
    case protocol::kHalted: return team(m.to);
    case protocol::kOnClock: return team(m.to) && firstFits();
    case protocol::kTaken: return team(m.from) && firstFits();
    case protocol::kPicked: return team(m.from) && firstFits();
    case protocol::kPickRecord: return m.body.empty() || (firstFits() && !picks_.Full());
    case protocol::kWhoElse:
      for (int i = 1; i <= TeamCount(); ++i) {
        const std::string listed = protocol::BodyField(m, i);
        if (listed.empty()) break;
        const auto k = ToInt16(listed);
        if (!k || !team(*k)) return false;
      }
      return true;
    default: return true;
  }
}

void ClientSession::Dispatch(const protocol::Message& m) {
  if (!m.valid) {
    ++dropped_;
    return;
  }
  if (m.codeText.size() != 1) return;  // field 1 is no code: ignored, as an unknown code is
  if (!Acceptable(m)) {
    ++dropped_;
    return;
  }
  if (rejoinPending_ && m.code != protocol::kRefused) {
    rejoinPending_ = false;
    Append(kReconnectedLine);
  }
  switch (m.code) {
    case protocol::kRefused: OnRefused(m); break;
    case protocol::kWhoElse: OnWhoElse(m); break;
    case protocol::kSignedOn: OnSignedOn(m); break;
    case protocol::kPickRecord: OnPickRecord(m); break;
    case protocol::kLeft: OnLeft(m); break;
    case protocol::kChatRelay: OnChat(m); break;
    case protocol::kPrivateOut: OnPrivate(m); break;
    case protocol::kOnClock: OnOnClock(m); break;
    case protocol::kTimedOut: OnTimedOut(m); break;
    case protocol::kHalted: OnHalted(m); break;
    case protocol::kPicked: OnPicked(m); break;
    case protocol::kTaken: OnTaken(m); break;
    case protocol::kDeleted: OnDeleted(m); break;
    default: break;  // not a message the client knows: ignored
  }
}

void ClientSession::OnRefused(const protocol::Message& m) {
  // The server has not yet seen the old connection go: try again later.
  if (rejoinPending_ &&
      protocol::RefusalText(std::string_view(m.body)) == protocol::RefusalText(protocol::kRefuseSignedOn)) {
    rejoinPending_ = false;
    reconnecting_ = true;
    AttemptFailed();
    return;
  }
  prompter_->Inform(kDisconnectedTitle,
                    std::string(kDisconnectedLead) + "\r\n\r\n" + protocol::RefusalText(std::string_view(m.body)));
  EndProgram();
}

// Every listed team is signed on; the list ends at its first empty field.
void ClientSession::OnWhoElse(const protocol::Message& m) {
  for (int i = 1; i <= TeamCount(); ++i) {
    const std::string listed = protocol::BodyField(m, i);
    if (listed.empty()) break;
    MarkSignedOn(static_cast<int>(LeadingNumber(listed)));
  }
}

void ClientSession::OnSignedOn(const protocol::Message& m) { MarkSignedOn(m.from); }

// ----------------------------------------------------------- catch-up ----
//
// The server sends pick 1 after the login and answers every "V n" on its
// own, in order: with slot n of its list, or with the first pick after it
// when slot n is blank (a deleted pick; that pick then comes twice), or not
// at all past its last pick. The first answer asks for picks 2 to
// 1 + kCatchUpWindow at once, and every further answer for one more, so the
// catch-up ends with kCatchUpWindow requests that get no answer. The requests
// count on with the session's own index: counting the picks held would ask
// for the same pick again after a gap.

// A fresh catch-up after signing on again: the list is rebuilt from the
// answers, so picks deleted meanwhile are gone and none is held twice. As
// in the first catch-up, the Draftees list is left as it is (a pick of a
// player taken meanwhile is answered by the server as taken).
void ClientSession::StartCatchUp() {
  catchUpNext_ = 1;
  firstUnreached_ = 0;
  picks_ = draft::PickList(draft::kMaxPicks);
  view_->DraftListClear();
  view_->PicksChanged();
}

void ClientSession::OnPickRecord(const protocol::Message& m) {
  if (m.body.empty()) return;  // nothing more to catch up on
  RequestMorePicks();
  StoreCaughtUp(draft::ParsePick(m.body, ","));
}

void ClientSession::RequestMorePicks() {
  const int last = catchUpNext_ == 1 ? 1 + kCatchUpWindow : catchUpNext_;
  if (catchUpNext_ == 1) catchUpNext_ = 2;
  while (catchUpNext_ <= last) Send(protocol::PickRequest(ownTeamIndex_, catchUpNext_++));
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

void ClientSession::OnLeft(const protocol::Message& m) {
  teams_[static_cast<std::size_t>(m.from - 1)].signedOn = false;
  const std::string& name = TeamName(m.from);
  if (view_->ChatOpen()) view_->ChatRemoveRecipient(name);
  Append("*** " + name + " *** has left the draft.");
}

// Public lines are shown only while the chat window is open.
void ClientSession::OnChat(const protocol::Message& m) {
  if (!view_->ChatOpen()) return;
  Append((m.from == 0 ? std::string("Commish") : TeamName(m.from)) + ": " + m.body);
}

void ClientSession::OnPrivate(const protocol::Message& m) {
  Append("Private from " + (m.from == 0 ? std::string("the Commish") : TeamName(m.from)) + ": " + m.body);
  // The server answers a pick it did not record with a line of its own: the
  // clock goes on from the value kept when the pick was sent.
  if (m.from == 0 && pickSent_ && clockSeconds_ > 0) {
    pickSent_ = false;
    SetTimer(true);
  }
}

void ClientSession::OnOnClock(const protocol::Message& m) {
  if (Own(m.to)) {
    const int16_t seconds = *ToInt16(protocol::BodyField(m, 1));
    // The clock only starts from positive seconds; it stops at exactly 0.
    if (seconds > 0) {
      clockSeconds_ = seconds;
      SetCaptionStatus("On the clock.");
      view_->SetTimeLeft(Num(clockSeconds_));
      SetTimer(true);
      Play(kRingFile);
      view_->RequestAttention();
      autoPickTried_ = false;
    }
  }
  Append(TeamName(m.to) + " is on the clock.");
  if (Own(m.to)) AutoPickIfDue();
}

void ClientSession::OnTimedOut(const protocol::Message& m) {
  if (Own(m.to)) {
    Play(kBuzzerFile);
    ClockReset();
  }
  Append(m.body);
}

void ClientSession::OnHalted(const protocol::Message& m) {
  if (Own(m.to)) {
    Play(kBuzzerFile);
    ClockReset();
  }
  Append(TeamName(m.to) + " has been taken off the clock by the commish.");
}

void ClientSession::OnPicked(const protocol::Message& m) {
  draft::Pick pick{*ToInt16(protocol::BodyField(m, 1)), TeamName(m.from), protocol::BodyField(m, 2),
                   protocol::BodyField(m, 3),
                   draft::PickLabel::Parse(protocol::BodyField(m, 4)).value_or(draft::PickLabel{})};
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
  if (Own(m.from)) ClockReset();
  Append(chatLine);
  Drafted(pid);
}

void ClientSession::OnTaken(const protocol::Message& m) {
  Append(TeamName(m.from) + " attempted to choose " + protocol::BodyField(m, 3) + " " + protocol::BodyField(m, 2) +
         " who has already been selected.");
  // Resume from the value kept when the pick was sent.
  if (Own(m.from) && clockSeconds_ > 0) {
    pickSent_ = false;
    autoPickTried_ = false;  // an automatic pick may try the next player listed
    SetTimer(true);
  }
}

// The first pick with the label is blanked (none: nothing changes) and the
// draft list is drawn again from the picks.
void ClientSession::OnDeleted(const protocol::Message& m) {
  if (auto label = draft::PickLabel::Parse(m.body)) picks_.BlankLabel(*label);
  RedrawDraftList();
  view_->PicksChanged();
}

}  // namespace pm::client
