#include "host/IniFile.h"

#include <utility>

#include "platform/profile.h"

namespace vesko {

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  return platform::ReadProfileString(path_, section, key, fallback);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
  return platform::ReadProfileInt(path_, section, key, fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  platform::WriteProfileEntry(path_, section, key, value);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace vesko
