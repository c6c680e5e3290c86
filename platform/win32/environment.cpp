#include "platform/environment.h"

#include <windows.h>

#include <cstdlib>

#include "platform/paths.h"

namespace vesko::platform {

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void SetEnvironment(const std::string& name, const std::string& value) {
  // Both the runtime's copy and the process block, so started programs see it too.
  ::_putenv_s(name.c_str(), value.c_str());
  ::SetEnvironmentVariableA(name.c_str(), value.c_str());
}

std::string DefaultDataFolder() {
  char buffer[MAX_PATH * 2];
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return ".";
  return ExcludeTrailingDelimiter(ExtractFilePath(std::string(buffer, n)));
}

}  // namespace vesko::platform
