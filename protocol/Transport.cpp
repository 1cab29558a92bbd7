#include "protocol/Transport.h"

#include <QMetaMethod>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <chrono>
#include <utility>

#include "common/Common.h"
#include "common/platform/Platform.h"

namespace pm::protocol {

int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// ------------------------------------------------------------ MessageSocket

namespace {

// Both sides notice a peer that vanished without closing within a minute
// (20 s idle, then 5 probes 5 s apart), so the server lets a team whose
// connection died sign on again, and a client starts reconnecting.
void KeepAliveOn(QTcpSocket* socket) {
  socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
  if (socket->socketDescriptor() != -1) SetTcpKeepAlive(socket->socketDescriptor(), KeepAlive{});
}

}  // namespace

MessageSocket::MessageSocket(Receiver side, QObject* parent) : QObject(parent), side_(side), splitter_(side) {
  pollTimer_.setSingleShot(true);
  connect(&pollTimer_, &QTimer::timeout, this, &MessageSocket::OnPoll);
}

MessageSocket::~MessageSocket() { Detach(); }

void MessageSocket::Attach(QTcpSocket* socket) {
  Detach();
  ++generation_;
  splitter_ = FrameSplitter(side_);
  framing_ = Framing::Guessed;
  detachedOutput_.clear();
  inputSeen_ = 0;
  socket_ = socket;
  if (!socket_) return;
  socket_->setParent(this);
  socket_->setReadBufferSize(inputLimit_);
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  connect(socket_, &QTcpSocket::readyRead, this, &MessageSocket::OnReadyRead);
  connect(socket_, &QTcpSocket::connected, this, [this] {
    KeepAliveOn(socket_);
    emit connected();
  });
  connect(socket_, &QTcpSocket::disconnected, this, [this, gen = generation_] {
    if (gen != generation_) return;
    // Bytes that came with the close are still handled, then the rest kept.
    OnReadyRead();
    if (gen != generation_) return;
    Deliver(splitter_.Flush());
    if (gen != generation_) return;
    pollTimer_.stop();
    emit disconnected();
  });
  connect(socket_, &QTcpSocket::errorOccurred, this, [this, gen = generation_](QAbstractSocket::SocketError) {
    if (gen != generation_ || !socket_) return;
    // A failed connect attempt; an established connection that breaks
    // reports through disconnected.
    if (socket_->state() != QAbstractSocket::ConnectedState &&
        socket_->error() != QAbstractSocket::RemoteHostClosedError)
      emit connectFailed(socket_->errorString());
  });
}

QTcpSocket* MessageSocket::Release() {
  pollTimer_.stop();
  if (detached_) {
    detached_ = false;
    detachedOpen_ = false;
    ++generation_;
  }
  QTcpSocket* s = socket_;
  if (!s) return nullptr;
  socket_ = nullptr;
  ++generation_;  // handlers still running see that the socket went
  s->disconnect(this);
  return s;
}

void MessageSocket::Detach() {
  if (QTcpSocket* s = Release()) {
    s->abort();
    s->deleteLater();
  }
}

void MessageSocket::Adopt(QTcpSocket* socket) {
  Attach(socket);
  if (socket_) KeepAliveOn(socket_);
  if (socket_ && socket_->bytesAvailable() > 0) OnReadyRead();
}

bool MessageSocket::ConnectTo(const QString& host, quint16 port) {
  if (host.trimmed().isEmpty()) return false;
  Attach(new QTcpSocket());
  socket_->connectToHost(host.trimmed(), port);
  return true;
}

bool MessageSocket::IsConnected() const {
  if (detached_) return detachedOpen_;
  return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

bool MessageSocket::Send(std::string_view text) { return Write(text, framing_ == Framing::Lines); }

bool MessageSocket::SendLine(std::string_view text) { return Write(text, true); }

void MessageSocket::SetFraming(Framing framing) {
  framing_ = framing;
  splitter_.SetFraming(framing);
}

bool MessageSocket::Write(std::string_view text, bool lineFeed) {
  if (!IsConnected()) return false;
  if (detached_) {
    detachedOutput_.append(text);
    if (lineFeed) detachedOutput_ += '\n';
    if (static_cast<qint64>(detachedOutput_.size()) > kMaxUnsentBytes) {
      DropAsLost();
      return false;
    }
    return true;
  }
  const auto size = static_cast<qint64>(text.size());
  bool written = socket_->write(text.data(), size) == size;
  if (lineFeed) written = socket_->write("\n", 1) == 1 && written;
  if (socket_->bytesToWrite() > kMaxUnsentBytes) {
    DropAsLost();
    return false;
  }
  // Out now, in a segment of its own (the socket has no delay).
  socket_->flush();
  return written;
}

void MessageSocket::DropAsLost() {
  Detach();
  // Reported from the event loop: the owner may be in the middle of sending
  // to every connection.
  QTimer::singleShot(0, this, [this, gen = generation_] {
    if (gen == generation_) emit disconnected();
  });
}

void MessageSocket::Close() {
  QTcpSocket* s = Release();
  if (!s) return;
  s->flush();
  s->disconnectFromHost();
  // The socket deletes itself once its last bytes are written (or at once
  // when it is no longer connected).
  if (s->state() == QAbstractSocket::UnconnectedState) {
    s->deleteLater();
  } else {
    connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
  }
}

void MessageSocket::Deliver(const std::vector<Message>& messages) {
  uint64_t gen = generation_;
  for (const Message& m : messages) {
    if (gen != generation_) return;  // closed or reused by a handler
    emit messageReceived(m);
  }
}

void MessageSocket::ArmPoll() {
  if (!splitter_.HasPending()) {
    pollTimer_.stop();
    return;
  }
  int64_t wait = splitter_.PendingReleaseAt() - clock();
  pollTimer_.start(static_cast<int>(std::clamp<int64_t>(wait, 0, FrameSplitter::kHoldMs)));
}

void MessageSocket::SetInputLimit(qint64 bytes) {
  inputLimit_ = bytes;
  inputSeen_ = 0;
  if (socket_) socket_->setReadBufferSize(bytes);
}

bool MessageSocket::CountInput(qint64 bytes) {
  inputSeen_ += bytes;
  return inputLimit_ <= 0 || inputSeen_ <= inputLimit_;
}

void MessageSocket::DropIfOverInput(uint64_t gen) {
  // The read's messages were handled first: one of them may have lifted the
  // bound (a login).
  if (gen == generation_ && inputLimit_ > 0 && inputSeen_ > inputLimit_) DropAsLost();
}

void MessageSocket::OnReadyRead() {
  if (!socket_) return;
  uint64_t gen = generation_;
  QByteArray bytes = socket_->readAll();
  if (!bytes.isEmpty()) {
    CountInput(bytes.size());
    Deliver(splitter_.Feed(std::string_view(bytes.constData(), Index(bytes.size())), clock()));
  }
  DropIfOverInput(gen);
  if (gen == generation_) ArmPoll();
}

void MessageSocket::AdoptDetached() {
  Attach(nullptr);
  detached_ = true;
  detachedOpen_ = true;
}

void MessageSocket::Receive(std::string_view bytes) {
  if (!detached_ || !detachedOpen_) return;
  uint64_t gen = generation_;
  CountInput(static_cast<qint64>(bytes.size()));
  Deliver(splitter_.Feed(bytes, clock()));
  if (gen == generation_) Deliver(splitter_.Flush());
  DropIfOverInput(gen);
}

std::string MessageSocket::TakeOutput() { return std::exchange(detachedOutput_, {}); }

void MessageSocket::PeerClose() {
  if (!detached_ || !detachedOpen_) return;
  detachedOpen_ = false;
  detached_ = false;
  ++generation_;
  emit disconnected();
}

void MessageSocket::OnPoll() {
  uint64_t gen = generation_;
  // Bytes that arrived meanwhile may go on with the kept message: take them first.
  if (socket_ && socket_->bytesAvailable() > 0) {
    OnReadyRead();
    return;
  }
  Deliver(splitter_.Poll(clock()));
  if (gen == generation_) ArmPoll();
}

// ---------------------------------------------------------- MessageListener

MessageListener::MessageListener(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
  connect(server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* s = server_->nextPendingConnection()) {
      if (isSignalConnected(QMetaMethod::fromSignal(&MessageListener::accepted))) {
        s->setParent(nullptr);
        emit accepted(s);
      } else {
        s->abort();
        s->deleteLater();
      }
    }
  });
}

MessageListener::~MessageListener() = default;

bool MessageListener::Listen(quint16 port, QString* reason, const QHostAddress& address) {
  server_->setMaxPendingConnections(64);
  if (server_->listen(address, port)) return true;
  if (reason) {
    QString why = server_->errorString();
    QString what;
    switch (server_->serverError()) {
      case QAbstractSocket::AddressInUseError:
        what = QStringLiteral(
                   "Another program is already using port %1. Close it (or stop its service) and "
                   "start the server again.")
                   .arg(port);
        break;
      case QAbstractSocket::SocketAccessError:
        what = QStringLiteral(
                   "This system does not allow this program to open port %1 (ports below 1024 "
                   "need administrator rights). Run the server with the rights to open the port, "
                   "or allow it to bind low ports, and start it again.")
                   .arg(port);
        break;
      default: what = QStringLiteral("Check the network settings of this computer and start the server again."); break;
    }
    *reason = QStringLiteral("The server could not listen on port %1: %2.\r\n\r\n%3").arg(port).arg(why, what);
  }
  return false;
}

bool MessageListener::IsListening() const { return server_->isListening(); }

quint16 MessageListener::Port() const { return server_->serverPort(); }

void MessageListener::Close() { server_->close(); }

}  // namespace pm::protocol
