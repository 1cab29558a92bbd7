#include "server/web/GuardedServer.h"

namespace pm::server::web {

namespace {

// A request read in parts may add up to this many times the bound before the
// server has answered (a part counts again while the HTTP server waits for
// the rest of it), so that a body sent slowly cannot grow without end.
constexpr qint64 kStreamedFactor = 8;

}  // namespace

GuardedSocket::GuardedSocket(const ConnectionLimits& limits, std::shared_ptr<int> open, QObject* parent)
    : QTcpSocket(parent), limits_(limits), open_(std::move(open)) {
  ++*open_;
  setReadBufferSize(limits_.maxRequestBytes + 1);
  // Connected before anything else, so that it runs before the HTTP server reads.
  connect(this, &QIODevice::readyRead, this, &GuardedSocket::CheckRequest);
  idle_.setSingleShot(true);
  idle_.setInterval(limits_.idleMs);
  connect(&idle_, &QTimer::timeout, this, &GuardedSocket::DropLater);
  idle_.start();
}

GuardedSocket::~GuardedSocket() { --*open_; }

// Once a bound is broken the connection only waits to be closed: nothing
// more is written to it.
qint64 GuardedSocket::writeData(const char* data, qint64 size) {
  if (dropping_) return size;
  const qint64 n = QTcpSocket::writeData(data, size);
  readSinceWrite_ = 0;
  idle_.start();
  if (bytesToWrite() > limits_.maxUnsentBytes) DropLater();
  return n;
}

void GuardedSocket::CheckRequest() {
  const qint64 waiting = bytesAvailable();
  readSinceWrite_ += waiting;
  if (waiting > limits_.maxRequestBytes || readSinceWrite_ > kStreamedFactor * limits_.maxRequestBytes) DropLater();
}

void GuardedSocket::DropLater() {
  if (dropping_) return;
  dropping_ = true;
  idle_.stop();
  QMetaObject::invokeMethod(this, &QAbstractSocket::abort, Qt::QueuedConnection);
}

GuardedServer::GuardedServer(ConnectionLimits limits, QObject* parent) : QTcpServer(parent), limits_(limits) {}

void GuardedServer::incomingConnection(qintptr descriptor) {
  auto* socket = new GuardedSocket(limits_, open_, this);
  if (!socket->setSocketDescriptor(descriptor) || *open_ > limits_.maxConnections) {
    socket->abort();
    delete socket;
    return;
  }
  addPendingConnection(socket);
}

}  // namespace pm::server::web
