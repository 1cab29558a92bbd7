// The webhook: posts a short JSON message for each draft event to a URL the
// Commish gives ({"event":"on_the_clock","team":...}), the kind of incoming
// webhook league chat servers accept. Posts go out in the background, one at
// a time in the order they were made; each gives up after a timeout and is
// tried again up to kRetries times after a short back-off. A post that still
// fails is reported through failed(); the caller is never held up. While the
// receiver falls behind, at most kMaxQueued posts wait; beyond that the
// oldest waiting post is dropped, and the drops are reported once the queue
// has drained.
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <deque>

class QNetworkAccessManager;
class QNetworkReply;

namespace pm::server {

class Notifier : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxQueued = 1000;
  static constexpr int kRetries = 3;
  static constexpr std::chrono::milliseconds kDefaultTimeout{10000};
  static constexpr std::chrono::milliseconds kDefaultBackoff{2000};

  explicit Notifier(QObject* parent = nullptr);

  // The URL posted to; an empty text turns the webhook off and drops what
  // waits (the post being sent is not tried again). Only http and https URLs are taken: false, and nothing changed,
  // for anything else.
  bool SetUrl(const QString& url);
  QUrl Url() const { return url_; }
  bool On() const { return !url_.isEmpty(); }

  // Queues {"event": event, ...fields} for posting; nothing when off.
  void Post(const QString& event, QJsonObject fields = {});

  // How long one attempt may take, and the wait before the n-th retry
  // (n times the back-off). Tests shorten both.
  void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
  void SetBackoff(std::chrono::milliseconds backoff) { backoff_ = backoff; }

  // Posts waiting, the one being sent included.
  int Pending() const { return static_cast<int>(queue_.size()); }
  // Posts dropped because the queue was full, since the last report.
  int Dropped() const { return dropped_; }

 signals:
  // A post given up after every attempt, or posts dropped: one line for the
  // transcript and the error file.
  void failed(QString line);
  // Every post made has been sent or given up.
  void idle();

 private:
  struct Message {
    QString event;
    QByteArray body;
  };
  void SendFront();
  void Finished(QNetworkReply* reply);
  // Drops the front message and goes on with the next.
  void Next();
  // Nothing more to send (or the webhook turned off): reports the drops
  // and idle.
  void Drain();

  QNetworkAccessManager* network_;
  QUrl url_;
  QString host_;               // of the URL the front message goes to
  std::deque<Message> queue_;  // front: being sent
  bool sending_ = false;
  int attempt_ = 0;  // of the front message, from 1
  int dropped_ = 0;
  std::chrono::milliseconds timeout_ = kDefaultTimeout;
  std::chrono::milliseconds backoff_ = kDefaultBackoff;
};

}  // namespace pm::server
