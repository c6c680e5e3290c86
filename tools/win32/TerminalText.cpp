#include "tools/TerminalText.h"

#include <windows.h>

namespace vesko::tools {

// The console and the arguments already use the code page.
std::string ToTerminalText(const std::string& text) { return text; }
std::string FromTerminalText(const std::string& text) { return text; }

// Shift JIS to UTF-16 to UTF-8, through the system's code pages; the text as it is when
// it can't be converted.
std::string ShiftJisToUtf8(const std::string& text) {
  if (text.empty()) return text;
  const int size = static_cast<int>(text.size());
  const int wide_size = ::MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
  if (wide_size <= 0) return text;
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  ::MultiByteToWideChar(932, 0, text.data(), size, wide.data(), wide_size);
  const int out_size =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
  if (out_size <= 0) return text;
  std::string out(static_cast<std::size_t>(out_size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, out.data(), out_size, nullptr, nullptr);
  return out;
}

}  // namespace vesko::tools
