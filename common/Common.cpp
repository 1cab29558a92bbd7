#include "common/Common.h"

#include <algorithm>
#include <climits>

namespace pm {

std::string GetField(std::string_view text, int n, std::string_view separator) {
  if (n < 1) return {};
  if (separator.empty()) separator = ",";
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) return {};
    start = at + separator.size();
  }
  std::size_t end = text.find(separator, start);
  if (end == std::string_view::npos) end = text.size();
  return std::string(text.substr(start, end - start));
}

std::string PadField(std::string_view text, std::string_view alignment, int width) {
  if (width <= 0) return {};
  std::size_t w = static_cast<std::size_t>(width);
  if (text.size() >= w) return std::string(text.substr(0, w));
  std::string blanks(w - text.size(), ' ');
  if (alignment == "R") return blanks + std::string(text);
  return std::string(text) + blanks;
}

int CharCode(std::string_view value) { return value.empty() ? 0 : static_cast<unsigned char>(value.front()); }

std::string ReplaceChar(std::string_view text, char character, std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == character)
      out.append(replacement);
    else
      out.push_back(c);
  }
  return out;
}

std::string ToBitString(unsigned value, int width) {
  std::string s;
  while (value > 0) {
    s.insert(s.begin(), static_cast<char>('0' + value % 2));
    value /= 2;
  }
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}

unsigned FromBitString(std::string_view digits) {
  unsigned value = 0;
  for (char c : digits) value = value * 2 + static_cast<unsigned>(c == '1');
  return value;
}

std::string XorBitStrings(std::string_view a, std::string_view b) {
  std::string out(a.size(), '0');
  for (std::size_t i = 0; i < a.size(); ++i) {
    int da = a[i] == '1';
    int db = i < b.size() && b[i] == '1';
    out[i] = static_cast<char>('0' + (da + db) % 2);
  }
  return out;
}

long long LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Saturate instead of overflowing; anything this large fails every range test.
    if (value > (LLONG_MAX - 9) / 10)
      value = LLONG_MAX / 2;
    else
      value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

std::optional<int16_t> ToInt16(std::string_view text) {
  long long v = LeadingNumber(text);
  if (v < INT16_MIN || v > INT16_MAX) return std::nullopt;
  return static_cast<int16_t>(v);
}

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  return std::string(text.substr(b, e - b));
}

std::string TrimRight(std::string_view text) {
  std::size_t e = text.size();
  while (e > 0 && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  return std::string(text.substr(0, e));
}

std::string Num(long long value) { return std::to_string(value); }

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (const char c : latin1) {
    const auto ch = static_cast<unsigned char>(c);
    if (ch < 0x80) {
      out += static_cast<char>(ch);
    } else {
      out += static_cast<char>(0xC0 | (ch >> 6));
      out += static_cast<char>(0x80 | (ch & 0x3F));
    }
  }
  return out;
}

std::string UpperLatin1(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) c = static_cast<char>(u - 0x20);
  }
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  return out;
}

}  // namespace pm
