#include "platform/module.h"

#include <windows.h>

#include "platform/syserror.h"

namespace vesko::platform {

const char* const kPlugInFileName = "Vesko.dll";

void* MainModuleHandle() { return ::GetModuleHandleA(nullptr); }

void* FindProcAddress(void* module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void* OpenLibrary(const std::string& path, std::string& error) {
  HMODULE module = ::LoadLibraryA(path.c_str());
  if (module == nullptr) error = SystemErrorText(static_cast<int>(::GetLastError()));
  return module;
}

void CloseLibrary(void* module) {
  if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  const std::string program(path, n);
  return program.substr(0, program.find_last_of("\\/") + 1);
}

}  // namespace vesko::platform
