#include "tools/commands.h"

namespace vesko::tools {

// The Windows program is not a mail host: the mail client itself loads Vesko.dll there.
void RegisterHostCommands(CLI::App&) {}

}  // namespace vesko::tools
