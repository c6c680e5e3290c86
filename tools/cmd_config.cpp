#include "tools/commands.h"

namespace vesko::tools {

void RegisterConfigCommands(CLI::App& app) {}

}  // namespace vesko::tools
