#include "server/web/HttpAdapter.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QUrl>

namespace pm::server::web {

HttpAdapter::HttpAdapter(Handler handler, QObject* parent) : QAbstractHttpServer(parent), handler_(std::move(handler)) {
  connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &HttpAdapter::newViewer);
}

std::unique_ptr<QWebSocket> HttpAdapter::NextViewer() {
  return hasPendingWebSocketConnections() ? nextPendingWebSocketConnection() : nullptr;
}

bool HttpAdapter::Answer(const QHttpServerRequest& request, QHttpServerResponder& responder) {
  const WebRequest asked{request.method() == QHttpServerRequest::Method::Get,
                         request.value(QByteArrayLiteral("upgrade")).compare("websocket", Qt::CaseInsensitive) == 0,
                         request.url().path()};
  const WebResponse answer = handler_(asked);
  if (asked.upgrade) return answer.status == kTakeViewer;
  responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(answer.status));
  for (const auto& [key, value] : answer.headers) responder.writeHeader(key, value);
  responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(answer.body.size()));
  responder.writeBody(answer.body);
  return true;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
bool HttpAdapter::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
  QHttpServerResponder responder = makeResponder(request, socket);
  return Answer(request, responder);
}

void HttpAdapter::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) { socket->disconnectFromHost(); }
#else
bool HttpAdapter::handleRequest(const QHttpServerRequest& request, QHttpServerResponder& responder) {
  return Answer(request, responder);
}

void HttpAdapter::missingHandler(const QHttpServerRequest&, QHttpServerResponder&& responder) {
  responder.socket()->disconnectFromHost();
}
#endif

}  // namespace pm::server::web
