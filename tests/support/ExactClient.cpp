#include "tests/support/ExactClient.h"

#include <QHostAddress>

#include <climits>
#include <optional>
#include <utility>

#include "common/Common.h"
#include "tests/support/ExactWire.h"

namespace pm::test {

ExactClient::ExactClient(Config config, QObject* parent) : QObject(parent), config_(std::move(config)) {
  QObject::connect(&socket_, &QTcpSocket::connected, this, [this] {
    Send("L|" + Num(config_.team) + "|0|" + config_.version + "," + Num(config_.drafteeCount) + "," +
         config_.leagueName);
  });
  QObject::connect(&socket_, &QTcpSocket::readyRead, this, [this] { Read(); });
  QObject::connect(&socket_, &QTcpSocket::disconnected, this, [this] { disconnected_ = true; });
}

ExactClient::~ExactClient() {
  socket_.disconnect(this);
  socket_.abort();
}

void ExactClient::ConnectTo(quint16 port) { socket_.connectToHost(QHostAddress::LocalHost, port); }

void ExactClient::Close() { socket_.disconnectFromHost(); }

void ExactClient::SendDraft(std::string_view pid, std::string_view playerName, std::string_view position) {
  clockRunning_ = false;
  Send("D|" + Num(config_.team) + "|0|" + std::string(pid) + "," + std::string(playerName) + "," +
       std::string(position));
}

void ExactClient::SendChat(std::string_view text) { Send("C|" + Num(config_.team) + "|0|" + std::string(text)); }

void ExactClient::SendPrivate(int to, std::string_view text) {
  Send("P|" + Num(config_.team) + "|" + Num(to) + "|" + std::string(text));
}

void ExactClient::Tick() {
  if (!clockRunning_) return;
  clockSeconds_ -= 1;
  if (clockSeconds_ != 0) return;
  onClock_ = false;
  Send("T|" + Num(config_.team) + "|0|failed to make a selection within the allotted time.");
  clockRunning_ = false;
}

bool ExactClient::Received(std::string_view read) const {
  for (const std::string& r : reads_)
    if (r == read) return true;
  return false;
}

void ExactClient::Read() {
  std::string message = exact::ReadAll(socket_);
  if (message.empty()) return;
  reads_.push_back(message);
  if (exact::MessageStarts(message) > 1) ++gluedReads_;
  if (refused_) return;  // the program has ended

  exact::Fields f = exact::ReadFields(message);
  if (!f.fits) return;
  const std::string& code = f.code;
  const std::string& t = f.text;
  if (code == "R") {
    refused_ = true;
    refusalReason_ = static_cast<int>(LeadingNumber(t));
  } else if (code == "W") {
    int limit = config_.teams.empty() ? INT_MAX : static_cast<int>(config_.teams.size());
    for (int i = 1; i <= limit; ++i) {
      std::string s = GetField(t, i, ",");
      if (s.empty()) break;
      signedOn_.insert(static_cast<int>(LeadingNumber(s)));
    }
  } else if (code == "L") {
    signedOn_.insert(f.a);
  } else if (code == "V") {
    if (t.empty()) return;
    std::string pick;
    for (int i = 1; i <= 5; ++i) pick += GetField(t, i, ",") + "|";
    picks_.push_back(pick);
    Send("V|" + Num(config_.team) + "|0|" + Num(static_cast<long long>(picks_.size()) + 1));
  } else if (code == "X") {
    signedOn_.erase(f.a);
  } else if (code == "C") {
    chatLines_.push_back((f.a == 0 ? std::string("Commish") : TeamName(f.a)) + ": " + t);
  } else if (code == "P") {
    chatLines_.push_back("Private from " + (f.a == 0 ? std::string("the Commish") : TeamName(f.a)) + ": " + t);
  } else if (code == "N") {
    if (!Own(f.b)) return;
    std::optional<int16_t> seconds = ToInt16(GetField(t, 1, ","));
    if (!seconds) return;
    clockSeconds_ = *seconds;
    onClock_ = true;
    clockRunning_ = true;
  } else if (code == "I" || code == "H") {
    if (Own(f.b)) ClockReset();
  } else if (code == "Z") {
    picks_.push_back(GetField(t, 1, ",") + "|" + TeamName(f.a) + "|" + GetField(t, 2, ",") + "|" + GetField(t, 3, ",") +
                     "|" + GetField(t, 4, ","));
    if (Own(f.a)) ClockReset();
  } else if (code == "G") {
    if (Own(f.a)) clockRunning_ = true;
  } else if (code == "Y") {
    for (std::string& pick : picks_) {
      if (GetField(pick, 5, "|") == t) {
        pick.clear();
        break;
      }
    }
  }
}

void ExactClient::Send(std::string message) {
  if (exact::WriteMessage(socket_, message)) sent_.push_back(std::move(message));
}

void ExactClient::ClockReset() {
  clockSeconds_ = 0;
  clockRunning_ = false;
  onClock_ = false;
}

std::string ExactClient::TeamName(int team) const {
  if (team < 1 || team > static_cast<int>(config_.teams.size())) return {};
  return config_.teams[Index(team - 1)];
}

}  // namespace pm::test
