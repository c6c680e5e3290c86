#include "hotsync/PalmDesktopSetup.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace vesko {

void WritePalmDesktop(const std::string& root_key, const std::string& path,
                      const std::vector<TPalmUser>& users, const std::string& last_user_name) {
  const std::string data = BuildUsersDat(users);  // checks the users before anything is written
  const std::string preferences = root_key + "\\" + TUserData::kPreferencesKey;
  const std::string core = root_key + "\\" + TUserData::kCoreKey;
  const bool written = platform::RegCreateKey(preferences) && platform::RegCreateKey(core) &&
                       platform::RegCreateKey(root_key + "\\" + TUserData::kHotSyncKey) &&
                       platform::RegWriteString(preferences, "LastUserName", last_user_name) &&
                       platform::RegWriteString(core, "Path", path);
  if (!written) {
    throw EPalmDesktopError("The Palm Desktop's registry keys under " + root_key +
                            " can't be written.");
  }
  if (!platform::MakeDirectory(path)) throw EOSError("creating " + path, 0);
  platform::WriteFileAtomic(JoinPath(path, TUserData::kUserFileName), data);
}

}  // namespace vesko
