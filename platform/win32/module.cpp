#include "platform/module.h"

#include <windows.h>

namespace vesko::platform {

void* MainModuleHandle() { return ::GetModuleHandleA(nullptr); }

void* FindProcAddress(void* module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

}  // namespace vesko::platform
