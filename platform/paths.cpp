#include "platform/paths.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/locale.h"

namespace vesko {
namespace {

bool IsDelimiterAt(const std::string& path, std::size_t i) {
  const char c = path[i];
  if (c == platform::PathDelimiter()) return true;
  // Windows accepts "/" as well, and "C:" ends a drive.
  return platform::PathDelimiter() == '\\' && (c == '/' || c == ':');
}

// Position of the last delimiter, reading double-byte characters whole; npos if none.
std::size_t LastDelimiter(const std::string& path) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (platform::IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (IsDelimiterAt(path, i)) last = i;
  }
  return last;
}

bool EndsWithDelimiter(const std::string& path) {
  const std::size_t last = LastDelimiter(path);
  return last != std::string::npos && last + 1 == path.size() && path[last] != ':';
}

}  // namespace

std::string ExtractFileName(const std::string& path) {
  const std::size_t last = LastDelimiter(path);
  return last == std::string::npos ? path : path.substr(last + 1);
}

std::string ExtractFilePath(const std::string& path) {
  const std::size_t last = LastDelimiter(path);
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string IncludeTrailingDelimiter(const std::string& path) {
  if (path.empty() || EndsWithDelimiter(path)) return path;
  return path + platform::PathDelimiter();
}

std::string ExcludeTrailingDelimiter(const std::string& path) {
  if (!EndsWithDelimiter(path)) return path;
  const std::string trimmed = path.substr(0, path.size() - 1);
  // "/" and "C:\" are roots and keep their delimiter.
  if (trimmed.empty() || (trimmed.size() == 2 && trimmed[1] == ':')) return path;
  return trimmed;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return IncludeTrailingDelimiter(folder) + name;
}

std::optional<unsigned long> UniqueFileOwner(const std::string& name, const std::string& prefix,
                                             const std::string& extension) {
  if (name.size() < prefix.size() + extension.size() + 3 || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
    return std::nullopt;
  }
  const std::string middle =
      name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
  // The older names held six letters or digits from mkstemp and no process ID.
  const auto alnum = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  };
  if (middle.size() >= 6 && std::all_of(middle.begin(), middle.begin() + 6, alnum) &&
      (middle.size() == 6 || middle[6] == '.')) {
    return 0;
  }
  unsigned long id = 0;
  std::size_t i = 0;
  for (; i < middle.size() && i < 10 && middle[i] >= '0' && middle[i] <= '9'; ++i) {
    id = id * 10 + static_cast<unsigned long>(middle[i] - '0');
  }
  if (i == 0 || i + 1 >= middle.size() || middle[i] != '-') return std::nullopt;
  return id;
}

}  // namespace vesko
