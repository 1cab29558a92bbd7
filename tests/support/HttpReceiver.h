// A small HTTP receiver on loopback for the webhook's tests: it reads each
// JSON post and answers as told.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <map>
#include <vector>

namespace pm::test {

// Reads each request (headers and Content-Length body) and answers with the
// status `answer` gives for its event, or not at all for 0.
struct Receiver {
  QTcpServer server;
  std::function<int(const QString& event)> answer = [](const QString&) { return 200; };
  QStringList events;               // in the order received, every attempt
  std::vector<QJsonObject> bodies;  // likewise
  QStringList contentTypes;
  std::map<QTcpSocket*, QByteArray> buffers;

  Receiver() {
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server.nextPendingConnection())
        QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { Read(socket); });
    });
  }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/hook/secret").arg(server.serverPort()); }

  void Read(QTcpSocket* socket) {
    QByteArray& buffer = buffers[socket];
    buffer += socket->readAll();
    for (;;) {
      const qsizetype end = buffer.indexOf("\r\n\r\n");
      if (end < 0) return;
      qsizetype length = 0;
      for (const QByteArray& line : buffer.left(end).split('\n')) {
        const QByteArray lower = line.trimmed().toLower();
        if (lower.startsWith("content-length:")) length = lower.mid(15).trimmed().toLongLong();
        if (lower.startsWith("content-type:")) contentTypes << QString::fromLatin1(line.mid(13).trimmed());
      }
      if (buffer.size() < end + 4 + length) return;
      const QJsonObject body = QJsonDocument::fromJson(buffer.mid(end + 4, length)).object();
      buffer.remove(0, end + 4 + length);
      const QString event = body.value(QStringLiteral("event")).toString();
      events << event;
      bodies.push_back(body);
      const int status = answer(event);
      if (status != 0)
        socket->write(QStringLiteral("HTTP/1.1 %1 X\r\nContent-Length: 0\r\n\r\n").arg(status).toLatin1());
    }
  }
};

}  // namespace pm::test
