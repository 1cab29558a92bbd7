#include "server/web/GuardedServer.h"

namespace pm::server::web {

GuardedSocket::GuardedSocket(const ConnectionLimits& limits, int& open, QObject* parent)
    : QTcpSocket(parent), limits_(limits), open_(open) {
  ++open_;
  setReadBufferSize(limits_.maxRequestBytes * 2);
  idle_.setSingleShot(true);
  idle_.setInterval(limits_.idleMs);
  connect(&idle_, &QTimer::timeout, this, &GuardedSocket::DropLater);
  idle_.start();
}

GuardedSocket::~GuardedSocket() { --open_; }

// Once a bound is broken the connection only waits to be closed: nothing
// more is read from it or written to it.
qint64 GuardedSocket::readData(char* data, qint64 maxSize) {
  if (dropping_) return 0;
  const qint64 n = QTcpSocket::readData(data, maxSize);
  if (n > 0) readSinceWrite_ += n;
  if (readSinceWrite_ <= limits_.maxRequestBytes) return n;
  DropLater();
  return 0;
}

qint64 GuardedSocket::writeData(const char* data, qint64 size) {
  if (dropping_) return size;
  const qint64 n = QTcpSocket::writeData(data, size);
  readSinceWrite_ = 0;
  idle_.start();
  if (bytesToWrite() > limits_.maxUnsentBytes) DropLater();
  return n;
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
  if (!socket->setSocketDescriptor(descriptor) || open_ > limits_.maxConnections) {
    socket->abort();
    delete socket;
    return;
  }
  addPendingConnection(socket);
}

}  // namespace pm::server::web
