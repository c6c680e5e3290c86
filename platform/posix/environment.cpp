#include "platform/environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace vesko::platform {

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void SetEnvironment(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

std::string DefaultDataFolder() {
  // The base directory rules: a relative XDG_DATA_HOME is to be ignored.
  const auto xdg = GetEnvironment("XDG_DATA_HOME");
  if (xdg && !xdg->empty() && xdg->front() == '/') return *xdg + "/vesko";
  std::string home = GetEnvironment("HOME").value_or("");
  if (home.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
      home = pw->pw_dir;
    }
  }
  return home + "/.local/share/vesko";
}

}  // namespace vesko::platform
