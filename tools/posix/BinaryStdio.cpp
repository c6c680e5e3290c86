#include "tools/BinaryStdio.h"

namespace vesko::tools {

void SetBinaryStdio() {}

}  // namespace vesko::tools
