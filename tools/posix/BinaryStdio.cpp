#include "tools/BinaryStdio.h"

#include <unistd.h>

namespace vesko::tools {

void SetBinaryStdio() {}

bool StdoutIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace vesko::tools
