// The wire protocol: builders, field reading and the stream splitter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "protocol/Protocol.h"

using namespace pm::protocol;

namespace {

// Every message the clients send, in one stream.
std::vector<std::string> ClientMessages() {
  return {
      Login(5, "3.03", 450, "Big, League"),
      PickRequest(5, 2),
      Draft(5, "1234", "John Smith", "QB"),
      Chat(5, "hello, all LC"),  // ends in code letters
      Chat(5, ""),
      PrivateLine(5, 0, "to the Commish"),
      PrivateLine(5, 3, "D"),
      TimeUp(5),
      PickRequest(5, 12),
  };
}

// Every message the server sends, in one stream.
std::vector<std::string> ServerMessages() {
  return {
      SignedOn(4),
      Refused(1),
      WhoElse(4, {1, 2, 12}),
      PickRecordMessage(4, "1234|Bears|John Smith|QB|1-1"),
      Picked(3, "1234,John Smith,QB", "3-12"),
      Taken(3, "1234,John Smith,QB"),
      ChatRelay(0, "Time remaining for Bears to make a selection: 45 seconds."),
      PrivateOut(2, 3, "psst X"),
      Left(7),
      OnClock(5, "60", "3-7"),
      TimedOut(5, "Bears"),
      Halted(5),
      Halted(12),
      Deleted("3-7"),
      ChatRelay(2, "Z"),
      Left(2),
  };
}

std::string Join(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& m : v) s += m;
  return s;
}

std::vector<std::string> Raw(const std::vector<Message>& v) {
  std::vector<std::string> out;
  for (const auto& m : v) out.push_back(m.raw);
  return out;
}

}  // namespace

TEST(ProtocolBuild, FormsAreExact) {
  EXPECT_EQ(Login(5, "3.03", 450, "Big League"), "L|5|0|3.03,450,Big League");
  EXPECT_EQ(PickRequest(5, 3), "V|5|0|3");
  EXPECT_EQ(Draft(5, "1234", "John Smith", "QB"), "D|5|0|1234,John Smith,QB");
  EXPECT_EQ(Chat(5, "a|b, c"), "C|5|0|a");
  EXPECT_EQ(PrivateLine(5, 0, "x|y"), "P|5|0|x");
  EXPECT_EQ(TimeUp(2), "T|2|0|failed to make a selection within the allotted time.");
  EXPECT_EQ(SignedOn(4), "L|4|0|");
  EXPECT_EQ(Refused(3), "R|0|0|3");
  EXPECT_EQ(WhoElse(4, {1, 2}), "W|0|4|1,2");
  EXPECT_EQ(PickRecordMessage(4, "1234|Bears|John Smith|QB|3-7"), "V|0|4|1234,Bears,John Smith,QB,3-7");
  EXPECT_EQ(Picked(5, "1234,John Smith,QB", "3-7"), "Z|5|0|1234,John Smith,QB,3-7");
  EXPECT_EQ(Taken(5, "1234,John Smith,QB"), "G|5|0|1234,John Smith,QB");
  EXPECT_EQ(ChatRelay(0, "hi"), "C|0|0|hi");
  EXPECT_EQ(PrivateOut(0, 3, "hi"), "P|0|3|hi");
  EXPECT_EQ(Left(7), "X|7|0|");
  EXPECT_EQ(OnClock(5, "60", "3-7"), "N|0|5|60,3-7");
  EXPECT_EQ(TimedOut(5, "Bears"), "I|0|5|Bears failed to make a selection while on the clock.");
  EXPECT_EQ(Halted(5), "H|0|5");
  EXPECT_EQ(Deleted("3-7"), "Y|0|0|3-7");
  EXPECT_EQ(RefusalText(4), "You have been kicked out of the draft by the commish.");
  EXPECT_EQ(RefusalText(9), "");
}

// Field 4 of R as a client reads it: trimmed, its leading number; a field
// that does not start with a digit names no reason.
TEST(ProtocolRefusal, ReasonFieldAsReceived) {
  const std::string signedOn = "The team you selected is already signed on. Contact the commish.";
  EXPECT_EQ(RefusalText(std::string_view(" 3 ")), signedOn);
  EXPECT_EQ(RefusalText(std::string_view("3x")), signedOn);
  EXPECT_EQ(RefusalText(std::string_view("0")), RefusalText(kRefuseLeague));
  for (const char* none : {"", "  ", "x", "x3", "-1", "+3", "5", "99999999999999999999"})
    EXPECT_EQ(RefusalText(std::string_view(none)), "") << '"' << none << '"';
}

TEST(ProtocolRead, FieldsAndSixteenBits) {
  Message m = ParseMessage("L|5|0|3.03,450,Big, League|extra");
  EXPECT_TRUE(m.valid);
  EXPECT_EQ(m.code, 'L');
  EXPECT_EQ(m.from, 5);
  EXPECT_EQ(m.body, "3.03,450,Big, League");
  EXPECT_EQ(BodyField(m, 3), "Big");

  Message notNumber = ParseMessage("C|x|0|hi");
  EXPECT_TRUE(notNumber.valid);
  EXPECT_EQ(notNumber.from, 0);

  EXPECT_FALSE(ParseMessage("D|32768|0|1,a,QB").valid);
  EXPECT_FALSE(ParseMessage("D|1|-32769|1,a,QB").valid);
  EXPECT_TRUE(ParseMessage("D|32767|-32768|1,a,QB").valid);
  EXPECT_FALSE(ParseMessage("").valid);
}

TEST(ProtocolVersion, ComparedAsDecimalNumbers) {
  bool ok = false;
  EXPECT_LT(CompareVersions("3.02", "3.03", &ok), 0);
  EXPECT_TRUE(ok);
  EXPECT_LT(CompareVersions("3.03", "3.10", &ok), 0);
  EXPECT_EQ(CompareVersions("3.1", "3.10", &ok), 0);
  EXPECT_GT(CompareVersions("10.0", "9.99", &ok), 0);
  EXPECT_EQ(CompareVersions(" 3.03 ", "3.03", &ok), 0);
  CompareVersions("3.03", "abc", &ok);
  EXPECT_FALSE(ok);
  CompareVersions("3.03", "3.0x", &ok);
  EXPECT_FALSE(ok);
  CompareVersions("3.03", "", &ok);
  EXPECT_FALSE(ok);
}

// Every message back to back, in one read and one byte at a time, on both
// sides: each is read once, in order, exactly as written.
TEST(ProtocolSplit, BackToBackWholeAndByteByByte) {
  for (Receiver side : {Receiver::Server, Receiver::Client}) {
    auto msgs = side == Receiver::Server ? ClientMessages() : ServerMessages();
    std::string stream = Join(msgs);

    EXPECT_EQ(Raw(FrameSplitter::SplitAll(side, stream)), msgs);

    FrameSplitter whole(side);
    auto got = whole.Feed(stream, 0);
    auto rest = whole.Poll(0);
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(Raw(got), msgs);

    FrameSplitter bytes(side);
    std::vector<Message> all;
    for (char c : stream) {
      auto part = bytes.Feed(std::string_view(&c, 1), 0);
      all.insert(all.end(), part.begin(), part.end());
    }
    auto tail = bytes.Poll(FrameSplitter::kHoldMs);
    all.insert(all.end(), tail.begin(), tail.end());
    EXPECT_EQ(Raw(all), msgs);
    EXPECT_EQ(bytes.SkippedBytes(), 0u);
    for (const auto& m : all) EXPECT_TRUE(m.valid) << m.raw;
  }
}

TEST(ProtocolSplit, FieldsOfSplitMessagesReadAsDefined) {
  auto v = FrameSplitter::SplitAll(Receiver::Client, "L|3|0|W|0|3|1,2V|0|3|1234,Bears,John Smith,QB,1-1H|0|5C|0|0|x");
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(v[0].body, "");
  EXPECT_EQ(v[1].code, 'W');
  EXPECT_EQ(v[1].to, 3);
  EXPECT_EQ(v[1].body, "1,2");
  EXPECT_EQ(BodyField(v[2], 5), "1-1");
  EXPECT_EQ(v[3].code, 'H');
  EXPECT_EQ(v[3].to, 5);
  EXPECT_EQ(v[4].body, "x");
}

TEST(ProtocolSplit, IncompleteStructuredMessageWaitsAtMost250ms) {
  FrameSplitter s(Receiver::Client);
  EXPECT_TRUE(s.Feed("Z|3|0|1234,John Sm", 1000).empty());
  EXPECT_FALSE(s.PendingComplete());
  EXPECT_TRUE(s.Poll(1249).empty());
  // The next read completes it; it goes out once it is complete in form.
  EXPECT_TRUE(s.Feed("ith,QB", 1100).empty());
  EXPECT_TRUE(s.Poll(1200).empty());  // time still counts from the first read
  auto done = s.Feed(",3-7", 1200);
  EXPECT_TRUE(done.empty());
  ASSERT_TRUE(s.PendingComplete());
  // The stream has split a message, so the last field may still grow: it is
  // released after a quiet spell.
  EXPECT_TRUE(s.Poll(1200 + FrameSplitter::kQuietMs - 1).empty());
  auto out = s.Poll(1200 + FrameSplitter::kQuietMs);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].body, "1234,John Smith,QB,3-7");

  // Never completed: handled as it stands after 250 ms.
  EXPECT_TRUE(s.Feed("G|3|0|1234,Jo", 2000).empty());
  EXPECT_TRUE(s.Poll(2249).empty());
  auto late = s.Poll(2250);
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].body, "1234,Jo");
  EXPECT_FALSE(s.HasPending());
}

TEST(ProtocolSplit, GarbageAndTextAfterASecondBarAreSkipped) {
  // A chat line that holds a "|": field 4 ends there, the rest is skipped
  // up to the next message.
  auto v = FrameSplitter::SplitAll(Receiver::Server, "xx C|3|0|a|b and moreD|3|0|1,A B,QB");
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[0].body, "a");
  EXPECT_EQ(v[1].code, 'D');
  EXPECT_EQ(v[1].body, "1,A B,QB");
  // Server-side codes only: a Z is not a message start for the server.
  auto w = FrameSplitter::SplitAll(Receiver::Server, "C|3|0|hiZ|3|0|x");
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].body, "hiZ");
  // A number beyond 16 bits is read but marked invalid.
  auto big = FrameSplitter::SplitAll(Receiver::Server, "D|70000|0|1,A,QBC|1|0|ok");
  ASSERT_EQ(big.size(), 2u);
  EXPECT_FALSE(big[0].valid);
  EXPECT_TRUE(big[1].valid);
}

TEST(ProtocolSplit, ManyMessagesFast) {
  std::string stream;
  for (int i = 0; i < 1000; ++i) stream += Draft(i % 32 + 1, std::to_string(100 + i), "Some Player", "WR");
  FrameSplitter s(Receiver::Server);
  std::size_t n = 0;
  for (std::size_t at = 0; at < stream.size(); at += 1400) {
    n += s.Feed(std::string_view(stream).substr(at, 1400), 0).size();
  }
  n += s.Poll(FrameSplitter::kQuietMs).size();
  EXPECT_EQ(n, 1000u);
}

TEST(ProtocolSplit, LastFieldOfASplitStreamIsNotCutShort) {
  // Whole messages per read: a message complete in form goes out at once.
  // (The first message of a connection waits for a quiet spell.)
  FrameSplitter whole(Receiver::Client);
  EXPECT_TRUE(whole.Feed("L|2|0|", 0).empty());
  EXPECT_TRUE(whole.Poll(FrameSplitter::kQuietMs - 1).empty());
  EXPECT_EQ(whole.Poll(FrameSplitter::kQuietMs).size(), 1u);
  EXPECT_TRUE(whole.Feed("Z|3|0|1234,John Smith,QB,1-12", 100).empty());
  EXPECT_EQ(whole.Poll(100).size(), 1u);
  EXPECT_FALSE(whole.Fragmented());

  // One byte per read: "1-1" is complete in form but "2" is still coming,
  // and a login's league name or a chat text may go on.
  for (Receiver side : {Receiver::Client, Receiver::Server}) {
    const std::string stream = side == Receiver::Client ? std::string("Z|3|0|1234,John Smith,QB,1-12C|2|0|hello there")
                                                        : std::string("L|3|0|3.03,450,Big LeagueC|3|0|hi all");
    FrameSplitter s(side);
    std::vector<Message> got;
    int64_t t = 0;
    for (char c : stream) {
      for (auto& m : s.Feed(std::string(1, c), t)) got.push_back(m);
      for (auto& m : s.Poll(t)) got.push_back(m);  // a zero-delay poll between reads
      ++t;
    }
    EXPECT_TRUE(s.Fragmented());
    EXPECT_TRUE(s.Poll(t - 1 + FrameSplitter::kQuietMs - 1).empty());
    for (auto& m : s.Poll(t - 1 + FrameSplitter::kQuietMs)) got.push_back(m);
    ASSERT_EQ(got.size(), 2u);
    if (side == Receiver::Client) {
      EXPECT_EQ(got[0].body, "1234,John Smith,QB,1-12");
      EXPECT_EQ(got[1].body, "hello there");
    } else {
      EXPECT_EQ(got[0].body, "3.03,450,Big League");
      EXPECT_EQ(got[1].body, "hi all");
    }
  }
}

// A peer can make the receiver hold no more than kMaxBody bytes of field 4:
// a long chat is cut there, whether it comes whole or in many reads; a long
// structured field makes its message invalid; the message after it is whole.
TEST(ProtocolSplit, LongFieldFourIsCutAndTheRestSkipped) {
  const std::string longText(5000, 'x');
  const std::string stream = Chat(3, longText) + Draft(3, std::string(2000, '7'), "A", "QB") + Chat(3, "after");
  const auto whole = FrameSplitter::SplitAll(Receiver::Server, stream);
  ASSERT_EQ(whole.size(), 3u);
  EXPECT_TRUE(whole[0].valid);
  EXPECT_TRUE(whole[0].truncated);
  EXPECT_EQ(whole[0].body, std::string(FrameSplitter::kMaxBody, 'x'));
  EXPECT_FALSE(whole[1].valid);
  EXPECT_EQ(whole[2].body, "after");

  FrameSplitter s(Receiver::Server);
  std::vector<Message> got;
  std::size_t mostKept = 0;
  for (std::size_t at = 0; at < stream.size(); at += 100) {
    for (Message& m : s.Feed(std::string_view(stream).substr(at, 100), 0)) got.push_back(std::move(m));
    mostKept = std::max(mostKept, s.KeptBytes());
  }
  for (Message& m : s.Flush()) got.push_back(std::move(m));
  EXPECT_LE(mostKept, FrameSplitter::kMaxBody + 16);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].body, whole[0].body);
  EXPECT_FALSE(got[1].valid);
  EXPECT_EQ(got[2].body, "after");
}

// A line break in a chat or a pick must not reach a transcript or the draft
// file as a second line: control characters read as blanks, and the message
// says it had some (a pick that had any is refused by the server).
TEST(ProtocolRead, ControlCharactersReadAsBlanks) {
  const auto v = FrameSplitter::SplitAll(Receiver::Server,
                                         "C|3|0|hi\r\nCommish: fake\x7f"
                                         "D|3|0|662,Nate\r\nHall,CB");
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[0].body, "hi  Commish: fake ");
  EXPECT_TRUE(v[0].hadControls);
  EXPECT_EQ(v[1].body, "662,Nate  Hall,CB");
  EXPECT_TRUE(v[1].hadControls);
  EXPECT_FALSE(ParseMessage("C|3|0|plain \xE9t\xE9").hadControls);  // Latin-1 letters stay
}

// The wish list goes in parts small enough for the receiver's bound, and a
// part that is not a plain list of PIDs is refused as a whole.
TEST(ProtocolWishList, PartsRoundTripAndBadPartsAreRefused) {
  EXPECT_EQ(WishList(3, {}), std::vector<std::string>{"K|3|0|"});
  std::vector<int> pids;
  for (int i = 0; i < 250; ++i) pids.push_back(65535 - i);
  const std::vector<std::string> parts = WishList(3, pids);
  ASSERT_EQ(parts.size(), 2u);  // 200 kept, in two parts
  std::vector<int> back;
  for (const std::string& text : parts) {
    const std::vector<Message> split = FrameSplitter::SplitAll(Receiver::Server, text);
    ASSERT_EQ(split.size(), 1u);
    ASSERT_TRUE(split[0].valid && !split[0].truncated) << text.size();
    EXPECT_EQ(split[0].to, static_cast<int>(back.size()));
    std::vector<int> part;
    ASSERT_TRUE(ParseWishListPart(split[0].body, &part));
    back.insert(back.end(), part.begin(), part.end());
  }
  EXPECT_EQ(back, std::vector<int>(pids.begin(), pids.begin() + kMaxWishList));

  std::vector<int> out;
  for (const char* bad : {"1,,2", "0", "65536", "12a", "-4", "1,", " 5"})
    EXPECT_FALSE(ParseWishListPart(bad, &out)) << bad;
  std::string tooMany = "1";
  for (int i = 0; i < kWishListPart; ++i) tooMany += ",1";
  EXPECT_FALSE(ParseWishListPart(tooMany, &out));
}
