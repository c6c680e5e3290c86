#include "tools/commands.h"

namespace vesko::tools {

TGlobalOptions& GlobalOptions() {
  static TGlobalOptions options;
  return options;
}

}  // namespace vesko::tools
