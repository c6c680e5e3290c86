#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/module.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;  // the module this code is linked into

namespace vesko::platform {

std::string OwnModulePath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), path,
                                            MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(path, length);
}

bool ModulesCarryVersionResources() { return true; }

TVersionLookup ReadVersionResourceText(const std::string& path, const std::string& name,
                                       std::string& text) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return TVersionLookup::kNoResource;
  std::vector<char> block(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
    return TVersionLookup::kNoResource;
  }
  void* translation = nullptr;
  UINT translation_length = 0;
  if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation,
                        &translation_length) ||
      translation_length < sizeof(DWORD)) {
    return TVersionLookup::kNoTranslation;
  }
  // The first entry: the language in the low 16 bits, the code page in the high 16.
  const DWORD entry = *static_cast<const DWORD*>(translation);
  char query[96];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\%s",
                static_cast<unsigned>(LOWORD(entry)), static_cast<unsigned>(HIWORD(entry)),
                name.c_str());
  void* value = nullptr;
  UINT value_length = 0;
  text.clear();
  if (::VerQueryValueA(block.data(), query, &value, &value_length) && value_length > 0) {
    const char* chars = static_cast<const char*>(value);
    std::size_t n = 0;
    while (n < value_length && chars[n] != '\0') ++n;  // cut at its terminating zero
    text.assign(chars, n);
  }
  return TVersionLookup::kFound;
}

}  // namespace vesko::platform
