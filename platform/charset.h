// Character sets through the operating system: decoding text written in a Windows code page
// to Unicode, and encoding Unicode as Shift JIS (code page 932). The Windows side uses the
// system's code page functions, the POSIX side the C library's iconv. Code pages are named
// by their Windows numbers on both sides (1252, 936, 28591, ...). Nothing here throws.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vesko::platform {

// Decodes text written in code_page to Unicode code points; bytes that form no character
// become U+FFFD. nullopt when the system can't convert that code page.
std::optional<std::u32string> DecodeCodePage(unsigned code_page, std::string_view text);

// Appends to out the Shift JIS form of the longest beginning of text that Shift JIS can
// represent, and returns that beginning's length in code points (text.size() when all of
// it could be written). Only exact mappings count; no look-alike is substituted.
std::size_t EncodeShiftJis(std::u32string_view text, std::string& out);

}  // namespace vesko::platform
