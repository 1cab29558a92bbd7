// The splitter's promises over any stream cut into any reads, shared by the
// protocol fuzzer and the ordinary tests that replay its corpus: every byte
// is in a released message (its text and its line feed) or counted as
// skipped; a message reads the same from its raw text; the kept message is
// released once its time has come. Returns the promise broken, or empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Framing.h"

namespace pm::test {

// Byte 0 chooses the receiving side (bit 0) and the framing (bit 1); byte 1
// seeds the sizes of the reads (1..9 bytes) the rest arrives in.
inline std::string CheckSplitting(std::string_view input) {
  using namespace pm::protocol;
  if (input.size() < 2) return {};
  const Receiver side = (input[0] & 1) ? Receiver::Client : Receiver::Server;
  const Framing framing = (input[0] & 2) ? Framing::Lines : Framing::Guessed;
  unsigned seed = static_cast<unsigned char>(input[1]);
  const std::string_view stream = input.substr(2);

  FrameSplitter splitter(side);
  splitter.SetFraming(framing);
  std::vector<Message> got;
  int64_t now = 0;
  for (std::size_t pos = 0; pos < stream.size();) {
    seed = seed * 1103515245u + 12345u;
    std::size_t n = 1 + (seed >> 16) % 9;
    if (n > stream.size() - pos) n = stream.size() - pos;
    for (Message& m : splitter.Feed(stream.substr(pos, n), now)) got.push_back(std::move(m));
    pos += n;
    // Some reads come apart in time: what is kept may be released between.
    now += (seed >> 8) % 3 == 0 ? FrameSplitter::kQuietMs : 1;
    for (Message& m : splitter.Poll(now)) got.push_back(std::move(m));
  }
  for (Message& m : splitter.Poll(now + FrameSplitter::kHoldMs)) got.push_back(std::move(m));
  if (splitter.HasPending()) return "Poll after the hold time keeps a message";

  std::size_t inMessages = 0;
  for (const Message& m : got) {
    inMessages += m.raw.size() + (m.terminated ? 1 : 0);
    const Message again = ParseMessage(m.raw);
    if (again.code != m.code || again.from != m.from || again.to != m.to || again.body != m.body)
      return "a message reads differently from its raw text";
    if (m.body.size() > FrameSplitter::kMaxBody) return "a field 4 is longer than the bound";
  }
  if (inMessages + splitter.SkippedBytes() != stream.size()) return "a byte is neither in a message nor skipped";
  return {};
}

}  // namespace pm::test
