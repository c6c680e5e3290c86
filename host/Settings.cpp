#include "host/Settings.h"

#include <cassert>
#include <charconv>

#include "host/IniFile.h"
#include "platform/files.h"
#include "platform/IniText.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace vesko {

TSettings TSettings::Defaults(const std::string& settings_path) {
  TSettings s{};
  for (const TSettingKey& k : kSettingKeys) {
    switch (k.type) {
      case TSettingType::kInteger:
        s.*k.number = k.fallback;
        break;
      case TSettingType::kBoolean:
        s.*k.flag = k.fallback != 0;
        break;
      case TSettingType::kString:
        s.*k.text = k.text_fallback != nullptr ? k.text_fallback : ExtractFilePath(settings_path);
        break;
    }
  }
  return s;
}

TSettings TSettings::Load(const std::string& settings_path, const TSettings& defaults) {
  const TIniFile ini(settings_path);
  TSettings s = defaults;
  for (const TSettingKey& k : kSettingKeys) {
    switch (k.type) {
      case TSettingType::kInteger:
        s.*k.number = ini.ReadInteger(k.section, k.key, defaults.*k.number);
        break;
      case TSettingType::kBoolean:
        s.*k.flag = ini.ReadBool(k.section, k.key, defaults.*k.flag);
        break;
      case TSettingType::kString:
        s.*k.text = ini.ReadString(k.section, k.key, defaults.*k.text);
        break;
    }
  }
  return s;
}

TSettings TSettings::Load(const std::string& settings_path) {
  return Load(settings_path, Defaults(settings_path));
}

void TSettings::Save(const std::string& settings_path, const char* skipped) const {
  TIniFile ini(settings_path);
  for (const TSettingKey& k : kSettingKeys) {
    if (!k.in_form || (skipped != nullptr && platform::SameTextNoCase(k.key, skipped))) continue;
    ini.WriteString(k.section, k.key, SettingText(k, *this));
  }
}

const TSettingKey* FindSettingKey(const std::string& section, const std::string& key) {
  for (const TSettingKey& k : kSettingKeys) {
    if (platform::SameTextNoCase(k.section, section) && platform::SameTextNoCase(k.key, key)) {
      return &k;
    }
  }
  return nullptr;
}

namespace {

template <typename Member>
const TSettingKey& FindKeyOf(Member member, Member TSettingKey::*slot) {
  for (const TSettingKey& k : kSettingKeys) {
    if (k.*slot == member) return k;
  }
  assert(false && "every member of TSettings has a row");
  return kSettingKeys[0];
}

}  // namespace

const TSettingKey& KeyOf(int TSettings::*member) { return FindKeyOf(member, &TSettingKey::number); }
const TSettingKey& KeyOf(bool TSettings::*member) { return FindKeyOf(member, &TSettingKey::flag); }
const TSettingKey& KeyOf(std::string TSettings::*member) {
  return FindKeyOf(member, &TSettingKey::text);
}

std::string SettingText(const TSettingKey& k, const TSettings& settings) {
  switch (k.type) {
    case TSettingType::kInteger:
      return std::to_string(settings.*k.number);
    case TSettingType::kBoolean:
      return settings.*k.flag ? "1" : "0";
    case TSettingType::kString:
      return settings.*k.text;
  }
  return {};
}

std::optional<std::string> CheckSettingValue(const TSettingKey& k, const std::string& value,
                                             std::string* problem) {
  const std::string name = std::string(k.section) + " " + k.key;
  if (k.type == TSettingType::kBoolean) {
    for (const char* yes : {"1", "true", "yes", "on"}) {
      if (platform::SameTextNoCase(value, yes)) return "1";
    }
    for (const char* no : {"0", "false", "no", "off"}) {
      if (platform::SameTextNoCase(value, no)) return "0";
    }
    *problem = name + " is a yes/no setting: give 1 or 0";
    return std::nullopt;
  }
  if (k.type == TSettingType::kInteger) {
    int n = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || n < k.min ||
        n > k.max) {
      *problem = name + " takes a whole number from " + std::to_string(k.min) + " to " +
                 std::to_string(k.max);
      return std::nullopt;
    }
    return std::to_string(n);
  }
  if (k.folder && !value.empty()) {
    if (!platform::DirectoryExists(value)) {
      *problem = name + " takes an existing folder; " + value +
                 (platform::FileExists(value) ? " is a file" : " is not there");
      return std::nullopt;
    }
    return IncludeTrailingDelimiter(value);
  }
  return value;
}

bool ReadHideHead(const std::string& folder_ini_path) {
  return TIniFile(folder_ini_path).ReadBool("Settings", "HideHead", false);
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

}  // namespace vesko
