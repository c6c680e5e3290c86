// Switches standard input and output to binary mode, so CR LF and byte 0x1A pass through
// the debug commands unchanged.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace vesko::tools {

void SetBinaryStdioForMailDebug() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace vesko::tools
