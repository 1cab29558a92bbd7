// The message transport over real loopback sockets.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <string>

#include "common/platform/Platform.h"
#include "protocol/Transport.h"
#include "tests/support/Wait.h"

namespace pm::protocol {
namespace {

// A listener and one accepted connection, with the peer's raw socket.
struct Pair {
  MessageListener listener;
  std::unique_ptr<MessageSocket> server = std::make_unique<MessageSocket>(Receiver::Server);
  QTcpSocket peer;

  Pair() {
    QObject::connect(&listener, &MessageListener::accepted, server.get(), [this](QTcpSocket* s) { server->Adopt(s); });
    QString reason;
    EXPECT_TRUE(listener.Listen(0, &reason, QHostAddress::LocalHost)) << reason.toStdString();
    peer.connectToHost(QHostAddress::LocalHost, listener.Port());
    EXPECT_TRUE(QTest::qWaitFor([this] { return server->IsConnected(); }, 5000));
  }
};

// Both ends of the draft's connections probe a silent peer: the server's
// accepted socket and the client's, read back from the system.
TEST(MessageSocket, KeepAliveWithShortIntervalsOnBothSides) {
  MessageListener listener;
  MessageSocket accepted(Receiver::Server);
  QObject::connect(&listener, &MessageListener::accepted, &accepted, [&](QTcpSocket* s) { accepted.Adopt(s); });
  ASSERT_TRUE(listener.Listen(0, nullptr, QHostAddress::LocalHost));
  MessageSocket client(Receiver::Client);
  ASSERT_TRUE(client.ConnectTo(QStringLiteral("127.0.0.1"), listener.Port()));
  ASSERT_TRUE(pm::test::WaitFor([&] { return client.IsConnected() && accepted.IsConnected(); }));
  const KeepAlive expected{20, 5, 5};
  EXPECT_EQ(TcpKeepAlive(accepted.socket()->socketDescriptor()), expected);
  EXPECT_EQ(TcpKeepAlive(client.socket()->socketDescriptor()), expected);
}

// A peer that stops reading cannot make the sender hold more than 1 MiB:
// the connection is dropped as lost, and the owner hears it once, later.
TEST(MessageSocket, PeerThatStopsReadingIsDroppedAsLost) {
  Pair pair;
  QSignalSpy lost(pair.server.get(), &MessageSocket::disconnected);
  const std::string line = "C|1|0|" + std::string(4000, 'x');
  int sent = 0;
  // Each message is flushed to the system at once: its buffers fill first.
  while (pair.server->Send(line)) ASSERT_LT(++sent, 10000);
  EXPECT_GT(static_cast<qint64>(sent + 1) * static_cast<qint64>(line.size()), MessageSocket::kMaxUnsentBytes);
  EXPECT_FALSE(pair.server->IsConnected());
  EXPECT_EQ(lost.count(), 0);  // not from inside Send
  ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() == 1; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return pair.peer.state() == QAbstractSocket::UnconnectedState; }, 5000));
  EXPECT_EQ(lost.count(), 1);
}

}  // namespace
}  // namespace pm::protocol
