// The system's text for an error code (GetLastError() on Windows, errno elsewhere).
#pragma once

#include <string>

namespace vesko::platform {

std::string SystemErrorText(int code);

}  // namespace vesko::platform
