#include "server/headless/HeadlessOptions.h"

#include <QCommandLineParser>
#include <QFile>

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

}  // namespace

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
  parser.addOptions(
      {headless, freeAgents, resume, clear, time, autoRun, order, allowMissing, rounds, snake, ratings, port});
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
  o.leagueFile = QFile::encodeName(positional.front()).toStdString();
  o.freeAgents = parser.isSet(freeAgents);
  if (parser.isSet(resume) && parser.isSet(clear)) {
    *error = "--resume and --clear exclude each other";
    return false;
  }
  if (parser.isSet(resume)) o.previous = HeadlessOptions::PreviousDraft::Resume;
  if (parser.isSet(clear)) o.previous = HeadlessOptions::PreviousDraft::Clear;
  if (parser.isSet(time) && !ReadNumber(parser.value(time), 1, 32767, &o.timeAllowed)) {
    *error = "--time: a whole number of seconds from 1 to 32767";
    return false;
  }
  o.autoRun = parser.isSet(autoRun);
  if (parser.isSet(order)) o.orderFile = QFile::encodeName(parser.value(order)).toStdString();
  o.allowMissing = parser.isSet(allowMissing);
  if (o.allowMissing && !parser.isSet(order)) {
    *error = "--allow-missing needs --order";
    return false;
  }
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
  if (!o.autoRun && (parser.isSet(order) || parser.isSet(rounds) || parser.isSet(snake) || parser.isSet(ratings))) {
    *error = "--order, --rounds, --snake and --ratings need --auto";
    return false;
  }
  *options = o;
  return true;
}

}  // namespace pm::server
