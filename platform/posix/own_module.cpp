#include <dlfcn.h>

#include "platform/module.h"

namespace vesko::platform {

std::string OwnModulePath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&OwnModulePath), &info) == 0 ||
      info.dli_fname == nullptr) {
    return {};
  }
  return info.dli_fname;
}

// Shared libraries here have no version resource; the plug-in carries its texts compiled in.
bool ModulesCarryVersionResources() { return false; }

TVersionLookup ReadVersionResourceText(const std::string&, const std::string&, std::string&) {
  return TVersionLookup::kNoResource;
}

}  // namespace vesko::platform
