// Fuzz target: the message reader and the stream splitter.
//
// Byte 0 chooses the receiving side (bit 0) and byte 1 seeds the sizes of the
// reads the stream arrives in; the rest is the stream. Checked on the way:
//  - splitting does not depend on how the stream was cut into reads: the
//    messages of Feed over the reads plus Flush equal SplitAll over the whole;
//  - every byte is either in a message or counted as skipped;
//  - a message read again from its raw text gives the same fields;
//  - Poll after the hold time releases everything kept.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Protocol.h"

using namespace pm::protocol;

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_protocol: invariant broken: %s\n", what);
    std::abort();
  }
}

bool SameMessage(const Message& a, const Message& b) {
  return a.code == b.code && a.codeText == b.codeText && a.from == b.from && a.to == b.to && a.body == b.body &&
         a.valid == b.valid && a.raw == b.raw;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const Receiver side = (data[0] & 1) ? Receiver::Client : Receiver::Server;
  unsigned seed = data[1];
  std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);

  std::vector<Message> whole = FrameSplitter::SplitAll(side, stream);

  FrameSplitter splitter(side);
  std::vector<Message> pieces;
  int64_t now = 0;
  std::size_t pos = 0;
  while (pos < stream.size()) {
    seed = seed * 1103515245u + 12345u;
    std::size_t n = 1 + (seed >> 16) % 9;  // reads of 1..9 bytes
    if (n > stream.size() - pos) n = stream.size() - pos;
    for (Message& m : splitter.Feed(stream.substr(pos, n), now)) pieces.push_back(std::move(m));
    pos += n;
    now += 1;  // well inside the hold time: nothing may be released early
  }
  for (Message& m : splitter.Flush()) pieces.push_back(std::move(m));
  Check(!splitter.HasPending(), "Flush keeps nothing");

  Check(pieces.size() == whole.size(), "same number of messages whatever the reads");
  for (std::size_t i = 0; i < whole.size(); ++i)
    Check(SameMessage(pieces[i], whole[i]), "same messages whatever the reads");

  std::size_t inMessages = 0;
  for (const Message& m : pieces) {
    inMessages += m.raw.size();
    Message again = ParseMessage(m.raw);
    Check(again.code == m.code && again.from == m.from && again.to == m.to && again.body == m.body,
          "a message reads the same from its raw text");
    for (int f = 0; f <= 6; ++f) (void)BodyField(m, f);
    (void)BodyFieldCount(side, m.code);
  }
  Check(inMessages + splitter.SkippedBytes() == stream.size(), "every byte is in a message or skipped");

  // The hold: what Feed keeps, Poll releases once its time has come.
  FrameSplitter held(side);
  std::size_t released = held.Feed(stream, 0).size();
  if (held.HasPending()) {
    released += held.Poll(FrameSplitter::kHoldMs - 1).size() + held.Poll(FrameSplitter::kHoldMs).size();
    Check(!held.HasPending(), "Poll after the hold time releases the kept message");
  }
  Check(released == whole.size(), "Feed + Poll release every message");

  // The small helpers on text from the stream.
  (void)CutChat(stream);
  bool ok = false;
  std::string_view a = stream.substr(0, stream.size() / 2), b = stream.substr(stream.size() / 2);
  int cmp = CompareVersions(a, b, &ok);
  if (ok) Check(CompareVersions(b, a, &ok) == -cmp, "CompareVersions is antisymmetric");
  (void)RefusalText(static_cast<int>(seed % 8) - 2);
  return 0;
}
