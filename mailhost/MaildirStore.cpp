// A Maildir: new mails in new/, seen ones in cur/ with ":2," and flag letters after their
// unique name; Maildir++ subfolders are the top folder's ".Name" and ".Name.Sub" folders,
// their names shown decoded where an IMAP server wrote them in modified UTF-7.
// A mail's ID is its unique name, which renames leave alone. Marking a mail read renames
// it into cur/ with the S flag and never replaces another file; where cur/ already holds the
// same mail under that name, the unseen copy goes.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>

#include "platform/files.h"
#include "platform/syserror.h"
#include "mailhost/MailStore.h"
#include "mailhost/ModifiedUtf7.h"
#include "mailhost/StoreUtil.h"

namespace vesko::mailhost {

TMaildirName ParseMaildirName(std::string_view file_name) {
  TMaildirName name;
  const std::size_t info = file_name.rfind(":2,");
  if (info == std::string_view::npos) {
    name.unique = std::string(file_name);
    return name;
  }
  name.unique = std::string(file_name.substr(0, info));
  name.flags = std::string(file_name.substr(info + 3));
  name.has_info = true;
  return name;
}

std::string MaildirSeenName(const TMaildirName& name) {
  std::string flags = name.flags;
  if (flags.find('S') == std::string::npos) {
    flags += 'S';
    std::sort(flags.begin(), flags.end());
  }
  return name.unique + ":2," + flags;
}

namespace {

namespace fs = std::filesystem;

// Delivery order: the seconds count that leads a unique name, then the name itself.
bool DeliveredBefore(const std::string& a, const std::string& b) {
  auto leading_number = [](const std::string& s) {
    std::size_t digits = 0;
    while (digits < s.size() && digits < 18 && s[digits] >= '0' && s[digits] <= '9') ++digits;
    return digits == 0 ? 0ull : std::stoull(s.substr(0, digits));
  };
  const auto na = leading_number(a), nb = leading_number(b);
  return na != nb ? na < nb : a < b;
}

// Whether two files hold the same mail: one file under two names, or the same bytes.
bool SameMail(const std::string& a, const std::string& b) {
  if (platform::SameFile(a, b)) return true;
  try {
    return platform::ReadWholeFile(a) == platform::ReadWholeFile(b);
  } catch (const EOSError&) {
    return false;
  }
}

class TMaildirStore : public TFileStore {
 public:
  explicit TMaildirStore(std::string path) : TFileStore(std::move(path)) {}

  TStoreKind kind() const override { return TStoreKind::kMaildir; }

  std::vector<std::string> Folders() const override {
    std::vector<std::vector<std::string>> paths;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(root_, error)) {
      const std::string name = entry.path().filename().string();
      if (name.size() < 2 || name[0] != '.' || name == "..") continue;
      if (!IsMaildir(entry.path().string())) continue;
      std::vector<std::string> parts;
      bool sound = true;
      for (std::size_t start = 1;;) {
        const std::size_t dot = name.find('.', start);
        parts.push_back(name.substr(start, dot == std::string::npos ? dot : dot - start));
        if (parts.back().empty()) sound = false;
        if (dot == std::string::npos) break;
        start = dot + 1;
      }
      if (sound) paths.push_back(std::move(parts));
    }
    std::sort(paths.begin(), paths.end());
    // A name written in modified UTF-7 is shown decoded, unless another folder is called
    // that already: then it keeps the name it has on disk.
    directories_.clear();
    std::vector<std::string> shown(paths.size()), raw(paths.size());
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < paths.size(); ++i) {
        if (pass == 0) {
          for (const std::string& part : paths[i]) {
            shown[i] += (shown[i].empty() ? "" : "/") + DecodeModifiedUtf7(part).value_or(part);
            raw[i] += (raw[i].empty() ? "" : "/") + part;
          }
        }
        if ((shown[i] == raw[i]) != (pass == 0)) continue;
        if (!directories_.emplace(shown[i], paths[i]).second) {
          shown[i] = directories_.emplace(raw[i], paths[i]).second ? raw[i] : "";
        }
      }
    }
    std::vector<std::string> folders{kTopFolder};
    for (const std::string& name : shown) {
      if (!name.empty()) folders.push_back(name);
    }
    return folders;
  }

  std::vector<TStoredMail> List(const std::string& folder) const override {
    const std::string dir = FolderPath(folder);
    std::vector<TFile> files;
    Scan(dir + "/new", false, files);
    Scan(dir + "/cur", true, files);
    std::stable_sort(files.begin(), files.end(), [](const TFile& a, const TFile& b) {
      return DeliveredBefore(a.name.unique, b.name.unique);
    });
    std::vector<std::string*> ids;
    for (TFile& file : files) {
      file.id = IdFromName(file.name.unique);
      ids.push_back(&file.id);
    }
    MakeIdsUnique(ids);
    std::map<std::string, std::string> paths;
    std::vector<TStoredMail> list;
    list.reserve(files.size());
    for (const TFile& file : files) {
      paths[file.id] = file.path;
      list.push_back({file.id, file.in_cur && file.name.flags.find('S') != std::string::npos});
    }
    Remember(folder, std::move(paths));
    return list;
  }

  void CheckCanMark(const std::string& folder) override {
    const std::string dir = FolderPath(folder);
    for (const char* sub : {"/new", "/cur"}) {
      if (platform::DirectoryExists(dir + sub) && ::access((dir + sub).c_str(), W_OK) != 0) {
        throw EMailStoreError("can't mark mails of " + dir + " read: " + dir + sub +
                              " can't be written (" + platform::SystemErrorText(errno) + ")");
      }
    }
  }

  std::vector<TSkippedMail> MarkRead(const std::string& folder,
                                     const std::vector<std::string>& ids) override {
    const std::string dir = FolderPath(folder);
    std::vector<TSkippedMail> skipped;
    for (const std::string& id : ids) {
      std::string path;
      try {
        path = FileOf(folder, id);
      } catch (const EMailStoreError&) {
        continue;  // gone since it was listed
      }
      const std::string file_name = path.substr(path.rfind('/') + 1);
      const TMaildirName name = ParseMaildirName(file_name);
      const bool in_cur = path.compare(dir.size(), 5, "/cur/") == 0;
      if (in_cur && name.flags.find('S') != std::string::npos) continue;
      const std::string target = dir + "/cur/" + MaildirSeenName(name);
      int code = 0;
      const platform::TRenameResult renamed = platform::RenameNoReplace(path, target, &code);
      if (renamed == platform::TRenameResult::kRenamed) continue;
      if (renamed == platform::TRenameResult::kTaken && SameMail(path, target)) {
        // The same mail twice, as a rename cut short leaves it: the seen copy stays.
        if (::unlink(path.c_str()) == 0) continue;
      }
      skipped.push_back({id, renamed == platform::TRenameResult::kTaken
                                 ? "cur/" + MaildirSeenName(name) + " already holds another mail"
                                 : platform::SystemErrorText(code)});
    }
    return skipped;
  }

 private:
  struct TFile {
    std::string path;
    TMaildirName name;
    bool in_cur = false;
    std::string id;
  };

  static bool IsMaildir(const std::string& dir) {
    return platform::DirectoryExists(dir + "/cur") || platform::DirectoryExists(dir + "/new");
  }

  static void Scan(const std::string& dir, bool in_cur, std::vector<TFile>& files) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
      const std::string name = entry.path().filename().string();
      if (name.empty() || name[0] == '.' || !entry.is_regular_file(error)) continue;
      files.push_back({entry.path().string(), ParseMaildirName(name), in_cur, {}});
    }
  }

  std::string FolderDirectory(const std::string& folder) const override {
    const auto found = directories_.find(folder);
    if (found == directories_.end()) throw EMailStoreError("no folder " + folder + " in " + root_);
    std::string dotted;
    for (const std::string& part : found->second) dotted += "." + part;
    return root_ + "/" + dotted;
  }

  // The folders of the last Folders(): name as shown to the parts of its directory's name.
  mutable std::map<std::string, std::vector<std::string>> directories_;
};

}  // namespace

std::unique_ptr<TMailStore> OpenMaildir(const std::string& path) {
  return std::make_unique<TMaildirStore>(path);
}

}  // namespace vesko::mailhost
