// Small helpers of the store readers.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mailhost/MailStore.h"

namespace vesko::mailhost {

// Folder levels followed below a store's top folder (.eml subfolders, .sbd folders).
inline constexpr int kMaxFolderDepth = 16;

// 16 hexadecimal digits of a 64-bit FNV-1a hash of the bytes.
std::string HashId(std::string_view bytes);
// A file name as mail ID; an over-long one is replaced by "h" and its hash.
std::string IdFromName(std::string_view name);
// The first size bytes of a file (fewer when it is shorter). Throws EOSError.
std::string FileHead(const std::string& path, std::size_t size);
// Whether a folder holds mbox files (or the index files and subfolder folders that desktop
// mail clients keep beside them) at its top level.
bool IsMboxFolderStore(const std::string& path);
// Whether a file name ends with ".eml", in any letter case.
bool HasEmlExtension(const std::string& name);
// Gives the second and later copies of an ID the suffix "-2", "-3", ...
void MakeIdsUnique(std::vector<std::string*> ids);

// A store kept as files in a folder tree (Maildir, .eml folder). It remembers the folders
// it has and, per folder, which file holds each mail of the last listing.
class TFileStore : public TMailStore {
 public:
  std::string Read(const std::string& folder, const std::string& id) const override;

 protected:
  explicit TFileStore(std::string root);

  // The folder's directory. Throws EMailStoreError for a folder the store doesn't have.
  std::string FolderPath(const std::string& folder) const;
  // The file of a mail, from the last listing; lists again when it is not (or no longer)
  // there. Throws EMailStoreError when the folder has no such mail.
  std::string FileOf(const std::string& folder, const std::string& id) const;
  // The file of a mail as the last listing found it, unchecked; FileOf when that listing
  // hasn't the mail.
  std::string ListedFileOf(const std::string& folder, const std::string& id) const;
  // Keeps a listing's files: ID to path.
  void Remember(const std::string& folder, std::map<std::string, std::string> files) const;

  // The directory of a folder name, unchecked.
  virtual std::string FolderDirectory(const std::string& folder) const = 0;

  std::string root_;  // without a trailing delimiter

 private:
  mutable std::set<std::string> known_folders_;
  mutable std::map<std::string, std::map<std::string, std::string>> files_;  // folder: ID: path
};

}  // namespace vesko::mailhost
