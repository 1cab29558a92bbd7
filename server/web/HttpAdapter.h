// The one class that touches Qt HTTP Server's API, which changed between
// Qt 6.4 and 6.5: it hands every request to a plain handler and writes the
// handler's answer, and it hands on the WebSocket connections the server
// accepted. A WebSocket request the handler does not take is closed
// without an answer: Qt 6.4 goes on with the upgrade after any request
// handled, so nothing may be written to it. Everything above it sees only WebRequest, WebResponse and
// QWebSocket.
#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QWebSocket>

#include <functional>
#include <memory>

class QTcpServer;

namespace pm::server::web {

struct WebRequest {
  bool get = false;      // the method is GET
  bool upgrade = false;  // it asks to become a WebSocket
  QString path;          // the URL's path, decoded
};

// The status of an answer that takes a WebSocket request as a viewer.
inline constexpr int kTakeViewer = 101;

struct WebResponse {
  int status = 200;  // kTakeViewer to an upgrade request: a viewer; any other closes it unanswered
  QList<QPair<QByteArray, QByteArray>> headers;  // Content-Length is added
  QByteArray body;
};

class HttpAdapter : public QAbstractHttpServer {
  Q_OBJECT
 public:
  using Handler = std::function<WebResponse(const WebRequest&)>;
  HttpAdapter(Handler handler, QObject* parent = nullptr);

  // Serves the connections `server` (listening; taken over) accepts.
  void Serve(QTcpServer* server) { bind(server); }
  // A WebSocket connection accepted (newViewer tells of one); null when none.
  std::unique_ptr<QWebSocket> NextViewer();

 signals:
  void newViewer();

 protected:
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;
#else
  bool handleRequest(const QHttpServerRequest& request, QHttpServerResponder& responder) override;
  void missingHandler(const QHttpServerRequest& request, QHttpServerResponder&& responder) override;
#endif

 private:
  // Writes the handler's answer; false for a WebSocket request not taken.
  bool Answer(const QHttpServerRequest& request, QHttpServerResponder& responder);

  Handler handler_;
};

}  // namespace pm::server::web
