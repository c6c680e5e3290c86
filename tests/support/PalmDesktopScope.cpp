#include "tests/support/PalmDesktopScope.h"

#include "hotsync/AutoInst.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace vesko::test {

TPalmDesktopScope::TPalmDesktopScope(const std::string& home)
    : saved_home_(platform::GetEnvironment("VESKO_HOME")) {
  platform::SetEnvironment("VESKO_HOME", home);
  RemoveRoots();
}

TPalmDesktopScope::~TPalmDesktopScope() {
  RemoveRoots();
  platform::SetEnvironment("VESKO_HOME", saved_home_.value_or(""));
}

void TPalmDesktopScope::RemoveRoots() {
  for (const char* root : TUserData::kRootKeys) platform::RegDeleteKey(root);
}

}  // namespace vesko::test
