// The web board's listening socket, with the bounds every connection keeps
// whatever the HTTP and WebSocket code above it does:
//  - at most `maxConnections` are open; one more is closed at once;
//  - a connection may have at most `maxRequestBytes` waiting to be read (a
//    request too large), and send at most eight times that before the server
//    writes to it again (a body sent slowly; anything a viewer sends between
//    two of the server's messages);
//  - a connection the server has written nothing to for `idleMs` is closed
//    (one silent before its request; live viewers get a heartbeat well
//    within it);
//  - a connection whose data waiting to be sent passes `maxUnsentBytes` (a
//    viewer that stops reading) is dropped.
// The bounds are kept by the socket itself (GuardedSocket sees every
// arrival before the HTTP server reads it and overrides QTcpSocket's writes),
// so that they hold before the HTTP server parses a request; once a
// WebSocket takes the connection over, its own frame bounds, the idle time
// and the unsent bound hold.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>
#include <memory>

namespace pm::server::web {

struct ConnectionLimits {
  int maxConnections = 564;
  qint64 maxRequestBytes = 8 * 1024;
  int idleMs = 60'000;
  qint64 maxUnsentBytes = 4 * 1024 * 1024;
};

class GuardedSocket : public QTcpSocket {
  Q_OBJECT
 public:
  // `open` counts the sockets alive (one more now, one less when deleted);
  // shared, since a socket a WebSocket took over may outlive the server.
  GuardedSocket(const ConnectionLimits& limits, std::shared_ptr<int> open, QObject* parent = nullptr);
  ~GuardedSocket() override;

 protected:
  qint64 writeData(const char* data, qint64 size) override;

 private:
  // Before the HTTP server reads: a request that has grown past the bound.
  void CheckRequest();
  // Closed outside the read or write that broke a bound: the code above is
  // in the middle of using the socket.
  void DropLater();

  const ConnectionLimits limits_;
  std::shared_ptr<int> open_;
  qint64 readSinceWrite_ = 0;
  QTimer idle_;
  bool dropping_ = false;
};

class GuardedServer : public QTcpServer {
  Q_OBJECT
 public:
  explicit GuardedServer(ConnectionLimits limits, QObject* parent = nullptr);
  int OpenConnections() const { return *open_; }

 protected:
  void incomingConnection(qintptr descriptor) override;

 private:
  ConnectionLimits limits_;
  std::shared_ptr<int> open_ = std::make_shared<int>(0);
};

}  // namespace pm::server::web
