#include "tools/TerminalText.h"

#include <cstdint>

#include "platform/charset.h"

namespace vesko::tools {

// The console and the arguments already use the code page.
std::string ToTerminalText(const std::string& text) { return text; }
std::string FromTerminalText(const std::string& text) { return text; }

std::string ShiftJisToUtf8(const std::string& text) {
  const auto decoded = platform::DecodeCodePage(932, text);
  if (!decoded) return text;
  std::string out;
  for (const char32_t c : *decoded) {
    const auto u = static_cast<std::uint32_t>(c);
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | u >> 6);
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
      out += static_cast<char>(0xE0 | u >> 12);
      out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | u >> 18);
      out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

}  // namespace vesko::tools
