// The read-only web board: a page any browser opens to watch the draft live,
// served beside the draft (nothing changes on the draft's own port).
//
// WebBoard follows the engine through its signals and accessors only. It
// serves the page, /board.json and /draft.csv (see WebRoutes.h), and keeps
// every viewer's page current over a WebSocket at "live" beside the page: a
// viewer gets the whole state first (BoardState.h's snapshot), then an
// update for each change, and a heartbeat every third of the connections'
// idle limit (20 s) so that it can tell a dead connection from a quiet
// draft, and so that neither this server nor a proxy closes a quiet one. Changes are gathered and sent
// on the next turn of the event loop, so an engine operation never waits
// for a viewer; a viewer that stops reading is dropped (GuardedServer.h).
// Anything a viewer sends is ignored.
#pragma once

#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "server/web/BoardState.h"
#include "server/web/GuardedServer.h"

class QWebSocket;

namespace pm::server {
class DraftServer;
}

namespace pm::server::web {

class HttpAdapter;

inline constexpr int kDefaultMaxViewers = 500;
// Connections beyond the viewers, for requests of the page, JSON and CSV.
inline constexpr int kRequestConnections = 64;
// The public chat lines a new viewer gets.
inline constexpr std::size_t kChatKept = 100;

struct WebBoardOptions {
  quint16 port = 0;  // 0: a free port (see Port())
  QHostAddress address = QHostAddress::Any;
  int maxViewers = kDefaultMaxViewers;
  // The bounds of every connection; maxConnections is set from maxViewers.
  ConnectionLimits limits;
};

class WebBoard : public QObject {
  Q_OBJECT
 public:
  // Follows `engine` (which must outlive it) from now on; serves nothing
  // until Start.
  explicit WebBoard(DraftServer& engine, QObject* parent = nullptr);
  ~WebBoard() override;

  // Listens on the options' address and port. False with `error` saying why
  // (the port is taken, the address is not this machine's).
  bool Start(const WebBoardOptions& options, QString* error);
  // Closes the listener and every viewer.
  void Stop();
  bool Serving() const { return http_ != nullptr; }
  quint16 Port() const;
  int Viewers() const { return static_cast<int>(viewers_.size()); }
  // The address to share, "http://HOST:PORT/": the address listened on, or
  // this machine's first network address when it listens on all of them.
  QString ShareAddress() const;

  // Milliseconds since the epoch, for the chat's times (tests inject one).
  std::function<int64_t()> wallClock;

 private:
  void OnViewer();
  void RemoveViewer(QWebSocket* viewer);
  void ChatAdded(const QString& line);
  void Schedule();
  // Sends what changed since the last flush to every viewer.
  void Flush();
  void Broadcast(const QByteArray& text);
  QByteArray SnapshotText();

  DraftServer& engine_;
  WebBoardOptions options_;
  std::unique_ptr<HttpAdapter> http_;
  GuardedServer* listener_ = nullptr;  // owned by http_
  std::vector<QWebSocket*> viewers_;   // children of this
  ChatLog chat_{kChatKept};
  QJsonArray pendingChat_;
  SentState sent_;
  QByteArray snapshot_;  // cached until the next change
  QTimer flush_;
  QTimer heartbeat_;
};

}  // namespace pm::server::web
