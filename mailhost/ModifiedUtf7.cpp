#include "mailhost/ModifiedUtf7.h"

#include <unicode/unistr.h>

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
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return false;
    } else if (u >= 0x20 && u <= 0x7E) {
      return false;  // printable ASCII stands for itself
    }
  }
  icu::UnicodeString(units.data(), static_cast<int32_t>(units.size())).toUTF8String(out);
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
