#include "platform/environment.h"

namespace vesko::platform {

std::string DataHome() {
  const auto home = GetEnvironment("VESKO_HOME");
  return home && !home->empty() ? *home : DefaultDataFolder();
}

}  // namespace vesko::platform
