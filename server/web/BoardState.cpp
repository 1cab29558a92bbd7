#include "server/web/BoardState.h"

#include <QJsonDocument>

#include <algorithm>

#include "common/Common.h"
#include "draft/DraftBoard.h"
#include "server/engine/DraftServer.h"

namespace pm::server::web {

namespace {

using namespace Qt::StringLiterals;

QString L1(const std::string& latin1) {
  return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()));
}

QString TeamName(const DraftServer& engine, int team) {
  return team >= 1 && team <= engine.TeamCount() ? L1(engine.Team(team).name) : QString();
}

QJsonObject LabelJson(draft::PickLabel label) { return {{u"r"_s, label.round}, {u"s"_s, label.selection}}; }

QString ClockState(const DraftClock& clock) {
  switch (clock.CurrentState()) {
    case DraftClock::State::Running: return u"running"_s;
    case DraftClock::State::WaitingForCommish: return u"commish"_s;
    case DraftClock::State::Paused: return u"paused"_s;
    case DraftClock::State::Idle: break;
  }
  return u"idle"_s;
}

// The picks of slots [from, end) that are not blank.
QJsonArray PicksFrom(const DraftServer& engine, std::size_t from) {
  QJsonArray picks;
  const auto& made = engine.Log().Slots();
  for (std::size_t i = from; i < made.size(); ++i)
    if (made[i]) picks.append(PickJson(engine, static_cast<int>(i) + 1, *made[i]));
  return picks;
}

}  // namespace

bool IsPublicChat(QStringView line) {
  return !line.startsWith(u"Private from "_s) && !line.startsWith(u"Private to "_s);
}

bool ChatLog::Add(int64_t at, const QString& line) {
  if (!IsPublicChat(line)) return false;
  lines_.push_back({at, line});
  if (lines_.size() > capacity_) lines_.pop_front();
  return true;
}

QJsonObject ChatLog::Json(const Line& line) {
  return {{u"at"_s, static_cast<double>(line.at)}, {u"text"_s, line.text}};
}

int BoardSelections(const DraftServer& engine) {
  const draft::DraftOrder& order = engine.Order();
  return order.teams.empty() ? engine.TeamCount() : static_cast<int>(order.teams.size());
}

QJsonObject PickJson(const DraftServer& engine, int slot, const draft::Pick& pick) {
  QJsonObject o{{u"n"_s, slot},
                {u"r"_s, pick.label.round},
                {u"s"_s, pick.label.selection},
                {u"o"_s, pick.label.Overall(BoardSelections(engine))},
                {u"team"_s, L1(pick.team)},
                {u"pid"_s, pick.pid},
                {u"player"_s, L1(pick.player)},
                {u"pos"_s, L1(pick.position)}};
  const int owner = engine.Order().TeamAt(pick.label.round, pick.label.selection);
  if (owner > 0 && engine.Team(owner).name != pick.team) o.insert(u"via"_s, TeamName(engine, owner));
  return o;
}

QJsonObject OrderJson(const DraftServer& engine) {
  const draft::DraftOrder& order = engine.Order();
  const int selections = BoardSelections(engine);
  QJsonArray names;
  for (const std::string& name : engine.TeamNames()) names.append(L1(name));
  // The owner of each pick now (a traded pick's new owner); the columns are
  // headed by the order's first round.
  QJsonArray owners;
  for (int r = 1; r <= order.rounds; ++r) {
    QJsonArray round;
    for (int s = 1; s <= selections; ++s) round.append(order.OwnerOf({r, s}));
    owners.append(round);
  }
  QJsonArray columns;
  for (int s = 1; s <= selections; ++s) columns.append(order.TeamAt(1, s));
  return {{u"names"_s, names},
          {u"rounds"_s, order.rounds},
          {u"selections"_s, selections},
          {u"owners"_s, owners},
          {u"columns"_s, columns}};
}

QJsonObject ClockJson(const DraftServer& engine) {
  const DraftClock& clock = engine.Clock();
  // A draft held with nobody on the clock (quiet hours between picks) is
  // paused too.
  if (!clock.OnClock()) return {{u"state"_s, engine.Paused() ? u"paused"_s : u"idle"_s}};
  return {{u"state"_s, ClockState(clock)},
          {u"team"_s, TeamName(engine, clock.Team())},
          {u"r"_s, clock.Label().round},
          {u"s"_s, clock.Label().selection},
          {u"seconds"_s, clock.WaitingForCommish() ? clock.SecondsGiven() : clock.SecondsLeft()},
          {u"running"_s, clock.Running()}};
}

QJsonObject NextJson(const DraftServer& engine) { return LabelJson(engine.NextLabel()); }

QJsonObject Snapshot(const DraftServer& engine, const ChatLog& chat) {
  QJsonArray lines;
  for (const ChatLog::Line& line : chat.Lines()) lines.append(ChatLog::Json(line));
  return {{u"t"_s, u"snapshot"_s},
          {u"league"_s, L1(engine.LeagueName())},
          {u"order"_s, OrderJson(engine)},
          {u"picks"_s, PicksFrom(engine, 0)},
          {u"clock"_s, ClockJson(engine)},
          {u"next"_s, NextJson(engine)},
          {u"chat"_s, lines}};
}

void SentState::Reset(const DraftServer& engine) {
  slots_ = engine.Log().Slots();
  clock_ = ClockJson(engine);
  next_ = NextJson(engine);
  order_ = OrderJson(engine);
}

std::optional<QJsonObject> SentState::Change(const DraftServer& engine, bool* needSnapshot) {
  *needSnapshot = false;
  const auto& made = engine.Log().Slots();
  QJsonArray deleted;
  bool otherChange = made.size() < slots_.size();
  for (std::size_t i = 0; i < std::min(made.size(), slots_.size()) && !otherChange; ++i) {
    if (made[i] == slots_[i]) continue;
    if (slots_[i] && !made[i])
      deleted.append(static_cast<int>(i) + 1);
    else
      otherChange = true;
  }
  if (otherChange) {
    *needSnapshot = true;
    return std::nullopt;
  }
  QJsonObject change;
  const QJsonArray added = PicksFrom(engine, slots_.size());
  if (!added.isEmpty()) change.insert(u"picks"_s, added);
  if (!deleted.isEmpty()) change.insert(u"deleted"_s, deleted);
  const auto changed = [&change](const QString& key, QJsonObject now, QJsonObject& sent) {
    if (now == sent) return;
    change.insert(key, now);
    sent = std::move(now);
  };
  changed(u"clock"_s, ClockJson(engine), clock_);
  changed(u"next"_s, NextJson(engine), next_);
  changed(u"order"_s, OrderJson(engine), order_);
  slots_ = made;
  if (change.isEmpty()) return std::nullopt;
  change.insert(u"t"_s, u"update"_s);
  return change;
}

QByteArray DraftCsv(const DraftServer& engine) {
  return QByteArray::fromStdString(draft::PicksCsv(engine.Log().Picks(), BoardSelections(engine)));
}

QByteArray JsonText(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

}  // namespace pm::server::web
