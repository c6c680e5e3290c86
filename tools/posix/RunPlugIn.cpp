#include "tools/posix/RunPlugIn.h"

#include <filesystem>
#include <system_error>

#include "host/IniFile.h"
#include "host/Settings.h"
#include "host/SettingsPath.h"
#include "mailhost/MailHost.h"
#include "platform/files.h"
#include "platform/module.h"

namespace vesko::tools {

TRunPlugIn::TRunPlugIn(const std::string& temp_folder, const std::string& library,
                       const std::string& stored_settings,
                       const std::vector<TRunSetting>& values) {
  platform::MakeDirectory(temp_folder);
  platform::RemoveLeftovers(temp_folder, mailhost::kTempFilePrefix, "");
  folder_ = platform::CreateUniqueFolder(temp_folder, mailhost::kTempFilePrefix);
  try {
    library_ = folder_ + platform::kPlugInFileName;
    std::error_code error;
    std::filesystem::create_hard_link(library, library_, error);
    if (error) platform::WriteWholeFile(library_, platform::ReadWholeFile(library));
    const std::string settings = settings_path();
    platform::WriteWholeFile(settings, platform::FileExists(stored_settings)
                                           ? platform::ReadWholeFile(stored_settings)
                                           : std::string());
    TIniFile ini(settings);
    // The save folder by default is the one beside the stored file, not this one.
    const std::string save_folder = TSettings::Load(stored_settings).SavePath;
    ini.WriteString(KeyOf(&TSettings::SavePath).section, KeyOf(&TSettings::SavePath).key,
                    save_folder.empty() ? TSettings::Defaults(stored_settings).SavePath
                                        : save_folder);
    for (const TRunSetting& v : values) ini.WriteString(v.key.section, v.key.key, v.value);
  } catch (...) {
    Remove();
    throw;
  }
}

TRunPlugIn::~TRunPlugIn() { Remove(); }

std::string TRunPlugIn::settings_path() const { return SettingsPathFor(library_); }

void TRunPlugIn::Remove() noexcept {
  std::error_code error;
  std::filesystem::remove_all(folder_, error);
}

}  // namespace vesko::tools
