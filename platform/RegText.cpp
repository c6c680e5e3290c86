#include "platform/RegText.h"

#include <cstdio>

#include "platform/IniText.h"

namespace vesko::platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    lines.push_back(TrimRight(text.substr(0, nl)));
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return lines;
}

// The full path of a key under HKEY_CURRENT_USER: "HKEY_CURRENT_USER\Software\...".
std::string FullPath(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  std::string path(kRoot);
  if (!key.empty()) path.append("\\").append(key);
  return path;
}

// Reads a quoted text at s[pos] == '"', undoing \\ and \" escapes. Sets pos past the
// closing quote; nullopt when the quote is never closed.
std::optional<std::string> ReadQuoted(std::string_view s, std::size_t& pos) {
  std::string out;
  for (std::size_t i = pos + 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      out += s[++i];
    } else if (s[i] == '"') {
      pos = i + 1;
      return out;
    } else {
      out += s[i];
    }
  }
  return std::nullopt;
}

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (const char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

bool HasLineEnd(std::string_view s) { return s.find_first_of("\r\n") != s.npos; }

// True when path names key itself or one of its sub-keys.
bool IsSameOrBelow(std::string_view path, std::string_view key) {
  if (path.size() == key.size()) return SameTextNoCase(path, key);
  return path.size() > key.size() && path[key.size()] == '\\' &&
         SameTextNoCase(path.substr(0, key.size()), key);
}

std::optional<std::uint32_t> ParseDword(std::string_view data) {
  constexpr std::string_view kPrefix = "dword:";
  if (data.size() <= kPrefix.size() || data.size() > kPrefix.size() + 8 ||
      !SameTextNoCase(data.substr(0, kPrefix.size()), kPrefix)) {
    return std::nullopt;
  }
  std::uint32_t n = 0;
  for (const char c : data.substr(kPrefix.size())) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    n = n * 16 + static_cast<std::uint32_t>(digit);
  }
  return n;
}

}  // namespace

TRegText TRegText::Parse(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.empty() || (lines[0] != kHeader && lines[0] != kOldHeader)) {
    throw ERegistryFormat("the registry file doesn't start with \"" + std::string(kHeader) + "\"");
  }
  TRegText reg;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      reg.keys_.push_back({std::string(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    if (line.empty()) continue;
    if (reg.keys_.empty()) {
      reg.preamble_.emplace_back(line);
      continue;
    }
    TValue value;
    value.kind = TValue::kOther;
    value.text = std::string(line);
    std::size_t pos = 0;
    std::optional<std::string> name;
    if (line.front() == '@') {
      name = std::string();
      pos = 1;
    } else if (line.front() == '"') {
      name = ReadQuoted(line, pos);
    }
    if (name && pos < line.size() && line[pos] == '=') {
      value.named = true;
      value.name = *name;
      const std::string_view data = line.substr(pos + 1);
      std::size_t end = 0;
      std::optional<std::string> text_value;
      if (!data.empty() && data.front() == '"') text_value = ReadQuoted(data, end);
      if (text_value && end == data.size()) {
        value.kind = TValue::kString;
        value.text = *text_value;
      } else if (const auto dword = ParseDword(data)) {
        value.kind = TValue::kDword;
        value.dword = *dword;
      }
    }
    // A value of another type may go on over lines that each end in a backslash.
    if (value.kind == TValue::kOther) {
      while (!lines[i].empty() && lines[i].back() == '\\' && i + 1 < lines.size()) {
        value.text.append("\r\n").append(lines[++i]);
      }
    }
    reg.keys_.back().values.push_back(std::move(value));
  }
  return reg;
}

std::string TRegText::Serialize() const {
  std::string out(kHeader);
  out += "\r\n\r\n";
  for (const std::string& line : preamble_) out.append(line).append("\r\n");
  if (!preamble_.empty()) out += "\r\n";
  for (const TKey& key : keys_) {
    out.append("[").append(key.path).append("]\r\n");
    for (const TValue& value : key.values) {
      if (value.kind != TValue::kOther)
        out.append(value.name.empty() ? "@" : Quote(value.name)) += '=';
      if (value.kind == TValue::kString) {
        out.append(Quote(value.text));
      } else if (value.kind == TValue::kDword) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "dword:%08x", static_cast<unsigned>(value.dword));
        out.append(hex);
      } else {
        out.append(value.text);
      }
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

const TRegText::TKey* TRegText::Find(std::string_view key) const {
  const std::string path = FullPath(key);
  for (const TKey& k : keys_) {
    if (SameTextNoCase(k.path, path)) return &k;
  }
  return nullptr;
}

TRegText::TKey* TRegText::Find(std::string_view key) {
  return const_cast<TKey*>(static_cast<const TRegText*>(this)->Find(key));
}

TRegText::TValue* TRegText::FindValue(std::string_view key, std::string_view name) {
  TKey* k = Find(key);
  if (k == nullptr) return nullptr;
  for (TValue& v : k->values) {
    if (v.named && SameTextNoCase(v.name, name)) return &v;
  }
  return nullptr;
}

bool TRegText::KeyExists(std::string_view key) const {
  const std::string path = FullPath(key);
  if (path == kRoot) return true;
  for (const TKey& k : keys_) {
    // A key exists when it is written, or when a sub-key of it is.
    if (IsSameOrBelow(k.path, path)) return true;
  }
  return false;
}

std::optional<std::string> TRegText::ReadString(std::string_view key, std::string_view name) const {
  const TValue* v = const_cast<TRegText*>(this)->FindValue(key, name);
  if (v == nullptr || v->kind != TValue::kString) return std::nullopt;
  return v->text;
}

std::optional<std::uint32_t> TRegText::ReadDword(std::string_view key,
                                                 std::string_view name) const {
  const TValue* v = const_cast<TRegText*>(this)->FindValue(key, name);
  if (v == nullptr || v->kind != TValue::kDword) return std::nullopt;
  return v->dword;
}

bool TRegText::WriteString(std::string_view key, std::string_view name, std::string_view value) {
  if (!KeyExists(key) || HasLineEnd(name) || HasLineEnd(value)) return false;
  CreateKey(key);  // a key known only through its sub-keys gets its own line
  TValue* v = FindValue(key, name);
  if (v == nullptr) {
    Find(key)->values.push_back({});
    v = &Find(key)->values.back();
  }
  *v = TValue{TValue::kString, true, std::string(name), std::string(value), 0};
  return true;
}

bool TRegText::WriteDword(std::string_view key, std::string_view name, std::uint32_t value) {
  if (!KeyExists(key) || HasLineEnd(name)) return false;
  CreateKey(key);
  TValue* v = FindValue(key, name);
  if (v == nullptr) {
    Find(key)->values.push_back({});
    v = &Find(key)->values.back();
  }
  *v = TValue{TValue::kDword, true, std::string(name), std::string(), value};
  return true;
}

bool TRegText::CreateKey(std::string_view key) {
  const std::string path = FullPath(key);
  if (HasLineEnd(path) || path.find(']') != std::string::npos) return false;
  // Every parent gets its own line too, as an export lists each key.
  for (std::size_t i = kRoot.size() + 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      const std::string sub = path.substr(0, i);
      if (Find(sub.substr(kRoot.size())) == nullptr) keys_.push_back({sub, {}});
    }
  }
  return true;
}

bool TRegText::DeleteKey(std::string_view key) {
  const std::string path = FullPath(key);
  if (path == kRoot || !KeyExists(key)) return false;
  std::erase_if(keys_, [&](const TKey& k) { return IsSameOrBelow(k.path, path); });
  return true;
}

}  // namespace vesko::platform
