#include "mail/VeskoUtil.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "mail/TextUtil.h"

namespace vesko {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower-case digits do not count
}

bool InRange(unsigned c, unsigned low, unsigned high) { return c >= low && c <= high; }

// Splits the token before the first `separator` off the front of rest. The rest is
// trimmed first; without a separator the token is empty and the rest stays.
std::string_view TakeToken(std::string_view& rest, char separator) {
  rest = TrimBlanks(rest);
  const std::size_t at = rest.find(separator);
  if (at == std::string_view::npos) return {};
  const std::string_view token = rest.substr(0, at);
  rest.remove_prefix(at + 1);
  return token;
}

// A decimal number as the date fields hold it: empty or unreadable text gives 0, a
// number outside 0..65535 gives nothing (the date cannot be read).
std::optional<int> DateNumber(std::string_view token) {
  bool negative = false;
  std::size_t i = 0;
  if (!token.empty() && (token[0] == '+' || token[0] == '-')) negative = token[0] == '-', i = 1;
  if (i == token.size()) return 0;
  long long value = 0;
  for (; i < token.size(); ++i) {
    if (token[i] < '0' || token[i] > '9') return 0;
    value = value * 10 + (token[i] - '0');
    if (value > 0x7FFFFFFF) return 0;  // too long to read
  }
  if (negative) value = -value;
  if (value < 0 || value > 65535) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

std::string QuotedPrintableDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t equals = text.find('=', pos);
    if (equals == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, equals - pos));
    const std::size_t left = text.size() - equals - 1;
    if (left == 0) {
      out += '\r';
      break;
    }
    if (left == 1) break;
    const int high = HexDigitValue(text[equals + 1]);
    const int low = HexDigitValue(text[equals + 2]);
    if (high >= 0 && low >= 0) out += static_cast<char>(high * 16 + low);
    pos = equals + 3;
  }
  while (!out.empty() && static_cast<unsigned char>(out.back()) < 0x20 && out.back() != '\r') {
    out.pop_back();
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  unsigned bits = 0;
  int count = 0;  // sextets in the current group of four
  const auto flush = [&] {
    // Two sextets hold one byte, three hold two; a lone one holds none.
    if (count >= 2) out += static_cast<char>(bits >> (count == 2 ? 4 : 10));
    if (count == 3) out += static_cast<char>(bits >> 2);
    bits = 0, count = 0;
  };
  for (const char ch : text) {
    int value;
    if (ch >= 'A' && ch <= 'Z') value = ch - 'A';
    else if (ch >= 'a' && ch <= 'z') value = ch - 'a' + 26;
    else if (ch >= '0' && ch <= '9') value = ch - '0' + 52;
    else if (ch == '+') value = 62;
    else if (ch == '/') value = 63;
    else {
      if (ch == '=') flush();
      continue;
    }
    bits = bits << 6 | static_cast<unsigned>(value);
    if (++count == 4) {
      out += static_cast<char>(bits >> 16);
      out += static_cast<char>(bits >> 8);
      out += static_cast<char>(bits);
      bits = 0, count = 0;
    }
  }
  flush();
  return out;
}

std::string UnfoldHeader(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' && i + 2 < value.size() && value[i + 1] == '\n' &&
        (value[i + 2] == ' ' || value[i + 2] == '\t')) {
      ++i;  // the blank after the line end stays
      continue;
    }
    out += value[i];
  }
  return out;
}

std::string OnOneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') {
      out += text[i];
    } else if (i == 0 || (text[i - 1] != '\r' && text[i - 1] != '\n')) {
      out += ' ';
    }
  }
  return out;
}

std::size_t FindFrom(std::string_view needle, std::string_view text, std::size_t start) {
  if (start < 1 || start > text.size() || needle.empty()) return 0;
  const std::size_t at = text.find(needle, start - 1);
  return at == std::string_view::npos ? 0 : at + 1;
}

int DetectCode(std::string_view text) {
  const auto binary = [](unsigned c) { return c < 8 || c == 0xFF; };
  const std::size_t checked = std::min(text.size(), kBinaryCheckLength);
  for (std::size_t i = 0; i < checked; ++i) {
    if (binary(static_cast<unsigned char>(text[i]))) return kCodeBinary;
  }
  std::size_t i = 0;
  unsigned c = 0;
  const auto next = [&] {
    if (i >= text.size()) return false;
    c = static_cast<unsigned char>(text[i++]);
    return true;
  };
  int code = kCodeAscii;
  while ((code == kCodeAscii || code == kCodeEucOrSjis) && next()) {
    if (binary(c)) {
      code = kCodeBinary;
    } else if (c == 0x1B) {
      if (next() && c == '$' && next()) {
        if (c == 'B') code = kCodeJisNew;
        if (c == '@') code = kCodeJisOld;
      }
    } else if (InRange(c, 0x81, 0x8D) || InRange(c, 0x8F, 0x9F)) {
      code = kCodeShiftJis;
    } else if (c == 0x8E) {
      if (!next()) break;
      if (InRange(c, 0x40, 0x7E) || InRange(c, 0x80, 0xA0) || InRange(c, 0xE0, 0xFC)) {
        code = kCodeShiftJis;
      } else if (InRange(c, 0xA1, 0xDF)) {
        code = kCodeEucOrSjis;
      }
    } else if (InRange(c, 0xA1, 0xDF)) {
      if (!next()) break;
      if (InRange(c, 0xF0, 0xFE)) {
        code = kCodeEucJp;
      } else if (InRange(c, 0xA1, 0xDF)) {
        code = kCodeEucOrSjis;
      } else if (InRange(c, 0xE0, 0xEF)) {
        code = kCodeEucOrSjis;
        while (code == kCodeEucOrSjis && next() && c >= 0x40) {
          if (InRange(c, 0x81, 0x8D) || InRange(c, 0x8F, 0x9C)) code = kCodeShiftJis;
          else if (InRange(c, 0xFD, 0xFE)) code = kCodeEucJp;
        }
      } else if (c < 0xA0) {
        code = kCodeShiftJis;
      }
    } else if (InRange(c, 0xF0, 0xFE)) {
      code = kCodeEucJp;
    } else if (InRange(c, 0xE0, 0xEF)) {
      if (!next()) break;
      if (InRange(c, 0x40, 0x7E) || InRange(c, 0x80, 0xA0)) {
        code = kCodeShiftJis;
      } else if (InRange(c, 0xFD, 0xFE)) {
        code = kCodeEucJp;
      } else if (InRange(c, 0xA1, 0xFC)) {
        code = kCodeEucOrSjis;
      }
    }
  }
  return code;
}

TDateTime ParseMailDate(std::string_view text) {
  constexpr std::string_view kMonths = "jan feb mar apr may jun jul aug sep oct nov dec";
  std::string_view rest = TrimBlanks(text);
  if (rest.size() > 5 && rest[3] == ',') rest.remove_prefix(5);

  const std::optional<int> day = DateNumber(TakeToken(rest, ' '));
  std::string month_name(TakeToken(rest, ' '));
  for (char& ch : month_name) ch = LowerAscii(ch);
  const std::optional<int> year = DateNumber(TakeToken(rest, ' '));
  const std::optional<int> hour = DateNumber(TakeToken(rest, ':'));
  const std::optional<int> minute = DateNumber(TakeToken(rest, ':'));
  const std::optional<int> second = DateNumber(TakeToken(rest, ' '));
  if (!day || !year || !hour || !minute || !second) return 0;

  TCalendarTime t;
  t.day = (*day == 0 || *day >= 32) ? 1 : *day;
  const std::size_t at = month_name.empty() ? std::string_view::npos : kMonths.find(month_name);
  t.month = at == std::string_view::npos ? 1 : static_cast<int>(at / 4) + 1;
  t.year = *year;
  t.hour = *hour;
  t.minute = *minute;
  t.second = *second;
  TDateTime value = 0;
  if (!TryEncodeDateTime(t, value)) return 0;
  if (TrimBlanks(rest) == "GMT") value += 0.375;
  return value;
}

std::string MailDateText(TDateTime value) {
  if (value == 0) return "0";
  const TCalendarTime t = DecodeDateTime(value);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

std::string DisplayName(std::string_view from) {
  const std::size_t paren = from.find('(');
  const std::size_t quote = from.find('"');
  const std::size_t angle = from.find('<');
  const std::size_t first = std::min({paren, quote, angle});
  std::string_view name;
  if (first == std::string_view::npos) return {};
  if (first == paren || first == quote) {
    const char closing = first == paren ? ')' : '"';
    const std::size_t end = std::min(from.find(closing, first + 1), from.size());
    name = from.substr(first + 1, end - first - 1);
  } else {
    name = from.substr(0, angle);
  }
  return std::string(TrimBlanks(name));
}

std::string MailAddress(std::string_view from) {
  std::string value(from);
  const std::size_t open = value.find('"');
  if (open != std::string::npos) {
    const std::size_t close = value.find('"', open + 1);
    if (close != std::string::npos) value.erase(open, close - open + 1);
  }
  const std::string_view rest = value;
  std::string_view address;
  const std::size_t paren = rest.find('(');
  const std::size_t angle = rest.find('<');
  const std::size_t quote = rest.find('"');
  if (paren != std::string_view::npos && paren >= 3) {
    address = rest.substr(0, paren);
  } else if (angle != std::string_view::npos) {
    const std::size_t end = std::min(rest.find('>', angle + 1), rest.size());
    address = rest.substr(angle + 1, end - angle - 1);
  } else if (quote != std::string_view::npos && quote >= 3) {
    address = rest.substr(0, quote);
  }
  address = TrimBlanks(address);
  return address.empty() ? std::string(TrimBlanks(from)) : std::string(address);
}

}  // namespace vesko
