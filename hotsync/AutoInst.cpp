#include "hotsync/AutoInst.h"

#include <optional>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace vesko {
namespace {

constexpr std::size_t kFirstEntry = 13;
constexpr std::size_t kMaxText = 31;

// Reads users.dat from the front, checking every byte against the end of the data.
class TUsersDatReader {
 public:
  explicit TUsersDatReader(std::string_view data) : data_(data) {}

  void Seek(std::size_t pos) { pos_ = pos; }
  std::uint8_t Byte(int user, const char* what) {
    if (pos_ >= data_.size()) Fail(user, what);
    return static_cast<std::uint8_t>(data_[pos_++]);
  }
  std::string Text(int user, const char* what) {
    const std::size_t length = Byte(user, what);
    if (length > kMaxText) {
      throw EPalmDesktopError("The Palm Desktop user file is damaged: the " + std::string(what) +
                              " of user " + std::to_string(user + 1) + " is " +
                              std::to_string(length) + " bytes long (at most 31).");
    }
    if (data_.size() - pos_ < length) Fail(user, what);
    const std::string text(data_.substr(pos_, length));
    pos_ += length;
    return text;
  }

 private:
  [[noreturn]] void Fail(int user, const char* what) const {
    throw EPalmDesktopError("The Palm Desktop user file is damaged: it ends (after " +
                            std::to_string(data_.size()) + " bytes) inside the " + what +
                            " of user " + std::to_string(user + 1) + ".");
  }

  std::string_view data_;
  std::size_t pos_ = 0;
};

// The Palm Desktop's registry root, or nullopt when none is there.
std::optional<std::string> RootKey() {
  for (const char* root : TUserData::kRootKeys) {
    if (platform::RegKeyExists(root)) return std::string(root);
  }
  return std::nullopt;
}

std::string SubKey(const std::string& root, const char* sub) { return root + "\\" + sub; }

}  // namespace

TUsersDat ParseUsersDat(std::string_view data, std::string_view last_user_name) {
  TUsersDat result;
  TUsersDatReader reader(data);
  const int count = reader.Byte(-1, "user count");
  reader.Seek(kFirstEntry);
  for (int i = 0; i < count; ++i) {
    TPalmUser user;
    user.id = reader.Byte(i, "ID");
    user.id |= static_cast<std::uint16_t>(reader.Byte(i, "ID") << 8);
    reader.Byte(i, "entry");
    reader.Byte(i, "entry");
    user.name = reader.Text(i, "name");
    if (user.name == last_user_name) result.last_user_index = i;
    user.folder = reader.Text(i, "folder");
    reader.Byte(i, "entry");
    if (i + 1 < count) {
      // Skip to just after the marker 0x01 0x80 that ends the entry.
      for (;;) {
        if (reader.Byte(i, "entry") == 0x01 && reader.Byte(i, "entry") == 0x80) break;
      }
    }
    result.users.push_back(std::move(user));
  }
  return result;
}

std::string BuildUsersDat(const std::vector<TPalmUser>& users) {
  if (users.size() > 255) throw EPalmDesktopError("A Palm Desktop holds at most 255 users.");
  std::string data(kFirstEntry, '\0');
  data[0] = static_cast<char>(users.size());
  for (std::size_t i = 0; i < users.size(); ++i) {
    const TPalmUser& user = users[i];
    if (user.name.size() > kMaxText || user.folder.size() > kMaxText) {
      throw EPalmDesktopError("A Palm Desktop user's name and folder are at most 31 bytes long.");
    }
    data += static_cast<char>(user.id & 0xFF);
    data += static_cast<char>(user.id >> 8);
    data.append(2, '\0');
    data += static_cast<char>(user.name.size());
    data += user.name;
    data += static_cast<char>(user.folder.size());
    data += user.folder;
    data += '\0';
    if (i + 1 < users.size()) data.append("\0\0\0\0\x01\x80", 6);
  }
  return data;
}

TUserData::TUserData() {
  const std::optional<std::string> root = RootKey();
  if (!root) {
    throw EPalmDesktopError("The PalmPilot Desktop software is not correctly installed.");
  }
  const std::string last_user_name =
      platform::RegReadString(SubKey(*root, kPreferencesKey), "LastUserName").value_or("");
  const std::optional<std::string> path = platform::RegReadString(SubKey(*root, kCoreKey), "Path");
  if (!path) return;
  path_ = *path;
  const std::string file = JoinPath(path_, kUserFileName);
  std::string data;
  try {
    data = platform::ReadWholeFile(file);
  } catch (const EOSError& e) {
    throw EPalmDesktopError("The Palm Desktop user file can't be read: " + std::string(e.what()));
  }
  TUsersDat list = ParseUsersDat(data, last_user_name);
  users_ = std::move(list.users);
  last_user_index_ = list.last_user_index;
}

const TPalmUser* TUserData::User(int index) const {
  return index >= 0 && index < GetCount() ? &users_[static_cast<std::size_t>(index)] : nullptr;
}

std::uint16_t TUserData::GetUserID(int index) const {
  const TPalmUser* user = User(index);
  return user != nullptr ? user->id : 0;
}

std::string TUserData::GetUserName(int index) const {
  const TPalmUser* user = User(index);
  return user != nullptr ? user->name : std::string();
}

std::string TUserData::GetUserFolder(int index) const {
  const TPalmUser* user = User(index);
  return user != nullptr ? user->folder : std::string();
}

std::string NumberedName(const std::string& name, int number) {
  if (number <= 1) return name;
  return NameWithSuffix(name, "-" + std::to_string(number));
}

std::string NameWithSuffix(const std::string& name, const std::string& suffix) {
  // No trail byte of a double-byte character is a '.', so the last one is the extension's.
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) dot = name.size();
  return name.substr(0, dot) + suffix + name.substr(dot);
}

std::string CopyUnderFreeName(const std::string& src, const std::string& folder,
                              const std::string& name) {
  // Enough numbers for any real folder; beyond them something else is wrong.
  constexpr int kMaxNumber = 100000;
  const std::string staged = platform::CreateUniqueFile(
      folder.empty() ? "." : folder, platform::kPartialCopyPrefix, platform::kPartialCopyExtension);
  try {
    platform::CopyFileAtomic(src, staged);
    int error = 0;  // the system's code for a taken name, after the first try
    for (int number = 1; number <= kMaxNumber; ++number) {
      // The rename itself tells whether the name is free: nothing is looked up first, so
      // a file that takes the name at any moment is never replaced.
      const std::string path = JoinPath(folder, NumberedName(name, number));
      switch (platform::RenameNoReplace(staged, path, &error)) {
        case platform::TRenameResult::kRenamed:
          return path;
        case platform::TRenameResult::kTaken:
          continue;
        case platform::TRenameResult::kFailed:
          throw EOSError("delivering " + path, error);
      }
    }
    throw EOSError("delivering " + JoinPath(folder, name), error);
  } catch (...) {
    platform::RemoveFile(staged);
    throw;
  }
}

bool TUserData::Install(int index, const std::string& file_name, const std::string& dest_name,
                        std::string* queued_path) {
  const TPalmUser* user = User(index);
  if (user == nullptr) return false;
  const std::string user_folder = JoinPath(path_, user->folder);
  const std::string folder = JoinPath(user_folder, "Install");
  // A folder that can't be made shows as a failed copy. The copy is delivered whole or
  // not at all: a HotSync must never find a truncated file in the install folder.
  platform::MakeDirectory(user_folder);
  platform::MakeDirectory(folder);
  try {
    const std::string path = CopyUnderFreeName(
        file_name, folder, dest_name.empty() ? ExtractFileName(file_name) : dest_name);
    if (queued_path != nullptr) *queued_path = path;
  } catch (const EOSError&) {
    return false;
  }
  const std::optional<std::string> root = RootKey();
  return root && platform::RegWriteDword(SubKey(*root, kHotSyncKey),
                                         "Install" + std::to_string(user->id), 1);
}

}  // namespace vesko
