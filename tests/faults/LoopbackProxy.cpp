#include "tests/faults/LoopbackProxy.h"

#include <QHostAddress>

namespace pm::test {

LoopbackProxy::LoopbackProxy(quint16 targetPort, Mode mode, QObject* parent)
    : QObject(parent), target_(targetPort), mode_(mode) {
  connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
  server_.listen(QHostAddress::LocalHost, 0);
}

LoopbackProxy::~LoopbackProxy() {
  for (auto& p : pairs_) {
    p->toServer.timer.reset();
    p->toClient.timer.reset();
    if (p->down) p->down->disconnect(this);
    if (p->up) p->up->disconnect(this);
    delete p->down.data();
    delete p->up.data();
  }
}

void LoopbackProxy::Accept() {
  while (QTcpSocket* down = server_.nextPendingConnection()) {
    auto pair = std::make_unique<Pair>();
    Pair* p = pair.get();
    down->setParent(nullptr);
    p->down = down;
    p->up = new QTcpSocket();
    p->toServer.to = p->up;
    p->toClient.to = p->down;
    for (Pipe* pipe : {&p->toServer, &p->toClient}) {
      pipe->timer = std::make_unique<QTimer>();
      pipe->timer->setInterval(0);
      connect(pipe->timer.get(), &QTimer::timeout, this, [this, pipe] { Drain(*pipe); });
    }
    for (QTcpSocket* s : {p->down.data(), p->up.data()}) s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(p->down, &QTcpSocket::readyRead, this, [this, p] { Forward(p->toServer, p->down); });
    connect(p->up, &QTcpSocket::readyRead, this, [this, p] { Forward(p->toClient, p->up); });
    // Bytes read before the server side is connected wait in the pipe.
    connect(p->up, &QTcpSocket::connected, this, [this, p] { Drain(p->toServer); });
    connect(p->down, &QTcpSocket::disconnected, this, [this, p] { CloseOther(p->toServer); });
    connect(p->up, &QTcpSocket::disconnected, this, [this, p] { CloseOther(p->toClient); });
    p->up->connectToHost(QHostAddress::LocalHost, target_);
    pairs_.push_back(std::move(pair));
    if (down->bytesAvailable() > 0) Forward(p->toServer, down);
  }
}

void LoopbackProxy::Forward(Pipe& pipe, QTcpSocket* from) {
  QByteArray bytes = from->readAll();
  if (bytes.isEmpty()) return;
  pipe.pending += bytes;
  ++pipe.reads;
  if (mode_ == Mode::Join && pipe.reads < joinCount) {
    if (!pipe.timer->isActive()) {
      pipe.turns = 0;
      pipe.timer->start();
    }
    return;
  }
  Drain(pipe);
}

void LoopbackProxy::WriteOut(Pipe& pipe, const char* data, qint64 n) {
  pipe.to->write(data, n);
  pipe.to->flush();
  ++writes_;
  bytes_ += n;
}

void LoopbackProxy::Drain(Pipe& pipe) {
  if (!pipe.to || pipe.to->state() != QAbstractSocket::ConnectedState) {
    if (pipe.to && pipe.to->state() == QAbstractSocket::UnconnectedState) pipe.pending.clear();
    return;
  }
  switch (mode_) {
    case Mode::SplitBytes:
      for (char c : pipe.pending) WriteOut(pipe, &c, 1);
      pipe.pending.clear();
      break;
    case Mode::SplitBytesPaced:
      if (!pipe.pending.isEmpty()) {
        WriteOut(pipe, pipe.pending.constData(), 1);
        pipe.pending.remove(0, 1);
      }
      if (pipe.pending.isEmpty()) {
        pipe.timer->stop();
      } else if (!pipe.timer->isActive()) {
        pipe.timer->start();
      }
      break;
    case Mode::Join:
      // From the timer: wait the turns out unless enough reads are buffered
      // or the connection is closing.
      if (pipe.timer->isActive() && ++pipe.turns < joinTurns && pipe.reads < joinCount && !pipe.closeWhenEmpty) return;
      pipe.timer->stop();
      if (!pipe.pending.isEmpty()) WriteOut(pipe, pipe.pending.constData(), pipe.pending.size());
      pipe.pending.clear();
      pipe.reads = 0;
      break;
  }
  if (pipe.pending.isEmpty() && pipe.closeWhenEmpty && pipe.to) pipe.to->disconnectFromHost();
}

void LoopbackProxy::CloseOther(Pipe& pipe) {
  pipe.closeWhenEmpty = true;
  if (pipe.to && pipe.to->state() != QAbstractSocket::ConnectedState) {
    pipe.to->abort();
    return;
  }
  if (mode_ == Mode::SplitBytesPaced && !pipe.pending.isEmpty()) return;  // the timer drains, then closes
  if (mode_ == Mode::Join) pipe.timer->stop();
  Drain(pipe);
}

}  // namespace pm::test
