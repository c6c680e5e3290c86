// Converts any bytes with every kind and mode. Kinds 2..6 never lengthen the text, and on
// well-formed Shift JIS, half width to full width and back gives the half-width text again.
// (A stray lead byte would pair up with a full-width character made after it.)
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/JisCode.h"

namespace {

bool WellFormed(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      if (i + 1 >= text.size()) return false;
      const auto t = static_cast<unsigned char>(text[++i]);
      if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (int kind = 0; kind <= 7; ++kind) {
    for (int mode = 0; mode <= 4; ++mode) {
      const std::string out = vesko::Convert(text, kind, mode);
      if (kind >= 2 && out.size() > size) __builtin_trap();
      if (kind == 1 && out.size() > 2 * size) __builtin_trap();
    }
  }
  for (int mode = 1; mode <= 3; ++mode) {
    const std::string half = vesko::ToHalfWidth(text, mode);
    if (!WellFormed(half)) continue;
    const std::string again = vesko::ToHalfWidth(vesko::Convert(half, 1, mode), mode);
    if (again != half) __builtin_trap();
  }
  return 0;
}
