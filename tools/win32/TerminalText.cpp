#include "tools/TerminalText.h"

namespace vesko::tools {

// The console and the arguments already use the code page.
std::string ToTerminalText(const std::string& text) { return text; }
std::string FromTerminalText(const std::string& text) { return text; }

}  // namespace vesko::tools
