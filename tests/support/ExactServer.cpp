#include "tests/support/ExactServer.h"

#include <QHostAddress>

#include <utility>

#include "common/Common.h"
#include "tests/support/ExactWire.h"

namespace pm::test {

namespace {

// The label after `label` in a league of `teams` teams: the selection runs
// 1..teams, then the round goes up.
std::string NextAfter(std::string_view label, int teams) {
  long long round = LeadingNumber(GetField(label, 1, "-"));
  long long sel = LeadingNumber(GetField(label, 2, "-")) + 1;
  if (sel > teams) {
    round += 1;
    sel = 1;
  }
  return Num(round) + "-" + Num(sel);
}

}  // namespace

ExactServer::ExactServer(Config config, QObject* parent) : QObject(parent), config_(std::move(config)) {
  for (const std::string& name : config_.teams) teams_.push_back(Team{name, 0, false});
  std::string last = "1-0";
  for (const std::string& line : config_.picks) {
    if (Trim(line).empty()) continue;
    picks_.push_back(line);
    last = GetField(line, 5, "|");
  }
  nextLabel_ = config_.nextLabel.empty() ? NextAfter(last, static_cast<int>(teams_.size())) : config_.nextLabel;
  QObject::connect(&listener_, &QTcpServer::newConnection, this, [this] { Accept(); });
}

ExactServer::~ExactServer() {
  listener_.close();
  for (Connection& c : connections_) {
    c.socket->disconnect(this);
    c.socket->abort();
  }
}

bool ExactServer::Listen(quint16 port) { return listener_.listen(QHostAddress::LocalHost, port); }

quint16 ExactServer::Port() const { return listener_.serverPort(); }

// ------------------------------------------------------------ connections ----

void ExactServer::Accept() {
  while (QTcpSocket* socket = listener_.nextPendingConnection()) {
    connections_.push_back(Connection{socket, 0, {}});
    int c = static_cast<int>(connections_.size());
    QObject::connect(socket, &QTcpSocket::readyRead, this, [this, c] { Read(c); });
    QObject::connect(socket, &QTcpSocket::disconnected, this, [this, c] { Closed(c); });
  }
}

void ExactServer::Read(int c) {
  Connection& conn = connections_[Index(c - 1)];
  std::string message = exact::ReadAll(*conn.socket);
  if (message.empty()) return;
  conn.reads.push_back(message);
  if (exact::MessageStarts(message) > 1) ++gluedReads_;

  exact::Fields f = exact::ReadFields(message);
  if (!f.fits) return;
  if (f.code == "L") Login(c, f.a, f.text);
  if (f.code == "V") PickRequest(c, f.a, f.text);
  if (f.code == "C") SendToConnected("C|" + Num(f.a) + "|0|" + f.text);
  if (f.code == "P") Private(f.a, f.b, f.text);
  if (f.code == "D") Draft(f.a, f.text);
}

void ExactServer::Closed(int c) {
  Connection& conn = connections_[Index(c - 1)];
  conn.socket->close();
  int t = conn.team;
  Team* team = TeamAt(t);
  if (team == nullptr) return;  // never logged in
  team->signedOn = false;
  // A team without a name keeps its connection entry and is not announced.
  if (team->name.empty()) return;
  conn.team = 0;
  team->connection = 0;
  SendToConnected("X|" + Num(t) + "|0|");
}

// --------------------------------------------------------------- messages ----

void ExactServer::Login(int c, int t, std::string_view body) {
  int refusal = -1;
  if (GetField(body, 3, ",") != config_.leagueName) {
    refusal = 0;
  } else if (exact::Val(config_.version) > exact::Val(GetField(body, 1, ","))) {
    refusal = 1;
  } else if (exact::Val(GetField(body, 2, ",")) != static_cast<double>(config_.drafteeCount)) {
    refusal = 2;
  } else {
    for (const Team& team : teams_) {
      if (t > 0 && team.connection > 0 && connections_[Index(team.connection - 1)].team == t) {
        refusal = 3;
        break;
      }
    }
  }
  if (refusal >= 0) {
    SendTo(c, "R|0|0|" + Num(refusal));
    return;
  }

  Team* team = TeamAt(t);
  if (team == nullptr) return;  // passes the checks, but there is no entry to record it in

  SendToConnected("L|" + Num(t) + "|0|");  // before recording: the new client does not get it
  team->connection = c;
  connections_[Index(c - 1)].team = t;
  team->signedOn = true;

  std::string others;
  for (std::size_t i = 0; i < teams_.size(); ++i) {
    int other = static_cast<int>(i) + 1;
    if (teams_[i].signedOn && other != t) others += (others.empty() ? "" : ",") + Num(other);
  }
  if (!others.empty()) SendTo(c, "W|0|" + Num(t) + "|" + others);

  std::string first = FirstPickFrom(1);
  if (!first.empty()) SendTo(c, "V|0|" + Num(t) + "|" + first);
}

void ExactServer::PickRequest(int c, int t, std::string_view body) {
  std::string pick = FirstPickFrom(LeadingNumber(body));
  if (!pick.empty()) SendTo(c, "V|0|" + Num(t) + "|" + pick);
}

void ExactServer::Draft(int t, std::string_view body) {
  double pid = exact::Val(GetField(body, 1, ","));
  for (const std::string& pick : picks_) {
    // A blank (deleted) pick reads as PID 0.
    if (exact::Val(GetField(pick, 1, "|")) == pid) {
      SendToSignedOn("G|" + Num(t) + "|0|" + std::string(body));
      return;
    }
  }
  SendToSignedOn("Z|" + Num(t) + "|0|" + std::string(body) + "," + nextLabel_);
  Record(t, GetField(body, 1, ","), GetField(body, 2, ","), GetField(body, 3, ","));
}

void ExactServer::Private(int from, int to, std::string_view body) {
  if (to == 0) {
    commishLines_.push_back("Private from " + TeamName(from) + ": " + std::string(body));
    return;
  }
  Team* team = TeamAt(to);
  if (team != nullptr && team->connection > 0)
    SendTo(team->connection, "P|" + Num(from) + "|" + Num(to) + "|" + std::string(body));
}

void ExactServer::Record(int t, std::string_view pid, std::string_view playerName, std::string_view position) {
  picks_.push_back(std::string(pid) + "|" + TeamName(t) + "|" + std::string(playerName) + "|" + std::string(position) +
                   "|" + nextLabel_);
  nextLabel_ = NextAfter(nextLabel_, static_cast<int>(teams_.size()));
}

// ------------------------------------------------------ Commish operations ----

void ExactServer::PutOnClock(int team, int seconds) {
  SendToSignedOn("N|0|" + Num(team) + "|" + Num(seconds) + "," + nextLabel_);
}

void ExactServer::Halt(int team) { SendToSignedOn("H|0|" + Num(team)); }

void ExactServer::TimeOut(int team, std::string_view name) {
  SendToConnected("I|0|" + Num(team) + "|" + std::string(name) + " failed to make a selection while on the clock.");
}

void ExactServer::PickFor(int team, std::string_view pid, std::string_view playerName, std::string_view position) {
  SendToSignedOn("Z|" + Num(team) + "|0|" + std::string(pid) + "," + std::string(playerName) + "," +
                 std::string(position) + "," + nextLabel_);
  Record(team, Num(LeadingNumber(pid)), playerName, position);
}

void ExactServer::DeletePick(std::string_view label) {
  SendToSignedOn("Y|0|0|" + std::string(label));
  for (std::string& pick : picks_) {
    if (GetField(pick, 5, "|") == label) {
      pick.clear();
      break;
    }
  }
}

void ExactServer::Kick(int team) {
  Team* entry = TeamAt(team);
  if (entry != nullptr && entry->connection > 0) SendTo(entry->connection, "R|0|0|4");
}

void ExactServer::CommishChat(std::string_view text) { SendToConnected("C|0|0|" + std::string(text)); }

// ------------------------------------------------------------------ access ----

const std::vector<std::string>& ExactServer::Reads(int connection) const {
  static const std::vector<std::string> kNone;
  if (connection < 1 || connection > Connections()) return kNone;
  return connections_[Index(connection - 1)].reads;
}

bool ExactServer::Received(std::string_view read) const {
  for (const Connection& c : connections_)
    for (const std::string& r : c.reads)
      if (r == read) return true;
  return false;
}

bool ExactServer::IsOpen(int connection) const {
  if (connection < 1 || connection > Connections()) return false;
  return connections_[Index(connection - 1)].socket->state() == QAbstractSocket::ConnectedState;
}

int ExactServer::ConnectionOf(int team) const {
  if (team < 1 || team > static_cast<int>(teams_.size())) return 0;
  const Team& entry = teams_[Index(team - 1)];
  return entry.signedOn ? entry.connection : 0;
}

std::vector<int> ExactServer::SignedOn() const {
  std::vector<int> on;
  for (std::size_t i = 0; i < teams_.size(); ++i)
    if (teams_[i].signedOn) on.push_back(static_cast<int>(i) + 1);
  return on;
}

bool ExactServer::IsSignedOn(int team) const { return ConnectionOf(team) > 0; }

// ----------------------------------------------------------------- helpers ----

void ExactServer::SendTo(int connection, std::string_view message) {
  if (connection < 1 || connection > Connections()) return;
  exact::WriteMessage(*connections_[Index(connection - 1)].socket, message);
}

void ExactServer::SendToConnected(std::string_view message) {
  for (const Team& team : teams_)
    if (team.connection > 0) SendTo(team.connection, message);
}

void ExactServer::SendToSignedOn(std::string_view message) {
  for (const Team& team : teams_)
    if (team.signedOn) SendTo(team.connection, message);
}

std::string ExactServer::FirstPickFrom(long long n) const {
  long long count = static_cast<long long>(picks_.size());
  if (n < 1 || n > count) return {};
  while (n <= count && picks_[Index(n - 1)].empty()) ++n;
  if (n > count) return {};
  const std::string& pick = picks_[Index(n - 1)];
  std::string fields = GetField(pick, 1, "|");
  for (int i = 2; i <= 5; ++i) fields += "," + GetField(pick, i, "|");
  return fields;
}

std::string ExactServer::TeamName(int team) const {
  if (team < 1 || team > static_cast<int>(teams_.size())) return {};
  return teams_[Index(team - 1)].name;
}

ExactServer::Team* ExactServer::TeamAt(int team) {
  if (team < 1 || team > static_cast<int>(teams_.size())) return nullptr;
  return &teams_[Index(team - 1)];
}

}  // namespace pm::test
