// Texts between the terminal and the Palm Desktop's files. The registry and users.dat hold
// code-page (Shift JIS) bytes; a Linux terminal shows UTF-8, a Windows console the code
// page itself, so only the POSIX build converts.
#pragma once

#include <string>

namespace vesko::tools {

// Code-page text for printing; bytes that don't convert become "?".
std::string ToTerminalText(const std::string& text);
// Terminal input as code-page text. Throws TCommandError when it has no such form.
std::string FromTerminalText(const std::string& text);

}  // namespace vesko::tools
