#include "tools/commands.h"

namespace vesko::tools {

void RegisterRegexDebugCommands(CLI::App& debug) {}

}  // namespace vesko::tools
