#include "platform/locale.h"

#include <cstdlib>

namespace vesko::platform {

unsigned AnsiCodePage() {
  if (const char* cp = std::getenv("VESKO_CODEPAGE"); cp != nullptr && *cp != '\0') {
    const unsigned long value = std::strtoul(cp, nullptr, 10);
    if (value > 0) return static_cast<unsigned>(value);
  }
  return 932;
}

bool IsLeadByte(unsigned char c) {
  if (AnsiCodePage() != 932) return false;
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace vesko::platform
