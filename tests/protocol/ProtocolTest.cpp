// The wire protocol: builders, field reading, features and the splitter.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/Common.h"
#include "protocol/Framing.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "tests/fuzz/SplitCheck.h"

using namespace pm::protocol;
using pm::draft::Pick;

namespace {

const Pick kPick{1234, "Bears", "John Smith", "QB", {3, 7}};

// Every message the clients send.
std::vector<std::string> ClientMessages() {
  return {
      Login(5, "3.03", 450, "Big League"),
      Login(5, "3.03", 450, "Big League", Features::All()),
      PickRequest(5, 2),
      Draft(5, 1234, "John Smith", "QB"),
      Chat(5, "hello, all LC"),  // ends in code letters
      Chat(5, ""),
      PrivateLine(5, 0, "to the Commish"),
      PrivateLine(5, 3, "D"),
      TimeUp(5),
      PickRequest(5, 12),
      WishList(5, {101, 102})[0],
  };
}

// Every message the server sends.
std::vector<std::string> ServerMessages() {
  return {
      SignedOn(4),
      Refused(1),
      WhoElse(4, {1, 2, 12}),
      Accepted(4, Features::All()),
      PickRecordMessage(4, kPick),
      CatchUpEnd(4),
      Picked(3, kPick),
      Taken(3, 1234, "John Smith", "QB"),
      ChatRelay(0, "Time remaining for Bears to make a selection: 45 seconds."),
      PrivateOut(2, 3, "psst X"),
      Left(7),
      OnClock(5, 60, {3, 7}),
      TimedOut(5, "Bears"),
      Halted(5),
      Halted(12),
      Deleted({3, 7}),
      ChatRelay(2, "Z"),
      DraftOver(),
  };
}

std::vector<std::string> Raw(const std::vector<Message>& v) {
  std::vector<std::string> out;
  for (const auto& m : v) out.push_back(m.raw);
  return out;
}

void Add(std::vector<Message>& to, std::vector<Message> more) {
  to.insert(to.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

}  // namespace

TEST(ProtocolBuild, FormsAreExact) {
  EXPECT_EQ(Login(5, "3.03", 450, "Big League"), "L|5|0|3.03,450,Big League");
  EXPECT_EQ(Login(5, "3.03", 450, "Big League", {Feature::Lines, Feature::WishList}),
            "L|5|0|3.03,450,Big League,lines+wish");
  EXPECT_EQ(PickRequest(5, 3), "V|5|0|3");
  EXPECT_EQ(Draft(5, 1234, "John Smith", "QB"), "D|5|0|1234,John Smith,QB");
  EXPECT_EQ(Chat(5, "a|b, c"), "C|5|0|a");
  EXPECT_EQ(PrivateLine(5, 0, "x|y"), "P|5|0|x");
  EXPECT_EQ(TimeUp(2), "T|2|0|failed to make a selection within the allotted time.");
  EXPECT_EQ(SignedOn(4), "L|4|0|");
  EXPECT_EQ(Refused(3), "R|0|0|3");
  EXPECT_EQ(WhoElse(4, {1, 2}), "W|0|4|1,2");
  EXPECT_EQ(Accepted(4, Features::All()), "A|0|4|lines+all+wish+over+order+pause+days");
  EXPECT_EQ(PickRecordMessage(4, kPick), "V|0|4|1234,Bears,John Smith,QB,3-7");
  EXPECT_EQ(CatchUpEnd(4), "V|0|4|");
  EXPECT_EQ(Picked(5, kPick), "Z|5|0|1234,John Smith,QB,3-7");
  EXPECT_EQ(Taken(5, 1234, "John Smith", "QB"), "G|5|0|1234,John Smith,QB");
  EXPECT_EQ(ChatRelay(0, "hi"), "C|0|0|hi");
  EXPECT_EQ(PrivateOut(0, 3, "hi"), "P|0|3|hi");
  EXPECT_EQ(Left(7), "X|7|0|");
  EXPECT_EQ(OnClock(5, 60, {3, 7}), "N|0|5|60,3-7");
  EXPECT_EQ(TimedOut(5, "Bears"), "I|0|5|Bears failed to make a selection while on the clock.");
  EXPECT_EQ(Halted(5), "H|0|5");
  EXPECT_EQ(Deleted({3, 7}), "Y|0|0|3-7");
  EXPECT_EQ(DraftOver(), "E|0|0|");
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

// A version is read as the number it begins with, as a login's version
// always has been: "3.03abc" is 3.03, a text without a number is 0.
TEST(ProtocolVersion, ReadAsTheNumberItBeginsWith) {
  EXPECT_LT(CompareVersions("3.02", "3.03"), 0);
  EXPECT_LT(CompareVersions("3.03", "3.10"), 0);
  EXPECT_EQ(CompareVersions("3.1", "3.10"), 0);
  EXPECT_GT(CompareVersions("10.0", "9.99"), 0);
  EXPECT_EQ(CompareVersions(" 3.03", "3.03"), 0);
  EXPECT_EQ(CompareVersions("3.03abc", "3.03"), 0);
  EXPECT_EQ(CompareVersions("3.03", "3.0x"), 1);
  EXPECT_EQ(CompareVersions("abc", "0"), 0);
  EXPECT_LT(CompareVersions("", "3.03"), 0);
}

// Features: the words a program knows, in one order; words it does not
// know are left out, so a newer peer's additions are simply not shared.
TEST(ProtocolFeatures, ParsedWrittenAndShared) {
  EXPECT_EQ(Features::Parse("over+lines+later+all").Text(), "lines+all+over");
  EXPECT_TRUE(Features::Parse("").Empty());
  const Features shared = Features::All().SharedWith(Features::Parse("wish+something"));
  EXPECT_TRUE(shared.Has(Feature::WishList));
  EXPECT_FALSE(shared.Has(Feature::Lines));
  // A plain login's league name is never taken for features.
  EXPECT_TRUE(Features::Parse(BodyField(ParseMessage(Login(1, "3.03", 9, "lines")), 4)).Empty());
}

// Each message in a read of its own, as a peer that sends one message a
// send and one that ends them with line feeds deliver them: both sides read
// each once, in order, as written; a line feed ends a message at once.
TEST(ProtocolSplit, OneMessageAReadAndLinesAreReadExactly) {
  for (Receiver side : {Receiver::Server, Receiver::Client}) {
    const std::vector<std::string> msgs = side == Receiver::Server ? ClientMessages() : ServerMessages();
    FrameSplitter reads(side);
    std::vector<Message> got;
    int64_t t = 0;
    for (const std::string& m : msgs) Add(got, reads.Feed(m, t += 100));
    Add(got, reads.Poll(t + FrameSplitter::kQuietMs));
    EXPECT_EQ(Raw(got), msgs);
    EXPECT_EQ(reads.SkippedBytes(), 0u);

    std::string lines;
    for (const std::string& m : msgs) lines += m + "\n";
    FrameSplitter byte(side);
    byte.SetFraming(Framing::Lines);
    std::vector<Message> bytewise;
    for (char c : lines) Add(bytewise, byte.Feed(std::string(1, c), 0));
    EXPECT_FALSE(byte.HasPending());
    EXPECT_EQ(Raw(bytewise), msgs);
    EXPECT_EQ(Raw(FrameSplitter::SplitAll(side, lines)), msgs);
    for (const Message& m : bytewise) EXPECT_TRUE(m.valid && m.terminated) << m.raw;
  }
}

// A message cut at a read boundary is never released as whole: whatever
// byte it is cut at, and however long (up to the quiet time) the rest takes,
// the message dispatched is the message sent -- "K|2|0|280" then "0" is
// PID 2800, "V|1|0|1" then "2" asks for pick 12.
TEST(ProtocolSplit, AMessageCutAtAnyByteIsReleasedWhole) {
  for (Receiver side : {Receiver::Server, Receiver::Client}) {
    const std::vector<std::string> msgs = side == Receiver::Server ? ClientMessages() : ServerMessages();
    for (const std::string& m : msgs) {
      for (std::size_t cut = 1; cut < m.size(); ++cut) {
        for (int64_t gap : {int64_t{0}, FrameSplitter::kQuietMs / 2, FrameSplitter::kQuietMs - 1}) {
          FrameSplitter s(side);
          std::vector<Message> got = s.Feed(std::string_view(m).substr(0, cut), 1000);
          Add(got, s.Poll(1000 + gap));
          Add(got, s.Feed(std::string_view(m).substr(cut), 1000 + gap));
          Add(got, s.Feed(side == Receiver::Server ? TimeUp(5) : Halted(5), 1000 + gap + 1));  // the next message
          ASSERT_EQ(Raw(got), std::vector<std::string>{m}) << "cut at " << cut << " after " << gap << " ms";
        }
      }
    }
  }
}

// The last message of a read may go on: it waits for the next bytes or
// for the peer to be quiet (kQuietMs; kHoldMs while it is not complete in
// form); in Lines framing it waits for its line feed.
TEST(ProtocolSplit, TheLastMessageWaitsForQuietOrItsLineFeed) {
  FrameSplitter s(Receiver::Client);
  EXPECT_TRUE(s.Feed("Z|3|0|1234,John Smith,QB,1-1", 1000).empty());
  EXPECT_TRUE(s.Poll(1000 + FrameSplitter::kQuietMs - 1).empty());
  ASSERT_EQ(s.Poll(1000 + FrameSplitter::kQuietMs).size(), 1u);
  EXPECT_TRUE(s.Feed("G|3|0|1234,Jo", 2000).empty());  // not complete in form
  EXPECT_TRUE(s.Poll(2000 + FrameSplitter::kHoldMs - 1).empty());
  const std::vector<Message> late = s.Poll(2000 + FrameSplitter::kHoldMs);
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].body, "1234,Jo");

  FrameSplitter lines(Receiver::Server);
  lines.SetFraming(Framing::Lines);
  EXPECT_TRUE(lines.Feed("V|1|0|12", 0).empty());
  EXPECT_TRUE(lines.Poll(FrameSplitter::kHoldMs - 1).empty());
  const std::vector<Message> ended = lines.Feed("3\nC|1|0|a|b\n", 100);
  EXPECT_EQ(Raw(ended), (std::vector<std::string>{"V|1|0|123", "C|1|0|a|b"}));
  EXPECT_EQ(ended[1].body, "a");
}

// Within one read, a structured message ends where the next one starts;
// free text runs to its next "|" as a peer that takes a read as a message
// reads it, so text that looks like a message is never run as one.
TEST(ProtocolSplit, TextThatLooksLikeAMessageStaysText) {
  const auto v =
      FrameSplitter::SplitAll(Receiver::Client, "L|3|0|W|0|3|1,2V|0|3|1234,Bears,John Smith,QB,1-1H|0|5C|0|0|x");
  EXPECT_EQ(Raw(v), (std::vector<std::string>{"L|3|0|", "W|0|3|1,2", "V|0|3|1234,Bears,John Smith,QB,1-1", "H|0|5",
                                              "C|0|0|x"}));
  const auto chat = FrameSplitter::SplitAll(Receiver::Server, "C|1|0|read the L|0|0|rules");
  ASSERT_EQ(chat.size(), 1u);
  EXPECT_EQ(chat[0].body, "read the L");
  const auto skipped = FrameSplitter::SplitAll(Receiver::Server, "xx C|3|0|a|b and moreD|3|0|1,A B,QB");
  EXPECT_EQ(Raw(skipped), (std::vector<std::string>{"C|3|0|a", "D|3|0|1,A B,QB"}));
  // A number beyond 16 bits is read but marked invalid.
  const auto big = FrameSplitter::SplitAll(Receiver::Server, "D|70000|0|1,A,QBC|1|0|ok");
  ASSERT_EQ(big.size(), 2u);
  EXPECT_FALSE(big[0].valid);
  EXPECT_TRUE(big[1].valid);
}

// A peer can make the receiver hold no more than kMaxBody bytes of field 4:
// a long chat is cut there and a long structured field makes its message
// invalid, whether it comes whole or in many reads; the bytes cut off are
// counted as skipped, and the message after it is whole.
TEST(ProtocolSplit, LongFieldFourIsCutAndTheRestCounted) {
  const std::vector<std::string> sent = {Chat(3, std::string(5000, 'x')), Draft(3, 1, std::string(2000, '7'), "QB"),
                                         Chat(3, "after") + "|", Chat(3, std::string(1100, 'y')) + "|"};
  std::size_t total = 0;
  for (const std::string& m : sent) total += m.size();
  for (std::size_t readSize : {std::size_t{7}, std::size_t{100}, std::size_t{8000}}) {
    SCOPED_TRACE(readSize);
    FrameSplitter s(Receiver::Server);
    std::vector<Message> got;
    std::size_t mostKept = 0;
    for (const std::string& m : sent) {
      for (std::size_t at = 0; at < m.size(); at += readSize) {
        Add(got, s.Feed(std::string_view(m).substr(at, readSize), 0));
        mostKept = std::max(mostKept, s.KeptBytes());
      }
    }
    Add(got, s.Flush());
    EXPECT_LE(mostKept, FrameSplitter::kMaxBody + 16);
    ASSERT_GE(got.size(), 3u);
    EXPECT_TRUE(got[0].valid && got[0].truncated);
    EXPECT_EQ(got[0].body, std::string(FrameSplitter::kMaxBody, 'x'));
    EXPECT_FALSE(got[1].valid);
    EXPECT_EQ(got[2].body, "after");
    std::size_t inMessages = 0;
    for (const Message& m : got) inMessages += m.raw.size();
    EXPECT_EQ(inMessages + s.SkippedBytes(), total);
  }
}

// The fuzzer's corpus (its finds among it) replayed: every byte of every
// stream is in a message or counted as skipped, whatever the reads.
TEST(ProtocolSplit, EveryByteIsInAMessageOrSkipped) {
  int streams = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PROTOCOL_CORPUS)) {
    std::ifstream f(entry.path(), std::ios::binary);
    const std::string input((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(pm::test::CheckSplitting(input), "") << entry.path().filename();
    ++streams;
  }
  EXPECT_GE(streams, 6);
}

// A line break in a chat or a pick must not reach a transcript or the draft
// file as a second line: control characters read as blanks, and the message
// says it had some (a pick that had any is refused by the server).
TEST(ProtocolRead, ControlCharactersReadAsBlanks) {
  const Message chat = ParseMessage("C|3|0|hi\r Commish: fake\x7f");
  EXPECT_EQ(chat.body, "hi  Commish: fake ");
  EXPECT_TRUE(chat.hadControls);
  const Message pick = ParseMessage("D|3|0|662,Nate\rHall,CB");
  EXPECT_EQ(pick.body, "662,Nate Hall,CB");
  EXPECT_TRUE(pick.hadControls);
  // A line feed ends a message: what follows it is never part of it.
  EXPECT_EQ(Raw(FrameSplitter::SplitAll(Receiver::Server, "C|3|0|hi\nCommish: fake")),
            std::vector<std::string>{"C|3|0|hi"});
  EXPECT_FALSE(ParseMessage("C|3|0|plain \xE9t\xE9").hadControls);  // Latin-1 letters stay
}

// What a client receives, decoded once: numbers that must fit do, labels
// are labels, and codes it does not know are told apart from malformed
// messages (ignored, not dropped).
TEST(ProtocolDecode, ClientMessagesDecodeOrAreRefused) {
  const auto decode = [](const std::string& text) { return in::DecodeFromServer(ParseMessage(text)); };
  const auto picked = decode(Picked(3, kPick));
  ASSERT_TRUE(picked && std::holds_alternative<in::Picked>(*picked));
  EXPECT_EQ(std::get<in::Picked>(*picked).pick.label, (pm::draft::PickLabel{3, 7}));
  const auto clock = decode(OnClock(5, 45, {2, 1}));
  ASSERT_TRUE(clock);
  EXPECT_EQ(std::get<in::OnClock>(*clock).seconds, 45);
  EXPECT_TRUE(std::get<in::PickRecord>(*decode(CatchUpEnd(2))).pick == std::nullopt);
  EXPECT_EQ(std::get<in::Accepted>(*decode(Accepted(2, Features::All()))).features, Features::All());
  for (const char* bad : {"Z|1|0|70000,Big,QB,9-9", "N|0|1|99999,1-1", "W|0|1|2,99999", "V|0|1|70000,a,b,c,1-1"})
    EXPECT_FALSE(decode(bad)) << bad;
  // An order in parts: position 0 starts it, each part carries its position.
  std::vector<int> owners(250);
  for (int k = 0; k < 250; ++k) owners[pm::Index(k)] = k % 12 + 1;
  const std::vector<std::string> parts = Order(12, owners);
  ASSERT_EQ(parts.size(), 3u);
  std::vector<int> back;
  for (const std::string& part : parts) {
    const auto order = std::get<in::Order>(*decode(part));
    EXPECT_EQ(order.perRound, 12);
    EXPECT_EQ(order.first, static_cast<int>(back.size()));
    back.insert(back.end(), order.teams.begin(), order.teams.end());
  }
  EXPECT_EQ(back, owners);
  EXPECT_EQ(OrderEntry(12, 40, 7), "O|12|40|7");
  EXPECT_TRUE(std::get<in::Order>(*decode(Order(0, {})[0])).teams.empty());
  for (const char* bad : {"O|12|1000|3", "O|12|0|1,,2", "O|12|0|1,", "O|12|-1|3"}) EXPECT_FALSE(decode(bad)) << bad;
  EXPECT_FALSE(decode("J|0|0|later"));
  EXPECT_TRUE(in::UnknownToClient(ParseMessage("J|0|0|later")));
  EXPECT_FALSE(in::UnknownToClient(ParseMessage("Z|1|0|70000")));
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
