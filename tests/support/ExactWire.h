// Wire helpers shared by ExactServer and ExactClient, the two test peers that
// follow the protocol to the letter: one read is one message, one V at a
// time, unknown codes ignored. Nothing here splits a byte stream; a read is
// taken as the one message it is.
#pragma once

#include <QTcpSocket>

#include <cstdint>
#include <string>
#include <string_view>

namespace pm::test::exact {

// The four fields a receiver looks at, read from one message text.
struct Fields {
  std::string code;  // field 1, compared as exact text
  int16_t a = 0;     // field 2: its leading decimal number (none gives 0)
  int16_t b = 0;     // field 3, likewise
  std::string text;  // field 4, up to the next "|" or the end
  bool fits = true;  // false when field 2 or 3 holds a number beyond 16 bits
};

// Fields 1..4 of `message` (separator "|").
Fields ReadFields(std::string_view message);

// The leading decimal number of a text, fraction included: leading blanks
// are skipped, an optional sign and digits with at most one "." are read up
// to the first other character; none gives 0. "3.03abc" is 3.03.
double Val(std::string_view text);

// How many message starts a read holds: places where an upper-case letter is
// followed by "|", digits, "|" and a digit. A read with more than one holds
// messages that a peer sent together or that arrived together.
int MessageStarts(std::string_view read);

// Writes `message` as it is (no terminator) in one write and flushes it.
// Nothing is written on a socket that is not connected (false).
bool WriteMessage(QTcpSocket& socket, std::string_view message);

// The bytes of one read as text (one byte per character).
std::string ReadAll(QTcpSocket& socket);

}  // namespace pm::test::exact
