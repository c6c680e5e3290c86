#include "platform/locale.h"

#include <windows.h>

namespace vesko::platform {

unsigned AnsiCodePage() { return ::GetACP(); }

bool IsLeadByte(unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }

}  // namespace vesko::platform
