#include "protocol/Protocol.h"

#include <algorithm>

#include "common/Common.h"

namespace pm::protocol {

namespace {

std::string Head(char code, int a, int b) {
  std::string s(1, code);
  s += '|';
  s += Num(a);
  s += '|';
  s += Num(b);
  return s;
}

std::string WithBody(char code, int a, int b, std::string_view body) {
  std::string s = Head(code, a, b);
  s += '|';
  s.append(body);
  return s;
}

// The leading decimal number of a version text: whole digits and fraction
// digits, leading zeros of the whole and trailing zeros of the fraction
// dropped, so that equal numbers give equal texts. Leading blanks are
// skipped; what follows the number is not read.
void LeadingDecimal(std::string_view text, std::string& whole, std::string& fraction) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) i = text.size();
  const auto digits = [&] {
    const std::size_t from = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return std::string(text.substr(from, i - from));
  };
  whole = digits();
  fraction.clear();
  if (i < text.size() && text[i] == '.') {
    ++i;
    fraction = digits();
  }
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
}

struct FeatureName {
  Feature feature;
  std::string_view word;
};
constexpr FeatureName kFeatureNames[] = {
    {Feature::Lines, "lines"},    {Feature::WholeCatchUp, "all"}, {Feature::WishList, "wish"},
    {Feature::DraftOver, "over"}, {Feature::Order, "order"},      {Feature::Pause, "pause"},
    {Feature::LongClock, "days"},
};

}  // namespace

std::string RefusalText(int reason) {
  switch (reason) {
    case kRefuseLeague: return "You are not using the correct league. Contact the commish for details.";
    case kRefuseVersion: return "You are using an incorrect version of Pickmill Client. Contact the commish.";
    case kRefusePlayerCount:
      return "The league files you have selected appear to be different that what the commish is using.";
    case kRefuseSignedOn: return "The team you selected is already signed on. Contact the commish.";
    case kRefuseKicked: return "You have been kicked out of the draft by the commish.";
    default: return {};
  }
}

std::string RefusalText(std::string_view reasonField) {
  const std::string reason = Trim(reasonField);
  if (reason.empty() || reason[0] < '0' || reason[0] > '9') return {};
  const long long number = LeadingNumber(reason);
  return number <= kRefuseKicked ? RefusalText(static_cast<int>(number)) : std::string();
}

int CompareVersions(std::string_view a, std::string_view b) {
  std::string aw, af, bw, bf;
  LeadingDecimal(a, aw, af);
  LeadingDecimal(b, bw, bf);
  if (aw.size() != bw.size()) return aw.size() < bw.size() ? -1 : 1;
  if (aw != bw) return aw < bw ? -1 : 1;
  const std::size_t n = std::max(af.size(), bf.size());
  af.resize(n, '0');
  bf.resize(n, '0');
  if (af == bf) return 0;
  return af < bf ? -1 : 1;
}

Features::Features(std::initializer_list<Feature> features) {
  for (Feature f : features) bits_ |= static_cast<unsigned>(f);
}

Features Features::All() {
  Features all;
  for (const FeatureName& f : kFeatureNames) all.bits_ |= static_cast<unsigned>(f.feature);
  return all;
}

Features Features::Parse(std::string_view text) {
  Features out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t plus = text.find('+', start);
    if (plus == std::string_view::npos) plus = text.size();
    const std::string word = Trim(text.substr(start, plus - start));
    for (const FeatureName& f : kFeatureNames)
      if (word == f.word) out.bits_ |= static_cast<unsigned>(f.feature);
    start = plus + 1;
  }
  return out;
}

Features Features::SharedWith(Features other) const {
  Features out;
  out.bits_ = bits_ & other.bits_;
  return out;
}

std::string Features::Text() const {
  std::string out;
  for (const FeatureName& f : kFeatureNames) {
    if (!Has(f.feature)) continue;
    if (!out.empty()) out += '+';
    out += f.word;
  }
  return out;
}

std::string CutChat(std::string_view text) {
  std::size_t bar = text.find('|');
  return std::string(bar == std::string_view::npos ? text : text.substr(0, bar));
}

// ------------------------------------------------------------- builders ----

std::string Login(int team, std::string_view version, int playerCount, std::string_view leagueName, Features features) {
  std::string body(version);
  body += ',';
  body += Num(playerCount);
  body += ',';
  body.append(leagueName);
  if (!features.Empty()) body += "," + features.Text();
  return WithBody(kLogin, team, 0, body);
}

std::string PickRequest(int team, int n) { return WithBody(kPickRequest, team, 0, Num(n)); }

std::string Draft(int team, int pid, std::string_view playerName, std::string_view position) {
  std::string body = Num(pid);
  body += ',';
  body.append(playerName);
  body += ',';
  body.append(position);
  return WithBody(kDraft, team, 0, body);
}

std::string Chat(int team, std::string_view text) { return WithBody(kChat, team, 0, CutChat(text)); }

std::string PrivateLine(int team, int to, std::string_view text) { return WithBody(kPrivate, team, to, CutChat(text)); }

std::string TimeUp(int team) { return WithBody(kTimeUp, team, 0, kTimeUpText); }

std::vector<std::string> WishList(int team, const std::vector<int>& pids) {
  const std::size_t count = std::min(pids.size(), static_cast<std::size_t>(kMaxWishList));
  std::vector<std::string> messages;
  std::size_t first = 0;
  do {
    const std::size_t end = std::min(count, first + static_cast<std::size_t>(kWishListPart));
    std::string body;
    for (std::size_t i = first; i < end; ++i) {
      if (i > first) body += ',';
      body += Num(pids[i]);
    }
    messages.push_back(WithBody(kWishList, team, static_cast<int>(first), body));
    first = end;
  } while (first < count);
  return messages;
}

std::string SignedOn(int team) { return WithBody(kSignedOn, team, 0, ""); }

std::string Refused(int reason) { return WithBody(kRefused, 0, 0, Num(reason)); }

std::string WhoElse(int team, const std::vector<int>& others) {
  std::string list;
  for (std::size_t i = 0; i < others.size(); ++i) {
    if (i) list += ',';
    list += Num(others[i]);
  }
  return WithBody(kWhoElse, 0, team, list);
}

std::string Accepted(int team, Features shared) { return WithBody(kAccepted, 0, team, shared.Text()); }

std::string PickRecordMessage(int team, const draft::Pick& pick) {
  return WithBody(kPickRecord, 0, team,
                  Num(pick.pid) + "," + pick.team + "," + pick.player + "," + pick.position + "," + pick.label.Text());
}

std::string CatchUpEnd(int team) { return WithBody(kPickRecord, 0, team, ""); }

std::string Picked(int team, const draft::Pick& pick) {
  return WithBody(kPicked, team, 0, Num(pick.pid) + "," + pick.player + "," + pick.position + "," + pick.label.Text());
}

std::string Taken(int team, int pid, std::string_view playerName, std::string_view position) {
  std::string body = Num(pid);
  body += ',';
  body.append(playerName);
  body += ',';
  body.append(position);
  return WithBody(kTaken, team, 0, body);
}

std::string ChatRelay(int from, std::string_view text) { return WithBody(kChatRelay, from, 0, CutChat(text)); }

std::string PrivateOut(int from, int to, std::string_view text) {
  return WithBody(kPrivateOut, from, to, CutChat(text));
}

std::string Left(int team) { return WithBody(kLeft, team, 0, ""); }

int ClockSecondsFor(int seconds, Features features) {
  return std::min(seconds, features.Has(Feature::LongClock) ? kMaxLongClockSeconds : kMaxPlainClockSeconds);
}

std::string Paused(int team, int seconds, draft::PickLabel label) {
  return WithBody(kPaused, 0, team, Num(seconds) + "," + label.Text());
}

std::string OnClock(int team, int seconds, draft::PickLabel label) {
  return WithBody(kOnClock, 0, team, Num(seconds) + "," + label.Text());
}

std::string TimedOut(int team, std::string_view teamName) {
  std::string body(teamName);
  body.append(kTimedOutSuffix);
  return WithBody(kTimedOut, 0, team, body);
}

std::string Halted(int team) { return Head(kHalted, 0, team); }

std::string Deleted(draft::PickLabel label) { return WithBody(kDeleted, 0, 0, label.Text()); }

std::string DraftOver() { return WithBody(kDraftOver, 0, 0, ""); }

std::vector<std::string> Order(int perRound, const std::vector<int>& owners) {
  const std::size_t count = std::min(owners.size(), static_cast<std::size_t>(kMaxOrderLabels));
  std::vector<std::string> parts;
  std::size_t first = 0;
  do {
    const std::size_t end = std::min(count, first + static_cast<std::size_t>(kOrderPart));
    std::string body;
    for (std::size_t i = first; i < end; ++i) body += (i > first ? "," : "") + Num(owners[i]);
    parts.push_back(WithBody(kOrder, perRound, static_cast<int>(first), body));
    first = end;
  } while (first < count);
  return parts;
}

std::string OrderEntry(int perRound, int index, int team) { return WithBody(kOrder, perRound, index, Num(team)); }

// --------------------------------------------------------------- reader ----

Message ParseMessage(std::string_view text) {
  Message m;
  m.raw.assign(text);
  m.codeText = GetField(text, 1, "|");
  m.code = m.codeText.empty() ? 0 : m.codeText[0];
  auto f2 = ToInt16(GetField(text, 2, "|"));
  auto f3 = ToInt16(GetField(text, 3, "|"));
  m.from = f2.value_or(0);
  m.to = f3.value_or(0);
  const std::string body = GetField(text, 4, "|");
  m.body = BlankControls(body);
  m.hadControls = m.body != body;
  m.valid = !m.codeText.empty() && f2.has_value() && f3.has_value();
  return m;
}

bool ParseWishListPart(std::string_view body, std::vector<int>* pids) {
  pids->clear();
  if (body.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = body.find(',', start);
    const std::string_view field = body.substr(start, comma == std::string_view::npos ? body.npos : comma - start);
    if (field.empty() || field.size() > 5) return false;
    int pid = 0;
    for (char c : field) {
      if (c < '0' || c > '9') return false;
      pid = pid * 10 + (c - '0');
    }
    if (pid < 1 || pid > 65535 || static_cast<int>(pids->size()) == kWishListPart) return false;
    pids->push_back(pid);
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

std::string BlankControls(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
  return out;
}

std::string BodyField(const Message& m, int n) { return GetField(m.body, n, ","); }

}  // namespace pm::protocol
