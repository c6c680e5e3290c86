#include "platform/profile.h"

#include <optional>

#include "platform/IniText.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/posix/SharedFiles.h"
#include "platform/syserror.h"

namespace vesko::platform {
namespace {

// The file's text; a missing file reads as an empty one. An unreadable file does too,
// and so does one that isn't a settings file, but the user is warned.
std::string ReadText(const std::string& path) {
  std::string text;
  try {
    if (!FileExists(path)) return text;
    text = ReadWholeFile(path);
  } catch (const EOSError& e) {
    WarnAboutFile(path, "can't be read (" + SystemErrorText(e.code()) +
                            "); the settings' defaults are used");
    return text;
  }
  if (const auto problem = IniProblem(text)) {
    WarnAboutFile(path, "isn't a sound settings file: " + *problem);
  }
  return text;
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
  // Writers take turns, or one would replace the file with its own change alone. Unlike
  // a read, a write must not replace a file it couldn't read.
  const TFileLock lock(path);
  const std::string text = FileExists(path) ? ReadWholeFile(path) : std::string();
  WriteFileAtomic(path, IniUpdate(text, section, key, value));
}

}  // namespace vesko::platform
