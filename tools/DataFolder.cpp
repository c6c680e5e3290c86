#include "tools/DataFolder.h"

#include <filesystem>
#include <system_error>

#include "platform/environment.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "tools/commands.h"

namespace vesko::tools {
namespace {

// Creates folder and its missing parents. Throws EOSError.
void ForceFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(folder), error);
  if (error) throw EOSError("creating " + folder, error.value());
}

std::string SubFolder(const std::string& name) {
  const std::string folder = DataFolder() + name;
  ForceFolder(folder);
  return IncludeTrailingDelimiter(folder);
}

}  // namespace

std::string DataFolder() {
  std::string folder = GlobalOptions().data_folder;
  if (folder.empty()) folder = platform::GetEnvironment("VESKO_HOME").value_or("");
  if (folder.empty()) folder = platform::DefaultDataFolder();
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  if (!error) folder = absolute.string();
  folder = ExcludeTrailingDelimiter(folder);
  ForceFolder(folder);
  // The plug-in's platform layer (the registry stand-in) finds the folder through this.
  platform::SetEnvironment("VESKO_HOME", folder);
  return IncludeTrailingDelimiter(folder);
}

std::string PlugInFolder() { return SubFolder("PlugIns"); }

std::string SettingsFilePath() { return PlugInFolder() + "Vesko.ini"; }

}  // namespace vesko::tools
