// A draft with its web board for the web board's tests and benchmark: a
// sample league loaded in the engine (its draft port free, owners on
// connections without sockets), the board serving on a free loopback port,
// picks, deletes and chat made through the engine, and the two kinds of web
// clients: a plain HTTP GET and a WebSocket viewer that keeps what it got.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrl>
#include <QWebSocket>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/Prompt.h"
#include "draft/Draftees.h"
#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "server/engine/DraftServer.h"
#include "server/web/WebBoard.h"
#include "tests/support/Wait.h"

namespace pm::test {

namespace web = server::web;
using server::DraftServer;

class WebDraft {
 public:
  explicit WebDraft(const std::string& tag, web::WebBoardOptions options = {}, int teams = 12)
      : dir_(std::filesystem::temp_directory_path() /
             ("pm-web-" + std::to_string(QCoreApplication::applicationPid()) + "-" + tag)) {
    std::filesystem::remove_all(dir_);
    league::SampleOptions o;
    o.name = "Web League";
    o.teams = teams;
    o.college = 400;
    o.freeAgents = 0;
    const std::string league = league::WriteSampleLeague(dir_.string(), o);
    engine.SetPort(0);
    engine.Reporter().showMessage = [](const std::string&) {};
    engine.Reporter().endProgram = [] {};
    loaded = engine.LoadLeague(league + ".LGE", false).Ok();
    board = std::make_unique<web::WebBoard>(engine);
    options.address = QHostAddress::LocalHost;
    QString error;
    serving = board->Start(options, &error);
  }
  ~WebDraft() {
    board.reset();
    engine.Unload();
    std::filesystem::remove_all(dir_);
  }

  quint16 Port() const { return board->Port(); }
  QUrl Url(const QString& path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path)); }

  // The Commish puts `team` (not signed on; 0: the order's team) on the
  // clock for the next pick and picks the first player not taken for it.
  draft::Pick PickNext(int team = 0) {
    const draft::PickLabel label = engine.NextLabel();
    if (team == 0) team = engine.Order().TeamAt(label.round, label.selection);
    engine.PutOnClock(team, 60, label);
    const int pid = FreePlayer();
    engine.CommishPick(pid, team, label);
    const auto& made = engine.Log().Slots();
    return made.empty() || !made.back() ? draft::Pick{} : *made.back();
  }
  int FreePlayer() const {
    const league::DrafteePool& pool = engine.Pool();
    for (int i = 1; i <= pool.Count(); ++i) {
      const league::Player& p = pool.draftees[static_cast<std::size_t>(i)].player;
      if (engine.FindPlayer(p.pid) && !engine.Log().IsTaken(p.pid)) return p.pid;
    }
    return 0;
  }

  // Team `team`'s owner, signed on through a connection without a socket.
  int SignOn(int team) {
    const int element = engine.Connections().AcceptDetached();
    engine.Connections().Receive(element,
                                 protocol::Login(team, "3.03", engine.DrafteeCount(), engine.LeagueName()) + "\n");
    return element;
  }
  void OwnerSends(int element, const std::string& message) { engine.Connections().Receive(element, message + "\n"); }

  DraftServer engine;
  std::unique_ptr<web::WebBoard> board;
  bool loaded = false;
  bool serving = false;

 private:
  std::filesystem::path dir_;
};

// An HTTP answer as it came: the status, the headers (names in lower case)
// and the body.
struct HttpAnswer {
  int status = 0;
  std::map<QByteArray, QByteArray> headers;
  QByteArray body;
  bool closed = false;  // the server closed the connection without an answer
};

// Sends `request` (raw bytes) and reads one answer, or sees the connection closed.
inline HttpAnswer HttpExchange(quint16 port, const QByteArray& request, int timeoutMs = 5000) {
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, port);
  HttpAnswer answer;
  QByteArray got;
  qsizetype bodyAt = -1;
  qsizetype length = -1;
  QObject::connect(&socket, &QTcpSocket::readyRead, [&] { got += socket.readAll(); });
  QObject::connect(&socket, &QTcpSocket::connected, [&] { socket.write(request); });
  const auto complete = [&] {
    if (bodyAt < 0 && (bodyAt = got.indexOf("\r\n\r\n")) >= 0) {
      bodyAt += 4;
      const QList<QByteArray> lines = got.left(bodyAt - 4).split('\n');
      answer.status = lines.front().split(' ').value(1).toInt();
      for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) answer.headers[lines[i].left(colon).trimmed().toLower()] = lines[i].mid(colon + 1).trimmed();
      }
      length = answer.headers[QByteArrayLiteral("content-length")].toLongLong();
    }
    return bodyAt >= 0 && got.size() - bodyAt >= length;
  };
  const bool done =
      WaitFor([&] { return complete() || socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
  if (done && complete())
    answer.body = got.mid(bodyAt, length);
  else
    answer.closed = done;
  return answer;
}

inline HttpAnswer HttpGet(quint16 port, const QByteArray& path) {
  return HttpExchange(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

// A browser's WebSocket on the live endpoint: every message it got, parsed.
class Viewer {
 public:
  explicit Viewer(quint16 port, const QString& path = QStringLiteral("/live")) {
    QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
      const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
      if (m.value(QStringLiteral("t")) != QStringLiteral("beat")) got.push_back(m);
    });
    QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path)));
  }
  bool WaitSnapshot(int timeoutMs = 5000) {
    return WaitFor([this] { return !got.empty() || closed; }, timeoutMs) && !got.empty() &&
           got.front().value(QStringLiteral("t")) == QStringLiteral("snapshot");
  }
  // The messages since the last call.
  std::vector<QJsonObject> Take() { return std::exchange(got, {}); }

  QWebSocket socket;
  std::vector<QJsonObject> got;
  bool closed = false;
};

}  // namespace pm::test
