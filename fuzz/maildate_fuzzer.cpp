// Date parsing of any bytes: a value or 0, and a value is a real calendar moment.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mail/VeskoUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const vesko::TDateTime value = vesko::ParseMailDate(text);
  if (!std::isfinite(value)) __builtin_trap();
  if (value != 0) {
    const vesko::TCalendarTime t = vesko::DecodeDateTime(value);
    if (t.year < 1 || t.year > 10000) __builtin_trap();
  }
  return 0;
}
