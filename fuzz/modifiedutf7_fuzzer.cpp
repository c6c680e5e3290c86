// The modified UTF-7 decoder of Maildir++ folder names on any bytes: it returns a name or
// nothing, and a name it returns is valid UTF-8 that decodes to itself when it holds no '&'.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mailhost/ModifiedUtf7.h"

using namespace vesko::mailhost;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Whether text is well-formed UTF-8 without surrogates or overlong forms.
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3
                               : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    char32_t code = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const auto decoded = DecodeModifiedUtf7(name);
  if (!decoded) return 0;
  Check(IsUtf8(*decoded));
  if (name.find('&') == std::string_view::npos) Check(*decoded == name);
  return 0;
}
