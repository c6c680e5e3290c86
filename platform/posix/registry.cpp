#include "platform/registry.h"

#include "platform/RegText.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/posix/SharedFiles.h"

namespace vesko::platform {
namespace {

std::string StandInPath() { return JoinPath(DataHome(), "registry.reg"); }

// The stand-in as it is now; a missing or empty file is an empty registry. Throws
// EOSError or ERegistryFormat when the file can't be read or isn't a registry file.
TRegText Load() {
  const std::string path = StandInPath();
  if (!FileExists(path)) return TRegText();
  const std::string text = ReadWholeFile(path);
  return text.empty() ? TRegText() : TRegText::Parse(text);
}

// The stand-in for reading; one that can't be read reads as missing, with a warning.
std::optional<TRegText> TryLoad() {
  try {
    return Load();
  } catch (const EVeskoError& e) {
    WarnAboutFile(StandInPath(), std::string("can't be read as a registry: ") + e.what());
    return std::nullopt;
  }
}

// Loads the stand-in, applies change and stores the result when change returns true.
// A file that can't be read is never overwritten.
template <typename Change>
bool Update(Change&& change) {
  try {
    // Writers take turns, or one would replace the file with its own change alone.
    MakeDirectory(DataHome());
    const TFileLock lock(StandInPath());
    TRegText reg = Load();
    if (!change(reg)) return false;
    WriteFileAtomic(StandInPath(), reg.Serialize());
    return true;
  } catch (const EVeskoError&) {
    return false;
  }
}

}  // namespace

bool RegKeyExists(const std::string& key) {
  const auto reg = TryLoad();
  return reg && reg->KeyExists(key);
}

std::optional<std::string> RegReadString(const std::string& key, const std::string& name) {
  const auto reg = TryLoad();
  return reg ? reg->ReadString(key, name) : std::nullopt;
}

std::optional<std::uint32_t> RegReadDword(const std::string& key, const std::string& name) {
  const auto reg = TryLoad();
  return reg ? reg->ReadDword(key, name) : std::nullopt;
}

bool RegWriteDword(const std::string& key, const std::string& name, std::uint32_t value) {
  return Update([&](TRegText& reg) { return reg.WriteDword(key, name, value); });
}

bool RegWriteString(const std::string& key, const std::string& name, const std::string& value) {
  return Update([&](TRegText& reg) { return reg.WriteString(key, name, value); });
}

bool RegCreateKey(const std::string& key) {
  const auto reg = TryLoad();
  if (reg && reg->KeyExists(key)) return true;
  return Update([&](TRegText& reg) { return reg.CreateKey(key); });
}

bool RegDeleteKey(const std::string& key) {
  return Update([&](TRegText& reg) { return reg.DeleteKey(key); });
}

}  // namespace vesko::platform
