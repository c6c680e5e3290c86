// Code detection of any bytes answers 0..6.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mail/VeskoUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int code = vesko::DetectCode(std::string_view(reinterpret_cast<const char*>(data), size));
  if (code < 0 || code > 6) __builtin_trap();
  return 0;
}
