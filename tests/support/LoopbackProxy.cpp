#include "tests/support/LoopbackProxy.h"

#include <QHostAddress>

namespace pm::test {

LoopbackProxy::LoopbackProxy(quint16 targetPort, Mode mode, QObject* parent)
    : QObject(parent), target_(targetPort), mode_(mode) {
  connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
  server_.listen(QHostAddress::LocalHost, 0);
  port_ = server_.serverPort();
  elapsed_.start();
}

LoopbackProxy::~LoopbackProxy() {
  for (auto& p : pairs_) Release(*p);
}

void LoopbackProxy::Release(Pair& p) {
  p.toServer.timer.reset();
  p.toClient.timer.reset();
  for (QTcpSocket* s : {p.down.data(), p.up.data()}) {
    if (!s) continue;
    s->disconnect(this);
    s->abort();
    delete s;
  }
}

void LoopbackProxy::DropAll() {
  for (auto& p : pairs_) Release(*p);
  pairs_.clear();
}

void LoopbackProxy::Vanish() {
  for (auto& p : pairs_) {
    p->toServer.timer->stop();
    p->toClient.timer->stop();
    if (p->up) p->up->disconnect(this);
    if (QTcpSocket* down = p->down.data()) {
      down->disconnect(this);
      down->abort();
      delete down;
    }
  }
}

bool LoopbackProxy::SetListening(bool on) {
  if (!on) {
    server_.close();
    return true;
  }
  return server_.isListening() || server_.listen(QHostAddress::LocalHost, port_);
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
    // A server that is not there: the client's side is reset, as the path
    // itself would refuse it.
    connect(p->up, &QTcpSocket::errorOccurred, this, [p] {
      if (p->up->error() == QAbstractSocket::ConnectionRefusedError && p->down) p->down->abort();
    });
    p->up->connectToHost(QHostAddress::LocalHost, target_);
    pairs_.push_back(std::move(pair));
    if (down->bytesAvailable() > 0) Forward(p->toServer, down);
  }
}

void LoopbackProxy::Forward(Pipe& pipe, QTcpSocket* from) {
  QByteArray bytes = from->readAll();
  if (bytes.isEmpty()) return;
  if (mode_ == Mode::Delay) {
    pipe.delayed.emplace_back(elapsed_.elapsed() + delayMs, std::move(bytes));
    if (!pipe.timer->isActive()) pipe.timer->start(delayMs);
    return;
  }
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
    if (pipe.to && pipe.to->state() == QAbstractSocket::UnconnectedState) {
      pipe.pending.clear();
      pipe.delayed.clear();
    }
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
    case Mode::Delay: DrainDelayed(pipe); break;
  }
  if (pipe.pending.isEmpty() && pipe.delayed.empty() && pipe.closeWhenEmpty && pipe.to) pipe.to->disconnectFromHost();
}

void LoopbackProxy::DrainDelayed(Pipe& pipe) {
  const qint64 now = elapsed_.elapsed();
  while (!pipe.delayed.empty() && pipe.delayed.front().first <= now) {
    const QByteArray& bytes = pipe.delayed.front().second;
    WriteOut(pipe, bytes.constData(), bytes.size());
    pipe.delayed.pop_front();
  }
  if (pipe.delayed.empty())
    pipe.timer->stop();
  else
    pipe.timer->start(static_cast<int>(pipe.delayed.front().first - now));
}

void LoopbackProxy::CloseOther(Pipe& pipe) {
  pipe.closeWhenEmpty = true;
  if (pipe.to && pipe.to->state() != QAbstractSocket::ConnectedState) {
    pipe.to->abort();
    return;
  }
  if (mode_ == Mode::SplitBytesPaced && !pipe.pending.isEmpty()) return;  // the timer drains, then closes
  if (mode_ == Mode::Delay && !pipe.delayed.empty()) return;
  if (mode_ == Mode::Join) pipe.timer->stop();
  Drain(pipe);
}

}  // namespace pm::test
