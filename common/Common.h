// Text and bookkeeping helpers shared by PKServer, PKClient and pkleague.
//
// Every text handled here is a byte string in Latin-1: one byte per character,
// exactly as it travels on the wire and lies in the league files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pm {

// Field n (1-based) of a separated text. Empty fields count, a field beyond
// the last is empty, the last field runs to the end of the text, n < 1 gives
// empty text. An empty separator stands for ",".
std::string GetField(std::string_view text, int n, std::string_view separator = ",");

// The text made exactly `width` characters: "R" right-aligns it (blanks in
// front), anything else left-aligns it (blanks behind); a longer text keeps
// its leftmost characters.
std::string PadField(std::string_view text, std::string_view alignment, int width);

// The character code of the first character (0 for empty text).
int CharCode(std::string_view value);

// `text` with every `character` replaced by `replacement` (empty removes it).
std::string ReplaceChar(std::string_view text, char character, std::string_view replacement);

// Binary digit strings, most significant digit first.
std::string ToBitString(unsigned value, int width = 16);
unsigned FromBitString(std::string_view digits);
std::string XorBitStrings(std::string_view a, std::string_view b);

// The value of the leading decimal number of a text, as the programs read
// every number out of a message, a record or a text box: leading blanks are
// skipped, an optional sign is taken, digits are read up to the first other
// character; no digits gives 0. The value is not limited to 16 bits; see
// FitsInt16 and ToInt16.
long long LeadingNumber(std::string_view text);

// The leading number when it fits a signed 16-bit value, else nothing.
std::optional<int16_t> ToInt16(std::string_view text);

// Text with leading and trailing blanks (spaces and tabs) removed.
std::string Trim(std::string_view text);
std::string TrimRight(std::string_view text);

// A number in plain decimal, without a leading blank.
std::string Num(long long value);

// An int index as a container subscript (1-based tables are indexed by team
// and position numbers that are int everywhere else).
template <class Int>
constexpr std::size_t Index(Int i) {
  return static_cast<std::size_t>(i);
}

// A set of lambdas as one callable, for std::visit.
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
// Spelled out: clang before 17 does not deduce an aggregate's template
// arguments from its initializer.
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

// Latin-1 text as UTF-8 (for terminals and JSON).
std::string Latin1ToUtf8(std::string_view latin1);

// Latin-1 aware lower-case of ASCII letters, for case-blind file name tests.
std::string AsciiLower(std::string_view text);

// Latin-1 text in capitals: a-z and the accented small letters (à..þ but ÷)
// become their capitals; every other byte stays.
std::string UpperLatin1(std::string_view text);

}  // namespace pm
