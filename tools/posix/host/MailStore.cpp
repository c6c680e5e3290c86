// What the three store kinds share: telling them apart, line ends and mail IDs.
#include "tools/posix/host/MailStore.h"

#include <cstdint>
#include <cstdio>
#include <set>

#include "platform/files.h"
#include "tools/posix/host/StoreUtil.h"

namespace vesko::tools::host {

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

}  // namespace vesko::tools::host
