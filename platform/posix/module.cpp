#include "platform/module.h"

#include <dlfcn.h>
#include <unistd.h>

namespace vesko::platform {

const char* const kPlugInFileName = "Vesko.so";

void* MainModuleHandle() {
  // The program's own handle stays valid for the life of the process; it is never closed.
  return ::dlopen(nullptr, RTLD_NOW);
}

void* FindProcAddress(void* module, const char* name) {
  return module == nullptr ? nullptr : ::dlsym(module, name);
}

void* OpenLibrary(const std::string& path, std::string& error) {
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* reason = ::dlerror();
    error = reason != nullptr ? reason : path;
  }
  return module;
}

void CloseLibrary(void* module) {
  if (module != nullptr) ::dlclose(module);
}

std::string ProgramFolder() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  const std::string program(path, static_cast<std::size_t>(n));
  return program.substr(0, program.rfind('/') + 1);
}

}  // namespace vesko::platform
