#include "platform/environment.h"

#include <cstdlib>

namespace vesko::platform {

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string DataHome() {
  const auto home = GetEnvironment("VESKO_HOME");
  return home && !home->empty() ? *home : DefaultDataFolder();
}

}  // namespace vesko::platform
