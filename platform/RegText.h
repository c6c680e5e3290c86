// TRegText is a registry stand-in held as text in the Windows .reg export format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Palm Computing\Pilot Desktop\Core]
//   "Path"="C:\\Palm"
//   "Install1234"=dword:00000001
//
// One "[full key path]" line opens each key; a value line is a quoted name (or @ for the
// key's default value), "=", then a quoted text with \\ and \" escapes or dword: and up to
// 8 hex digits. The escapes work on bytes, whatever the code page: every 0x5C byte is
// written as two, the second byte of a Shift JIS character too, so any text round-trips. Values of
// other types and unknown lines are kept as they stand, so writing one value never loses the rest.
// Key and value names ignore letter case. Parse() throws ERegistryFormat when the text lacks the
// header line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace vesko::platform {

class ERegistryFormat : public EVeskoError {
 public:
  using EVeskoError::EVeskoError;
};

class TRegText {
 public:
  // An empty registry.
  TRegText() = default;
  // Reads .reg text. Throws ERegistryFormat when the text doesn't start with the header.
  static TRegText Parse(std::string_view text);
  // The text to store: header, then each key and its values, CR LF line ends.
  std::string Serialize() const;

  // key is a path under HKEY_CURRENT_USER, as in platform/registry.h.
  bool KeyExists(std::string_view key) const;
  std::optional<std::string> ReadString(std::string_view key, std::string_view name) const;
  std::optional<std::uint32_t> ReadDword(std::string_view key, std::string_view name) const;
  // False when the key is missing or the text can't be stored on one line.
  bool WriteString(std::string_view key, std::string_view name, std::string_view value);
  bool WriteDword(std::string_view key, std::string_view name, std::uint32_t value);
  // Adds the key when missing. False when its name can't be stored.
  bool CreateKey(std::string_view key);
  // Removes the key and its sub-keys. False when there was nothing to remove.
  bool DeleteKey(std::string_view key);

 private:
  struct TValue {
    enum TKind { kString, kDword, kOther };
    TKind kind = kOther;
    bool named = false;  // false for lines kept as they stand that name no value
    std::string name;
    std::string text;  // kString: the text; kOther: the line(s) as written
    std::uint32_t dword = 0;
  };
  struct TKey {
    std::string path;  // as written between the brackets
    std::vector<TValue> values;
  };

  const TKey* Find(std::string_view key) const;
  TKey* Find(std::string_view key);
  TValue* FindValue(std::string_view key, std::string_view name);

  std::vector<std::string> preamble_;  // lines between the header and the first key
  std::vector<TKey> keys_;
};

}  // namespace vesko::platform
