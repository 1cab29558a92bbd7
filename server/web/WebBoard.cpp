#include "server/web/WebBoard.h"

#include <QDateTime>
#include <QNetworkInterface>
#include <QWebSocket>

#include <algorithm>

#include "server/engine/DraftServer.h"
#include "server/web/HttpAdapter.h"
#include "server/web/WebRoutes.h"

namespace pm::server::web {

namespace {

using namespace Qt::StringLiterals;

// A viewer may send nothing the board reads: a frame or message longer than
// this closes it.
constexpr quint64 kMaxViewerMessage = 1024;

bool ListensEverywhere(const QHostAddress& a) {
  return a == QHostAddress::Any || a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6;
}

// This machine's first IPv4 address that is not the loopback; else localhost.
QString MachineAddress() {
  for (const QHostAddress& a : QNetworkInterface::allAddresses())
    if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) return a.toString();
  return u"localhost"_s;
}

QString UrlHost(const QHostAddress& a) {
  if (ListensEverywhere(a)) return MachineAddress();
  return a.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + a.toString() + u']' : a.toString();
}

}  // namespace

WebBoard::WebBoard(DraftServer& engine, QObject* parent) : QObject(parent), engine_(engine) {
  wallClock = [] { return QDateTime::currentMSecsSinceEpoch(); };
  flush_.setSingleShot(true);
  flush_.setInterval(0);
  connect(&flush_, &QTimer::timeout, this, &WebBoard::Flush);
  connect(&heartbeat_, &QTimer::timeout, this, [this] { Broadcast(QByteArrayLiteral(R"({"t":"beat"})")); });

  connect(&engine_, &DraftServer::pubChatAdded, this, &WebBoard::ChatAdded);
  for (auto changed : {&DraftServer::picksChanged, &DraftServer::clockChanged, &DraftServer::nextPickChanged,
                       &DraftServer::orderChanged, &DraftServer::pauseChanged})
    connect(&engine_, changed, this, &WebBoard::Schedule);
  connect(&engine_, &DraftServer::pickRecorded, this, &WebBoard::Schedule);
  sent_.Reset(engine_);
}

WebBoard::~WebBoard() { Stop(); }

bool WebBoard::Start(const WebBoardOptions& options, QString* error) {
  Stop();
  options_ = options;
  options_.limits.maxConnections = options.maxViewers + kRequestConnections;
  const WebContent content{[this] { return SnapshotText(); }, [this] { return DraftCsv(engine_); },
                           [this] { return Viewers() < options_.maxViewers; }};
  auto http = std::make_unique<HttpAdapter>([content](const WebRequest& r) { return Route(r, content); });
  auto* listener = new GuardedServer(options_.limits, http.get());
  if (!listener->listen(options_.address, options_.port)) {
    *error = listener->errorString();
    return false;
  }
  http->Serve(listener);
  connect(http.get(), &HttpAdapter::newViewer, this, &WebBoard::OnViewer);
  http_ = std::move(http);
  listener_ = listener;
  heartbeat_.start(std::max(1, options_.limits.idleMs / 3));
  return true;
}

void WebBoard::Stop() {
  heartbeat_.stop();
  viewers_.clear();
  // Every WebSocket (those closing too) goes before the server and the
  // sockets under it.
  for (QWebSocket* viewer : findChildren<QWebSocket*>(Qt::FindDirectChildrenOnly)) {
    viewer->disconnect(this);
    delete viewer;
  }
  http_.reset();
  listener_ = nullptr;
}

quint16 WebBoard::Port() const { return listener_ ? listener_->serverPort() : 0; }

QString WebBoard::ShareAddress() const {
  return u"http://"_s + UrlHost(options_.address) + u':' + QString::number(Port()) + u'/';
}

void WebBoard::OnViewer() {
  while (std::unique_ptr<QWebSocket> taken = http_->NextViewer()) {
    QWebSocket* viewer = taken.release();
    viewer->setParent(this);
    viewer->setMaxAllowedIncomingFrameSize(kMaxViewerMessage);
    viewer->setMaxAllowedIncomingMessageSize(kMaxViewerMessage);
    // Handshakes that were under way when the last room was taken.
    if (Viewers() >= options_.maxViewers) {
      connect(viewer, &QWebSocket::disconnected, viewer, &QObject::deleteLater);
      viewer->close(QWebSocketProtocol::CloseCodePolicyViolated, u"Too many viewers"_s);
      continue;
    }
    connect(viewer, &QWebSocket::disconnected, this, [this, viewer] { RemoveViewer(viewer); });
    viewers_.push_back(viewer);
    // Everyone is brought up to date first, so that no change reaches the
    // new viewer twice.
    Flush();
    viewer->sendTextMessage(QString::fromUtf8(SnapshotText()));
  }
}

void WebBoard::RemoveViewer(QWebSocket* viewer) {
  std::erase(viewers_, viewer);
  viewer->deleteLater();
}

void WebBoard::ChatAdded(const QString& line) {
  const int64_t at = wallClock();
  if (!chat_.Add(at, line)) return;
  pendingChat_.append(ChatLog::Json(chat_.Lines().back()));
  Schedule();
}

void WebBoard::Schedule() {
  snapshot_.clear();
  if (!flush_.isActive()) flush_.start();
}

void WebBoard::Flush() {
  flush_.stop();
  bool needSnapshot = false;
  std::optional<QJsonObject> change = sent_.Change(engine_, &needSnapshot);
  const QJsonArray chat = std::exchange(pendingChat_, {});
  if (needSnapshot) {
    sent_.Reset(engine_);
    snapshot_.clear();
    Broadcast(SnapshotText());
    return;
  }
  if (!chat.isEmpty()) {
    if (!change) change = QJsonObject{{u"t"_s, u"update"_s}};
    change->insert(u"chat"_s, chat);
  }
  if (change) Broadcast(JsonText(*change));
}

void WebBoard::Broadcast(const QByteArray& text) {
  if (viewers_.empty()) return;
  const QString message = QString::fromUtf8(text);
  // Written to the system at once (never blocking): waiting for each socket's
  // turn in the event loop costs a round of the loop per viewer.
  for (QWebSocket* viewer : viewers_) {
    viewer->sendTextMessage(message);
    viewer->flush();
  }
}

QByteArray WebBoard::SnapshotText() {
  if (snapshot_.isEmpty()) snapshot_ = JsonText(Snapshot(engine_, chat_));
  return snapshot_;
}

}  // namespace pm::server::web
