// What the three store kinds share: telling them apart, line ends and mail IDs.
#include "mailhost/MailStore.h"

#include <cstdint>
#include <cstdio>
#include <set>

#include "platform/files.h"
#include "mailhost/StoreUtil.h"

namespace vesko::mailhost {

const char* StoreKindName(TStoreKind kind) {
  switch (kind) {
    case TStoreKind::kMaildir: return "maildir";
    case TStoreKind::kMbox: return "mbox";
    case TStoreKind::kEmlFolder: return "eml";
  }
  return "?";
}

std::unique_ptr<TMailStore> OpenMailStore(const std::string& path) {
  if (platform::FileExists(path)) return OpenMbox(path);
  if (!platform::DirectoryExists(path)) throw EMailStoreError("no mail store at " + path);
  if (platform::DirectoryExists(path + "/cur") || platform::DirectoryExists(path + "/new")) {
    return OpenMaildir(path);
  }
  return OpenEmlFolder(path);
}

std::string ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32 + 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
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
  std::set<std::string> taken;
  for (const std::string* id : ids) taken.insert(*id);
  std::set<std::string> seen;
  for (std::string* id : ids) {
    if (seen.insert(*id).second) continue;
    for (int n = 2;; ++n) {
      std::string candidate = *id + "-" + std::to_string(n);
      if (taken.insert(candidate).second) {
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

std::string TFileStore::Read(const std::string& folder, const std::string& id) const {
  return platform::ReadWholeFile(FileOf(folder, id));
}

void TFileStore::Remember(const std::string& folder,
                          std::map<std::string, std::string> files) const {
  files_[folder] = std::move(files);
}

}  // namespace vesko::mailhost
