// The registry stand-in reader on any text: it parses or throws ERegistryFormat, and what it
// parsed survives a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/RegText.h"

using namespace vesko::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TRegText reg;
  try {
    reg = TRegText::Parse(text);
  } catch (const ERegistryFormat&) {
    return 0;
  }
  const std::string once = reg.Serialize();
  TRegText again = TRegText::Parse(once);
  if (again.Serialize() != once) std::abort();
  const char* key = "Software\\Palm Computing\\Pilot Desktop\\HotSync Manager";
  again.ReadString(key, "Path");
  if (again.CreateKey(key)) {
    if (!again.WriteDword(key, "Install1", 1) || again.ReadDword(key, "install1") != 1u) {
      std::abort();
    }
    if (TRegText::Parse(again.Serialize()).ReadDword(key, "Install1") != 1u) std::abort();
  }
  return 0;
}
