#include "tools/commands.h"

namespace vesko::tools {

void RegisterCleanCommand(CLI::App& app) {}

}  // namespace vesko::tools
