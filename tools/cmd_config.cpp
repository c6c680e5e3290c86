// vesko config list|get|set: the plug-in's settings file, PlugIns/Vesko.ini in the data
// folder. Only the keys of kSettingKeys are set, each checked against its type and range,
// HotSync UserIndex against the Palm Desktop's users and SavePath against the folders
// there are; booleans are stored as "1"/"0". An unknown key is refused with the nearest
// known one. A refused value changes nothing and exits with kExitBadInput.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "host/IniFile.h"
#include "host/Settings.h"
#include "hotsync/AutoInst.h"
#include "mail/TextUtil.h"
#include "platform/IniText.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "tools/DataFolder.h"
#include "tools/Suggest.h"
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

// One line of the list: the key, its value and what it is.
void Print(const std::string& section, const std::string& key, const std::string& value,
           const std::string& about) {
  const std::string setting = section + "." + key + "=" + value;
  std::printf("%-32s  # %s\n", setting.c_str(), about.c_str());
}

void List() {
  const std::string path = SettingsFilePath();
  const std::string text = SettingsText(path);
  std::printf("# %s\n", path.c_str());
  for (const TSettingKey& k : kSettingKeys) {
    const std::optional<std::string> value = platform::IniLookup(text, k.section, k.key);
    Print(k.section, k.key, value.value_or(DefaultOf(k, path)),
          std::string(value ? "" : "(default) ") + k.about);
  }
  for (const platform::TIniEntry& e : platform::IniEntries(text)) {
    if (FindSettingKey(e.section, e.key) == nullptr) {
      Print(e.section, e.key, e.value, "not Vesko's: the plug-in ignores it");
    }
  }
}

// The key of kSettingKeys named so; throws TCommandError naming the nearest one otherwise.
const TSettingKey& KnownKey(const std::string& section, const std::string& key) {
  if (const TSettingKey* k = FindSettingKey(section, key)) return *k;
  std::string hint;
  std::vector<std::string> names;
  for (const TSettingKey& k : kSettingKeys) {
    if (platform::SameTextNoCase(k.key, key)) hint = std::string(k.section) + " " + k.key;
    names.push_back(std::string(k.section) + " " + k.key);
  }
  const std::string word = section + " " + key;
  throw TCommandError("no setting \"" + word + "\"" +
                          (hint.empty() ? SuggestionText(word, names)
                                        : "; did you mean \"" + hint + "\"?") +
                          " (vesko config list shows every setting)",
                      kExitBadInput);
}

void Get(const TConfigOptions& o) {
  const std::string path = SettingsFilePath();
  const std::optional<std::string> value =
      platform::IniLookup(SettingsText(path), o.section, o.key);
  if (value) {
    std::printf("%s\n", value->c_str());
  } else {
    std::printf("%s\n", DefaultOf(KnownKey(o.section, o.key), path).c_str());
  }
}

// A folder as typed: "~" stands for the home folder, and a relative path is made whole,
// since the plug-in doesn't run where the command was typed.
std::string WholeFolder(std::string folder) {
  const std::optional<std::string> home = platform::GetEnvironment("HOME");
  if (home && (folder == "~" || folder.rfind("~/", 0) == 0)) folder = *home + folder.substr(1);
  if (folder.empty()) return folder;
  std::error_code error;
  const std::filesystem::path whole = std::filesystem::absolute(folder, error);
  return error ? folder : whole.string();
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
  if (k.per_run) {
    std::string option = k.key;
    for (char& c : option) c = LowerAscii(c);
    throw TCommandError(std::string(k.key) + " is chosen for one export at a time: vesko export --" +
                            option + " VALUE",
                        kExitBadInput);
  }
  std::string problem;
  const std::optional<std::string> checked =
      CheckSettingValue(k, k.folder ? WholeFolder(value) : value, &problem);
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
  // Resolving the data folder first also points the Palm Desktop's users at its registry.
  const std::string path = SettingsFilePath();
  const TSettingKey& k = KnownKey(o.section, o.key);
  const std::string value = Checked(k, o.value);
  TIniFile(path).WriteString(k.section, k.key, value);
}

}  // namespace

void RegisterConfigCommands(CLI::App& app) {
  static TConfigOptions options;
  CLI::App* config = app.add_subcommand("config", "Show or change the plug-in's settings file");
  config->require_subcommand(1);

  config->add_subcommand("list",
                          "Print every setting with what it does, defaults marked, then the "
                          "keys of the file that are not Vesko's")
      ->callback(List);

  CLI::App* get = config->add_subcommand("get", "Print one setting (its default when unset)");
  get->add_option("SECTION", options.section, "Section, e.g. Options")->required();
  get->add_option("KEY", options.key, "Key, e.g. SavePath")->required();
  get->callback([] { Get(options); });

  CLI::App* set = config->add_subcommand(
      "set", "Change one setting; an unknown key or a value it can't hold is refused (exit 2)");
  set->add_option("SECTION", options.section, "Section, e.g. Options")->required();
  set->add_option("KEY", options.key, "Key, e.g. DelSpace")->required();
  set->add_option("VALUE", options.value,
                  "Value; yes/no settings take 1 or 0, Target 0..2, UserIndex -1 or a user "
                  "of vesko hotsync users, SavePath an existing folder (~ is your home)")
      ->required();
  set->callback([] { Set(options); });
}

}  // namespace vesko::tools
