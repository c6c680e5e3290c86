#include "platform/profile.h"

#include <optional>

#include "platform/IniText.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace vesko::platform {
namespace {

// The file's text; a missing or unreadable file reads as an empty one.
std::string ReadText(const std::string& path) {
  try {
    return FileExists(path) ? ReadWholeFile(path) : std::string();
  } catch (const EOSError&) {
    return std::string();
  }
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
  std::optional<std::string> value = IniLookup(ReadText(path), section, key);
  return value ? *value : ProfileFallback(fallback);
}

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int fallback) {
  const std::optional<std::string> value = IniLookup(ReadText(path), section, key);
  return value ? ParseProfileInt(*value, fallback) : fallback;
}

void WriteProfileEntry(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value) {
  CheckProfileEntry(section, key, value);
  // Unlike a read, a write must not replace a file it couldn't read.
  const std::string text = FileExists(path) ? ReadWholeFile(path) : std::string();
  WriteFileAtomic(path, IniUpdate(text, section, key, value));
}

}  // namespace vesko::platform
