// Converts any bytes with every kind and mode. Kinds 2..6 never lengthen the text, and
// full width to half width and back gives the half-width text again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/JisCode.h"

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
    const std::string again = vesko::ToHalfWidth(vesko::Convert(half, 1, mode), mode);
    if (again != half) __builtin_trap();
  }
  return 0;
}
