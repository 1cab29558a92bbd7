#include "tests/support/ExactWire.h"

#include <charconv>
#include <optional>

#include "common/Common.h"

namespace pm::test::exact {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Fields ReadFields(std::string_view message) {
  Fields f;
  f.code = GetField(message, 1, "|");
  std::optional<int16_t> a = ToInt16(GetField(message, 2, "|"));
  std::optional<int16_t> b = ToInt16(GetField(message, 3, "|"));
  f.fits = a.has_value() && b.has_value();
  f.a = a.value_or(0);
  f.b = b.value_or(0);
  f.text = GetField(message, 4, "|");
  return f;
}

double Val(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::size_t start = i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) continue;
    if (text[i] == '.' && !point) {
      point = true;
      continue;
    }
    break;
  }
  std::string number(text.substr(start, i - start));
  if (!number.empty() && number.front() == '+') number.erase(0, 1);
  double value = 0;
  // from_chars is independent of the locale; a text without digits leaves 0.
  std::from_chars(number.data(), number.data() + number.size(), value);
  return value;
}

int MessageStarts(std::string_view read) {
  auto digitsFrom = [&](std::size_t at) {
    std::size_t end = at;
    while (end < read.size() && IsDigit(read[end])) ++end;
    return end;
  };
  int starts = 0;
  for (std::size_t p = 0; p + 4 < read.size(); ++p) {
    if (read[p] < 'A' || read[p] > 'Z' || read[p + 1] != '|') continue;
    std::size_t end = digitsFrom(p + 2);
    if (end == p + 2 || end >= read.size() || read[end] != '|') continue;
    if (digitsFrom(end + 1) > end + 1) ++starts;
  }
  return starts;
}

bool WriteMessage(QTcpSocket& socket, std::string_view message) {
  if (socket.state() != QAbstractSocket::ConnectedState) return false;
  socket.write(message.data(), static_cast<qint64>(message.size()));
  socket.flush();
  return true;
}

std::string ReadAll(QTcpSocket& socket) {
  QByteArray bytes = socket.readAll();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace pm::test::exact
