// A scripted client for tests of the server: a raw loopback socket, the
// messages it received (in order), and a hook that sees each as it arrives.
// Send ends each message with a line feed (which ends a message for every
// receiver), so that messages a test sends in quick succession are read
// apart, as the programs' own are; SendRaw sends bytes exactly as given.
#pragma once

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Protocol.h"
#include "tests/support/Wait.h"

namespace pm::test {

class RawClient {
 public:
  explicit RawClient(quint16 port) {
    QObject::connect(&sock_, &QTcpSocket::readyRead, [this] {
      QByteArray b = sock_.readAll();
      Take(splitter_.Feed(std::string_view(b.constData(), static_cast<std::size_t>(b.size())), protocol::SteadyMs()));
      Take(splitter_.Poll(protocol::SteadyMs()));
    });
    // A kept message may wait for a quiet spell before it is released.
    poll_.setInterval(5);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Take(splitter_.Poll(protocol::SteadyMs())); });
    poll_.start();
    sock_.connectToHost(QHostAddress::LocalHost, port);
    connected = WaitFor([this] { return sock_.state() == QAbstractSocket::ConnectedState; });
  }
  void Send(const std::string& s) { SendRaw(s + "\n"); }
  void SendRaw(const std::string& s) {
    sock_.write(s.data(), static_cast<qint64>(s.size()));
    sock_.flush();
  }
  // Sends a chat line and waits for its relay: everything sent to this
  // client before has then arrived.
  bool Sync(int team) {
    std::string tag = "sync" + std::to_string(++syncs_);
    Send(protocol::Chat(team, tag));
    return WaitFor([&] { return Has("C|" + std::to_string(team) + "|0|" + tag); });
  }
  bool Has(const std::string& raw) const {
    for (auto& m : got)
      if (m.raw == raw) return true;
    return false;
  }
  int Count(char code) const {
    int n = 0;
    for (auto& m : got) n += m.code == code;
    return n;
  }
  std::vector<std::string> Codes(char code) const {
    std::vector<std::string> out;
    for (auto& m : got)
      if (m.code == code) out.push_back(m.raw);
    return out;
  }
  bool WaitHas(const std::string& raw) {
    return WaitFor([&] { return Has(raw); });
  }
  void Close() { sock_.disconnectFromHost(); }
  bool Closed() const { return sock_.state() == QAbstractSocket::UnconnectedState; }

  std::vector<protocol::Message> got;
  std::function<void(const protocol::Message&)> onMessage;
  bool connected = false;

 private:
  void Take(const std::vector<protocol::Message>& v) {
    for (auto& m : v) {
      if (onMessage) onMessage(m);
      got.push_back(m);
    }
  }
  QTimer poll_;
  QTcpSocket sock_;
  protocol::FrameSplitter splitter_{protocol::Receiver::Client};
  int syncs_ = 0;
};

}  // namespace pm::test
