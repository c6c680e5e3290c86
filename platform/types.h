// Handles that cross the host boundary. Outside platform/ they are opaque: a window or a
// menu is only passed along. On Windows they are HWND and HMENU; on Linux they point at
// the host objects of platform/posix/HostObjects.h.
#pragma once

#include <cstdint>

namespace vesko {

using THandle = void*;  // a window or a menu of the host

// The Win32 message box icons that the plug-in uses.
enum class TMessageIcon { kInformation, kError, kWarning };

}  // namespace vesko
