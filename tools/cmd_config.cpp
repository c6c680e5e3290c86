// vesko config list|get|set: the plug-in's settings file, PlugIns/Vesko.ini in the data
// folder. Known keys are checked against their type; booleans are stored as "1"/"0".
#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "host/IniFile.h"
#include "host/Settings.h"
#include "platform/IniText.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tools/DataFolder.h"
#include "tools/commands.h"

namespace vesko::tools {
namespace {

struct TConfigOptions {
  std::string section;
  std::string key;
  std::string value;
};

std::string SettingsText(const std::string& path) {
  return platform::FileExists(path) ? platform::ReadWholeFile(path) : std::string();
}

// The default of a known key as the export reads it.
std::string DefaultOf(const TSettingKey& k, const std::string& path) {
  return k.type == TSettingType::kString ? ExtractFilePath(path) : k.fallback;
}

void Print(const std::string& section, const std::string& key, const std::string& value,
           bool is_default) {
  std::printf("%s.%s=%s%s\n", section.c_str(), key.c_str(), value.c_str(),
              is_default ? "  (default)" : "");
}

void List() {
  const std::string path = SettingsFilePath();
  const std::string text = SettingsText(path);
  std::printf("# %s\n", path.c_str());
  for (const TSettingKey& k : kSettingKeys) {
    const std::optional<std::string> value = platform::IniLookup(text, k.section, k.key);
    Print(k.section, k.key, value.value_or(DefaultOf(k, path)), !value);
  }
  for (const platform::TIniEntry& e : platform::IniEntries(text)) {
    if (FindSettingKey(e.section, e.key) == nullptr) Print(e.section, e.key, e.value, false);
  }
}

void Get(const TConfigOptions& o) {
  const std::string path = SettingsFilePath();
  const std::optional<std::string> value =
      platform::IniLookup(SettingsText(path), o.section, o.key);
  if (value) {
    std::printf("%s\n", value->c_str());
  } else if (const TSettingKey* k = FindSettingKey(o.section, o.key)) {
    std::printf("%s\n", DefaultOf(*k, path).c_str());
  } else {
    throw TCommandError("no key " + o.key + " in [" + o.section + "] of " + path);
  }
}

// The value to store for a known key, checked against its type.
std::string Checked(const TSettingKey& k, const std::string& value) {
  if (k.type == TSettingType::kBoolean) {
    for (const char* yes : {"1", "true", "yes", "on"}) {
      if (platform::SameTextNoCase(value, yes)) return "1";
    }
    for (const char* no : {"0", "false", "no", "off"}) {
      if (platform::SameTextNoCase(value, no)) return "0";
    }
    throw TCommandError(std::string(k.key) + " is a yes/no setting: give 1 or 0", kExitBadInput);
  }
  if (k.type == TSettingType::kInteger) {
    int n = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
      throw TCommandError(std::string(k.key) + " takes a whole number", kExitBadInput);
    }
    return std::to_string(n);
  }
  return value;
}

void Set(const TConfigOptions& o) {
  TIniFile ini(SettingsFilePath());
  if (const TSettingKey* k = FindSettingKey(o.section, o.key)) {
    ini.WriteString(k->section, k->key, Checked(*k, o.value));
  } else {
    ini.WriteString(o.section, o.key, o.value);
  }
}

}  // namespace

void RegisterConfigCommands(CLI::App& app) {
  static TConfigOptions options;
  CLI::App* config = app.add_subcommand("config", "Show or change the plug-in's settings file");
  config->require_subcommand(1);

  config->add_subcommand("list", "Print every setting, defaults marked, then unknown keys")
      ->callback(List);

  CLI::App* get = config->add_subcommand("get", "Print one setting (its default when unset)");
  get->add_option("SECTION", options.section, "Section, e.g. Options")->required();
  get->add_option("KEY", options.key, "Key, e.g. SavePath")->required();
  get->callback([] { Get(options); });

  CLI::App* set = config->add_subcommand("set", "Change one setting");
  set->add_option("SECTION", options.section, "Section, e.g. Options")->required();
  set->add_option("KEY", options.key, "Key, e.g. DelSpace")->required();
  set->add_option("VALUE", options.value, "Value; yes/no settings take 1 or 0")->required();
  set->callback([] { Set(options); });
}

}  // namespace vesko::tools
