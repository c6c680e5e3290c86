// Reading the mail items' options from the three places that hold them.
#include <charconv>
#include <optional>

#include "export/MeDocItemList.h"
#include "host/IniFile.h"
#include "host/PlugIn.h"
#include "host/Settings.h"
#include "platform/registry.h"

namespace vesko {
namespace {

// The host's own settings, an INI-style view of its registry key: section "Settings" is
// the sub-key of that name.
constexpr char kHostSettingsKey[] = "Software\\RimArts\\B2\\Settings";

std::string HostText(const char* text) { return text != nullptr ? std::string(text) : ""; }

// A registry value read as an integer: a number value, or a text holding a number.
int ReadRegistryInteger(const std::string& key, const std::string& name, int fallback) {
  if (const auto value = platform::RegReadDword(key, name)) return static_cast<int>(*value);
  if (const auto text = platform::RegReadString(key, name)) {
    int value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error == std::errc() && end == text->data() + text->size()) return value;
  }
  return fallback;
}

// A boolean key of section "Options", with the default of the settings table.
bool ReadOptionFlag(const TIniFile& settings, const char* key) {
  const TSettingKey* entry = FindSettingKey("Options", key);
  return settings.ReadBool("Options", key, entry != nullptr && entry->fallback[0] == '1');
}

}  // namespace

TTextOptions ReadTextOptions() {
  const TBeckyAPI& api = PlugIn().api;
  TTextOptions options;
  // Both host paths end with a delimiter, so they join as they are.
  const TIniFile folder(HostText(api.BKA_GetDataFolder()) + HostText(api.BKA_GetCurrentFolder()) +
                        "Folder.ini");
  options.HideHead = folder.ReadBool("Settings", "HideHead", false);
  const TIniFile settings(PlugIn().settings_path);
  options.DelSpace = settings.ReadBool("Options", "DelSpace", false);
  options.DelDBSpace = settings.ReadBool("Options", "DelDBSpace", false);
  options.DelCRLF = settings.ReadBool("Options", "DelCRLF", false);
  options.ZentoHan = settings.ReadBool("Options", "ZentoHan", false);
  options.ZentoHanKana = settings.ReadBool("Options", "ZentoHanKana", false);
  options.Decoding.DecodeTransfer = ReadOptionFlag(settings, kDecodeTransferKey);
  options.Decoding.HtmlToText = ReadOptionFlag(settings, kHtmlToTextKey);
  options.Decoding.MoreCharsets = ReadOptionFlag(settings, kMoreCharsetsKey);
  options.Decoding.Forwarded = ReadOptionFlag(settings, kForwardedKey);
  options.Decoding.KeepUndecoded = ReadOptionFlag(settings, kKeepUndecodedKey);
  options.ListAddrFmt = ReadRegistryInteger(kHostSettingsKey, "ListAddrFmt", 0);
  return options;
}

TMeDocItemList::TMeDocItemList() : options_(ReadTextOptions()) {}

}  // namespace vesko
