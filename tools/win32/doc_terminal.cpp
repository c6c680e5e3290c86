// The terminal side of the doc commands on Windows: arguments and the console already use
// the ANSI code page, Shift JIS on a Japanese system.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace vesko::tools {

std::string TitleFromTerminal(const std::string& title) { return title; }

std::string TextToTerminal(const std::string& shift_jis) { return shift_jis; }

void SetBinaryStdout() { ::_setmode(::_fileno(stdout), _O_BINARY); }

}  // namespace vesko::tools
