// The vesko program's global options live in its main(); the test program has its own.
#include "tools/commands.h"

namespace vesko::tools {

TGlobalOptions& GlobalOptions() {
  static TGlobalOptions options;
  return options;
}

}  // namespace vesko::tools
