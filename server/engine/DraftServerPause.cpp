// The draft server's pause, quiet hours, the clock kept on disk for slow
// drafts, traded picks during the draft, and the word for owners who are
// away (draftEvent, which the webhook posts).
#include <QDateTime>
#include <QTimeZone>

#include <set>

#include "common/Common.h"
#include "common/ErrorContexts.h"
#include "common/Files.h"
#include "server/engine/DraftServer.h"

namespace pm::server {

using draft::PickLabel;
using namespace Qt::StringLiterals;

// ------------------------------------------------------------------ pause

bool DraftServer::PauseDraft() {
  if (!leagueLoaded_ || pausedByCommish_) return false;
  SetPaused(true, inQuietHours_);
  return true;
}

bool DraftServer::ResumeDraft() {
  if (!pausedByCommish_) return false;
  // Quiet hours that began during the pause go on holding the draft.
  SetPaused(false, QuietNow());
  return true;
}

void DraftServer::SetPaused(bool byCommish, bool quiet) {
  const bool was = Paused();
  pausedByCommish_ = byCommish;
  inQuietHours_ = quiet;
  if (was != Paused()) {
    if (Paused()) {
      clock_.Pause();
      Announce(PauseLine());
      if (clock_.Paused()) {
        SendClock();
        QJsonObject fields = ClockEventFields();
        fields.insert(u"seconds"_s, clock_.SecondsLeft());
        Notify("paused", fields, PauseLine());
      } else {
        Notify("paused", {}, PauseLine());
      }
    } else {
      clock_.Resume();
      if (clock_.Running()) {
        Announce("The draft goes on: " + Team(clock_.Team()).name + " is on the clock with pick " +
                 clock_.Label().Text() + " and " + Num(clock_.SecondsLeft()) + " seconds left.");
        SendClock();
        StartTicking();
        Notify("on_the_clock", ClockEventFields(), OnClockLine());
      } else {
        Announce("The draft goes on.");
      }
      SetRunStatus("");
    }
    SaveClock();
    emit clockChanged();
  }
  if (Paused() && run_.On() && !clock_.OnClock()) SetRunStatus(PauseLine());
  emit pauseChanged();
}

std::string DraftServer::PauseLine() const {
  if (pausedByCommish_) return "The Commish has paused the draft.";
  const auto& hours = Order().settings.quietHours;
  return "Quiet hours: the draft is paused until " + (hours ? hours->Text().substr(6) : std::string("they end")) + ".";
}

// ------------------------------------------------------------ quiet hours

void DraftServer::SetQuietHours(std::optional<draft::QuietHours> hours, const std::string& timeZone) {
  run_.Settings().quietHours = hours;
  run_.Settings().timeZone = timeZone;
  if (leagueLoaded_) UpdateQuietHours();
}

bool DraftServer::QuietNow() const {
  const auto& settings = Order().settings;
  if (!settings.quietHours) return false;
  const QTimeZone zone =
      settings.timeZone.empty() ? QTimeZone::systemTimeZone() : QTimeZone(QByteArray::fromStdString(settings.timeZone));
  const QDateTime now =
      QDateTime::fromMSecsSinceEpoch(wallClock(), zone.isValid() ? zone : QTimeZone::systemTimeZone());
  return settings.quietHours->Holds(now.time().hour() * 60 + now.time().minute());
}

bool DraftServer::UpdateQuietHours() {
  const bool quiet = QuietNow();
  if (quiet == inQuietHours_) return false;
  SetPaused(pausedByCommish_, quiet);
  return true;
}

// --------------------------------------------------------- the clock file

void DraftServer::SaveClock() {
  if (clockFile_.empty()) return;
  if (!clock_.Running() && !clock_.Paused()) {
    draft::RemoveClockFile(clockFile_);
    return;
  }
  draft::SavedClock saved{Team(clock_.Team()).name, clock_.Label(), clock_.SecondsLeft(), 0, clock_.Paused()};
  if (clock_.Running()) saved.deadline = wallClock() / 1000 + clock_.SecondsLeft();
  const std::string err = draft::WriteClockFile(clockFile_, saved);
  // The draft goes on without it: only a restart would miss the time left.
  if (!err.empty()) reporter_.Note(context::kSaveClock, kErrDeviceIO, ErrorDescription(kErrDeviceIO) + ": " + err);
}

std::optional<int> DraftServer::RestoredSeconds(int t, PickLabel label) {
  if (!savedClock_ || savedClock_->label != label || savedClock_->team != Team(t).name) return std::nullopt;
  const int64_t left = savedClock_->paused ? savedClock_->secondsLeft : savedClock_->deadline - wallClock() / 1000;
  // A deadline that passed while the server was down still leaves a moment
  // (never more than a pick of that round is given).
  const int floor = std::min(kRestoredClockFloorSeconds, run_.SecondsFor(label.round, true));
  return static_cast<int>(std::clamp<int64_t>(left, floor, kMaxClockSeconds));
}

QJsonObject DraftServer::ClockEventFields() const {
  QJsonObject fields{{u"team"_s, L1(Team(clock_.Team()).name)}, {u"label"_s, L1(clock_.Label().Text())}};
  // A paused clock has no deadline: nobody's time runs.
  if (clock_.Running()) fields.insert(u"deadline"_s, Deadline().toString(Qt::ISODate));
  return fields;
}

bool DraftServer::SetNotifyUrl(const QString& url) { return notifier_.SetUrl(url); }

void DraftServer::Notify(const char* event, QJsonObject fields, const std::string& text) {
  fields.insert(u"text"_s, L1(text));
  fields.insert(u"content"_s, L1(text));
  emit draftEvent(QString::fromLatin1(event), fields);
  notifier_.Post(QString::fromLatin1(event), fields);
}

void DraftServer::NotifyFailed(const QString& line) {
  AddPubChat(line.toLatin1().toStdString());
  reporter_.Note(context::kNotify, kErrDeviceIO, line.toStdString());
}

QDateTime DraftServer::Deadline() const {
  return QDateTime::fromMSecsSinceEpoch(wallClock() + int64_t{clock_.SecondsLeft()} * 1000, QTimeZone::utc());
}

std::string DraftServer::OnClockLine() const {
  std::string line = Team(clock_.Team()).name + " is on the clock with pick " + clock_.Label().Text();
  if (clock_.Running()) line += " (until " + Deadline().toString(u"yyyy-MM-dd HH:mm"_s).toStdString() + " UTC)";
  return line + ".";
}

// ----------------------------------------------------------- traded picks

bool DraftServer::TradePick(PickLabel label, int team) {
  const draft::DraftOrder& order = Order();
  if (!order.Has(label) || team < 0 || team > TeamCount()) return false;
  draft::DraftOrder traded = order;
  if (team == 0 || team == order.TeamAt(label.round, label.selection))
    traded.traded.erase(label);
  else
    traded.traded[label] = team;
  SetOrder(traded);
  return true;
}

void DraftServer::AnnounceTrades(const draft::DraftOrder& before) {
  const draft::DraftOrder& after = Order();
  std::set<PickLabel> labels;
  for (const auto& trade : before.traded) labels.insert(trade.first);
  for (const auto& trade : after.traded) labels.insert(trade.first);
  for (const PickLabel label : labels) {
    const int owner = after.OwnerOf(label);
    if (owner == 0 || owner == before.OwnerOf(label)) continue;
    const int original = after.TeamAt(label.round, label.selection);
    Announce(owner == original ? "Pick " + label.Text() + " goes back to " + Team(owner).name + "."
                               : "Pick " + label.Text() + " now belongs to " + Team(owner).name + " (via " +
                                     Team(original).name + ").");
    // The pick on the clock moves to its new owner with the time it had.
    if (clock_.OnClock() && clock_.Label() == label && clock_.Team() != owner) {
      const int seconds = clock_.WaitingForCommish() ? clock_.SecondsGiven() : clock_.SecondsLeft();
      sessions_.SendSignedOn(protocol::Halted(clock_.Team()));
      StartClock(owner, label, std::max(1, seconds));
    }
  }
}

}  // namespace pm::server
