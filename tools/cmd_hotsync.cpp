#include "tools/commands.h"

namespace vesko::tools {

void RegisterHotSyncCommands(CLI::App& app) {}

}  // namespace vesko::tools
