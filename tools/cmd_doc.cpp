#include "tools/commands.h"

namespace vesko::tools {

void RegisterDocCommands(CLI::App& app) {}

}  // namespace vesko::tools
