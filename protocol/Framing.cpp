#include "protocol/Framing.h"

#include <algorithm>

namespace pm::protocol {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Fields 2 and 3 are 16-bit numbers: a longer run of digits is no message
// start, so a peer cannot make the receiver keep an endless header.
constexpr std::size_t kMaxNumberDigits = 12;

}  // namespace

BodyShape ShapeOf(Receiver side, char code) {
  if (side == Receiver::Server) {
    switch (code) {
      case kLogin: return {BodyForm::Fields, 3};
      case kPickRequest:
      case kWishList: return {BodyForm::Fields, 1};
      case kDraft: return {BodyForm::Fields, 3};
      default: return {BodyForm::Text, 0};  // C, P, T
    }
  }
  switch (code) {
    case kSignedOn:
    case kLeft:
    case kDraftOver: return {BodyForm::Empty, 0};
    case kHalted: return {BodyForm::None, 0};
    case kRefused:
    case kWhoElse:
    case kDeleted:
    case kAccepted:
    case kOrder: return {BodyForm::Fields, 1};
    case kOnClock:
    case kPaused: return {BodyForm::Fields, 2};
    case kTaken: return {BodyForm::Fields, 3};
    case kPicked: return {BodyForm::Fields, 4};
    case kPickRecord: return {BodyForm::Fields, 5};
    default: return {BodyForm::Text, 0};  // C, P, I
  }
}

FrameSplitter::FrameSplitter(Receiver side)
    : side_(side), codes_(side == Receiver::Server ? kClientToServerCodes : kServerToClientCodes) {}

bool FrameSplitter::IsCode(char c) const { return codes_.find(c) != std::string_view::npos; }

// A server relays chat cut at its first "|", so in what a client receives a
// message start right before a "|" is always the server's next message,
// after free text as after fields. What a client sends may hold anything up
// to that "|": there only fields end at a start, text never does.
bool FrameSplitter::LooksBack(const BodyShape& shape) const {
  return shape.form == BodyForm::Fields || (shape.form == BodyForm::Text && side_ == Receiver::Client);
}

// Is there a message start at `pos`: code "|" number "|" number (a number:
// an optional "-" and digits)? On Yes, *field3End is the index after field
// 3's digits (the end of the buffer when more digits may come).
FrameSplitter::Start FrameSplitter::StartAt(std::size_t pos, std::size_t* field3End) const {
  const std::size_t n = buffer_.size();
  std::size_t i = pos;
  if (i >= n) return Start::NeedMore;
  if (!IsCode(buffer_[i])) return Start::No;
  ++i;
  for (int field = 0; field < 2; ++field) {
    if (i >= n) return Start::NeedMore;
    if (buffer_[i] != '|') return Start::No;
    ++i;
    if (i < n && buffer_[i] == '-') ++i;
    const std::size_t digits = i;
    while (i < n && IsDigit(buffer_[i]) && i - digits <= kMaxNumberDigits) ++i;
    if (i - digits > kMaxNumberDigits) return Start::No;
    if (i == digits) return i >= n ? Start::NeedMore : Start::No;
    if (field == 0 && i >= n) return Start::NeedMore;
  }
  *field3End = i;
  return Start::Yes;
}

std::size_t FrameSplitter::NextStart(std::size_t from) const {
  std::size_t e = 0;
  for (std::size_t p = from; p < buffer_.size(); ++p)
    if (IsCode(buffer_[p]) && StartAt(p, &e) != Start::No) return p;
  return buffer_.size();
}

std::size_t FrameSplitter::OuterEnd(std::size_t pos, bool final, bool* decided) const {
  *decided = true;
  const std::size_t lineFeed = buffer_.find('\n', pos);
  const std::size_t limit = lineFeed == std::string::npos ? buffer_.size() : lineFeed;
  std::size_t e = 0;
  for (std::size_t readEnd : readEnds_) {
    if (readEnd <= pos) continue;
    if (readEnd >= limit) break;
    switch (StartAt(readEnd, &e)) {
      case Start::Yes: return readEnd;
      case Start::NeedMore:
        if (final) return readEnd;
        *decided = false;
        return buffer_.size();
      case Start::No: break;  // the rest of this message, cut by the network
    }
  }
  return limit;
}

FrameSplitter::End FrameSplitter::FindEnd(std::size_t pos, std::size_t field3End, bool final) const {
  return framing_ == Framing::Lines ? FindLineEnd(pos, field3End, final) : FindGuessedEnd(pos, field3End, final);
}

FrameSplitter::End FrameSplitter::FindLineEnd(std::size_t pos, std::size_t field3End, bool final) const {
  const std::size_t n = buffer_.size();
  const std::size_t lineFeed = buffer_.find('\n', pos);
  const std::size_t limit = lineFeed == std::string::npos ? n : lineFeed;
  const std::size_t bodyStart = field3End < limit && buffer_[field3End] == '|' ? field3End + 1 : limit;
  if (limit - bodyStart > kMaxBody) {
    const std::size_t cutAt = bodyStart + kMaxBody;
    if (lineFeed == std::string::npos) return {true, cutAt, n, false, true};
    return {true, cutAt, lineFeed + 1, true, true};
  }
  if (lineFeed != std::string::npos) return {true, lineFeed, lineFeed + 1, true, false};
  if (final) return {true, n, n, false, false};
  return {};
}

FrameSplitter::End FrameSplitter::FindGuessedEnd(std::size_t pos, std::size_t field3End, bool final) const {
  bool decided = true;
  const std::size_t outer = OuterEnd(pos, final, &decided);
  if (!decided) return {};
  const bool closed = outer < buffer_.size() || final;
  const bool outerIsLineFeed = outer < buffer_.size() && buffer_[outer] == '\n';
  // The message ends at `end`; what lies between it and a line feed that
  // closes it is skipped with it, bytes before any other end are scanned on.
  const auto endAt = [&](std::size_t end, std::size_t through, bool cut) {
    if (through == outer && outerIsLineFeed) return End{true, end, outer + 1, true, cut};
    return End{true, end, through, false, cut};
  };
  const BodyShape shape = ShapeOf(side_, buffer_[pos]);
  const std::size_t e = field3End;
  if (e >= outer) return closed ? endAt(outer, outer, false) : End{};
  if (shape.form == BodyForm::None || buffer_[e] != '|') return endAt(e, e, false);
  const std::size_t bodyStart = e + 1;
  if (shape.form == BodyForm::Empty) return endAt(bodyStart, bodyStart, false);

  std::size_t end = buffer_.find('|', bodyStart);
  if (end >= outer) end = std::string::npos;
  if (end != std::string::npos && LooksBack(shape) && end > bodyStart && IsCode(buffer_[end - 1])) {
    // "...,1-1Z|3|0|..." : the code letter before the "|" starts the next message.
    std::size_t next3 = 0;
    switch (StartAt(end - 1, &next3)) {
      case Start::Yes: end = end - 1; break;
      case Start::NeedMore:
        if (!final) return {};
        break;
      case Start::No: break;
    }
  }
  if (end == std::string::npos) {
    if (!closed && outer - bodyStart <= kMaxBody) return {};  // field 4 may go on
    end = outer;
  }
  if (end - bodyStart > kMaxBody) return endAt(bodyStart + kMaxBody, end, true);
  return endAt(end, end, false);
}

void FrameSplitter::Emit(std::vector<Message>& out, std::size_t pos, const End& end) {
  Message m = ParseMessage(std::string_view(buffer_).substr(pos, end.end - pos));
  std::size_t e = 0;
  if (StartAt(pos, &e) != Start::Yes) m.valid = false;  // cut short before field 3
  m.terminated = end.lineFeed;
  if (end.cut) {
    m.truncated = true;
    if (ShapeOf(side_, m.code).form != BodyForm::Text) m.valid = false;
  }
  skipped_ += end.next - end.end - (end.lineFeed ? 1 : 0);
  if (!m.valid) ++invalid_;
  out.push_back(std::move(m));
}

void FrameSplitter::Split(std::vector<Message>& out, bool final) {
  const std::size_t n = buffer_.size();
  std::size_t pos = 0;
  while (pos < n) {
    if (skipLine_) {
      // The rest of a line cut at kMaxBody.
      const std::size_t lineFeed = buffer_.find('\n', pos);
      const std::size_t through = lineFeed == std::string::npos ? n : lineFeed + 1;
      skipped_ += through - pos;
      pos = through;
      skipLine_ = lineFeed == std::string::npos;
      continue;
    }
    std::size_t e = 0;
    const Start start = StartAt(pos, &e);
    if (start == Start::No) {
      const std::size_t next = NextStart(pos + 1);
      skipped_ += next - pos;
      pos = next;
      continue;
    }
    if (start == Start::NeedMore) {
      if (!final) break;
      Emit(out, pos, End{true, n, n, false, false});  // cut short: released invalid
      pos = n;
      break;
    }
    const End end = FindEnd(pos, e, final);
    if (!end.known) break;
    Emit(out, pos, end);
    if (framing_ == Framing::Lines && end.cut && !end.lineFeed) skipLine_ = true;
    pos = end.next;
  }
  if (pos == 0) return;
  buffer_.erase(0, pos);
  std::erase_if(readEnds_, [pos](std::size_t readEnd) { return readEnd <= pos; });
  for (std::size_t& readEnd : readEnds_) readEnd -= pos;
}

std::vector<Message> FrameSplitter::Feed(std::string_view bytes, int64_t nowMs) {
  std::vector<Message> out;
  if (bytes.empty()) return out;
  const bool hadPending = !buffer_.empty();
  if (hadPending && framing_ == Framing::Guessed) readEnds_.push_back(buffer_.size());
  buffer_.append(bytes);
  lastBytesAt_ = nowMs;
  const std::size_t total = buffer_.size();
  Split(out, false);
  // The kept message's time counts from when it was first kept.
  const bool sameTail = hadPending && buffer_.size() == total;
  if (!buffer_.empty() && !sameTail) pendingSince_ = nowMs;
  return out;
}

bool FrameSplitter::CompleteInForm(std::string_view text) const {
  if (text.empty() || !IsCode(text[0])) return false;
  const BodyShape shape = ShapeOf(side_, text[0]);
  std::size_t bars = 0, at = 0;
  for (; at < text.size() && bars < 3; ++at) bars += text[at] == '|';
  if (shape.form == BodyForm::None) return bars >= 2;
  if (bars < 3) return false;  // field 4 not begun
  if (shape.form != BodyForm::Fields) return true;
  const std::string_view body = text.substr(at);
  const auto commas = static_cast<int>(std::count(body.begin(), body.end(), ','));
  return commas + 1 >= shape.fields && !body.empty() && body.back() != ',';
}

bool FrameSplitter::PendingComplete() const { return CompleteInForm(buffer_); }

int64_t FrameSplitter::PendingReleaseAt() const {
  const int64_t deadline = pendingSince_ + kHoldMs;
  if (framing_ == Framing::Guessed && PendingComplete()) return std::min(lastBytesAt_ + kQuietMs, deadline);
  return deadline;
}

std::vector<Message> FrameSplitter::Poll(int64_t nowMs) {
  std::vector<Message> out;
  if (!buffer_.empty() && nowMs >= PendingReleaseAt()) Split(out, true);
  return out;
}

std::vector<Message> FrameSplitter::Flush() {
  std::vector<Message> out;
  Split(out, true);
  return out;
}

std::vector<Message> FrameSplitter::SplitAll(Receiver side, std::string_view text) {
  FrameSplitter splitter(side);
  splitter.buffer_.assign(text);
  std::vector<Message> out;
  splitter.Split(out, true);
  return out;
}

}  // namespace pm::protocol
