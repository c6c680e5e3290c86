// The settings file reader and writer on any text: lookups and listings never fail, and a
// value written is read back while every other listed key keeps its value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/IniText.h"
#include "platform/errors.h"

using namespace vesko::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto entries = IniEntries(text);
  for (const auto& e : entries) IniLookup(text, e.section, e.key);
  ParseProfileInt(text.substr(0, 32), 7);
  // A text with a NUL byte is never called sound.
  if (text.find('\0') != std::string_view::npos && !IniProblem(text)) std::abort();
  // Write the first listed key (or a fixed one) and read everything back.
  const std::string section = entries.empty() ? "Options" : entries.front().section;
  const std::string key = entries.empty() ? "SavePath" : entries.front().key;
  std::string updated;
  try {
    updated = IniUpdate(text, section, key, "new value");
  } catch (const vesko::EVeskoError&) {
    return 0;  // a name that can't be written
  }
  if (IniLookup(updated, section, key) != "new value") std::abort();
  for (const auto& e : entries) {
    const bool same_key = SameTextNoCase(e.key, key) && SameTextNoCase(e.section, section);
    if (!same_key && IniLookup(updated, e.section, e.key) != IniLookup(text, e.section, e.key)) {
      std::abort();
    }
  }
  return 0;
}
