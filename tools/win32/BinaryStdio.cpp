#include "tools/BinaryStdio.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace vesko::tools {

void SetBinaryStdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

}  // namespace vesko::tools
