// The webhook against a small HTTP receiver on loopback.
#include <gtest/gtest.h>

#include <QJsonObject>
#include <memory>

#include "server/engine/Notifier.h"
#include "tests/support/HttpReceiver.h"
#include "tests/support/Wait.h"

namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using pm::server::Notifier;
using pm::test::Receiver;
using pm::test::WaitFor;

struct Watched {
  Notifier notifier;
  QStringList failures;
  int idles = 0;
  Watched() {
    QObject::connect(&notifier, &Notifier::failed, [this](const QString& line) { failures << line; });
    QObject::connect(&notifier, &Notifier::idle, [this] { ++idles; });
    notifier.SetBackoff(0ms);
  }
};

// Posts arrive one at a time in the order made, as JSON with the event and
// the caller's fields; a 500 is tried four times, then reported (naming the
// host, not the URL's secret path) and the next post goes on.
TEST(Notifier, PostsArriveInOrderAndAFailureIsRetriedThenReported) {
  Receiver receiver;
  receiver.answer = [](const QString& event) { return event == u"paused" ? 500 : 200; };
  Watched w;
  ASSERT_TRUE(w.notifier.SetUrl(receiver.Url()));
  w.notifier.Post(QStringLiteral("on_the_clock"), {{QStringLiteral("team"), QStringLiteral("Boston")},
                                                   {QStringLiteral("label"), QStringLiteral("2-5")}});
  w.notifier.Post(QStringLiteral("paused"));
  w.notifier.Post(QStringLiteral("pick"), {{QStringLiteral("player"), QStringLiteral("Al Jones")}});
  w.notifier.Post(QStringLiteral("complete"));
  ASSERT_TRUE(WaitFor([&] { return w.idles > 0; }));
  EXPECT_EQ(receiver.events, (QStringList{u"on_the_clock"_s, u"paused"_s, u"paused"_s, u"paused"_s, u"paused"_s,
                                          u"pick"_s, u"complete"_s}));
  EXPECT_EQ(receiver.contentTypes.value(0), u"application/json"_s);
  ASSERT_EQ(w.failures.size(), 1);
  EXPECT_EQ(w.failures[0],
            u"Webhook: the \"paused\" message to 127.0.0.1 was not delivered after 4 attempts: the receiver "
            "answered 500 X."_s);
  EXPECT_EQ(w.idles, 1);
  EXPECT_EQ(w.notifier.Pending(), 0);
}

// A receiver that never answers: each attempt times out; posts beyond the
// bound drop the oldest waiting ones, which is reported once the queue
// drains, here when the webhook is turned off.
TEST(Notifier, ASilentReceiverTimesOutAndAFullQueueDropsTheOldest) {
  Receiver receiver;
  receiver.answer = [](const QString&) { return 0; };
  Watched w;
  w.notifier.SetTimeout(50ms);
  ASSERT_TRUE(w.notifier.SetUrl(receiver.Url()));
  for (int i = 0; i < Notifier::kMaxQueued + 3; ++i) w.notifier.Post(QStringLiteral("pick"));
  EXPECT_EQ(w.notifier.Pending(), Notifier::kMaxQueued + 1);
  EXPECT_EQ(w.notifier.Dropped(), 2);
  ASSERT_TRUE(WaitFor([&] { return !w.failures.empty(); }));
  EXPECT_TRUE(w.failures[0].endsWith(u"after 4 attempts: no answer within 0.05 s."_s)) << w.failures[0].toStdString();
  EXPECT_GE(receiver.events.size(), 4);
  ASSERT_TRUE(w.notifier.SetUrl(QString()));
  EXPECT_EQ(w.notifier.Pending(), 1);
  ASSERT_TRUE(WaitFor([&] { return w.idles > 0; }));
  ASSERT_EQ(w.failures.size(), 2) << w.failures.join(u'|').toStdString();
  EXPECT_EQ(w.failures[1], u"Webhook: 2 messages were dropped because the receiver fell behind."_s);
  EXPECT_EQ(w.notifier.Pending(), 0);
  w.notifier.Post(QStringLiteral("pick"));
  EXPECT_EQ(w.notifier.Pending(), 0);
}

TEST(Notifier, TakesOnlyHttpAndHttpsUrls) {
  Notifier notifier;
  EXPECT_TRUE(notifier.SetUrl(QStringLiteral(" https://chat.example/hooks/abc ")));
  for (const char* bad : {"ftp://chat.example/x", "chat.example/x", "file:///tmp/x", "http://"})
    EXPECT_FALSE(notifier.SetUrl(QString::fromLatin1(bad))) << bad;
  EXPECT_EQ(notifier.Url().toString(), u"https://chat.example/hooks/abc"_s);
}

}  // namespace
