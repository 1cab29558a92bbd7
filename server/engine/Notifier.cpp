#include "server/engine/Notifier.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace pm::server {

namespace {

// Why an attempt failed, for the report.
QString Reason(QNetworkReply* reply, std::chrono::milliseconds timeout) {
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status != 0)
    return QStringLiteral("the receiver answered %1 %2")
        .arg(status)
        .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
        .trimmed();
  if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
    return QStringLiteral("no answer within %1 s").arg(static_cast<double>(timeout.count()) / 1000.0);
  return reply->errorString();
}

bool Succeeded(QNetworkReply* reply) {
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  return reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
}

}  // namespace

Notifier::Notifier(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this)) {
  setObjectName(QStringLiteral("Notifier"));
}

bool Notifier::SetUrl(const QString& url) {
  const QString text = url.trimmed();
  if (text.isEmpty()) {
    url_.clear();
    // What waits is dropped; the post being sent finishes on its own.
    if (!queue_.empty()) queue_.erase(queue_.begin() + 1, queue_.end());
    return true;
  }
  const QUrl parsed(text, QUrl::StrictMode);
  const QString scheme = parsed.scheme();
  if (!parsed.isValid() || parsed.host().isEmpty() || (scheme != u"http" && scheme != u"https")) return false;
  url_ = parsed;
  return true;
}

void Notifier::Post(const QString& event, QJsonObject fields) {
  if (!On()) return;
  fields.insert(QStringLiteral("event"), event);
  // The front is being sent while sending_: only waiting posts are dropped.
  const std::size_t first = sending_ ? 1 : 0;
  if (queue_.size() >= first + kMaxQueued) {
    queue_.erase(queue_.begin() + static_cast<std::ptrdiff_t>(first));
    ++dropped_;
  }
  queue_.push_back({event, QJsonDocument(fields).toJson(QJsonDocument::Compact)});
  if (!sending_) {
    sending_ = true;
    SendFront();
  }
}

void Notifier::SendFront() {
  if (queue_.empty() || !On()) {
    Drain();
    return;
  }
  ++attempt_;
  host_ = url_.host();
  QNetworkRequest request(url_);
  request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
  request.setTransferTimeout(static_cast<int>(timeout_.count()));
  QNetworkReply* reply = network_->post(request, queue_.front().body);
  connect(reply, &QNetworkReply::finished, this, [this, reply] { Finished(reply); });
}

void Notifier::Finished(QNetworkReply* reply) {
  reply->deleteLater();
  if (Succeeded(reply)) {
    Next();
    return;
  }
  if (attempt_ <= kRetries) {
    QTimer::singleShot(backoff_ * attempt_, this, &Notifier::SendFront);
    return;
  }
  // The URL's path and query often hold the channel's secret: only the host is named.
  emit failed(QStringLiteral("Webhook: the \"%1\" message to %2 was not delivered after %3 attempts: %4.")
                  .arg(queue_.front().event, host_)
                  .arg(attempt_)
                  .arg(Reason(reply, timeout_)));
  Next();
}

void Notifier::Next() {
  if (!queue_.empty()) queue_.pop_front();
  attempt_ = 0;
  SendFront();
}

void Notifier::Drain() {
  queue_.clear();
  sending_ = false;
  attempt_ = 0;
  if (dropped_ > 0) {
    emit failed(QStringLiteral("Webhook: %1 messages were dropped because the receiver fell behind.").arg(dropped_));
    dropped_ = 0;
  }
  emit idle();
}

}  // namespace pm::server
