#include "platform/module.h"

#include <dlfcn.h>

namespace vesko::platform {

void* MainModuleHandle() {
  // The program's own handle stays valid for the life of the process; it is never closed.
  return ::dlopen(nullptr, RTLD_NOW);
}

void* FindProcAddress(void* module, const char* name) {
  return module == nullptr ? nullptr : ::dlsym(module, name);
}

}  // namespace vesko::platform
