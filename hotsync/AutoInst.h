// TUserData finds the current user's Palm Desktop, reads its list of handheld users and
// queues files for installation at a user's next HotSync.
//
// The Palm Desktop keeps, under HKEY_CURRENT_USER, the root "Software\U.S. Robotics" (or,
// when that is missing, "Software\Palm Computing") with
//   Pilot Desktop\Preferences  LastUserName  the user who synchronised last
//   Pilot Desktop\Core         Path          the Palm Desktop folder
//   Pilot Desktop\HotSync Manager  Install<ID> = 1  "files are waiting for user ID"
// and the user list in Path\users.dat (numbers little-endian): byte 0 the number of users,
// bytes 1-12 unused, then one entry per user from byte 13: the 16-bit user ID, 2 unused
// bytes, the name (a length byte of at most 31 and the bytes), the folder name under Path
// (likewise), 1 unused byte, and, for all but the last user, bytes up to and including the
// marker 0x01 0x80. A 0x01 consumes the byte after it, so in 0x01 0x01 0x80 the marker is
// not seen. Texts are Shift JIS bytes. A damaged user file raises EPalmDesktopError; the
// reader never looks past the file's end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace vesko {

class EPalmDesktopError : public EVeskoError {
 public:
  using EVeskoError::EVeskoError;
};

struct TPalmUser {
  std::uint16_t id = 0;
  std::string name;    // at most 31 bytes
  std::string folder;  // at most 31 bytes, a folder name under the Palm Desktop folder
};

// The contents of a users.dat file.
struct TUsersDat {
  std::vector<TPalmUser> users;
  int last_user_index = 0;  // the user named last_user_name; 0 when none is
};

// Reads users.dat bytes; last_user_name picks last_user_index. Throws EPalmDesktopError
// when the data ends early or a name is too long.
TUsersDat ParseUsersDat(std::string_view data, std::string_view last_user_name);

// The bytes of a users.dat file listing users, in the layout ParseUsersDat reads. Throws
// EPalmDesktopError for more than 255 users or a name or folder over 31 bytes.
std::string BuildUsersDat(const std::vector<TPalmUser>& users);

// name with "-2", "-3", ... put before its extension: "Inbox.pdb", "Inbox-2.pdb".
std::string NumberedName(const std::string& name, int number);
// name with suffix put before its extension: ("Inbox.pdb", "-1") gives "Inbox-1.pdb".
std::string NameWithSuffix(const std::string& name, const std::string& suffix);

// Copies src into folder (with or without its final delimiter) under the first of name,
// NumberedName(name, 2), ... that no file there holds yet, so an earlier file is never
// replaced, and returns the new file's path. The copy is made and flushed under a private
// name first (platform::CopyFileAtomic) and then renamed to each name in turn by a rename
// that refuses a taken name (platform::RenameNoReplace), so the name is found and taken in
// one step and appears only on a whole file. Throws EOSError and leaves no partial file
// behind.
std::string CopyUnderFreeName(const std::string& src, const std::string& folder,
                              const std::string& name);

class TUserData {
 public:
  // Reads the installation. Throws EPalmDesktopError "The PalmPilot Desktop software is not
  // correctly installed." without a registry root, and when the user file can't be read
  // or is damaged. A missing folder or last-user value gives an empty list or no last user.
  TUserData();

  int GetCount() const { return static_cast<int>(users_.size()); }
  int GetLastUserIndex() const { return last_user_index_; }
  std::string GetPath() const { return path_; }
  // The user's fields; 0 or "" when index is out of range.
  std::uint16_t GetUserID(int index) const;
  std::string GetUserName(int index) const;
  std::string GetUserFolder(int index) const;

  // Copies file_name into the user's install folder (Path\Folder\Install, created when
  // missing) under dest_name (empty: file_name's own name), numbered as CopyUnderFreeName
  // does when that name is taken, and sets the user's install flag. The copy appears
  // under its name only whole and flushed to the disk; *queued_path, when given, gets its
  // path. True when the flag was written; false when there is no such user, the copy
  // failed or the HotSync Manager key is missing.
  bool Install(int index, const std::string& file_name, const std::string& dest_name = "",
               std::string* queued_path = nullptr);

  // The registry keys, for the set-up of a Palm Desktop (tests, the vesko program).
  static constexpr const char* kRootKeys[] = {"Software\\U.S. Robotics",
                                              "Software\\Palm Computing"};
  static constexpr const char* kPreferencesKey = "Pilot Desktop\\Preferences";
  static constexpr const char* kCoreKey = "Pilot Desktop\\Core";
  static constexpr const char* kHotSyncKey = "Pilot Desktop\\HotSync Manager";
  static constexpr const char* kUserFileName = "users.dat";

 private:
  const TPalmUser* User(int index) const;

  std::string path_;
  std::vector<TPalmUser> users_;
  int last_user_index_ = 0;
};

}  // namespace vesko
