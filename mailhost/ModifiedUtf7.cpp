#include "mailhost/ModifiedUtf7.h"

#include <cstdint>
#include <vector>

namespace vesko::mailhost {
namespace {

// The value of a base64 digit of modified UTF-7, or -1.
int DigitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == ',') return 63;
  return -1;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes the base64 digits of one shift into UTF-8. False when they are no UTF-16 text.
bool DecodeShift(std::string_view digits, std::string& out) {
  std::vector<char16_t> units;
  std::uint32_t bits = 0;
  int bit_count = 0;
  for (const char c : digits) {
    const int value = DigitValue(c);
    if (value < 0) return false;
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    bit_count += 6;
    if (bit_count >= 16) {
      bit_count -= 16;
      units.push_back(static_cast<char16_t>((bits >> bit_count) & 0xFFFF));
    }
  }
  // What is left pads the last digit: fewer than 6 bits, all zero.
  if (units.empty() || bit_count >= 6 || (bits & ((1u << bit_count) - 1)) != 0) return false;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    } else if (c >= 0x20 && c <= 0x7E) {
      return false;  // printable ASCII stands for itself
    }
    AppendUtf8(c, out);
  }
  return true;
}

}  // namespace

std::optional<std::string> DecodeModifiedUtf7(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c < 0x20 || c > 0x7E) return std::nullopt;
    if (c != '&') {
      out += c;
      continue;
    }
    const std::size_t end = name.find('-', i + 1);
    if (end == std::string_view::npos) return std::nullopt;
    if (end == i + 1) {
      out += '&';
    } else if (!DecodeShift(name.substr(i + 1, end - i - 1), out)) {
      return std::nullopt;
    }
    i = end;
  }
  return out;
}

}  // namespace vesko::mailhost
