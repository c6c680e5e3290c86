// A folder of mbox files, as a mail reader's folder directory keeps them: each mbox file is
// a folder of the store, named after the file. Local folders of desktop mail clients nest:
// the subfolders of "Inbox" are the mbox files in "Inbox.sbd/", and each mbox has an index
// file "Inbox.msf" beside it, which is passed over. A file counts as an mbox when it begins
// with "From " and is not called *.eml, or when it is empty and has its index file or
// subfolder folder beside it (an empty folder of such a client). Each folder is served by
// an mbox store of its own, opened when the folder is first used.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "mailhost/MailStore.h"
#include "mailhost/StoreUtil.h"
#include "platform/files.h"

namespace vesko::mailhost {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSubfolderSuffix = ".sbd";
constexpr const char* kIndexSuffix = ".msf";

bool BeginsLikeMbox(const std::string& path) {
  if (HasEmlExtension(path)) return false;  // one mail, whose first line may be "From "
  try {
    return FileHead(path, 5) == "From ";
  } catch (const EOSError&) {
    return false;
  }
}

class TMboxFolderStore : public TMailStore {
 public:
  explicit TMboxFolderStore(std::string root) : root_(std::move(root)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  }

  TStoreKind kind() const override { return TStoreKind::kMboxFolder; }

  std::vector<std::string> Folders() const override {
    files_.clear();
    AddFolders(root_, "", 0);
    std::vector<std::string> folders;
    for (const auto& [name, path] : files_) folders.push_back(name);
    // "Inbox" first; the rest in name order, which puts each parent before its children.
    std::stable_partition(folders.begin(), folders.end(),
                          [](const std::string& name) { return name == kTopFolder; });
    return folders;
  }

  std::vector<TStoredMail> List(const std::string& folder) const override {
    return Mbox(folder).List(kTopFolder);
  }
  std::string Read(const std::string& folder, const std::string& id) const override {
    return Mbox(folder).Read(kTopFolder, id);
  }
  void CheckCanMark(const std::string& folder) override { Mbox(folder).CheckCanMark(kTopFolder); }
  std::vector<TSkippedMail> MarkRead(const std::string& folder,
                                     const std::vector<std::string>& ids) override {
    return Mbox(folder).MarkRead(kTopFolder, ids);
  }

 private:
  void AddFolders(const std::string& dir, const std::string& prefix, int depth) const {
    if (depth >= kMaxFolderDepth) return;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.' || !entry.is_regular_file(error)) continue;
      if (IsMbox(dir, name)) files_[prefix + name] = dir + "/" + name;
    }
    for (const auto& entry : fs::directory_iterator(dir, error)) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.' || !name.ends_with(kSubfolderSuffix) || entry.is_symlink(error) ||
          !entry.is_directory(error)) {
        continue;
      }
      const std::string parent = name.substr(0, name.size() - std::strlen(kSubfolderSuffix));
      if (!parent.empty()) AddFolders(dir + "/" + name, prefix + parent + "/", depth + 1);
    }
  }

  static bool IsMbox(const std::string& dir, const std::string& name) {
    if (name.ends_with(kIndexSuffix)) return false;
    const std::string path = dir + "/" + name;
    if (platform::FileSizeOf(path) == 0) {
      return platform::FileExists(path + kIndexSuffix) ||
             platform::DirectoryExists(path + kSubfolderSuffix);
    }
    return BeginsLikeMbox(path);
  }

  // The mbox store of a folder, opened when first asked for.
  TMailStore& Mbox(const std::string& folder) const {
    if (files_.count(folder) == 0) Folders();
    const auto file = files_.find(folder);
    if (file == files_.end()) throw EMailStoreError("no folder " + folder + " in " + root_);
    auto& store = stores_[folder];
    if (!store) store = OpenMbox(file->second);
    return *store;
  }

  std::string root_;
  mutable std::map<std::string, std::string> files_;  // folder: its mbox file
  mutable std::map<std::string, std::unique_ptr<TMailStore>> stores_;
};

}  // namespace

bool IsMboxFolderStore(const std::string& path) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(path, error)) {
    const std::string name = entry.path().filename().string();
    if (name[0] == '.') continue;
    if (name.ends_with(kIndexSuffix) && entry.is_regular_file(error)) return true;
    if (name.ends_with(kSubfolderSuffix) && entry.is_directory(error)) return true;
    if (entry.is_regular_file(error) && BeginsLikeMbox(entry.path().string())) return true;
  }
  return false;
}

std::unique_ptr<TMailStore> OpenMboxFolder(const std::string& path) {
  return std::make_unique<TMboxFolderStore>(path);
}

}  // namespace vesko::mailhost
