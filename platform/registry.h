// The current user's registry (HKEY_CURRENT_USER). Keys are paths under it written with
// backslashes, such as "Software\\RimArts\\B2\\Settings"; leading and trailing backslashes
// are ignored, and key and value names ignore letter case. Texts are the system's
// code-page bytes. Windows uses the real registry. The POSIX build keeps a stand-in file
// in the Windows .reg export format, "registry.reg" in the data folder ($VESKO_HOME, else
// the default data folder), read afresh at every call and replaced atomically at every
// write. (RegCreateKey and RegDeleteKey are also macros of <windows.h>: keep that header
// away from callers of these.) Nothing here throws: a failure reads as a missing value or returns
// false.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vesko::platform {

bool RegKeyExists(const std::string& key);
// A text value (REG_SZ or REG_EXPAND_SZ, unexpanded); nullopt when missing or of another type.
std::optional<std::string> RegReadString(const std::string& key, const std::string& name);
// A 32-bit number value; nullopt when missing or of another type.
std::optional<std::uint32_t> RegReadDword(const std::string& key, const std::string& name);
// Set a value in an existing key; false when the key is missing or the write fails.
bool RegWriteDword(const std::string& key, const std::string& name, std::uint32_t value);
bool RegWriteString(const std::string& key, const std::string& name, const std::string& value);
// Creates the key and its missing parents; true when the key exists afterwards.
bool RegCreateKey(const std::string& key);
// Deletes the key with its sub-keys and values; false when it was missing or can't go.
bool RegDeleteKey(const std::string& key);

}  // namespace vesko::platform
