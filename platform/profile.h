// The settings (INI) files, read and written one value at a time, afresh at every call,
// with the rules of the Windows private profile functions (see platform/IniText.h). The
// Windows build calls those functions; the POSIX build implements them on the file text
// and replaces the file atomically, so a crash never leaves it half written. Paths must be
// absolute: the Windows functions look for a bare name in the Windows folder.
#pragma once

#include <string>

namespace vesko::platform {

// The value of key in section, "" for a key present with no value, fallback (trailing
// spaces dropped) when the file, the section or the key is missing.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback);

// The value read as an integer: blanks, a sign and decimal digits; fallback when the key
// is missing or empty.
int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int fallback);

// Sets key in section, creating the file, the section or the key as needed and keeping
// everything else. Throws EOSError when the file can't be written, EVeskoError when a
// name or the value can't be stored on one line.
void WriteProfileEntry(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value);

}  // namespace vesko::platform
