// A thin message transport over QTcpServer / QTcpSocket, used by both
// programs. Each message goes out in a write of its own, flushed at once
// (Latin-1; a line feed added once the peer has agreed to Lines framing), so
// that a peer which takes one read as one message gets them apart wherever
// the network lets it; bytes that come in are cut into messages by a
// FrameSplitter and emitted one message at a time, in arrival order, on the
// program's event loop.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "protocol/Framing.h"
#include "protocol/Protocol.h"

class QTcpServer;
class QTcpSocket;

namespace pm::protocol {

// Milliseconds of a steady clock; the default clock of the transport.
int64_t SteadyMs();

// One connection: a client's socket, or one element of the server's array.
// Every connection, accepted or made, has TCP keep-alive on with short
// intervals (20 s idle, then 5 probes 5 s apart): a peer that vanished
// without closing is reported through disconnected() within a minute.
class MessageSocket : public QObject {
  Q_OBJECT
 public:
  explicit MessageSocket(Receiver side, QObject* parent = nullptr);
  ~MessageSocket() override;

  // Takes over an accepted socket (the element is reused: any earlier socket
  // is closed and dropped, the splitter starts afresh).
  void Adopt(QTcpSocket* socket);
  // Client: starts connecting; connected() or connectFailed() follows.
  // Returns false when the request could not even be made (empty host).
  bool ConnectTo(const QString& host, quint16 port);

  bool IsConnected() const;
  // Writes one message and flushes it. Returns false when there is no
  // connection. A peer that stops reading cannot make this side hold more
  // than kMaxUnsentBytes: past that the connection is dropped as lost (the
  // socket closes at once and disconnected() follows from the event loop).
  bool Send(std::string_view text);
  // The same, always ended by a line feed (a login that announces features:
  // the line feed lies in a field a plain peer never reads).
  bool SendLine(std::string_view text);
  // How messages are ended, both ways, from now on (Lines once the peer has
  // agreed to it).
  void SetFraming(Framing framing);
  Framing CurrentFraming() const { return framing_; }
  static constexpr qint64 kMaxUnsentBytes = qint64{1} << 20;
  // Closes the connection (pending outgoing bytes are still written). No
  // disconnected() follows a Close.
  void Close();

  // A bound on what the peer may send: once more than `bytes` have arrived
  // on this connection (counted from the bound's setting), the connection
  // is dropped as lost after the read that passed it is handled. Qt's read
  // buffer is held to the same size meanwhile. 0 lifts the bound.
  void SetInputLimit(qint64 bytes);

  // ---- a connection without a socket (tests and the fuzzer) ------------
  // Opens the element on no socket: it counts as connected, what is sent
  // to it is kept for TakeOutput, and Receive plays the peer's bytes. Any
  // earlier socket is closed and dropped, the splitter starts afresh.
  void AdoptDetached();
  bool IsDetached() const { return detached_; }
  // The peer's bytes arrive as one read; whatever the splitter still keeps
  // after them is released too, so each call ends where the bytes end.
  void Receive(std::string_view bytes);
  // What was sent since the last call (detached elements only).
  std::string TakeOutput();
  // The peer closes the connection: disconnected() follows at once.
  void PeerClose();

  QTcpSocket* socket() const { return socket_; }
  const FrameSplitter& splitter() const { return splitter_; }

  // The clock for the splitter's hold time (ms); tests inject one.
  std::function<int64_t()> clock = SteadyMs;

 signals:
  // Every message received. A receiver may Close() the socket; messages
  // after that are dropped.
  void messageReceived(const pm::protocol::Message& message);
  // The connection was established (ConnectTo).
  void connected();
  // The peer closed the connection or it was lost (not after Close()).
  void disconnected();
  // A connect attempt failed; the text is Qt's reason.
  void connectFailed(const QString& reason);

 private:
  void Attach(QTcpSocket* socket);
  bool Write(std::string_view text, bool lineFeed);
  // Unhooks the socket from this object and hands it back (nullptr if none).
  QTcpSocket* Release();
  void Detach();
  void DropAsLost();
  void OnReadyRead();
  void OnPoll();
  void Deliver(const std::vector<Message>& messages);
  void ArmPoll();
  // Counts the bytes of one read against the input bound; false when the
  // read passed it.
  bool CountInput(qint64 bytes);
  void DropIfOverInput(uint64_t gen);

  Receiver side_;
  QTcpSocket* socket_ = nullptr;
  FrameSplitter splitter_;
  Framing framing_ = Framing::Guessed;
  QTimer pollTimer_;
  uint64_t generation_ = 0;
  qint64 inputLimit_ = 0;
  qint64 inputSeen_ = 0;
  bool detached_ = false;
  bool detachedOpen_ = false;
  std::string detachedOutput_;
};

// The server's listening socket.
class MessageListener : public QObject {
  Q_OBJECT
 public:
  explicit MessageListener(QObject* parent = nullptr);
  ~MessageListener() override;

  // Starts listening on `port` (0 picks a free port). On failure returns
  // false and sets `reason` to a sentence saying why and what to do.
  bool Listen(quint16 port, QString* reason, const QHostAddress& address = QHostAddress::Any);
  bool IsListening() const;
  quint16 Port() const;
  void Close();

 signals:
  // A connection was accepted; the receiver owns the socket (with no
  // receiver it is closed).
  void accepted(QTcpSocket* socket);

 private:
  QTcpServer* server_;
};

}  // namespace pm::protocol
