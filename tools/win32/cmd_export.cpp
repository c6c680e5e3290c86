#include "tools/commands.h"

namespace vesko::tools {

void RegisterExportCommands(CLI::App&) {}

}  // namespace vesko::tools
