// The draft's wire protocol: message codes, builders for every message in
// both directions, the field reader, and the splitter that cuts a TCP byte
// stream into messages.
//
// A message is plain Latin-1 text: code "|" number "|" number ["|" text].
// There is no terminator and no length prefix; the stream is split at known
// message starts (see FrameSplitter). Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Version.h"

namespace pm::protocol {

// ---------------------------------------------------------------- codes ----
// Client to server.
inline constexpr char kLogin = 'L';        // L|team|0|version,count,league
inline constexpr char kPickRequest = 'V';  // V|team|0|n
inline constexpr char kDraft = 'D';        // D|team|0|PID,name,position
inline constexpr char kChat = 'C';         // C|team|0|text
inline constexpr char kPrivate = 'P';      // P|team|to|text
inline constexpr char kTimeUp = 'T';       // T|team|0|failed to make ...
// Beyond the document: the owner's wish list, sent in parts (see WishList).
// A server that does not know the code skips it as bytes of no message.
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

// Codes each side receives (and so recognises as message starts).
inline constexpr std::string_view kClientToServerCodes = "LVCPDTK";
inline constexpr std::string_view kServerToClientCodes = "LRWVZGCPXNIHY";

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

// Compares two version texts as decimal numbers ("3.02" < "3.03" < "3.10",
// "3.1" == "3.10"). Blanks around the text are ignored. Returns false in `ok`
// when either text is not a decimal number (digits, optionally "." digits).
// Result: -1, 0 or 1.
int CompareVersions(std::string_view a, std::string_view b, bool* ok);

// Typed chat text as it may go on the wire: cut at its first "|", so that a
// chat line can never carry a second message.
std::string CutChat(std::string_view text);

// The longest wish list a server keeps for a team, and the PIDs one K
// message carries (100 five-digit PIDs keep field 4 under
// FrameSplitter::kMaxBody).
inline constexpr int kMaxWishList = 200;
inline constexpr int kWishListPart = 100;

// ------------------------------------------------------------- builders ----
// Numbers are written in plain decimal; texts are taken as they are (Latin-1).
// Client to server.
std::string Login(int team, std::string_view version, int playerCount, std::string_view leagueName);
std::string PickRequest(int team, int n);
std::string Draft(int team, std::string_view pidText, std::string_view playerName, std::string_view position);
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
// `pickRecord` is a draft-file line: PID|team name|player name|position|r-s.
std::string PickRecordMessage(int team, std::string_view pickRecord);
// `draftBody` is field 4 of the D that made the pick: PID,name,position.
std::string Picked(int team, std::string_view draftBody, std::string_view roundSel);
std::string Picked(int team, std::string_view pidText, std::string_view playerName, std::string_view position,
                   std::string_view roundSel);
std::string Taken(int team, std::string_view draftBody);
std::string ChatRelay(int from, std::string_view text);           // text cut at "|"
std::string PrivateOut(int from, int to, std::string_view text);  // text cut at "|"
std::string Left(int team);
std::string OnClock(int team, std::string_view secondsText, std::string_view roundSel);
std::string TimedOut(int team, std::string_view teamName);
std::string Halted(int team);
std::string Deleted(std::string_view roundSel);

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

// ------------------------------------------------------------- framing ----
enum class Receiver {
  Server,  // recognises the client-to-server codes
  Client,  // recognises the server-to-client codes
};

// How many ","-fields field 4 of a message has when complete, for the side
// that receives it: 0 for a message that has no field 4 (H), -1 for free
// text (C, P, I, T, and the empty field 4 of L/X to a client), k >= 1 for a
// structured message (W counts 1: its list has at least one entry).
int BodyFieldCount(Receiver side, char code);

// Splits a byte stream into messages.
//
// A message starts at a code letter of the receiving side followed by "|",
// a number, "|", a number (a number: an optional "-" and at least one
// digit). Field 4, when the next character is "|", runs to the next "|" -- or,
// when the letter right before that "|" starts another message, up to that
// letter. Bytes that belong to no message (text a peer sent after the "|"
// that ends field 4) are skipped up to the next message start and counted.
//
// The last message of what has arrived may be incomplete. It is kept:
//  - when it is complete in form (all of its ","-fields are there, or it is
//    free text), Poll releases it at once; Feed never does, because the next
//    read may still extend its last field;
//  - when it is not complete in form, Poll releases it (as it stands) only
//    250 ms after it was first kept; a later Feed that completes it releases
//    it as soon as the message after it starts.
// A peer's send normally arrives in one read, so a message complete in form
// at the end of a read is whole. Once a connection has shown that it splits
// messages (a read ended inside a message, or a read continued the kept
// message), a message complete in form may still have its last field cut, so
// it is released only after 30 ms without new bytes, or as soon as the next
// message starts. The first message of a connection waits the same way, since
// nothing is known of the connection's reads before it.
// Times are injected as milliseconds of any steady clock.
class FrameSplitter {
 public:
  explicit FrameSplitter(Receiver side);

  // Adds the bytes of one read; returns the messages that are now complete.
  std::vector<Message> Feed(std::string_view bytes, int64_t nowMs);
  // Releases the kept message when its time has come (see above).
  std::vector<Message> Poll(int64_t nowMs);
  // Releases whatever is kept, as it stands (end of stream, tests).
  std::vector<Message> Flush();

  bool HasPending() const { return !buffer_.empty(); }
  // Bytes of the kept (not yet released) message.
  std::size_t KeptBytes() const { return buffer_.size(); }
  // True when the kept message is complete in form.
  bool PendingComplete() const;
  // The time at which Poll will release the kept message whatever its form.
  int64_t PendingDeadline() const { return pendingSince_ + kHoldMs; }
  // The time at which Poll releases the kept message (for the caller's timer).
  int64_t PendingReleaseAt() const;
  // True once the stream has split a message across reads.
  bool Fragmented() const { return fragmented_; }
  // Bytes skipped because they belonged to no message.
  std::size_t SkippedBytes() const { return skipped_; }
  // Messages released invalid (a number not fitting 16 bits, or cut short
  // before its third field) -- they are still returned, with valid = false.
  std::size_t InvalidMessages() const { return invalid_; }

  // The longest field 4 a peer can make its receiver hold. A longer free
  // text (chat) is cut there and its rest skipped; a longer structured field
  // is cut too and the message released invalid.
  static constexpr std::size_t kMaxBody = 1024;

  static constexpr int64_t kHoldMs = 250;
  static constexpr int64_t kQuietMs = 30;

  // Appends the messages of a complete read (no message is kept) -- the
  // splitting rule on its own, for callers that have a whole text.
  static std::vector<Message> SplitAll(Receiver side, std::string_view text);

 private:
  enum class Start { Yes, No, NeedMore };
  Start StartAt(std::string_view buf, std::size_t pos, std::size_t* field3End) const;
  bool IsCode(char c) const;
  // Cuts complete messages off the front of buffer_. With `final` set the
  // end of the buffer ends the last message too.
  void Split(std::vector<Message>& out, bool final);
  void Emit(std::vector<Message>& out, std::string_view text);
  bool CompleteInForm(std::string_view text) const;

  Receiver side_;
  std::string_view codes_;
  std::string buffer_;
  int64_t pendingSince_ = 0;
  int64_t lastBytesAt_ = 0;
  bool fragmented_ = false;
  std::size_t released_ = 0;
  std::size_t skipped_ = 0;
  std::size_t invalid_ = 0;
};

}  // namespace pm::protocol
