#include "protocol/Messages.h"

#include <algorithm>
#include <climits>

#include "common/Common.h"

namespace pm::protocol::in {

namespace {

// Field 1 of field 4 as a 16-bit number (a PID, the seconds of N).
std::optional<int> FirstNumber(const Message& m) {
  const std::optional<int16_t> n = ToInt16(BodyField(m, 1));
  return n ? std::optional<int>(*n) : std::nullopt;
}

// The seconds of N or Q: from 0 to a day; a plain server sends at most
// 16 bits' worth.
std::optional<int> ClockSeconds(const Message& m) {
  const long long n = LeadingNumber(BodyField(m, 1));
  if (n < INT16_MIN || n > kMaxLongClockSeconds) return std::nullopt;
  return static_cast<int>(n);
}

std::optional<FromServer> DecodeWhoElse(const Message& m) {
  WhoElse w;
  for (int i = 1;; ++i) {
    const std::string listed = BodyField(m, i);
    if (listed.empty()) break;  // the list ends at its first empty field
    const std::optional<int16_t> team = ToInt16(listed);
    if (!team) return std::nullopt;
    w.teams.push_back(*team);
  }
  return w;
}

std::optional<FromServer> DecodePickRecord(const Message& m) {
  if (m.body.empty()) return PickRecord{};
  if (!FirstNumber(m)) return std::nullopt;
  return PickRecord{draft::ParsePick(m.body, ",")};
}

std::optional<FromServer> DecodePicked(const Message& m) {
  const std::optional<int> pid = FirstNumber(m);
  if (!pid) return std::nullopt;
  draft::Pick pick{*pid, "", BodyField(m, 2), BodyField(m, 3),
                   draft::PickLabel::Parse(BodyField(m, 4)).value_or(draft::PickLabel{})};
  return Picked{m.from, std::move(pick)};
}

// The owners of an O part: team numbers, at most kOrderPart of them, inside
// the bound of an order.
std::optional<FromServer> DecodeOrder(const Message& m) {
  Order o{m.from, m.to, {}};
  if (o.perRound < 0 || o.first < 0 || o.first >= kMaxOrderLabels) return std::nullopt;
  std::size_t start = 0;
  while (start < m.body.size()) {
    const std::size_t comma = std::min(m.body.find(',', start), m.body.size());
    const std::optional<int16_t> team = ToInt16(std::string_view(m.body).substr(start, comma - start));
    if (comma == start || !team || *team < 0) return std::nullopt;
    o.teams.push_back(*team);
    start = comma + 1;
    if (comma == m.body.size() - 1) return std::nullopt;  // a last entry left empty
  }
  const auto count = static_cast<int>(o.teams.size());
  if (count > kOrderPart || o.first + count > kMaxOrderLabels) return std::nullopt;
  return o;
}

}  // namespace

bool UnknownToClient(const Message& m) {
  return m.valid && (m.codeText.size() != 1 || kServerToClientCodes.find(m.code) == std::string_view::npos);
}

std::optional<FromServer> DecodeFromServer(const Message& m) {
  if (!m.valid || UnknownToClient(m)) return std::nullopt;
  switch (m.code) {
    case kRefused: return Refused{m.body};
    case kAccepted: return Accepted{Features::Parse(m.body)};
    case kWhoElse: return DecodeWhoElse(m);
    case kSignedOn: return SignedOn{m.from};
    case kLeft: return Left{m.from};
    case kPickRecord: return DecodePickRecord(m);
    case kChatRelay: return Chat{m.from, m.body};
    case kPrivateOut: return Private{m.from, m.body};
    case kOnClock: {
      const std::optional<int> seconds = ClockSeconds(m);
      if (!seconds) return std::nullopt;
      return OnClock{m.to, *seconds, draft::PickLabel::Parse(BodyField(m, 2))};
    }
    case kPaused: {
      const std::optional<int> seconds = ClockSeconds(m);
      if (!seconds || *seconds < 0) return std::nullopt;
      return Paused{m.to, *seconds, draft::PickLabel::Parse(BodyField(m, 2))};
    }
    case kTimedOut: return TimedOut{m.to, m.body};
    case kHalted: return Halted{m.to};
    case kPicked: return DecodePicked(m);
    case kTaken: {
      const std::optional<int> pid = FirstNumber(m);
      if (!pid) return std::nullopt;
      return Taken{m.from, *pid, BodyField(m, 2), BodyField(m, 3)};
    }
    case kDeleted: return Deleted{draft::PickLabel::Parse(m.body)};
    case kDraftOver: return DraftOver{};
    case kOrder: return DecodeOrder(m);
    default: return std::nullopt;
  }
}

}  // namespace pm::protocol::in

namespace pm::protocol::from_client {

Login DecodeLogin(const Message& m) {
  return {BodyField(m, 1), LeadingNumber(BodyField(m, 2)), BodyField(m, 3), Features::Parse(BodyField(m, 4))};
}

Selection DecodeSelection(const Message& m) {
  const std::string field = BodyField(m, 1);
  const long long pid = LeadingNumber(field);
  const std::string text = Trim(field);
  // Never long: a refusal quotes what was sent.
  constexpr std::size_t kShownDigits = 12;
  return {pid >= 1 && pid <= kMaxPid ? static_cast<int>(pid) : 0,
          text.size() > kShownDigits ? text.substr(0, kShownDigits) + "..." : text};
}

std::optional<int> DecodePickRequest(const Message& m) {
  const std::optional<int16_t> n = ToInt16(m.body);
  return n ? std::optional<int>(*n) : std::nullopt;
}

}  // namespace pm::protocol::from_client
