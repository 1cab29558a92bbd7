// Fuzz target: the message reader, the stream splitter and the decoding of
// what a client receives.
//
// Byte 0 chooses the receiving side (bit 0) and the framing (bit 1), byte 1
// seeds the sizes of the reads the stream arrives in; the rest is the
// stream. The splitter's promises are checked as the ordinary tests check
// the committed corpus (SplitCheck.h).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "protocol/Framing.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "tests/fuzz/SplitCheck.h"

using namespace pm::protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string broken = pm::test::CheckSplitting(input);
  if (!broken.empty()) {
    std::fprintf(stderr, "fuzz_protocol: promise broken: %s\n", broken.c_str());
    std::abort();
  }
  if (size < 2) return 0;
  const std::string_view stream = input.substr(2);
  for (const Message& m : FrameSplitter::SplitAll(Receiver::Client, stream)) (void)in::DecodeFromServer(m);
  (void)CutChat(stream);
  const std::string_view a = stream.substr(0, stream.size() / 2), b = stream.substr(stream.size() / 2);
  if (CompareVersions(a, b) != -CompareVersions(b, a)) {
    std::fprintf(stderr, "fuzz_protocol: CompareVersions is not antisymmetric\n");
    std::abort();
  }
  (void)Features::Parse(stream).Text();
  (void)RefusalText(stream);
  return 0;
}
