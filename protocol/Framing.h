// Cutting a TCP byte stream into the draft's messages.
//
// A message is code "|" number "|" number ["|" field 4]. A peer that only
// knows the plain protocol sends each message in a send of its own, with no
// terminator and no length; the programs, once both have said they
// understand it (Feature::Lines), end every message with a line feed.
//
// The splitter reads both. A line feed always ends a message (no message
// holds one). Without it, the end of a message is found as follows:
//  - field 4 runs to the next "|", or up to a code letter right before that
//    "|" that starts the next message -- except free text a server receives
//    (chat, private lines, T): that runs to the next "|" or to the end of
//    what the peer sent in one go, so that text which looks like a message
//    is never run as one (a server relays chat cut at its first "|", so a
//    client can tell the server's next message from the text before it);
//  - where a read ended, a message ends if the next read begins a message
//    of its own, and goes on otherwise (the rest of a message cut by the
//    network);
//  - bytes that belong to no message (what follows a "|" that ends field 4)
//    are skipped up to the next message start and counted.
// The last message of what has arrived may go on in the next read, so it is
// kept: until the next bytes show where it ends, or until the peer has been
// quiet for kQuietMs (kHoldMs when the message is not yet complete in form).
// In Lines framing a message is released at its line feed and kept until
// then (kHoldMs at most, for a peer that breaks its word).
//
// Every byte of the stream ends up in exactly one released message (its
// text, plus its line feed) or in SkippedBytes(). A field 4 longer than
// kMaxBody is cut there and its rest skipped. Times are milliseconds of any
// steady clock, injected. Plain C++, no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Protocol.h"

namespace pm::protocol {

enum class Receiver {
  Server,  // recognises the client-to-server codes
  Client,  // recognises the server-to-client codes
};

// How field 4 of a message is laid out, for the side that receives it.
enum class BodyForm {
  None,    // no field 4 (H)
  Empty,   // a "|" and nothing after it (L and X to a client)
  Fields,  // ","-fields, at least BodyShape::fields of them
  Text,    // free text
};
struct BodyShape {
  BodyForm form = BodyForm::Text;
  int fields = 0;  // BodyForm::Fields: the fields a complete body has at least
};
BodyShape ShapeOf(Receiver side, char code);

// How the peer ends its messages.
enum class Framing {
  Guessed,  // not at all: the end is found from the text and the reads
  Lines,    // with a line feed
};

class FrameSplitter {
 public:
  explicit FrameSplitter(Receiver side);

  // From now on the peer ends every message with a line feed.
  void SetFraming(Framing framing) { framing_ = framing; }
  Framing CurrentFraming() const { return framing_; }

  // Adds the bytes of one read; returns the messages whose end is known.
  std::vector<Message> Feed(std::string_view bytes, int64_t nowMs);
  // Releases the kept message once its time has come (PendingReleaseAt).
  std::vector<Message> Poll(int64_t nowMs);
  // Releases whatever is kept, as it stands (end of stream, tests).
  std::vector<Message> Flush();

  bool HasPending() const { return !buffer_.empty(); }
  // Bytes of the kept (not yet released) message.
  std::size_t KeptBytes() const { return buffer_.size(); }
  // True when the kept message is complete in form: all of its fields
  // have begun (a last field may still grow).
  bool PendingComplete() const;
  // When Poll releases the kept message.
  int64_t PendingReleaseAt() const;
  // Bytes skipped because they belonged to no message.
  std::size_t SkippedBytes() const { return skipped_; }
  // Messages released invalid (a number not fitting 16 bits, cut short
  // before field 3, or a structured field 4 cut at kMaxBody).
  std::size_t InvalidMessages() const { return invalid_; }

  // The longest field 4 a peer can make its receiver hold.
  static constexpr std::size_t kMaxBody = 1024;
  // How long a message that is complete in form waits for more of it.
  static constexpr int64_t kQuietMs = 20;
  // How long any other kept message waits.
  static constexpr int64_t kHoldMs = 250;

  // The messages of a text that arrived in one read, all released.
  static std::vector<Message> SplitAll(Receiver side, std::string_view text);

 private:
  enum class Start { Yes, No, NeedMore };
  // Where the message starting at `pos` ends, once that is known.
  struct End {
    bool known = false;
    std::size_t end = 0;    // the message is buffer_[pos, end)
    std::size_t next = 0;   // where scanning goes on; bytes in [end, next)
                            // past a line feed are the message's own, skipped
    bool lineFeed = false;  // a line feed at `end` ended it
    bool cut = false;       // field 4 was cut at kMaxBody
  };

  bool IsCode(char c) const;
  // Whether a field 4 of this shape ends where the next message starts.
  bool LooksBack(const BodyShape& shape) const;
  Start StartAt(std::size_t pos, std::size_t* field3End) const;
  End FindEnd(std::size_t pos, std::size_t field3End, bool final) const;
  End FindLineEnd(std::size_t pos, std::size_t field3End, bool final) const;
  End FindGuessedEnd(std::size_t pos, std::size_t field3End, bool final) const;
  // The end of what belongs to the message starting at `pos` in Guessed
  // framing: a line feed, or a read boundary that starts a message.
  // `decided` is false when the bytes after a boundary are too few to say.
  std::size_t OuterEnd(std::size_t pos, bool final, bool* decided) const;
  std::size_t NextStart(std::size_t from) const;
  bool CompleteInForm(std::string_view text) const;
  // Cuts the messages whose end is known off the front of buffer_; with
  // `final` the end of the buffer ends the last one too.
  void Split(std::vector<Message>& out, bool final);
  void Emit(std::vector<Message>& out, std::size_t pos, const End& end);

  Receiver side_;
  std::string_view codes_;
  Framing framing_ = Framing::Guessed;
  bool skipLine_ = false;  // the rest of a line cut at kMaxBody is skipped
  std::string buffer_;
  // Positions in buffer_ where a read ended (Guessed framing only).
  std::vector<std::size_t> readEnds_;
  int64_t pendingSince_ = 0;
  int64_t lastBytesAt_ = 0;
  std::size_t skipped_ = 0;
  std::size_t invalid_ = 0;
};

}  // namespace pm::protocol
