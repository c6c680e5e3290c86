// Standard input and output as raw bytes: the commands that filter text must see and
// write CR LF line ends unchanged, which the Windows C runtime's text mode would not.
#pragma once

namespace vesko::tools {

// Puts stdin and stdout into binary mode (does nothing where streams are always binary).
void SetBinaryStdio();

// Whether standard output is a terminal (a console in Windows) rather than a file or a pipe.
bool StdoutIsTerminal();

}  // namespace vesko::tools
