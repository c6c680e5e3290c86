// The settings file format, worked on a text buffer: "[section]" lines, each followed by
// "key=value" lines. Section and key names match without regard to the case of their
// single-byte letters (the bytes of a double-byte character are compared as they are).
// Names and values are trimmed of blanks, and a value quoted at both ends with the same
// quote loses the quotes. A line without "=" holds no value. Only the first section of a
// name and the first key of a name in it count. These are the rules of the Windows
// private profile functions; the POSIX build reads and writes its settings with them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesko::platform {

// True when a and b are equal ignoring the case of single-byte letters. Double-byte
// characters (by the code page's lead bytes) are compared byte for byte.
bool SameTextNoCase(std::string_view a, std::string_view b);

// The value of key in section, or nullopt when the section or the key is missing or the
// key's line has no "=". A present key with nothing after "=" gives "".
std::optional<std::string> IniLookup(std::string_view text, std::string_view section,
                                     std::string_view key);

// text with key in section set to value. A present key keeps its line up to and with its
// "=" and gets the new value; a new key goes after the last non-empty line of the section;
// a new section goes at the end. Every other line stays as it was, byte for byte. New
// lines end like the text's first line (CR LF when the text has none). Throws EVeskoError
// when a name or the value would break the line structure (a line end, "=" in a key, "]"
// in a section, an empty key).
std::string IniUpdate(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

// The keys with values, in file order (a section's name as written in its header).
struct TIniEntry {
  std::string section;
  std::string key;
  std::string value;
};
std::vector<TIniEntry> IniEntries(std::string_view text);

// An integer read the way the profile functions read one: blanks, an optional sign, an
// optional base prefix ("0x" hexadecimal, "0o" octal, "0b" binary, lower case only) and
// digits; reading stops at the first other character ("12ab" is 12, "ab" is 0) and wraps
// at 32 bits. An empty value gives fallback.
int ParseProfileInt(std::string_view value, int fallback);

// The fallback text as the profile functions hand it back: trailing spaces removed,
// except that its first character always stays.
std::string ProfileFallback(std::string_view fallback);

// Why text can't be read as a settings file, or nullopt when it can: a NUL byte (a binary
// or UTF-16 file), or a line other than a comment (";" or "#") before the first section,
// which no reader would ever find, such as a byte order mark in front of the first header.
std::optional<std::string> IniProblem(std::string_view text);

// Throws EVeskoError when section, key or value can't be stored on one line.
void CheckProfileEntry(std::string_view section, std::string_view key, std::string_view value);

}  // namespace vesko::platform
