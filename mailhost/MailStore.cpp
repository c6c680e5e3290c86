// What the store kinds share: telling them apart, line ends and mail IDs.
#include "mailhost/MailStore.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

#include "platform/errors.h"
#include "platform/files.h"
#include "mailhost/StoreUtil.h"

namespace vesko::mailhost {

const char* StoreKindName(TStoreKind kind) {
  switch (kind) {
    case TStoreKind::kMaildir: return "maildir";
    case TStoreKind::kMbox: return "mbox";
    case TStoreKind::kMboxFolder: return "mbox folder";
    case TStoreKind::kEmlFolder: return "eml";
  }
  return "?";
}

namespace {

namespace fs = std::filesystem;

constexpr int kMaxSurveyEntries = 10000;  // a folder with more is not looked at further
constexpr std::size_t kExamples = 3;      // names given in the message

// What a folder that is no Maildir holds, down to the depth at which .eml folders are read.
// The survey stops at the first .eml file.
struct TFolderSurvey {
  int eml_files = 0;
  int other_files = 0;  // files that are not .eml, dot files left out
  int folders = 0;
  int entries = 0;
  std::string eml_example;
  std::vector<std::string> examples;  // other files, relative to the folder

  std::string Found() const {
    std::string text = "found " + Count(other_files, "file");
    if (entries >= kMaxSurveyEntries) text = "found more than " + Count(other_files, "file");
    for (std::size_t i = 0; i < examples.size(); ++i) text += (i == 0 ? " (" : ", ") + examples[i];
    if (static_cast<std::size_t>(other_files) > examples.size()) text += ", ...";
    if (!examples.empty()) text += ")";
    if (folders > 0) text += " and " + Count(folders, "subfolder");
    return text;
  }
  static std::string Count(int n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
  }
};

void Survey(const std::string& dir, const std::string& prefix, int depth, TFolderSurvey& survey) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir, error)) {
    if (survey.eml_files > 0 || ++survey.entries >= kMaxSurveyEntries) return;
    const std::string name = entry.path().filename().string();
    if (name[0] == '.') continue;
    if (entry.is_directory(error)) {
      if (entry.is_symlink(error) || depth + 1 >= kMaxFolderDepth) continue;
      ++survey.folders;
      Survey(entry.path().string(), prefix + name + "/", depth + 1, survey);
    } else if (HasEmlExtension(name)) {
      ++survey.eml_files;
      survey.eml_example = prefix + name;
    } else {
      ++survey.other_files;
      if (survey.examples.size() < kExamples) survey.examples.push_back(prefix + name);
    }
  }
}

TFolderSurvey SurveyFolder(const std::string& path) {
  TFolderSurvey survey;
  Survey(path, "", 0, survey);
  return survey;
}

}  // namespace

std::unique_ptr<TMailStore> OpenMailStore(const std::string& path) {
  // A FIFO or a device would never end or never answer: only files and folders are stores.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    throw EMailStoreError(path + " is neither a file nor a folder, so it is no mail store");
  }
  if (platform::FileExists(path)) return OpenMbox(path);
  if (!platform::DirectoryExists(path)) throw EMailStoreError("no mail store at " + path);
  if (platform::DirectoryExists(path + "/cur") || platform::DirectoryExists(path + "/new")) {
    return OpenMaildir(path);
  }
  const bool mboxes = IsMboxFolderStore(path);
  const TFolderSurvey survey = SurveyFolder(path);
  if (mboxes && survey.eml_files > 0) {
    throw EMailStoreError(path + " holds both mbox files and .eml files (" + survey.eml_example +
                          "): move one kind into a folder of its own");
  }
  if (mboxes) return OpenMboxFolder(path);
  if (survey.eml_files > 0 || survey.other_files == 0) return OpenEmlFolder(path);
  throw EMailStoreError(path + " is no mail store: it holds no Maildir (cur/ or new/), no mbox " +
                        "file and no .eml file; " + survey.Found());
}

namespace {

// Whether every line of text already ends in CR LF: each LF follows a CR, and each CR is
// followed by an LF.
bool HasOnlyCrLf(std::string_view text) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* p = begin;;) {
    const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (lf != nullptr && (lf == begin || lf[-1] != '\r')) return false;
    // No CR before the one that starts the line end (or before the end of the text).
    const char* crs_end = lf != nullptr ? lf - 1 : end;
    if (crs_end > p && std::memchr(p, '\r', static_cast<std::size_t>(crs_end - p)) != nullptr) {
      return false;
    }
    if (lf == nullptr) return true;
    p = lf + 1;
  }
}

}  // namespace

std::string ToCrLf(std::string text) {
  if (HasOnlyCrLf(text)) return text;
  // At most two bytes for each one.
  std::string out(text.size() * 2, '\0');
  char* w = out.data();
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      *w++ = '\r';
      *w++ = '\n';
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    } else {
      *w++ = c;
    }
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return out;
}

std::string HashId(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a, 64 bits
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string IdFromName(std::string_view name) {
  if (name.size() <= kMaxMailIdLength && name.find('\0') == std::string_view::npos) {
    return std::string(name);
  }
  return "h" + HashId(name);
}

void MakeIdsUnique(std::vector<std::string*> ids) {
  std::unordered_set<std::string> taken;
  for (const std::string* id : ids) taken.insert(*id);
  std::unordered_set<std::string> seen;
  // The next suffix to try per ID, so that n copies of one ID take n steps, not n * n.
  std::unordered_map<std::string, int> next;
  for (std::string* id : ids) {
    if (seen.insert(*id).second) continue;
    int& n = next.try_emplace(*id, 2).first->second;
    for (;; ++n) {
      std::string candidate = *id + "-" + std::to_string(n);
      if (taken.insert(candidate).second) {
        ++n;
        *id = std::move(candidate);
        seen.insert(*id);
        break;
      }
    }
  }
}

TFileStore::TFileStore(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::string TFileStore::FolderPath(const std::string& folder) const {
  if (folder == kTopFolder) return root_;
  if (known_folders_.count(folder) == 0) {
    const auto folders = Folders();
    known_folders_.insert(folders.begin(), folders.end());
  }
  if (known_folders_.count(folder) == 0) {
    throw EMailStoreError("no folder " + folder + " in " + root_);
  }
  return FolderDirectory(folder);
}

std::string TFileStore::FileOf(const std::string& folder, const std::string& id) const {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto& files = files_[folder];
    const auto found = files.find(id);
    if (found != files.end() && platform::FileExists(found->second)) return found->second;
    if (attempt == 0) List(folder);
  }
  throw EMailStoreError("no mail " + id + " in folder " + folder);
}

std::string TFileStore::ListedFileOf(const std::string& folder, const std::string& id) const {
  const auto& files = files_[folder];
  const auto found = files.find(id);
  return found != files.end() ? found->second : FileOf(folder, id);
}

std::string TFileStore::Read(const std::string& folder, const std::string& id) const {
  // The listed file is read straight away; only when it has gone (a Maildir mail that
  // another program renamed) is the folder listed again to find it.
  try {
    return platform::ReadWholeFile(ListedFileOf(folder, id));
  } catch (const EOSError& e) {
    if (e.code() != ENOENT) throw;
  }
  return platform::ReadWholeFile(FileOf(folder, id));
}

void TFileStore::Remember(const std::string& folder,
                          std::map<std::string, std::string> files) const {
  files_[folder] = std::move(files);
}

}  // namespace vesko::mailhost
