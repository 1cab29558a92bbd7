#include "client/ClientSession.h"

#include <QCoreApplication>
#include <QString>

#include <exception>
#include <new>
#include <stdexcept>

#include "client/ClientView.h"
#include "common/Common.h"
#include "draft/Pick.h"
#include "protocol/Protocol.h"
#include "client/Sound.h"
#include "protocol/Transport.h"

namespace pm::client {

namespace {

constexpr std::size_t kSentLogSize = 200;


}  // namespace

struct ClientSession::Event {
  enum Kind { Connected, Disconnected, ConnectError, TickEvent, Message } kind;
  protocol::Message message;
};

std::string RefusalReasonText(std::string_view reason) {
  const std::string trimmed = Trim(reason);
  if (trimmed.empty() || trimmed[0] < '0' || trimmed[0] > '9') return {};
  const long long code = LeadingNumber(trimmed);
  switch (code) {
    case 0: return "You are not using the correct league. Contact the commish for details.";
    case 1: return "You are using an incorrect version of Pickmill Client. Contact the commish.";
    case 2: return "The league files you have selected appear to be different that what the commish is using.";
    case 3: return "The team you selected is already signed on. Contact the commish.";
    case 4: return "You have been kicked out of the draft by the commish.";
    default: return {};
  }
}

ClientSession::ClientSession(QObject* parent) : QObject(parent), pickList_(kClientPickCapacity + 1) {
  reporter.programLabel = kClientLabel;
  pickList_[0] = "0";
  caption_ = kClientCaption;
  defaultView_ = std::make_unique<ClientView>();
  view_ = defaultView_.get();
  defaultPrompter_ = std::make_unique<ScriptedPrompter>();
  prompter_ = defaultPrompter_.get();
  endProgram = [] { QCoreApplication::exit(0); };
  clockTimer_.setInterval(1000);
  connect(&clockTimer_, &QTimer::timeout, this, [this] { Tick(); });
  connectTimer_.setSingleShot(true);
  connect(&connectTimer_, &QTimer::timeout, this, [this] {
    if (connecting_ && !connected_) Post({Event::ConnectError, {}});
  });
}

ClientSession::~ClientSession() {
  ended_ = true;
}

void ClientSession::SetView(ClientView* view) { view_ = view ? view : defaultView_.get(); }

// ------------------------------------------------------------- league ----

void ClientSession::SetTeams(const std::vector<std::string>& names) {
  teamTable_.assign(1, std::string());
  teamTable_.insert(teamTable_.end(), names.begin(), names.end());
}

int ClientSession::ChooseTeam(const std::string& name) {
  ownTeamName_ = name;
  for (int i = 1; i <= TeamCount(); ++i) {
    if (teamTable_[static_cast<std::size_t>(i)] == name) {
      ownTeamIndex_ = static_cast<int16_t>(i);
      break;
    }
  }
  return ownTeamIndex_;
}

const std::string& ClientSession::TeamEntry(int k) const {
  static const std::string empty;
  if (k < 1 || k > TeamCount()) return empty;
  return teamTable_[static_cast<std::size_t>(k)];
}

std::string ClientSession::TeamName(int k) const { return GetField(TeamEntry(k), 1, "|"); }

bool ClientSession::SignedOn(int k) const { return GetField(TeamEntry(k), 3, "|") == "1"; }

int ClientSession::PickCount() const {
  long long n = LeadingNumber(pickList_[0]);
  if (n < 0) return 0;
  if (n > kClientPickCapacity) return kClientPickCapacity;
  return static_cast<int>(n);
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
            [this](const protocol::Message& m) { Post({Event::Message, m}); });
    connect(socket_, &protocol::MessageSocket::connected, this, [this] { Post({Event::Connected, {}}); });
    connect(socket_, &protocol::MessageSocket::disconnected, this, [this] { Post({Event::Disconnected, {}}); });
    connect(socket_, &protocol::MessageSocket::connectFailed, this, [this] { Post({Event::ConnectError, {}}); });
  }
  if (!socket_->ConnectTo(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())), port_))
    return false;
  connecting_ = true;
  caption_ = std::string(kClientCaption) + " - " + ownTeamName_;
  view_->SetCaption(caption_);
  connectTimer_.start(connectTimeoutMs_);
  return true;
}

void ClientSession::Tick() { Post({Event::TickEvent, {}}); }

bool ClientSession::SendOwnPick(const std::string& pid, const std::string& name, const std::string& position) {
  // The time may have run out while the owner was deciding.
  if (ended_ || clockSeconds_ <= 0) return false;
  SetTimer(false);
  Send(protocol::Draft(ownTeamIndex_, pid, name, position));
  return true;
}

bool ClientSession::SendChat(const std::string& recipient, const std::string& text) {
  if (ended_) return false;
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
  }
}

void ClientSession::OnConnected() {
  if (!connecting_) return;
  connecting_ = false;
  connected_ = true;
  connectTimer_.stop();
  caption_ += " - Connected.";
  view_->SetCaption(caption_);
  Send(protocol::Login(ownTeamIndex_, kClientVersion, league.drafteeCount, league.leagueName));
  view_->ShowConnected();
  emit connectedToServer();
}

void ClientSession::OnConnectError() {
  if (connected_ || !connecting_) return;  // a lost connection is a disconnect
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
  prompter_->Inform("", kConnectionLostText);
  EndProgram();
}

void ClientSession::EndProgram() {
  if (ended_) return;
  ended_ = true;
  queue_.clear();
  SetTimer(false);
  connectTimer_.stop();
  if (socket_) socket_->Close();
  connected_ = false;
  emit programEnded();
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
  }
}

// ----------------------------------------------------------- messages ----

void ClientSession::Send(const std::string& message) {
  if (!socket_ || !socket_->Send(message)) return;
  sent_.push_back(message);
  if (sent_.size() > kSentLogSize) sent_.pop_front();
}

void ClientSession::Drop() { ++dropped_; }

void ClientSession::Append(const std::string& line) { view_->ChatAppend(line); }

void ClientSession::SetPresence(int k, const std::string& flag) {
  std::string& entry = teamTable_[static_cast<std::size_t>(k)];
  entry = GetField(entry, 1, "|") + "|" + GetField(entry, 2, "|") + "|" + flag;
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
  emit timerStateChanged(on);
}

void ClientSession::ClockReset() {
  clockSeconds_ = 0;
  SetTimer(false);
  view_->SetTimeLeft("");
  SetCaptionStatus("Connected.");
}

void ClientSession::Play(const char* file) {
  if (!sound_) return;
  std::string path = soundFolder_.empty() ? std::string(file) : soundFolder_ + "/" + file;
  sound_->PlaySound(path);
}

bool ClientSession::PidRecorded(long long pid) const {
  const int count = PickCount();
  for (int i = 1; i <= count; ++i) {
    const std::string& rec = pickList_[static_cast<std::size_t>(i)];
    if (!rec.empty() && LeadingNumber(GetField(rec, 1, "|")) == pid) return true;
  }
  return false;
}

bool ClientSession::StorePick(const std::string& record) {
  const int n = PickCount() + 1;
  if (n > kClientPickCapacity) return false;
  pickList_[static_cast<std::size_t>(n)] = record;
  pickList_[0] = Num(n);
  return true;
}

// Whether a message may be handled: its numbers fit 16 bits, the teams it
// names are in the league, and a pick it carries has room in the list.
bool ClientSession::Check(const protocol::Message& m) {
  if (!m.valid) return false;
  const auto team = [this](int k) { return k >= 1 && k <= TeamCount(); };
  const auto fits = [](const std::string& text) { return ToInt16(text).has_value(); };
  const std::string& code = m.codeText;
  if (code == "L" || code == "X") return team(m.from);
  if (code == "C" || code == "P") return m.from == 0 || team(m.from);
  if (code == "I" || code == "H") return team(m.to);
  if (code == "N") return team(m.to) && fits(GetField(m.body, 1, ","));
  if (code == "G") return team(m.from) && fits(GetField(m.body, 1, ","));
  if (code == "Z") return team(m.from) && fits(GetField(m.body, 1, ",")) && PickCount() < kClientPickCapacity;
  if (code == "V")
    return m.body.empty() || (fits(GetField(m.body, 1, ",")) && PickCount() < kClientPickCapacity);
  if (code == "W") {
    for (int i = 1; i <= TeamCount(); ++i) {
      const std::string s = GetField(m.body, i, ",");
      if (s.empty()) break;
      auto k = ToInt16(s);
      if (!k || !team(*k)) return false;
    }
    return true;
  }
  return true;
}

void ClientSession::Dispatch(const protocol::Message& m) {
  if (!Check(m)) {
    Drop();
    return;
  }
  const std::string& code = m.codeText;
  const std::string& t = m.body;

  if (code == "R") {
    std::string text = std::string(kDisconnectedLead) + "\r\n\r\n" + RefusalReasonText(t);
    prompter_->Inform(kDisconnectedTitle, text);
    EndProgram();
  } else if (code == "W") {
    for (int i = 1; i <= TeamCount(); ++i) {
      const std::string s = GetField(t, i, ",");
      if (s.empty()) break;
      const int k = static_cast<int>(LeadingNumber(s));
      SetPresence(k, "1");
      if (view_->ChatOpen()) view_->ChatAddRecipient(TeamName(k));
    }
  } else if (code == "L") {
    SetPresence(m.from, "1");
    if (view_->ChatOpen()) view_->ChatAddRecipient(TeamName(m.from));
  } else if (code == "V") {
    if (t.empty()) return;
    std::string record;
    for (int i = 1; i <= 5; ++i) record += GetField(t, i, ",") + "|";
    // Our own request index: the server skips deleted picks, so counting
    // what we hold would ask for the same pick again after a gap.
    ++catchUpIndex_;
    if (!PidRecorded(LeadingNumber(GetField(t, 1, ",")))) {
      StorePick(record);
      view_->DraftListAdd(draft::DraftListFill(record));
    }
    Send(protocol::PickRequest(ownTeamIndex_, catchUpIndex_));
  } else if (code == "X") {
    SetPresence(m.from, "0");
    const std::string name = TeamName(m.from);
    if (view_->ChatOpen()) view_->ChatRemoveRecipient(name);
    Append("*** " + name + " *** has left the draft.");
  } else if (code == "C") {
    if (!view_->ChatOpen()) return;
    Append((m.from == 0 ? std::string("Commish") : TeamName(m.from)) + ": " + t);
  } else if (code == "P") {
    Append("Private from " + (m.from == 0 ? std::string("the Commish") : TeamName(m.from)) + ": " + t);
  } else if (code == "N") {
    const int team = m.to;
    if (Own(team)) {
      const int16_t seconds = *ToInt16(GetField(t, 1, ","));
      // The clock only starts from positive seconds; it stops at exactly 0.
      if (seconds > 0) {
        clockSeconds_ = seconds;
        SetCaptionStatus("On the clock.");
        view_->SetTimeLeft(Num(clockSeconds_));
        SetTimer(true);
        Play(kRingFile);
      }
    }
    Append(TeamName(team) + " is on the clock.");
  } else if (code == "I") {
    if (Own(m.to)) {
      Play(kBuzzerFile);
      ClockReset();
    }
    Append(t);
  } else if (code == "H") {
    if (Own(m.to)) {
      Play(kBuzzerFile);
      ClockReset();
    }
    Append(TeamName(m.to) + " has been taken off the clock by the commish.");
  } else if (code == "Z") {
    const std::string name = TeamName(m.from);
    const std::string pid = GetField(t, 1, ",");
    const std::string player = GetField(t, 2, ",");
    const std::string position = GetField(t, 3, ",");
    const std::string roundSel = GetField(t, 4, ",");
    const std::string record = pid + "|" + name + "|" + player + "|" + position + "|" + roundSel;
    view_->DraftListAdd(draft::DraftListFill(record));
    StorePick(record);
    const std::string shown = view_->DrafteesShownPosition();
    if (!shown.empty() && shown == position) view_->DrafteesRebuild();
    if (Own(m.from)) ClockReset();
    Append(name + " has selected " + position + " " + player + "  -  Round " + roundSel + ".");
  } else if (code == "G") {
    const std::string player = GetField(t, 2, ",");
    const std::string position = GetField(t, 3, ",");
    Append(TeamName(m.from) + " attempted to choose " + position + " " + player + " who has already been selected.");
    // Resume from the value kept when the pick was sent.
    if (Own(m.from) && clockSeconds_ > 0) SetTimer(true);
  } else if (code == "Y") {
    const int count = PickCount();
    for (int i = 1; i <= count; ++i) {
      std::string& rec = pickList_[static_cast<std::size_t>(i)];
      if (!rec.empty() && GetField(rec, 5, "|") == t) {
        rec.clear();
        break;
      }
    }
    view_->DraftListClear();
    for (int i = 1; i <= count; ++i) {
      const std::string& rec = pickList_[static_cast<std::size_t>(i)];
      if (!rec.empty()) view_->DraftListAdd(draft::DraftListFill(rec));
    }
  }
}

}  // namespace pm::client
