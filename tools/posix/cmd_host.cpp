#include "tools/commands.h"

namespace vesko::tools {

void RegisterHostCommands(CLI::App& app) {}

}  // namespace vesko::tools
