#include "platform/profile.h"

#include <windows.h>

#include <vector>

#include "platform/IniText.h"
#include "platform/errors.h"

namespace vesko::platform {

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
  std::vector<char> buffer(256);
  for (;;) {
    const DWORD n =
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                   static_cast<DWORD>(buffer.size()), path.c_str());
    // A value that fills the buffer may have been cut short: read again with more room.
    if (n + 1 < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 4);
  }
}

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int fallback) {
  return static_cast<int>(
      ::GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path.c_str()));
}

void WriteProfileEntry(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value) {
  CheckProfileEntry(section, key, value);
  if (!::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) {
    throw EOSError("writing " + path, static_cast<int>(::GetLastError()));
  }
}

}  // namespace vesko::platform
