// The plug-in's options, each read afresh from its settings file (the plug-in's own path
// with ".ini") with the default that the export side uses, and the two settings of the
// host that the export reads. The settings dialog writes the file through TIniFile.
#pragma once

#include <string>

namespace vesko {

// Which mails an export takes ("Settings" "Target"); other values take none.
inline constexpr int kTargetUnread = 0;
inline constexpr int kTargetAll = 1;
inline constexpr int kTargetSelected = 2;

int ReadTarget(const std::string& settings_path);         // default kTargetUnread
bool ReadMenuFlag(const std::string& settings_path);      // default true
bool ReadSaveMeDoc(const std::string& settings_path);     // default true
bool ReadAutoInstall(const std::string& settings_path);   // default true
bool ReadMarkAsRead(const std::string& settings_path);    // default true
bool ReadDelSpace(const std::string& settings_path);      // default false
bool ReadDelDBSpace(const std::string& settings_path);    // default false
bool ReadDelCRLF(const std::string& settings_path);       // default false
bool ReadZentoHan(const std::string& settings_path);      // default false
bool ReadZentoHanKana(const std::string& settings_path);  // default false
bool ReadDateInTitle(const std::string& settings_path);   // "Options" "Date", default true
bool ReadTimeInTitle(const std::string& settings_path);   // "Options" "Time", default false
int ReadUserIndex(const std::string& settings_path);      // default -1: no user
// The save folder; by default the folder of the settings file, with its delimiter.
std::string ReadSavePath(const std::string& settings_path);

// A folder's "HideHead" from its Folder.ini (host data folder + folder ID + "Folder.ini").
bool ReadHideHead(const std::string& folder_ini_path);
// The host's sender display format, 0..4, from its registry settings; 0 when unset.
int ReadListAddrFmt();

// The keys of section "Options" that switch the mail body decodings (mail/MailBody.h).
inline constexpr char kDecodeTransferKey[] = "DecodeTransfer";
inline constexpr char kHtmlToTextKey[] = "HtmlToText";
inline constexpr char kMoreCharsetsKey[] = "MoreCharsets";
inline constexpr char kForwardedKey[] = "Forwarded";
inline constexpr char kKeepUndecodedKey[] = "KeepUndecoded";

// Every key of the settings file, for listing and checking typed input.
enum class TSettingType { kInteger, kBoolean, kString };
struct TSettingKey {
  const char* section;
  const char* key;
  TSettingType type;
  const char* fallback;  // the export side's default; "" for SavePath (see ReadSavePath)
};
inline constexpr TSettingKey kSettingKeys[] = {
    {"Settings", "Target", TSettingType::kInteger, "0"},
    {"Settings", "MenuFlag", TSettingType::kBoolean, "1"},
    {"Options", "SaveMeDoc", TSettingType::kBoolean, "1"},
    {"Options", "AutoInstall", TSettingType::kBoolean, "1"},
    {"Options", "MarkAsRead", TSettingType::kBoolean, "1"},
    {"Options", "DelSpace", TSettingType::kBoolean, "0"},
    {"Options", "DelDBSpace", TSettingType::kBoolean, "0"},
    {"Options", "DelCRLF", TSettingType::kBoolean, "0"},
    {"Options", "ZentoHan", TSettingType::kBoolean, "0"},
    {"Options", "ZentoHanKana", TSettingType::kBoolean, "0"},
    {"Options", "SavePath", TSettingType::kString, ""},
    {"Options", "Date", TSettingType::kBoolean, "1"},
    {"Options", "Time", TSettingType::kBoolean, "0"},
    {"HotSync", "UserIndex", TSettingType::kInteger, "-1"},
    {"Options", kDecodeTransferKey, TSettingType::kBoolean, "1"},
    {"Options", kHtmlToTextKey, TSettingType::kBoolean, "1"},
    {"Options", kMoreCharsetsKey, TSettingType::kBoolean, "1"},
    {"Options", kForwardedKey, TSettingType::kBoolean, "1"},
    {"Options", kKeepUndecodedKey, TSettingType::kBoolean, "1"},
};

// The entry of kSettingKeys named so (ignoring case), or null.
const TSettingKey* FindSettingKey(const std::string& section, const std::string& key);

}  // namespace vesko
