// The draft as the web board shows it, built from the engine's accessors:
// the whole state as one JSON object (the page's first message and
// /board.json), what changed since the state a viewer last got, the draft
// as CSV, and which chat lines are public.
//
// JSON texts are UTF-8 (the engine's Latin-1 converted). A pick is
//   {"n": slot, "r": round, "s": selection, "o": overall, "team", "pid",
//    "player", "pos", "via": the team the order gives that label (only when
//    another team made the pick)};
// the order is {"names": team names (team 1 first), "rounds", "selections",
//   "owners": per round, the team number of each selection (0: none)};
// the clock is {"state": "idle" | "running" | "commish", "team", "r", "s",
//   "seconds", "running"}; "next" is the label of the next pick {"r", "s"};
// a chat line is {"at": milliseconds since the epoch, "text"}.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "draft/Pick.h"

namespace pm::server {
class DraftServer;
}

namespace pm::server::web {

// A line of the server's chat may be shown to anyone: not a private line to
// or from a team ("Private from ...", "Private to ...").
bool IsPublicChat(QStringView line);

// The last public chat lines, oldest first, at most `capacity` of them.
class ChatLog {
 public:
  struct Line {
    int64_t at = 0;
    QString text;
  };
  explicit ChatLog(std::size_t capacity) : capacity_(capacity) {}
  // Keeps `line` when it is public; false (nothing kept) when it is not.
  bool Add(int64_t at, const QString& line);
  const std::deque<Line>& Lines() const { return lines_; }
  static QJsonObject Json(const Line& line);

 private:
  std::size_t capacity_;
  std::deque<Line> lines_;
};

QJsonObject PickJson(const DraftServer& engine, int slot, const draft::Pick& pick);
QJsonObject OrderJson(const DraftServer& engine);
QJsonObject ClockJson(const DraftServer& engine);
QJsonObject NextJson(const DraftServer& engine);
// The selections in a round of the board: the order's teams, else the league's.
int BoardSelections(const DraftServer& engine);

// The whole state: {"t": "snapshot", "league", "order", "picks" (in the
// order made, blank slots left out), "clock", "next", "chat"}.
QJsonObject Snapshot(const DraftServer& engine, const ChatLog& chat);

// What a viewer was last sent, to find what changed since.
class SentState {
 public:
  // Takes the engine's state as sent (after a snapshot).
  void Reset(const DraftServer& engine);
  // The change since the state last taken, which it then takes: {"t":
  // "update"} with "picks" (new ones), "deleted" (slots blanked), "clock"
  // and "next", "order" where they changed. Nothing when nothing changed;
  // a whole snapshot is needed (`needSnapshot`) when the picks changed in
  // another way (a merge, a new load).
  std::optional<QJsonObject> Change(const DraftServer& engine, bool* needSnapshot);

 private:
  std::vector<std::optional<draft::Pick>> slots_;
  QJsonObject clock_;
  QJsonObject next_;
  QJsonObject order_;
};

// The CSV of /draft.csv: a UTF-8 byte-order mark, the header row
// "Round,Selection,Overall,Team,PID,Player,Position", then one row per pick
// in the order made (CR LF line ends, fields as RFC 4180 quotes them).
QByteArray DraftCsv(const DraftServer& engine);

// A JSON object as the compact UTF-8 text that goes on the wire.
QByteArray JsonText(const QJsonObject& object);

}  // namespace pm::server::web
