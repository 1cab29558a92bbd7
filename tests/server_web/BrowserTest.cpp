// The web board's page in a real browser: headless Chromium, driven over its
// DevTools protocol (a WebSocket; Qt's is the client), follows picks, a
// delete, the clock and chat made through the engine within a second each,
// comes back by itself after the board went away, and lays itself out for a
// phone and for a television. With PM_WEB_SHOTS naming a folder it saves
// the pictures of the README there (scripts/screenshots).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/server_web/WebTestKit.h"

using namespace pm;
using namespace pm::test;
using namespace Qt::StringLiterals;

namespace {

// Chromium under one of the names Debian and others give it; empty when none.
QString ChromiumPath() {
  for (const QString& name : {u"chromium"_s, u"chromium-browser"_s, u"google-chrome"_s}) {
    const QString path = QStandardPaths::findExecutable(name);
    if (!path.isEmpty()) return path;
  }
  return {};
}

// One headless Chromium with a fresh profile and the page it opened.
class Browser {
 public:
  ~Browser() {
    devtools_.abort();
    process_.kill();
    process_.waitForFinished(5000);
  }

  // Starts the browser on `url` and attaches to its page. False with `why`.
  bool Start(const QUrl& url, std::string* why) {
    process_.setProgram(ChromiumPath());
    process_.setArguments({u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s, u"--disable-quic"_s,
                           u"--no-first-run"_s, u"--disable-background-networking"_s, u"--disable-component-update"_s,
                           u"--disable-sync"_s, u"--remote-debugging-port=0"_s, u"--user-data-dir="_s + profile_.path(),
                           u"--window-size=1400,900"_s, url.toString()});
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start();
    // The browser writes its DevTools port and path into the profile.
    QFile active(profile_.filePath(u"DevToolsActivePort"_s));
    if (!WaitFor([&] { return active.exists() && active.size() > 0; }, 60000)) {
      *why = "Chromium did not start (no DevToolsActivePort)";
      return false;
    }
    active.open(QIODevice::ReadOnly);
    const QList<QByteArray> lines = active.readAll().split('\n');
    QObject::connect(&devtools_, &QWebSocket::textMessageReceived, [this](const QString& text) {
      const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
      if (m.contains(u"id"_s)) answers_[m[u"id"_s].toInt()] = m;
    });
    devtools_.open(QUrl(u"ws://127.0.0.1:"_s + QString::fromLatin1(lines.value(0).trimmed()) +
                        QString::fromLatin1(lines.value(1).trimmed())));
    if (!WaitFor([&] { return devtools_.state() == QAbstractSocket::ConnectedState; }, 10000)) {
      *why = "the DevTools connection failed";
      return false;
    }
    QString target;
    WaitFor([&] {
      for (const QJsonValue t : Call(u"Target.getTargets"_s, {}, false)[u"targetInfos"_s].toArray())
        if (t[u"type"_s] == u"page"_s) target = t[u"targetId"_s].toString();
      return !target.isEmpty();
    });
    session_ = Call(u"Target.attachToTarget"_s, {{u"targetId"_s, target}, {u"flatten"_s, true}}, false)[u"sessionId"_s]
                   .toString();
    if (session_.isEmpty()) *why = "no page to attach to";
    return !session_.isEmpty();
  }

  // A DevTools command and its result (of the page's session unless `browser`).
  QJsonObject Call(const QString& method, const QJsonObject& params, bool page = true) {
    const int id = ++lastId_;
    QJsonObject command{{u"id"_s, id}, {u"method"_s, method}, {u"params"_s, params}};
    if (page) command.insert(u"sessionId"_s, session_);
    devtools_.sendTextMessage(QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact)));
    WaitFor([&] { return answers_.count(id) > 0; }, 20000);
    const QJsonObject result = answers_[id][u"result"_s].toObject();
    answers_.erase(id);
    return result;
  }
  // The value of a script expression in the page.
  QJsonValue Eval(const QString& expression) {
    return Call(u"Runtime.evaluate"_s, {{u"expression"_s, expression}, {u"returnByValue"_s, true}})[u"result"_s]
        .toObject()[u"value"_s];
  }
  // True once the expression is `expected` in the page, within `ms`.
  bool Shows(const QString& expression, const QJsonValue& expected, int ms = 1000) {
    return WaitFor([&] { return Eval(expression) == expected; }, ms);
  }
  void Viewport(int width, int height, bool mobile) {
    Call(u"Emulation.setDeviceMetricsOverride"_s,
         {{u"width"_s, width}, {u"height"_s, height}, {u"deviceScaleFactor"_s, 1}, {u"mobile"_s, mobile}});
  }
  // A PNG of the page into PM_WEB_SHOTS/name, when that is set.
  void Save(const QString& name) {
    const QString folder = qEnvironmentVariable("PM_WEB_SHOTS");
    if (folder.isEmpty()) return;
    const QByteArray png = QByteArray::fromBase64(
        Call(u"Page.captureScreenshot"_s, {{u"format"_s, u"png"_s}})[u"data"_s].toString().toLatin1());
    QFile file(QDir(folder).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(png) == png.size()) << name.toStdString();
  }

 private:
  QProcess process_;
  QTemporaryDir profile_;
  QWebSocket devtools_;
  QString session_;
  int lastId_ = 0;
  std::map<int, QJsonObject> answers_;
};

QString Cell(const QString& label, const QString& part) {
  return u"(document.querySelector('#board td[data-label=\"%1\"] %2') || {}).textContent || ''"_s.arg(label, part);
}

QString L1(const std::string& text) { return QString::fromLatin1(text); }

TEST(WebBoardBrowser, PageFollowsTheDraftAndComesBackAfterALoss) {
  if (ChromiumPath().isEmpty())
    GTEST_SKIP() << "No Chromium here: install Debian's chromium package (scripts/setup --browser) to run the page "
                    "in a real browser.";
  WebDraft draft("browser");
  ASSERT_TRUE(draft.loaded && draft.serving);
  draft.engine.CommishChat(0, "Welcome to the Web League draft. Good luck, everyone!");
  Browser browser;
  std::string why;
  ASSERT_TRUE(browser.Start(draft.Url(u"/"_s), &why)) << why;
  ASSERT_TRUE(browser.Shows(u"document.getElementById('status').textContent"_s, u"Live"_s, 20000));
  EXPECT_EQ(browser.Eval(u"document.getElementById('league').textContent"_s), u"Web League"_s);
  EXPECT_EQ(browser.Eval(u"document.querySelectorAll('#board thead th.column').length"_s), 12);
  EXPECT_EQ(browser.Eval(u"document.querySelector('#board thead th.column .column-team').textContent"_s),
            L1(draft.engine.Team(1).name));

  // A pick: its cell, marked the newest.
  const draft::Pick first = draft.PickNext();
  EXPECT_TRUE(browser.Shows(Cell(u"1-1"_s, u".name"_s), L1(first.player)));
  EXPECT_EQ(browser.Eval(Cell(u"1-1"_s, u".pick.newest .pos"_s)), L1(first.position));
  // A pick made by another team than the order's: "via" the order's team.
  const draft::Pick traded = draft.PickNext(7);
  EXPECT_TRUE(browser.Shows(Cell(u"1-2"_s, u".via"_s), u"via "_s + L1(draft.engine.Team(2).name)));
  EXPECT_EQ(browser.Eval(Cell(u"1-1"_s, u".pick.newest .pos"_s)), u""_s);  // no longer the newest
  EXPECT_EQ(browser.Eval(u"document.querySelector('#recent li .name').textContent"_s), L1(traded.player));

  // The clock: the team, the countdown, corrected by every update.
  const int owner = draft.SignOn(3);
  draft.engine.PutOnClock(3, 90, draft.engine.NextLabel());
  EXPECT_TRUE(browser.Shows(u"document.getElementById('clock-team').textContent"_s, L1(draft.engine.Team(3).name)));
  EXPECT_TRUE(browser.Shows(u"/^1:(30|29)$/.test(document.getElementById('clock-time').textContent)"_s, true));
  EXPECT_EQ(browser.Eval(u"document.querySelector('#upnext li .label').textContent"_s), u"1-4"_s);
  for (int i = 0; i < 40; ++i) draft.engine.Tick();
  EXPECT_TRUE(browser.Shows(u"/^0:(50|49)$/.test(document.getElementById('clock-time').textContent)"_s, true));

  // Chat: public lines, never private ones.
  draft.OwnerSends(owner, protocol::PrivateLine(3, 0, "secret to the Commish"));
  draft.engine.CommishChat(3, "secret to team three");
  draft.OwnerSends(owner, protocol::Chat(3, "On the clock, thinking..."));
  EXPECT_TRUE(browser.Shows(u"[...document.querySelectorAll('#chat .text')].pop().textContent"_s,
                            L1(draft.engine.Team(3).name) + u": On the clock, thinking..."_s));
  EXPECT_EQ(browser.Eval(u"document.body.textContent.includes('secret')"_s), false);

  // A delete empties the cell.
  draft.engine.Halt();
  ASSERT_EQ(draft.engine.DeletePick(traded.label), DraftServer::DeleteResult::Deleted);
  EXPECT_TRUE(browser.Shows(Cell(u"1-2"_s, u".name"_s), u""_s));
  EXPECT_EQ(browser.Eval(Cell(u"1-1"_s, u".pick.newest .name"_s)), L1(first.player));

  // The board goes away: the page says it is not live, and is again by
  // itself when the board is back.
  const quint16 port = draft.Port();
  draft.board->Stop();
  EXPECT_TRUE(browser.Shows(u"document.getElementById('offline').hidden"_s, false));
  web::WebBoardOptions again;
  again.address = QHostAddress::LocalHost;
  again.port = port;
  QString error;
  ASSERT_TRUE(draft.board->Start(again, &error)) << error.toStdString();
  const draft::Pick back = draft.PickNext();
  EXPECT_TRUE(browser.Shows(u"document.getElementById('status').textContent"_s, u"Live"_s, 5000));
  EXPECT_TRUE(browser.Shows(Cell(u"1-2"_s, u".name"_s), L1(back.player)));
}

TEST(WebBoardBrowser, ScreenshotsOfTheBoardOnADeskAPhoneAndATelevision) {
  if (ChromiumPath().isEmpty()) GTEST_SKIP() << "No Chromium here: install Debian's chromium package.";
  WebDraft draft("shots");
  ASSERT_TRUE(draft.loaded && draft.serving);
  draft.engine.CommishChat(0, "Welcome to the Web League draft. Good luck, everyone!");
  for (int i = 0; i < 17; ++i) draft.PickNext(i == 15 ? 9 : 0);
  const int owner = draft.SignOn(draft.engine.Order().TeamAt(2, 6));
  draft.OwnerSends(owner, protocol::Chat(draft.engine.Order().TeamAt(2, 6), "Nobody take my guy..."));
  draft.engine.PutOnClock(draft.engine.Order().TeamAt(2, 6), 120, draft.engine.NextLabel());
  for (int i = 0; i < 37; ++i) draft.engine.Tick();
  Browser browser;
  std::string why;
  ASSERT_TRUE(browser.Start(draft.Url(u"/"_s), &why)) << why;
  browser.Viewport(1680, 1000, false);
  ASSERT_TRUE(browser.Shows(u"document.getElementById('status').textContent"_s, u"Live"_s, 20000));
  browser.Save(u"web-board.png"_s);

  browser.Viewport(390, 844, true);
  EXPECT_TRUE(browser.Shows(u"getComputedStyle(document.querySelector('.board-scroll')).display"_s, u"none"_s));
  EXPECT_EQ(browser.Eval(u"document.querySelectorAll('#rounds .round-block').length > 0"_s), true);
  browser.Save(u"web-board-phone.png"_s);

  // The TV view is remembered by the browser.
  browser.Viewport(1920, 1080, false);
  browser.Eval(u"document.getElementById('tv').click()"_s);
  browser.Call(u"Page.reload"_s, {});
  EXPECT_TRUE(browser.Shows(u"document.getElementById('status').textContent"_s, u"Live"_s, 10000));
  EXPECT_EQ(browser.Eval(u"document.body.classList.contains('tv')"_s), true);
  browser.Save(u"web-board-tv.png"_s);
}

}  // namespace
