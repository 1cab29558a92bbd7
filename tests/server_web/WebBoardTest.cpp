// The web board against real HTTP and WebSocket clients on loopback: what it
// serves, what reaches a viewer and how fast, what never does, and the bounds
// that keep a flood of viewers, slow viewers and bad requests from hurting it.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>

#include "server/headless/HeadlessOptions.h"
#include "tests/server_web/WebTestKit.h"

using namespace pm;
using namespace pm::test;
using namespace Qt::StringLiterals;

namespace {

QString TestName() { return QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()); }

// The messages' texts joined, to look for a line anywhere in them.
QByteArray AllText(const std::vector<QJsonObject>& messages) {
  QByteArray all;
  for (const QJsonObject& m : messages) all += QJsonDocument(m).toJson(QJsonDocument::Compact);
  return all;
}

// The first message after `viewer`'s snapshot holding `key`, waited for.
std::optional<QJsonObject> UpdateWith(Viewer& viewer, const QString& key, int timeoutMs = 1000) {
  std::optional<QJsonObject> found;
  WaitFor(
      [&] {
        for (const QJsonObject& m : viewer.Take())
          if (!found && m.contains(key)) found = m;
        return found.has_value();
      },
      timeoutMs);
  return found;
}

TEST(WebBoardHttp, ServesThePageItsAssetsAndTheStateElseNotFound) {
  WebDraft draft(TestName().toStdString());
  ASSERT_TRUE(draft.loaded && draft.serving);
  const draft::Pick first = draft.PickNext();
  const draft::Pick traded = draft.PickNext(5);  // 1-2 made by team 5: "via" the order's team 2

  struct Expected {
    QByteArray path, type, cache;
  };
  for (const Expected& e : {Expected{"/", "text/html; charset=utf-8", "no-cache"},
                            Expected{"/board.css", "text/css; charset=utf-8", "no-cache"},
                            Expected{"/board.js", "text/javascript; charset=utf-8", "no-cache"},
                            Expected{"/board.json?x=1", "application/json", "no-store"},
                            Expected{"/draft.csv", "text/csv; charset=utf-8", "no-store"}}) {
    HttpAnswer a = HttpGet(draft.Port(), e.path);
    SCOPED_TRACE(e.path.toStdString());
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(a.headers["content-type"], e.type);
    EXPECT_EQ(a.headers["cache-control"], e.cache);
    EXPECT_EQ(a.headers["x-content-type-options"], "nosniff");
    EXPECT_TRUE(a.headers["content-security-policy"].contains("script-src 'self'"));
    EXPECT_FALSE(a.body.isEmpty());
  }
  // Everything the page loads is relative, so that it works under a prefix.
  const QByteArray page = HttpGet(draft.Port(), "/").body;
  EXPECT_TRUE(page.contains("href=\"board.css\"") && page.contains("src=\"board.js\""));
  EXPECT_FALSE(page.contains("http://") || page.contains("https://") || page.contains("=\"/"));
  EXPECT_TRUE(HttpGet(draft.Port(), "/board.js").body.contains("new URL('live'"));

  const QJsonObject state = QJsonDocument::fromJson(HttpGet(draft.Port(), "/board.json").body).object();
  EXPECT_EQ(state["league"_L1], u"Web League"_s);
  const QJsonArray picks = state["picks"_L1].toArray();
  ASSERT_EQ(picks.size(), 2);
  EXPECT_EQ(picks[0]["pid"_L1], first.pid);
  EXPECT_FALSE(picks[0].toObject().contains(u"via"_s));
  EXPECT_EQ(picks[1]["team"_L1], QString::fromLatin1(draft.engine.Team(5).name));
  EXPECT_EQ(picks[1]["via"_L1], QString::fromLatin1(draft.engine.Team(2).name));
  EXPECT_EQ(state["order"_L1]["selections"_L1], 12);
  EXPECT_EQ(state["order"_L1]["owners"_L1][1][0], 1);  // linear
  const QByteArray csv = HttpGet(draft.Port(), "/draft.csv").body;
  const QByteArray row2 = "1,2,2," + QByteArray::fromStdString(traded.team) + "," + QByteArray::number(traded.pid) +
                          "," + QByteArray::fromStdString(traded.player) + "," +
                          QByteArray::fromStdString(traded.position) + "\r\n";
  EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBFRound,Selection,Overall,Team,PID,Player,Position\r\n1,1,1,"));
  EXPECT_TRUE(csv.endsWith(row2)) << csv.toStdString();

  for (const QByteArray& request :
       {QByteArray("GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n"), QByteArray("GET /../etc/passwd HTTP/1.1\r\n\r\n"),
        QByteArray("POST / HTTP/1.1\r\nContent-Length: 2\r\n\r\nhi"),
        QByteArray("DELETE /board.json HTTP/1.1\r\n\r\n")}) {
    HttpAnswer a = HttpExchange(draft.Port(), request);
    EXPECT_EQ(a.status, 404) << request.toStdString();
    EXPECT_EQ(a.headers["x-content-type-options"], "nosniff");
  }
  EXPECT_EQ(HttpGet(draft.Port(), "/live").status, 426);
}

TEST(WebBoardLive, SnapshotFirstThenEveryChangeWithin100msAndNoPrivateLine) {
  WebDraft draft(TestName().toStdString());
  ASSERT_TRUE(draft.loaded && draft.serving);
  draft.engine.CommishChat(0, "Welcome to the draft");
  Viewer viewer(draft.Port());
  ASSERT_TRUE(viewer.WaitSnapshot());
  const QJsonObject snapshot = viewer.Take().front();
  EXPECT_EQ(snapshot["chat"_L1][0]["text"_L1], u"Commish: Welcome to the draft"_s);
  EXPECT_EQ(snapshot["clock"_L1]["state"_L1], u"idle"_s);

  // A viewer's text changes nothing and is not answered.
  viewer.socket.sendTextMessage(u"{\"t\":\"pick\"}"_s);
  viewer.socket.sendBinaryMessage(QByteArray(100, 'x'));

  QElapsedTimer took;
  took.start();
  const draft::Pick pick = draft.PickNext();
  std::optional<QJsonObject> update = UpdateWith(viewer, u"picks"_s, 100);
  ASSERT_TRUE(update) << "no pick within 100 ms";
  EXPECT_LT(took.elapsed(), 100);
  EXPECT_EQ((*update)["picks"_L1][0]["pid"_L1], pick.pid);
  EXPECT_EQ((*update)["next"_L1]["s"_L1], 2);

  const int owner = draft.SignOn(3);
  draft.engine.PutOnClock(3, 90, draft.engine.NextLabel());
  update = UpdateWith(viewer, u"clock"_s, 100);
  ASSERT_TRUE(update);
  EXPECT_EQ((*update)["clock"_L1]["state"_L1], u"running"_s);
  EXPECT_EQ((*update)["clock"_L1]["seconds"_L1], 90);
  draft.engine.Tick();
  update = UpdateWith(viewer, u"clock"_s, 100);
  ASSERT_TRUE(update);
  EXPECT_EQ((*update)["clock"_L1]["seconds"_L1], 89);
  draft.engine.Halt();

  draft.OwnerSends(owner, protocol::Chat(3, "good luck all"));
  draft.OwnerSends(owner, protocol::PrivateLine(3, 0, "secret to the Commish"));
  draft.engine.CommishChat(3, "secret to team three");
  update = UpdateWith(viewer, u"chat"_s, 100);
  ASSERT_TRUE(update);
  EXPECT_TRUE(AllText({*update}).contains(": good luck all"));

  ASSERT_EQ(draft.engine.DeletePick(pick.label), DraftServer::DeleteResult::Deleted);
  update = UpdateWith(viewer, u"deleted"_s, 100);
  ASSERT_TRUE(update);
  EXPECT_EQ((*update)["deleted"_L1][0], 1);

  // A reconnected page gets the whole state again, private lines left out.
  Viewer again(draft.Port());
  ASSERT_TRUE(again.WaitSnapshot());
  const QJsonObject state = again.Take().front();
  EXPECT_TRUE(state["picks"_L1].toArray().isEmpty());
  const QByteArray seen = AllText({state, *update}) + HttpGet(draft.Port(), "/board.json").body;
  EXPECT_TRUE(seen.contains("good luck all"));
  EXPECT_FALSE(seen.contains("secret")) << seen.toStdString();
  EXPECT_FALSE(viewer.closed);
  EXPECT_EQ(draft.board->Viewers(), 2);
  // One that sends more than a small message is closed.
  viewer.socket.sendTextMessage(QString(4000, u'x'));
  EXPECT_TRUE(WaitFor([&] { return viewer.closed && draft.board->Viewers() == 1; }));
}

TEST(WebBoardBounds, FloodOfViewersIsCappedAndTheRestKeepUp) {
  web::WebBoardOptions options;
  options.maxViewers = 40;
  WebDraft draft(TestName().toStdString(), options);
  ASSERT_TRUE(draft.serving);
  std::vector<std::unique_ptr<Viewer>> viewers;
  for (int i = 0; i < 100; ++i) viewers.push_back(std::make_unique<Viewer>(draft.Port()));
  ASSERT_TRUE(WaitFor([&] {
    int settled = 0;
    for (const auto& v : viewers) settled += !v->got.empty() || v->closed;
    return settled == 100;
  }));
  int live = 0;
  for (const auto& v : viewers) live += !v->got.empty() && !v->closed;
  EXPECT_EQ(live, 40);
  EXPECT_EQ(draft.board->Viewers(), 40);
  // A wrong path is refused like a viewer too many.
  Viewer stray(draft.Port(), u"/elsewhere"_s);
  EXPECT_TRUE(WaitFor([&] { return stray.closed; }));

  const draft::Pick pick = draft.PickNext();
  EXPECT_TRUE(WaitFor([&] {
    int told = 0;
    for (const auto& v : viewers) told += AllText(v->got).contains("\"pid\":" + QByteArray::number(pick.pid));
    return told == 40;
  }));
  EXPECT_EQ(HttpGet(draft.Port(), "/board.json").status, 200);
}

TEST(WebBoardBounds, ViewerThatStopsReadingIsDroppedOthersGetEverything) {
  web::WebBoardOptions options;
  options.limits.maxUnsentBytes = 256 * 1024;
  WebDraft draft(TestName().toStdString(), options);
  ASSERT_TRUE(draft.serving);
  Viewer good(draft.Port());
  ASSERT_TRUE(good.WaitSnapshot());
  // A WebSocket handshake, then nothing read ever again.
  QTcpSocket slow;
  slow.setReadBufferSize(1);
  slow.connectToHost(QHostAddress::LocalHost, draft.Port());
  ASSERT_TRUE(slow.waitForConnected(5000));
  slow.write(
      "GET /live HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
      "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
  ASSERT_TRUE(WaitFor([&] { return draft.board->Viewers() == 2; }));

  const std::string line(900, 'x');
  int sent = 0;
  int lines = 0;
  const auto count = [&] {
    for (const QJsonObject& m : good.Take()) lines += static_cast<int>(m["chat"_L1].toArray().size());
    return lines;
  };
  while (draft.board->Viewers() == 2 && sent < 40000) {
    for (int i = 0; i < 20; ++i, ++sent) draft.engine.CommishChat(0, line);
    ASSERT_TRUE(WaitFor([&] { return count() == sent; })) << "the good viewer fell behind";
  }
  EXPECT_EQ(draft.board->Viewers(), 1) << "still there after " << sent << " lines";
  draft.engine.CommishChat(0, "the last line");
  EXPECT_TRUE(WaitFor([&] { return count() == sent + 1; }));
  EXPECT_FALSE(good.closed);
}

TEST(WebBoardBounds, OversizedOrSilentRequestsAreClosedViewersKept) {
  web::WebBoardOptions options;
  options.limits.idleMs = 300;
  WebDraft draft(TestName().toStdString(), options);
  ASSERT_TRUE(draft.serving);
  Viewer viewer(draft.Port());
  ASSERT_TRUE(viewer.WaitSnapshot());

  const HttpAnswer large =
      HttpExchange(draft.Port(), "GET / HTTP/1.1\r\nHost: x\r\nX-Pad: " + QByteArray(9000, 'a') + "\r\n\r\n");
  EXPECT_TRUE(large.closed);
  const HttpAnswer body =
      HttpExchange(draft.Port(), "POST / HTTP/1.1\r\nContent-Length: 100000\r\n\r\n" + QByteArray(20000, 'b'));
  EXPECT_TRUE(body.closed);
  QElapsedTimer took;
  took.start();
  const HttpAnswer silent = HttpExchange(draft.Port(), "GET / HTTP/1.1\r\n");  // never finished
  EXPECT_TRUE(silent.closed);
  EXPECT_GE(took.elapsed(), 250);
  // The heartbeat keeps a viewer of a quiet draft open past the idle limit.
  EXPECT_FALSE(viewer.closed);
  EXPECT_EQ(HttpGet(draft.Port(), "/").status, 200);
}

TEST(WebBoardOptions, HeadlessReadsWebOptionsAndRefusesBadOnes) {
  const auto parse = [](QStringList args, server::HeadlessOptions* o, std::string* error) {
    args.prepend(u"PKServer"_s);
    args.append(u"L.LGE"_s);
    return server::ParseHeadlessOptions(args, o, error);
  };
  server::HeadlessOptions o;
  std::string error;
  ASSERT_TRUE(parse({u"--headless"_s}, &o, &error));
  EXPECT_FALSE(o.webPort);
  ASSERT_TRUE(parse({u"--headless"_s, u"--web"_s, u"8080"_s, u"--web-bind"_s, u"127.0.0.1"_s, u"--web-max"_s, u"9"_s},
                    &o, &error));
  EXPECT_EQ(o.webPort, 8080);
  EXPECT_EQ(o.webBind, u"127.0.0.1"_s);
  EXPECT_EQ(o.webMax, 9);
  for (const QStringList& bad : {QStringList{u"--web"_s, u"http"_s}, QStringList{u"--web-max"_s, u"5"_s},
                                 QStringList{u"--web"_s, u"80"_s, u"--web-bind"_s, u"example.org"_s},
                                 QStringList{u"--web"_s, u"80"_s, u"--web-max"_s, u"0"_s}}) {
    error.clear();
    EXPECT_FALSE(parse(bad, &o, &error)) << bad.join(u' ').toStdString();
    EXPECT_NE(error.find("--web"), std::string::npos) << error;
  }
}

}  // namespace
