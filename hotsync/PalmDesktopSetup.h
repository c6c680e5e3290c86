// Sets up what TUserData reads, where no real Palm Desktop is installed: the registry keys
// of a Palm Desktop and its users.dat. The vesko program's "hotsync setup" and the tests
// use it.
#pragma once

#include <string>
#include <vector>

#include "hotsync/AutoInst.h"

namespace vesko {

// Writes under root_key (one of TUserData::kRootKeys) LastUserName, Path and an empty
// HotSync Manager key, creates the folder path and writes path's users.dat listing users.
// Throws EPalmDesktopError when a key can't be written or a user doesn't fit the file,
// EOSError when the folder or file can't be written.
void WritePalmDesktop(const std::string& root_key, const std::string& path,
                      const std::vector<TPalmUser>& users, const std::string& last_user_name);

}  // namespace vesko
