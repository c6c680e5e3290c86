#include "tests/support/DocCompressReference.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vesko::testing {
namespace {

struct TPassOne {
  std::string out;
  bool space_pending = false;

  void Literal(std::uint8_t c) {
    if (space_pending) {
      space_pending = false;
      if (c >= 0x40 && c <= 0x7F) {
        out.push_back(static_cast<char>(c ^ 0x80));
        return;
      }
      out.push_back(' ');
    } else if (c == ' ') {
      space_pending = true;
      return;
    }
    if (c == 0x00 || (c >= 0x09 && c <= 0x7F)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('\x01');
      out.push_back(static_cast<char>(c));
    }
  }
};

}  // namespace

std::string DocCompressReference(std::string_view piece) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(piece.data());
  const std::size_t n = piece.size();
  TPassOne one;
  one.out.reserve(2 * n);
  std::size_t p = 0, e = 1, w = 0;
  while (p < n) {
    if (p - w > 2047) w = p - 2047;
    const std::size_t len = e - p;
    std::size_t s = w;
    while (s <= p) {  // s == p always matches, so the loop ends with a hit
      if (b[s] == b[p] && std::memcmp(b + s, b + p, len) == 0) break;
      ++s;
    }
    if (s != p && len <= 10 && e != n) {
      w = s;
      ++e;
    } else if (len < 4) {
      one.Literal(b[p]);
      ++p;
      w = 0;
      if (e != n) ++e;
    } else {
      if (one.space_pending) {
        one.out.push_back(' ');
        one.space_pending = false;
      }
      const std::size_t distance = p - w, length = len - 1;
      one.out.push_back(static_cast<char>(0x80 + (distance >> 5)));
      one.out.push_back(static_cast<char>(((distance << 3) & 0xFF) + (length - 3)));
      p = e - 1;
      w = 0;
      if (e != n) ++e;
    }
  }
  if (one.space_pending) one.out.push_back(' ');

  // Pass 2: runs of single escaped literals become one count byte and up to eight bytes.
  const std::string& t = one.out;
  std::string out;
  out.reserve(t.size());
  std::size_t i = 0;
  while (i < t.size()) {
    const auto c = static_cast<std::uint8_t>(t[i]);
    if (c == 0x01) {
      const std::size_t count_at = out.size();
      out.push_back('\x01');
      out.push_back(t[i + 1]);
      i += 2;
      while (i < t.size() && t[i] == '\x01' && out[count_at] < 8) {
        ++out[count_at];
        out.push_back(t[i + 1]);
        i += 2;
      }
    } else if (c >= 0x80 && c <= 0xBF) {
      out.append(t, i, 2);
      i += 2;
    } else {
      out.push_back(t[i]);
      ++i;
    }
  }
  return out;
}

}  // namespace vesko::testing
