// Quoted-printable decoding of any bytes: never longer than its input plus one CR.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/VeskoUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string decoded = vesko::QuotedPrintableDecode(text);
  if (decoded.size() > size) __builtin_trap();
  // Text without '=' comes back unchanged but for trailing control characters.
  if (text.find('=') == std::string_view::npos && text.substr(0, decoded.size()) != decoded) {
    __builtin_trap();
  }
  return 0;
}
