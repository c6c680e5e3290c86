// The system's code page and its multi-byte character rules.
#pragma once

namespace vesko::platform {

// The ANSI code page: GetACP() on Windows. The POSIX side reports 932 (Shift JIS) unless
// the environment variable VESKO_CODEPAGE names another.
unsigned AnsiCodePage();

// True when c opens a double-byte character in the ANSI code page.
bool IsLeadByte(unsigned char c);

}  // namespace vesko::platform
