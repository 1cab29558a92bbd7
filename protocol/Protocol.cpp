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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses "[-]digits[.digits]" after trimming; false when it is anything else.
bool SplitDecimal(std::string_view text, std::string& whole, std::string& fraction) {
  std::string t = Trim(text);
  std::size_t i = 0;
  while (i < t.size() && IsDigit(t[i])) ++i;
  if (i == 0) return false;
  whole = t.substr(0, i);
  fraction.clear();
  if (i < t.size()) {
    if (t[i] != '.') return false;
    std::size_t j = i + 1;
    while (j < t.size() && IsDigit(t[j])) ++j;
    if (j != t.size()) return false;
    fraction = t.substr(i + 1);
  }
  std::size_t lead = whole.find_first_not_of('0');
  whole = lead == std::string::npos ? "" : whole.substr(lead);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  return true;
}

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

int CompareVersions(std::string_view a, std::string_view b, bool* ok) {
  std::string aw, af, bw, bf;
  bool good = SplitDecimal(a, aw, af) && SplitDecimal(b, bw, bf);
  if (ok) *ok = good;
  if (!good) return 0;
  if (aw.size() != bw.size()) return aw.size() < bw.size() ? -1 : 1;
  if (aw != bw) return aw < bw ? -1 : 1;
  std::size_t n = std::max(af.size(), bf.size());
  af.resize(n, '0');
  bf.resize(n, '0');
  if (af == bf) return 0;
  return af < bf ? -1 : 1;
}

std::string CutChat(std::string_view text) {
  std::size_t bar = text.find('|');
  return std::string(bar == std::string_view::npos ? text : text.substr(0, bar));
}

// ------------------------------------------------------------- builders ----

std::string Login(int team, std::string_view version, int playerCount, std::string_view leagueName) {
  std::string body(version);
  body += ',';
  body += Num(playerCount);
  body += ',';
  body.append(leagueName);
  return WithBody(kLogin, team, 0, body);
}

std::string PickRequest(int team, int n) { return WithBody(kPickRequest, team, 0, Num(n)); }

std::string Draft(int team, std::string_view pidText, std::string_view playerName, std::string_view position) {
  std::string body(pidText);
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

std::string PickRecordMessage(int team, std::string_view pickRecord) {
  std::string body;
  for (int f = 1; f <= 5; ++f) {
    if (f > 1) body += ',';
    body += GetField(pickRecord, f, "|");
  }
  return WithBody(kPickRecord, 0, team, body);
}

std::string Picked(int team, std::string_view draftBody, std::string_view roundSel) {
  std::string body(draftBody);
  body += ',';
  body.append(roundSel);
  return WithBody(kPicked, team, 0, body);
}

std::string Picked(int team, std::string_view pidText, std::string_view playerName, std::string_view position,
                   std::string_view roundSel) {
  std::string body(pidText);
  body += ',';
  body.append(playerName);
  body += ',';
  body.append(position);
  return Picked(team, body, roundSel);
}

std::string Taken(int team, std::string_view draftBody) { return WithBody(kTaken, team, 0, draftBody); }

std::string ChatRelay(int from, std::string_view text) { return WithBody(kChatRelay, from, 0, CutChat(text)); }

std::string PrivateOut(int from, int to, std::string_view text) {
  return WithBody(kPrivateOut, from, to, CutChat(text));
}

std::string Left(int team) { return WithBody(kLeft, team, 0, ""); }

std::string OnClock(int team, std::string_view secondsText, std::string_view roundSel) {
  std::string body(secondsText);
  body += ',';
  body.append(roundSel);
  return WithBody(kOnClock, 0, team, body);
}

std::string TimedOut(int team, std::string_view teamName) {
  std::string body(teamName);
  body.append(kTimedOutSuffix);
  return WithBody(kTimedOut, 0, team, body);
}

std::string Halted(int team) { return Head(kHalted, 0, team); }

std::string Deleted(std::string_view roundSel) { return WithBody(kDeleted, 0, 0, roundSel); }

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
      if (!IsDigit(c)) return false;
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

// ------------------------------------------------------------- framing ----

int BodyFieldCount(Receiver side, char code) {
  if (side == Receiver::Server) {
    switch (code) {
      case kLogin: return 3;
      case kPickRequest: return 1;
      case kDraft: return 3;
      default: return -1;  // C, P, T: free text; K: a list of any length
    }
  }
  switch (code) {
    case kRefused: return 1;
    case kWhoElse: return 1;
    case kPickRecord: return 5;
    case kPicked: return 4;
    case kTaken: return 3;
    case kOnClock: return 2;
    case kHalted: return 0;
    case kDeleted: return 1;
    default: return -1;  // L, X (empty text), C, P, I: free text
  }
}

FrameSplitter::FrameSplitter(Receiver side)
    : side_(side), codes_(side == Receiver::Server ? kClientToServerCodes : kServerToClientCodes) {}

bool FrameSplitter::IsCode(char c) const { return codes_.find(c) != std::string_view::npos; }

// Is there a message start at `pos`: code "|" number "|" number? On Yes,
// *field3End is the index after field 3's digits (which may be the end of the
// buffer, where more digits could still come).
FrameSplitter::Start FrameSplitter::StartAt(std::string_view buf, std::size_t pos, std::size_t* field3End) const {
  std::size_t n = buf.size();
  std::size_t i = pos;
  if (i >= n) return Start::NeedMore;
  if (!IsCode(buf[i])) return Start::No;
  ++i;
  for (int field = 0; field < 2; ++field) {
    if (i >= n) return Start::NeedMore;
    if (buf[i] != '|') return Start::No;
    ++i;
    if (i < n && buf[i] == '-') ++i;
    std::size_t digits = i;
    while (i < n && IsDigit(buf[i])) ++i;
    if (i == digits) return i >= n ? Start::NeedMore : Start::No;
    if (field == 0 && i >= n) return Start::NeedMore;
  }
  *field3End = i;
  return Start::Yes;
}

bool FrameSplitter::CompleteInForm(std::string_view text) const {
  std::size_t e = 0;
  if (StartAt(text, 0, &e) != Start::Yes) return false;
  int want = BodyFieldCount(side_, text[0]);
  if (want == 0) return e == text.size();                // H: nothing after field 3
  if (e >= text.size() || text[e] != '|') return false;  // field 4 not begun yet
  std::string_view body = text.substr(e + 1);
  // A second "|" means the next message may be starting: not one message.
  if (body.find('|') != std::string_view::npos) return false;
  if (want < 0) return true;  // free text
  std::size_t commas = 0;
  for (char c : body)
    if (c == ',') ++commas;
  if (static_cast<int>(commas) + 1 < want) return false;
  // The last field must have begun.
  return !body.empty() && body.back() != ',';
}

void FrameSplitter::Emit(std::vector<Message>& out, std::string_view text) {
  ++released_;
  std::size_t e = 0;
  const bool started = StartAt(text, 0, &e) == Start::Yes;
  const bool tooLong = started && text.size() > e + 1 + kMaxBody;
  if (tooLong) text = text.substr(0, e + 1 + kMaxBody);
  Message m = ParseMessage(text);
  if (!started) m.valid = false;  // cut short before field 3
  if (tooLong) {
    m.truncated = true;
    if (BodyFieldCount(side_, m.code) >= 0) m.valid = false;
  }
  if (!m.valid) ++invalid_;
  out.push_back(std::move(m));
}

void FrameSplitter::Split(std::vector<Message>& out, bool final) {
  std::string_view buf = buffer_;
  std::size_t pos = 0;
  const std::size_t n = buf.size();
  while (pos < n) {
    std::size_t e = 0;
    Start s = StartAt(buf, pos, &e);
    if (s == Start::No) {
      // Skip to the next position that may start a message.
      std::size_t next = pos + 1;
      while (next < n) {
        std::size_t e2 = 0;
        if (IsCode(buf[next]) && StartAt(buf, next, &e2) != Start::No) break;
        ++next;
      }
      skipped_ += next - pos;
      pos = next;
      continue;
    }
    if (s == Start::NeedMore) {
      if (!final) break;
      Emit(out, buf.substr(pos));  // cut short: released invalid
      pos = n;
      break;
    }
    // A message starts at pos; field 3 ends at e.
    if (e >= n) {
      if (!final) break;  // more digits may come
      Emit(out, buf.substr(pos));
      pos = n;
      break;
    }
    if (buf[e] != '|') {
      // No field 4; what follows is the next message (or bytes to skip).
      Emit(out, buf.substr(pos, e - pos));
      pos = e;
      continue;
    }
    std::size_t q = buf.find('|', e + 1);
    if (q == std::string_view::npos && n - (e + 1) > kMaxBody) {
      // Field 4 runs past its bound: release what fits, skip the rest.
      Emit(out, buf.substr(pos, e + 2 + kMaxBody - pos));
      pos = e + 1 + kMaxBody;
      continue;
    }
    if (q == std::string_view::npos) {
      if (!final) break;  // field 4 may go on
      Emit(out, buf.substr(pos));
      pos = n;
      break;
    }
    if (q > e + 1) {
      std::size_t e2 = 0;
      Start next = StartAt(buf, q - 1, &e2);
      if (next == Start::NeedMore && !final) break;
      if (next != Start::No) {
        Emit(out, buf.substr(pos, q - 1 - pos));
        pos = q - 1;
        continue;
      }
    }
    // Field 4 ends at the "|"; what follows up to the next start is skipped.
    Emit(out, buf.substr(pos, q - pos));
    pos = q;
  }
  if (pos > 0) buffer_.erase(0, pos);
}

std::vector<Message> FrameSplitter::Feed(std::string_view bytes, int64_t nowMs) {
  std::vector<Message> out;
  bool hadPending = !buffer_.empty();
  if (hadPending && !bytes.empty()) {
    // Does this read begin a message of its own, or go on with the kept one?
    std::size_t e = 0;
    if (StartAt(bytes, 0, &e) == Start::No) fragmented_ = true;
  }
  buffer_.append(bytes);
  lastBytesAt_ = nowMs;
  std::size_t total = buffer_.size();
  Split(out, false);
  if (!buffer_.empty() && !PendingComplete()) fragmented_ = true;
  // The kept message's time starts when it is first kept: a tail that is
  // still the message kept before (nothing was cut off) keeps its time.
  bool sameTail = hadPending && buffer_.size() == total;
  if (!buffer_.empty() && !sameTail) pendingSince_ = nowMs;
  return out;
}

bool FrameSplitter::PendingComplete() const { return !buffer_.empty() && CompleteInForm(buffer_); }

std::vector<Message> FrameSplitter::Poll(int64_t nowMs) {
  std::vector<Message> out;
  if (buffer_.empty()) return out;
  if (nowMs >= PendingReleaseAt()) Split(out, true);
  return out;
}

int64_t FrameSplitter::PendingReleaseAt() const {
  // Until a connection has shown that its reads hold whole messages, the
  // first message may be cut anywhere, so it too waits for a quiet spell.
  if (PendingComplete())
    return (fragmented_ || released_ == 0) ? std::min(lastBytesAt_ + kQuietMs, PendingDeadline()) : 0;
  return PendingDeadline();
}

std::vector<Message> FrameSplitter::Flush() {
  std::vector<Message> out;
  Split(out, true);
  return out;
}

std::vector<Message> FrameSplitter::SplitAll(Receiver side, std::string_view text) {
  FrameSplitter s(side);
  s.buffer_.assign(text);
  std::vector<Message> out;
  s.Split(out, true);
  return out;
}

}  // namespace pm::protocol
