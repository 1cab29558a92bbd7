#include "server/headless/HeadlessOptions.h"
#include "common/QtPaths.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QTimeZone>
#include <QUrl>

#include <cstring>
#include <optional>

#include "protocol/Protocol.h"

namespace pm::server {

namespace {

using namespace Qt::StringLiterals;

// A whole number from `low` to `high`; false for anything else.
bool ReadNumber(const QString& text, int low, int high, int* value) {
  bool ok = false;
  const int v = text.toInt(&ok);
  if (!ok || v < low || v > high) return false;
  *value = v;
  return true;
}

// An optional number of seconds from `low` to `high`.
bool ReadSeconds(const QCommandLineParser& parser, const QCommandLineOption& option, int low, int high,
                 std::optional<int>* value, std::string* error) {
  if (!parser.isSet(option)) return true;
  int seconds = 0;
  if (!ReadNumber(parser.value(option), low, high, &seconds)) {
    *error = "--" + option.names().front().toStdString() + ": a whole number of seconds from " + std::to_string(low) +
             " to " + std::to_string(high);
    return false;
  }
  *value = seconds;
  return true;
}

// --web, --web-bind and --web-max.
// --quiet, --time-zone and --notify.
bool ReadSlowDraftOptions(const QCommandLineParser& parser, const QCommandLineOption& quiet,
                          const QCommandLineOption& zone, const QCommandLineOption& notify, HeadlessOptions* o,
                          std::string* error) {
  if (parser.isSet(quiet)) {
    o->quietHours = draft::QuietHours::Parse(parser.value(quiet).toStdString());
    if (!o->quietHours) {
      *error = "--quiet: two times of day, HH:MM-HH:MM (for example 23:00-08:00)";
      return false;
    }
  }
  if (parser.isSet(zone)) {
    const QByteArray name = parser.value(zone).toUtf8();
    if (!QTimeZone(name).isValid()) {
      *error = "--time-zone: no time zone is named " + name.toStdString() + " (for example Europe/Berlin)";
      return false;
    }
    o->timeZone = name.toStdString();
  }
  if (parser.isSet(notify)) {
    const QUrl url(parser.value(notify), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"http"_s && url.scheme() != u"https"_s) || url.host().isEmpty()) {
      *error = "--notify: an http:// or https:// address";
      return false;
    }
    o->notifyUrl = url.toString();
  }
  return true;
}

bool ReadWebOptions(const QCommandLineParser& parser, const QCommandLineOption& web, const QCommandLineOption& bind,
                    const QCommandLineOption& max, HeadlessOptions* o, std::string* error) {
  if (!parser.isSet(web)) {
    if (!parser.isSet(bind) && !parser.isSet(max)) return true;
    *error = "--web-bind and --web-max need --web";
    return false;
  }
#ifndef PICKMILL_WEB_BOARD
  *error = "--web: this PKServer was built without the web board (Qt HTTP Server and Qt WebSockets)";
  return false;
#endif
  int webPort = 0;
  if (!ReadNumber(parser.value(web), 0, 65535, &webPort)) {
    *error = "--web: a port number from 0 to 65535";
    return false;
  }
  o->webPort = static_cast<uint16_t>(webPort);
  if (parser.isSet(bind)) {
    o->webBind = parser.value(bind).trimmed();
    if (QHostAddress(o->webBind).isNull()) {
      *error = "--web-bind: an IP address of this machine, such as 127.0.0.1 or ::1";
      return false;
    }
  }
  if (parser.isSet(max) && !ReadNumber(parser.value(max), 1, 100000, &o->webMax)) {
    *error = "--web-max: a whole number from 1 to 100000";
    return false;
  }
  return true;
}

}  // namespace

std::optional<int64_t> StartTime(const QString& text, int64_t nowMs) {
  const QString t = text.trimmed();
  const QDateTime full = QDateTime::fromString(t, u"yyyy-MM-dd HH:mm"_s);
  if (full.isValid()) return full.toMSecsSinceEpoch();
  const QTime time = QTime::fromString(t, u"HH:mm"_s);
  if (!time.isValid()) return std::nullopt;
  const QDateTime now = QDateTime::fromMSecsSinceEpoch(nowMs);
  QDateTime at(now.date(), time);
  if (at.toMSecsSinceEpoch() <= nowMs) at = QDateTime(now.date().addDays(1), time);
  return at.toMSecsSinceEpoch();
}

bool WantsHeadless(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--headless") == 0) return true;
  return false;
}

bool ParseHeadlessOptions(const QStringList& arguments, HeadlessOptions* options, std::string* error) {
  QCommandLineParser parser;
  const QCommandLineOption headless(u"headless"_s);
  const QCommandLineOption freeAgents(u"free-agents"_s);
  const QCommandLineOption resume(u"resume"_s);
  const QCommandLineOption clear(u"clear"_s);
  const QCommandLineOption time(u"time"_s, QString(), u"SECONDS"_s);
  const QCommandLineOption autoRun(u"auto"_s);
  const QCommandLineOption order(u"order"_s, QString(), u"FILE"_s);
  const QCommandLineOption allowMissing(u"allow-missing"_s);
  const QCommandLineOption rounds(u"rounds"_s, QString(), u"N"_s);
  const QCommandLineOption snake(u"snake"_s);
  const QCommandLineOption ratings(u"ratings"_s, QString(), u"LIST"_s);
  const QCommandLineOption port(u"port"_s, QString(), u"N"_s);
  const QCommandLineOption absentTime(u"absent-time"_s, QString(), u"SECONDS"_s);
  const QCommandLineOption pause(u"pause"_s, QString(), u"SECONDS"_s);
  const QCommandLineOption start(u"start"_s, QString(), u"TIME"_s);
  const QCommandLineOption rejoinWait(u"rejoin-wait"_s, QString(), u"SECONDS"_s);
  const QCommandLineOption web(u"web"_s, QString(), u"PORT"_s);
  const QCommandLineOption webBind(u"web-bind"_s, QString(), u"ADDRESS"_s);
  const QCommandLineOption webMax(u"web-max"_s, QString(), u"N"_s);
  const QCommandLineOption quiet(u"quiet"_s, QString(), u"HOURS"_s);
  const QCommandLineOption timeZone(u"time-zone"_s, QString(), u"ZONE"_s);
  const QCommandLineOption notify(u"notify"_s, QString(), u"URL"_s);
  parser.addOptions({headless, freeAgents, resume,  clear, time,       autoRun, order, allowMissing,
                     rounds,   snake,      ratings, port,  absentTime, pause,   start, rejoinWait,
                     web,      webBind,    webMax,  quiet, timeZone,   notify});
  parser.addPositionalArgument(u"league"_s, QString());
  if (!parser.parse(arguments)) {
    *error = parser.errorText().toStdString();
    return false;
  }
  HeadlessOptions o;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    *error = positional.empty() ? "name the league file (LEAGUE.LGE)" : "name one league file only";
    return false;
  }
  o.leagueFile = PathText(positional.front());
  o.freeAgents = parser.isSet(freeAgents);
  if (parser.isSet(resume) && parser.isSet(clear)) {
    *error = "--resume and --clear exclude each other";
    return false;
  }
  if (parser.isSet(resume)) o.previous = HeadlessOptions::PreviousDraft::Resume;
  if (parser.isSet(clear)) o.previous = HeadlessOptions::PreviousDraft::Clear;
  if (!ReadSeconds(parser, time, 1, draft::kMaxPickSeconds, &o.timeAllowed, error) ||
      !ReadSeconds(parser, absentTime, 1, draft::kMaxPickSeconds, &o.absentTime, error) ||
      !ReadSeconds(parser, pause, 0, draft::kMaxPauseSeconds, &o.pause, error))
    return false;
  std::optional<int> rejoin;
  if (!ReadSeconds(parser, rejoinWait, 0, 3600, &rejoin, error)) return false;
  o.rejoinWait = rejoin.value_or(o.rejoinWait);
  if (parser.isSet(start)) {
    o.start = parser.value(start);
    if (!StartTime(o.start, 0)) {
      *error = "--start: a time HH:MM or a date and time YYYY-MM-DD HH:MM";
      return false;
    }
  }
  o.autoRun = parser.isSet(autoRun);
  if (parser.isSet(order)) o.orderFile = PathText(parser.value(order));
  o.allowMissing = parser.isSet(allowMissing);

  if (parser.isSet(rounds) && !ReadNumber(parser.value(rounds), 1, 1000, &o.rounds)) {
    *error = "--rounds: a whole number from 1 to 1000";
    return false;
  }
  o.snake = parser.isSet(snake);
  if (parser.isSet(ratings)) {
    std::string why;
    const std::optional<draft::Ratings> read = draft::ReadRatings(parser.value(ratings).toStdString(), &why);
    if (!read) {
      *error = "--ratings: " + why;
      return false;
    }
    o.ratings = *read;
  }
  int portNumber = protocol::kDraftPort;
  if (parser.isSet(port) && !ReadNumber(parser.value(port), 0, 65535, &portNumber)) {
    *error = "--port: a number from 0 to 65535";
    return false;
  }
  o.port = static_cast<uint16_t>(portNumber);
  if (!ReadWebOptions(parser, web, webBind, webMax, &o, error)) return false;
  if (!ReadSlowDraftOptions(parser, quiet, timeZone, notify, &o, error)) return false;
  const bool runOptions = parser.isSet(order) || parser.isSet(rounds) || parser.isSet(snake) || parser.isSet(ratings) ||
                          parser.isSet(absentTime) || parser.isSet(pause) || parser.isSet(start) || o.allowMissing ||
                          parser.isSet(quiet) || parser.isSet(timeZone);
  if (!o.autoRun && o.previous != HeadlessOptions::PreviousDraft::Resume && runOptions) {
    *error =
        "--order, --rounds, --snake, --ratings, --absent-time, --pause, --start, --quiet, --time-zone and "
        "--allow-missing need --auto";
    return false;
  }
  *options = o;
  return true;
}

}  // namespace pm::server
