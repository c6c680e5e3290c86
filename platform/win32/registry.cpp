#include "platform/registry.h"

#include <windows.h>
// <windows.h> makes these two names macros for its own functions of the same names.
#undef RegCreateKey
#undef RegDeleteKey

#include <vector>

namespace vesko::platform {
namespace {

std::string Trimmed(const std::string& key) {
  std::size_t begin = 0;
  std::size_t end = key.size();
  while (begin < end && key[begin] == '\\') ++begin;
  while (end > begin && key[end - 1] == '\\') --end;
  return key.substr(begin, end - begin);
}

// An open registry key, closed when it goes out of scope.
class TKeyGuard {
 public:
  TKeyGuard(const std::string& key, REGSAM access) {
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, Trimmed(key).c_str(), 0, access, &key_) !=
        ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~TKeyGuard() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  TKeyGuard(const TKeyGuard&) = delete;
  TKeyGuard& operator=(const TKeyGuard&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool RegKeyExists(const std::string& key) { return TKeyGuard(key, KEY_READ).get() != nullptr; }

std::optional<std::string> RegReadString(const std::string& key, const std::string& name) {
  TKeyGuard k(key, KEY_READ);
  if (k.get() == nullptr) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::vector<char> buffer(size + 1);
  for (;;) {
    size = static_cast<DWORD>(buffer.size());
    const LONG rc = ::RegQueryValueExA(k.get(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (rc == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    break;
  }
  std::string value(buffer.data(), size);
  // The stored text normally ends in its zero byte, but need not.
  while (!value.empty() && value.back() == '\0') value.pop_back();
  return value;
}

std::optional<std::uint32_t> RegReadDword(const std::string& key, const std::string& name) {
  TKeyGuard k(key, KEY_READ);
  if (k.get() == nullptr) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return value;
}

bool RegWriteDword(const std::string& key, const std::string& name, std::uint32_t value) {
  TKeyGuard k(key, KEY_SET_VALUE);
  const DWORD data = value;
  return k.get() != nullptr &&
         ::RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool RegWriteString(const std::string& key, const std::string& name, const std::string& value) {
  TKeyGuard k(key, KEY_SET_VALUE);
  return k.get() != nullptr &&
         ::RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegCreateKey(const std::string& key) {
  HKEY h = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, Trimmed(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &h, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(h);
  return true;
}

bool RegDeleteKey(const std::string& key) {
  const std::string trimmed = Trimmed(key);
  // Never the whole of HKEY_CURRENT_USER. Given a sub-key name, the call removes that
  // key itself along with everything below it.
  return !trimmed.empty() && ::RegDeleteTreeA(HKEY_CURRENT_USER, trimmed.c_str()) == ERROR_SUCCESS;
}

}  // namespace vesko::platform
