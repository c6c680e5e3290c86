// vesko config list|get|set: the plug-in's settings file, PlugIns/Vesko.ini in the data
// folder. Known keys are checked against their type and range, and HotSync UserIndex
// against the Palm Desktop's users; booleans are stored as "1"/"0". A refused value
// changes nothing and exits with kExitBadInput.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>

#include "host/IniFile.h"
#include "host/Settings.h"
#include "hotsync/AutoInst.h"
#include "platform/IniText.h"
#include "platform/files.h"
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
  return SettingText(k, TSettings::Defaults(path));
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

// The number of Palm Desktop users; 0 when there is no Palm Desktop.
int PalmUserCount() {
  try {
    return TUserData().GetCount();
  } catch (const EPalmDesktopError&) {
    return 0;
  }
}

// The value to store for a known key, checked against its type and range.
std::string Checked(const TSettingKey& k, const std::string& value) {
  std::string problem;
  const std::optional<std::string> checked = CheckSettingValue(k, value, &problem);
  if (!checked) throw TCommandError(problem, kExitBadInput);
  if (k.palm_user && *checked != "-1") {
    const int count = PalmUserCount();
    if (std::stoi(*checked) >= count) {
      throw TCommandError(std::string(k.key) + " " + *checked + " is no Palm Desktop user (" +
                              (count == 0 ? std::string("there are none; see vesko hotsync setup")
                                          : "there are " + std::to_string(count) +
                                                ", see vesko hotsync users") +
                              "); -1 chooses none",
                          kExitBadInput);
    }
  }
  return *checked;
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
  set->add_option("VALUE", options.value,
                  "Value; yes/no settings take 1 or 0, Target 0..2, UserIndex -1 or a user "
                  "of vesko hotsync users")
      ->required();
  set->callback([] { Set(options); });
}

}  // namespace vesko::tools
