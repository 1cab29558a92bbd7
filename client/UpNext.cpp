#include "client/UpNext.h"

#include <algorithm>
#include <set>

using namespace Qt::StringLiterals;

namespace pm::client {

namespace {

std::set<draft::PickLabel> MadeLabels(const draft::PickList& made) {
  std::set<draft::PickLabel> labels;
  for (const std::optional<draft::Pick>& pick : made.Slots())
    if (pick) labels.insert(pick->label);
  return labels;
}

QString LabelText(draft::PickLabel label) { return QString::fromStdString(label.Text()); }

}  // namespace

UpNext ComputeUpNext(const std::vector<int>& owners, int perRound, const draft::PickList& made,
                     std::optional<draft::PickLabel> current, int ownTeam, int count) {
  UpNext next;
  if (perRound <= 0 || owners.empty()) return next;
  const std::set<draft::PickLabel> done = MadeLabels(made);
  const int total = static_cast<int>(owners.size());
  int first = 0;
  if (current && current->Fits(perRound)) first = current->Overall(perRound) - 1;
  int before = 0;
  for (int i = first; i < total; ++i) {
    const draft::PickLabel label = draft::PickLabel::FromOverall(i + 1, perRound);
    const bool inProgress = current && label == *current;
    if (!inProgress && done.contains(label)) continue;
    if (next.picks.empty()) next.running = inProgress;
    const int team = owners[static_cast<std::size_t>(i)];
    const bool own = team == ownTeam && ownTeam > 0;
    if (static_cast<int>(next.picks.size()) < count) next.picks.push_back({label, team, own});
    if (own && !next.ownNext) {
      next.ownNext = label;
      next.picksBefore = before;
    }
    if (next.ownNext && static_cast<int>(next.picks.size()) >= count) break;
    ++before;
  }
  next.over = next.picks.empty();
  return next;
}

QString OwnNextText(const UpNext& next) {
  if (!next.ownNext) return {};
  const QString label = LabelText(*next.ownNext);
  if (next.OnTheClock()) return u"You are on the clock \u2014 pick "_s + label;
  if (next.picksBefore == 0) return u"You are up next \u2014 pick "_s + label;
  if (next.OnDeck()) return u"You are on deck \u2014 pick "_s + label;
  return u"Your next pick: %1, in %2 picks"_s.arg(label).arg(next.picksBefore);
}

QString UpNextHeadline(const UpNext& next) {
  if (next.over) return u"The draft is over."_s;
  QString own = OwnNextText(next);
  if (!own.isEmpty()) return own;
  return next.picks.empty() ? u"No draft order known."_s : u"No pick of yours left."_s;
}

QString ClockText(int seconds) {
  seconds = std::max(seconds, 0);
  const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
  if (h > 0) return u"%1:%2:%3"_s.arg(h).arg(m, 2, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'));
  return u"%1:%2"_s.arg(m).arg(s, 2, 10, QChar(u'0'));
}

QString BannerText(const BannerState& state) {
  if (!state.onClock) return {};
  QString text = state.own ? u"You are on the clock"_s : QString::fromLatin1(state.team) + u" is on the clock"_s;
  if (state.label) text += u" \u2014 pick "_s + LabelText(*state.label);
  return text + u" \u2014 "_s + (state.paused ? u"Paused"_s : ClockText(state.seconds));
}

std::vector<int> OrderedTeams(const std::vector<int>& owners, int perRound) {
  if (perRound <= 0 || owners.size() < static_cast<std::size_t>(perRound)) return owners;
  const auto n = static_cast<std::size_t>(perRound);
  int sameWay = 0, otherWay = 0;
  for (std::size_t s = 0; s < n && n + s < owners.size(); ++s) {
    sameWay += owners[n + s] == owners[s];
    otherWay += owners[n + s] == owners[n - 1 - s];
  }
  const bool snake = otherWay > sameWay;
  std::vector<int> teams(owners.size());
  for (std::size_t i = 0; i < owners.size(); ++i) {
    const std::size_t s = i % n;
    teams[i] = owners[snake && (i / n) % 2 == 1 ? n - 1 - s : s];
  }
  return teams;
}

}  // namespace pm::client
