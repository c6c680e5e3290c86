#include "tools/commands.h"

namespace vesko::tools {

void RegisterMailDebugCommands(CLI::App& debug) {}

}  // namespace vesko::tools
