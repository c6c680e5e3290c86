#include "host/SettingsPath.h"

#include "platform/paths.h"

namespace vesko {

std::string SettingsPathFor(const std::string& library_path) {
  if (library_path.empty()) return {};
  const std::string name = ExtractFileName(library_path);
  const std::size_t dot = name.rfind('.');
  return ExtractFilePath(library_path) + name.substr(0, dot) + ".ini";
}

}  // namespace vesko
