// A folder of .eml files, one mail per file; its sub-folders are the folder tree. The
// mails are listed in the order of their files' modification times (then by name), and a
// mail's ID is its file name. The read flags live in a sidecar file ".vesko-read" in each
// folder: one file name per line. Marking mails read rewrites only the sidecar.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "platform/IniText.h"
#include "platform/files.h"
#include "platform/syserror.h"
#include "mailhost/MailStore.h"
#include "mailhost/StoreUtil.h"

namespace vesko::mailhost {
namespace {

namespace fs = std::filesystem;

}  // namespace

bool HasEmlExtension(const std::string& name) {
  return name.size() >= 5 &&
         platform::SameTextNoCase(std::string_view(name).substr(name.size() - 4), ".eml");
}

namespace {

class TEmlStore : public TFileStore {
 public:
  explicit TEmlStore(std::string path) : TFileStore(std::move(path)) {}

  TStoreKind kind() const override { return TStoreKind::kEmlFolder; }

  std::vector<std::string> Folders() const override {
    std::vector<std::string> folders{kTopFolder};
    AddSubFolders(root_, "", 0, folders);
    return folders;
  }

  std::vector<TStoredMail> List(const std::string& folder) const override {
    const std::string dir = FolderPath(folder);
    struct TFile {
      std::string name;
      std::int64_t mtime_ns;
      std::string id;
    };
    std::vector<TFile> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.' || !HasEmlExtension(name) || !entry.is_regular_file(error)) continue;
      struct stat info {};
      if (::stat(entry.path().c_str(), &info) != 0) continue;
      files.push_back({name, info.st_mtim.tv_sec * 1000000000ll + info.st_mtim.tv_nsec, {}});
    }
    std::sort(files.begin(), files.end(), [](const TFile& a, const TFile& b) {
      return a.mtime_ns != b.mtime_ns ? a.mtime_ns < b.mtime_ns : a.name < b.name;
    });
    std::vector<std::string*> ids;
    for (TFile& file : files) {
      file.id = IdFromName(file.name);
      ids.push_back(&file.id);
    }
    MakeIdsUnique(ids);
    const std::set<std::string> read = ReadSidecar(dir);
    std::map<std::string, std::string> paths;
    std::vector<TStoredMail> list;
    for (const TFile& file : files) {
      paths[file.id] = dir + "/" + file.name;
      list.push_back({file.id, read.count(file.name) != 0});
    }
    Remember(folder, std::move(paths));
    return list;
  }

  void CheckCanMark(const std::string& folder) override {
    const std::string dir = FolderPath(folder);
    if (::access(dir.c_str(), W_OK) != 0) {
      throw EMailStoreError("can't mark mails of " + dir + " read: the folder can't be written (" +
                            platform::SystemErrorText(errno) + ")");
    }
  }

  std::vector<TSkippedMail> MarkRead(const std::string& folder,
                                     const std::vector<std::string>& ids) override {
    const std::string dir = FolderPath(folder);
    std::vector<TSkippedMail> skipped;
    std::string sidecar;
    const std::string sidecar_path = dir + "/" + kEmlReadListName;
    if (platform::FileExists(sidecar_path)) sidecar = platform::ReadWholeFile(sidecar_path);
    std::set<std::string> read = ReadSidecar(dir);
    bool changed = false;
    for (const std::string& id : ids) {
      std::string name;
      try {
        const std::string path = ListedFileOf(folder, id);
        name = path.substr(path.rfind('/') + 1);
      } catch (const EMailStoreError&) {
        continue;
      }
      // The sidecar holds one name a line: a name with a line break can't be kept there.
      if (name.find_first_of("\r\n") != std::string::npos) {
        skipped.push_back({id, "its file name holds a line break"});
        continue;
      }
      if (!read.insert(name).second) continue;
      if (!sidecar.empty() && sidecar.back() != '\n') sidecar += '\n';
      sidecar += name + "\n";
      changed = true;
    }
    if (changed) platform::WriteFileAtomic(sidecar_path, sidecar);
    return skipped;
  }

 private:
  void AddSubFolders(const std::string& dir, const std::string& prefix, int depth,
                     std::vector<std::string>& folders) const {
    if (depth >= kMaxFolderDepth) return;
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.' || entry.is_symlink(error) || !entry.is_directory(error)) continue;
      if (depth == 0 && name == kTopFolder) continue;  // would shadow the top folder
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      folders.push_back(prefix + name);
      AddSubFolders(dir + "/" + name, prefix + name + "/", depth + 1, folders);
    }
  }

  static std::set<std::string> ReadSidecar(const std::string& dir) {
    std::set<std::string> read;
    const std::string path = dir + "/" + kEmlReadListName;
    if (!platform::FileExists(path)) return read;
    const std::string text = platform::ReadWholeFile(path);
    for (std::size_t pos = 0; pos < text.size();) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) read.insert(line);
      pos = end + 1;
    }
    return read;
  }

  std::string FolderDirectory(const std::string& folder) const override {
    return root_ + "/" + folder;
  }
};

}  // namespace

std::unique_ptr<TMailStore> OpenEmlFolder(const std::string& path) {
  return std::make_unique<TEmlStore>(path);
}

}  // namespace vesko::mailhost
