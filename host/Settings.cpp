#include "host/Settings.h"

#include <optional>

#include "host/IniFile.h"
#include "platform/IniText.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace vesko {
namespace {

bool Flag(const std::string& path, const char* section, const char* key, bool fallback) {
  return TIniFile(path).ReadBool(section, key, fallback);
}

}  // namespace

int ReadTarget(const std::string& path) {
  return TIniFile(path).ReadInteger("Settings", "Target", kTargetUnread);
}
bool ReadMenuFlag(const std::string& path) { return Flag(path, "Settings", "MenuFlag", true); }
bool ReadSaveMeDoc(const std::string& path) { return Flag(path, "Options", "SaveMeDoc", true); }
bool ReadAutoInstall(const std::string& path) { return Flag(path, "Options", "AutoInstall", true); }
bool ReadMarkAsRead(const std::string& path) { return Flag(path, "Options", "MarkAsRead", true); }
bool ReadDelSpace(const std::string& path) { return Flag(path, "Options", "DelSpace", false); }
bool ReadDelDBSpace(const std::string& path) { return Flag(path, "Options", "DelDBSpace", false); }
bool ReadDelCRLF(const std::string& path) { return Flag(path, "Options", "DelCRLF", false); }
bool ReadZentoHan(const std::string& path) { return Flag(path, "Options", "ZentoHan", false); }
bool ReadZentoHanKana(const std::string& path) {
  return Flag(path, "Options", "ZentoHanKana", false);
}
bool ReadDateInTitle(const std::string& path) { return Flag(path, "Options", "Date", true); }
bool ReadTimeInTitle(const std::string& path) { return Flag(path, "Options", "Time", false); }
int ReadUserIndex(const std::string& path) {
  return TIniFile(path).ReadInteger("HotSync", "UserIndex", -1);
}
std::string ReadSavePath(const std::string& path) {
  return TIniFile(path).ReadString("Options", "SavePath", ExtractFilePath(path));
}

bool ReadHideHead(const std::string& folder_ini_path) {
  return Flag(folder_ini_path, "Settings", "HideHead", false);
}

int ReadListAddrFmt() {
  constexpr const char* kKey = "Software\\RimArts\\B2\\Settings";
  if (const auto number = platform::RegReadDword(kKey, "ListAddrFmt")) {
    return static_cast<int>(*number);
  }
  // The host may keep its settings as texts.
  if (const auto text = platform::RegReadString(kKey, "ListAddrFmt")) {
    return platform::ParseProfileInt(*text, 0);
  }
  return 0;
}

const TSettingKey* FindSettingKey(const std::string& section, const std::string& key) {
  for (const TSettingKey& k : kSettingKeys) {
    if (platform::SameTextNoCase(k.section, section) && platform::SameTextNoCase(k.key, key)) {
      return &k;
    }
  }
  return nullptr;
}

}  // namespace vesko
