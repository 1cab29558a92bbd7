// The draft's wire protocol: message codes, the features two programs may
// agree on beyond the plain protocol, builders for every message in both
// directions and the field reader.
//
// A message is plain Latin-1 text: code "|" number "|" number ["|" text].
// The plain protocol has no terminator and no length prefix: each message
// goes out in a send of its own (see Framing.h for how a receiver finds the
// ends). Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/Version.h"
#include "draft/Pick.h"

namespace pm::protocol {

// ---------------------------------------------------------------- codes ----
// Client to server.
inline constexpr char kLogin = 'L';        // L|team|0|version,count,league
inline constexpr char kPickRequest = 'V';  // V|team|0|n
inline constexpr char kDraft = 'D';        // D|team|0|PID,name,position
inline constexpr char kChat = 'C';         // C|team|0|text
inline constexpr char kPrivate = 'P';      // P|team|to|text
inline constexpr char kTimeUp = 'T';       // T|team|0|failed to make ...
// An addition of this system: the owner's wish list, sent in parts (see
// WishList). A server that does not know the code skips it as bytes of no
// message.
inline constexpr char kWishList = 'K';  // K|team|first|PID,PID,...
// Server to client.
inline constexpr char kSignedOn = 'L';    // L|team|0|
inline constexpr char kRefused = 'R';     // R|0|0|reason
inline constexpr char kWhoElse = 'W';     // W|0|team|a,b,c
inline constexpr char kPickRecord = 'V';  // V|0|team|PID,team name,name,pos,r-s
inline constexpr char kPicked = 'Z';      // Z|team|0|PID,name,pos,r-s
inline constexpr char kTaken = 'G';       // G|team|0|PID,name,pos
inline constexpr char kChatRelay = 'C';   // C|from|0|text
inline constexpr char kPrivateOut = 'P';  // P|from|to|text
inline constexpr char kLeft = 'X';        // X|team|0|
inline constexpr char kOnClock = 'N';     // N|0|team|seconds,r-s
inline constexpr char kTimedOut = 'I';    // I|0|team|name failed to ...
inline constexpr char kHalted = 'H';      // H|0|team
inline constexpr char kDeleted = 'Y';     // Y|0|0|r-s
// Only to a client that announced features (see Feature).
inline constexpr char kAccepted = 'A';   // A|0|team|features shared
inline constexpr char kDraftOver = 'E';  // E|0|0|
inline constexpr char kOrder = 'O';      // O|per round|first|team,team,...
inline constexpr char kPaused = 'Q';     // Q|0|team|seconds,r-s

// Codes each side receives (and so recognises as message starts).
inline constexpr std::string_view kClientToServerCodes = "LVCPDTK";
inline constexpr std::string_view kServerToClientCodes = "LRWVZGCPXNIHYAEOQ";

// ------------------------------------------------------------- features ----
// What a program understands beyond the plain protocol. A client announces
// its features in a fourth ","-field of L ("3.03,450,League,lines+all+wish"),
// which a server that knows only the plain protocol never reads; a server
// that knows features answers at once with A, naming those both understand.
// Each side uses a feature only after that exchange, so a peer that knows
// only the plain protocol never sees anything new.
enum class Feature : unsigned {
  Lines = 1u << 0,         // every message ends with a line feed
  WholeCatchUp = 1u << 1,  // after sign-on every recorded pick comes at once, then an empty V
  WishList = 1u << 2,      // K: the owner's wish list
  DraftOver = 1u << 3,     // E: the draft is complete, the server will close
  Order = 1u << 4,         // O: which team owns each pick of the draft order
  Pause = 1u << 5,         // Q: the clock stopped with the seconds left; N starts it again
  LongClock = 1u << 6,     // N and Q may carry up to kMaxLongClockSeconds
};

class Features {
 public:
  Features() = default;
  Features(std::initializer_list<Feature> features);
  // Every feature this build understands.
  static Features All();
  // The words of a text ("lines+all"); words not known are left out.
  static Features Parse(std::string_view text);

  bool Has(Feature feature) const { return (bits_ & static_cast<unsigned>(feature)) != 0; }
  bool Empty() const { return bits_ == 0; }
  Features SharedWith(Features other) const;
  std::string Text() const;
  bool operator==(const Features&) const = default;

 private:
  unsigned bits_ = 0;
};

// Login refusal reasons (field 4 of R).
inline constexpr int kRefuseLeague = 0;
inline constexpr int kRefuseVersion = 1;
inline constexpr int kRefusePlayerCount = 2;  // also: team outside the league
inline constexpr int kRefuseSignedOn = 3;
inline constexpr int kRefuseKicked = 4;

// The text a client shows for a refusal reason; empty for an unknown reason.
std::string RefusalText(int reason);
// The same for field 4 of R as received: blanks around it are ignored and it
// is read as its leading decimal number; a field that does not start with a
// digit (empty, "x", "-1", "+3") gives empty text.
std::string RefusalText(std::string_view reasonField);

// The server's version; a client announcing a lower one is refused.
inline constexpr std::string_view kServerVersion = kVersion;

// The TCP port of the draft.
inline constexpr uint16_t kDraftPort = 7;

// The fixed text of T.
inline constexpr std::string_view kTimeUpText = "failed to make a selection within the allotted time.";
// The text that follows the team name in I.
inline constexpr std::string_view kTimedOutSuffix = " failed to make a selection while on the clock.";

// Compares two version texts as the decimal numbers they begin with
// ("3.02" < "3.03" < "3.10", "3.1" == "3.10", "3.03abc" == "3.03"); leading
// blanks are skipped and a text that begins with no number is 0.
// Result: -1, 0 or 1.
int CompareVersions(std::string_view a, std::string_view b);

// Typed chat text as it may go on the wire: cut at its first "|", so that a
// chat line can never carry a second message.
std::string CutChat(std::string_view text);

// The longest wish list a server keeps for a team, and the PIDs one K
// message carries (100 five-digit PIDs keep field 4 under the receiver's
// bound, FrameSplitter::kMaxBody).
inline constexpr int kMaxWishList = 200;
inline constexpr int kWishListPart = 100;

// The most picks an order message describes, and the entries one part
// carries (team numbers of up to two digits keep a part far under the
// receiver's bound).
inline constexpr int kMaxOrderLabels = draft::kMaxPicks;
inline constexpr int kOrderPart = 100;

// The seconds N and Q carry: at most kMaxPlainClockSeconds to a client
// that reads them as 16 bits, up to a day to one that shares LongClock.
inline constexpr int kMaxPlainClockSeconds = 32767;
inline constexpr int kMaxLongClockSeconds = 86400;
// The seconds of N or Q for a client with `features`: a longer time is cut
// to what it reads (the server's clock stays the authority).
int ClockSecondsFor(int seconds, Features features);

// ------------------------------------------------------------- builders ----
// Numbers are written in plain decimal; texts are taken as they are (Latin-1).
// Client to server.
// `features` (when any) go in a fourth ","-field.
std::string Login(int team, std::string_view version, int playerCount, std::string_view leagueName,
                  Features features = {});
std::string PickRequest(int team, int n);
std::string Draft(int team, int pid, std::string_view playerName, std::string_view position);
std::string Chat(int team, std::string_view text);                 // text cut at "|"
std::string PrivateLine(int team, int to, std::string_view text);  // text cut at "|"
std::string TimeUp(int team);
// The K messages that send a whole wish list (at most kMaxWishList PIDs;
// more are left off): field 3 is the list position (0-based) of the part's
// first PID, so that "first 0" starts a new list and each further part
// continues it. An empty list is one message with an empty field 4.
std::vector<std::string> WishList(int team, const std::vector<int>& pids);

// Server to client.
std::string SignedOn(int team);
std::string Refused(int reason);
std::string WhoElse(int team, const std::vector<int>& others);  // others must not be empty
std::string Accepted(int team, Features shared);
// V: one recorded pick sent to team `team`.
std::string PickRecordMessage(int team, const draft::Pick& pick);
// The empty V that ends a whole catch-up.
std::string CatchUpEnd(int team);
// Z: team `team` picked (the pick's team name is not sent).
std::string Picked(int team, const draft::Pick& pick);
std::string Taken(int team, int pid, std::string_view playerName, std::string_view position);
std::string ChatRelay(int from, std::string_view text);           // text cut at "|"
std::string PrivateOut(int from, int to, std::string_view text);  // text cut at "|"
std::string Left(int team);
std::string OnClock(int team, int seconds, draft::PickLabel label);
// Q: the clock of `team` stopped with `seconds` left (a pause); N starts it again.
std::string Paused(int team, int seconds, draft::PickLabel label);
std::string TimedOut(int team, std::string_view teamName);
std::string Halted(int team);
std::string Deleted(draft::PickLabel label);
std::string DraftOver();
// O: the team owning each pick of the draft order, in draft order (label k
// is round k / perRound + 1, selection k % perRound + 1), in parts of at
// most kOrderPart; field 3 is the position of the part's first entry, so
// that position 0 starts a new order and each further part sets the entries
// from its position on. No owners at all: one part with an empty field 4
// (no order: the clients show what they know).
std::vector<std::string> Order(int perRound, const std::vector<int>& owners);
// One pick's owner changed (a trade): the entry at `index` alone.
std::string OrderEntry(int perRound, int index, int team);

// --------------------------------------------------------------- reader ----
struct Message {
  char code = 0;             // field 1's first character (0 when empty)
  std::string codeText;      // field 1 as text
  int16_t from = 0;          // field 2: the team the message is from or about
                             // (leading decimal number; none gives 0)
  int16_t to = 0;            // field 3: the team it is addressed to, likewise
  std::string body;          // field 4, up to the next "|" or the end
  bool valid = false;        // false when field 1 is empty, or field 2 or 3 holds
                             // a number that does not fit 16 bits, or a
                             // structured field 4 was cut (see kMaxBody)
  bool truncated = false;    // field 4 was longer than kMaxBody and was cut there
  bool hadControls = false;  // field 4 held control characters (bytes 0-31 and
                             // 127); each is a blank in `body`
  bool terminated = false;   // a line feed ended it (not part of `raw`)
  std::string raw;           // the message text as received
};

// Reads fields 1..4 of one message text. Control characters in field 4 are
// read as blanks, so that no text from the wire can break a line in a
// transcript or a file.
Message ParseMessage(std::string_view text);

// The PIDs of a K message's field 4: decimal numbers 1..65535 separated by
// ","; an empty field is an empty list. False when any entry is not such a
// number or the part holds more than kWishListPart PIDs.
bool ParseWishListPart(std::string_view body, std::vector<int>* pids);

// The text with every control character (bytes 0-31 and 127) a blank.
std::string BlankControls(std::string_view text);

// Field n (1-based) of field 4, separator ",".
std::string BodyField(const Message& m, int n);

}  // namespace pm::protocol
