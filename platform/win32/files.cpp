#include "platform/files.h"

#include <windows.h>

#include <vector>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/syserror.h"

namespace vesko::platform {
namespace {

// Closes a file handle when it goes out of scope.
class THandleGuard {
 public:
  explicit THandleGuard(HANDLE h) : h_(h) {}
  ~THandleGuard() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  THandleGuard(const THandleGuard&) = delete;
  THandleGuard& operator=(const THandleGuard&) = delete;
  HANDLE get() const { return h_; }
  bool Close() {
    const BOOL ok = ::CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok != FALSE;
  }

 private:
  HANDLE h_;
};

void WriteAll(HANDLE h, std::string_view data, const std::string& path) {
  while (!data.empty()) {
    const DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!::WriteFile(h, data.data(), chunk, &written, nullptr)) {
      throw EOSError("writing " + path, static_cast<int>(::GetLastError()));
    }
    data.remove_prefix(written);
  }
}

// Creates or truncates the file and writes data, flushed to the disk.
void WriteFlushed(const std::string& path, std::string_view data) {
  THandleGuard h(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) {
    throw EOSError("creating " + path, static_cast<int>(::GetLastError()));
  }
  WriteAll(h.get(), data, path);
  if (!::FlushFileBuffers(h.get()) || !h.Close()) {
    throw EOSError("writing " + path, static_cast<int>(::GetLastError()));
  }
}

}  // namespace

std::string SystemErrorText(int code) {
  char* buffer = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text = n > 0 && buffer != nullptr ? std::string(buffer, n) : std::string();
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(code) : text;
}

std::string ReadWholeFile(const std::string& path) {
  THandleGuard h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) {
    throw EOSError("opening " + path, static_cast<int>(::GetLastError()));
  }
  // Read straight into the string: the file's size and one byte more, so that the read
  // that finds the end needs no growing; files that grow double it.
  LARGE_INTEGER size{};
  const bool sized = ::GetFileSizeEx(h.get(), &size) && size.QuadPart > 0;
  std::string data(sized ? static_cast<std::size_t>(size.QuadPart) + 1 : std::size_t{1} << 16, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == data.size()) data.resize(data.size() * 2);
    const std::size_t room = data.size() - used;
    const DWORD chunk = room > (1u << 30) ? (1u << 30) : static_cast<DWORD>(room);
    DWORD n = 0;
    if (!::ReadFile(h.get(), data.data() + used, chunk, &n, nullptr)) {
      throw EOSError("reading " + path, static_cast<int>(::GetLastError()));
    }
    if (n == 0) break;
    used += n;
  }
  data.resize(used);
  return data;
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  WriteFlushed(path, data);
}

TAtomicFile::TAtomicFile(const std::string& path, bool durable) : path_(path), durable_(durable) {
  std::string folder = ExtractFilePath(path);
  if (folder.empty()) folder = ".";
  const std::string prefix = ExtractFileName(path) + ".";
  RemoveLeftovers(folder, prefix, "");
  temp_ = CreateUniqueFile(folder, prefix, "");
  const HANDLE h = ::CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const int code = static_cast<int>(::GetLastError());
    ::DeleteFileA(temp_.c_str());
    throw EOSError("creating " + temp_, code);
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
}

TAtomicFile::~TAtomicFile() { Close(); }

void TAtomicFile::Put(std::uint64_t offset, std::string_view bytes, bool /*start_writeback*/) {
  const HANDLE h = reinterpret_cast<HANDLE>(handle_);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) {
    throw EOSError("writing " + temp_, static_cast<int>(::GetLastError()));
  }
  WriteAll(h, bytes, temp_);
}

void TAtomicFile::Commit() {
  Flush();
  const HANDLE h = reinterpret_cast<HANDLE>(handle_);
  handle_ = -1;
  const bool flushed = !durable_ || ::FlushFileBuffers(h) != FALSE;
  const DWORD flush_error = ::GetLastError();
  if (!::CloseHandle(h) || !flushed) {
    throw EOSError("writing " + temp_, static_cast<int>(flushed ? ::GetLastError() : flush_error));
  }
  if (!::MoveFileExA(temp_.c_str(), path_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | (durable_ ? MOVEFILE_WRITE_THROUGH : 0))) {
    throw EOSError("replacing " + path_, static_cast<int>(::GetLastError()));
  }
  committed_ = true;
}

void TAtomicFile::Close() noexcept {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  if (!committed_) ::DeleteFileA(temp_.c_str());
}

void CopyFileAtomic(const std::string& src, const std::string& dst) {
  std::string folder = ExtractFilePath(dst);
  if (folder.empty()) folder = ".";
  RemoveLeftovers(folder, kPartialCopyPrefix, kPartialCopyExtension);
  const std::string partial = CreateUniqueFile(folder, kPartialCopyPrefix, kPartialCopyExtension);
  try {
    if (!::CopyFileA(src.c_str(), partial.c_str(), FALSE)) {
      throw EOSError("copying " + src, static_cast<int>(::GetLastError()));
    }
    {
      THandleGuard h(::CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
      if (h.get() == INVALID_HANDLE_VALUE || !::FlushFileBuffers(h.get())) {
        throw EOSError("writing " + partial, static_cast<int>(::GetLastError()));
      }
    }
    if (!::MoveFileExA(partial.c_str(), dst.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw EOSError("replacing " + dst, static_cast<int>(::GetLastError()));
    }
  } catch (...) {
    ::DeleteFileA(partial.c_str());
    throw;
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    THandleGuard h(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                 FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.get() != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h.get(), &info);
  };
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  return identify(a, ia) && identify(b, ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool RenameFileOver(const std::string& src, const std::string& dst) {
  return ::MoveFileExA(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

TRenameResult RenameNoReplace(const std::string& src, const std::string& dst, int* error) {
  // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that is taken.
  if (::MoveFileExA(src.c_str(), dst.c_str(), MOVEFILE_WRITE_THROUGH)) {
    return TRenameResult::kRenamed;
  }
  const DWORD code = ::GetLastError();
  if (error != nullptr) *error = static_cast<int>(code);
  const bool taken = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS ||
                     (code == ERROR_ACCESS_DENIED &&
                      ::GetFileAttributesA(dst.c_str()) != INVALID_FILE_ATTRIBUTES);
  return taken ? TRenameResult::kTaken : TRenameResult::kFailed;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

bool FileExists(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE || DirectoryExists(path);
}

bool RemoveFolder(const std::string& path) { return ::RemoveDirectoryA(path.c_str()) != FALSE; }

std::int64_t FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& extension) {
  const std::string base = IncludeTrailingDelimiter(folder);
  for (unsigned attempt = 0; attempt < 10000; ++attempt) {
    const unsigned value = ::GetTickCount() * 2654435761u + attempt * 7919u;
    char name[32];
    wsprintfA(name, "%lu-%08X", static_cast<unsigned long>(::GetCurrentProcessId()), value);
    const std::string path = base + prefix + name + extension;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ::CloseHandle(h);
      return path;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) {
      throw EOSError("creating a temporary file in " + folder, static_cast<int>(::GetLastError()));
    }
  }
  throw EOSError("creating a temporary file in " + folder, ERROR_FILE_EXISTS);
}

std::string CreateUniqueFolder(const std::string& folder, const std::string& prefix) {
  const std::string base = IncludeTrailingDelimiter(folder);
  for (unsigned attempt = 0; attempt < 10000; ++attempt) {
    const unsigned value = ::GetTickCount() * 2654435761u + attempt * 7919u;
    char name[32];
    wsprintfA(name, "%lu-%08X", static_cast<unsigned long>(::GetCurrentProcessId()), value);
    const std::string path = base + prefix + name;
    if (::CreateDirectoryA(path.c_str(), nullptr)) return path + "\\";
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      throw EOSError("creating a folder in " + folder, static_cast<int>(::GetLastError()));
    }
  }
  throw EOSError("creating a folder in " + folder, ERROR_ALREADY_EXISTS);
}

namespace {

// Removes the files in folder, then folder itself. False when something stays.
bool RemoveFolderWithFiles(const std::string& folder) {
  const std::string base = IncludeTrailingDelimiter(folder);
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((base + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileA((base + found.cFileName).c_str());
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  return ::RemoveDirectoryA(folder.c_str()) != FALSE;
}

}  // namespace

int RemoveLeftovers(const std::string& folder, const std::string& prefix,
                    const std::string& extension, int max_age_seconds) {
  const std::string base = IncludeTrailingDelimiter(folder.empty() ? "." : folder);
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((base + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    if (UniqueFileOwner(found.cFileName, prefix, extension)) {
      names.emplace_back(found.cFileName);
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  FILETIME now_time;
  ::GetSystemTimeAsFileTime(&now_time);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  int removed = 0;
  for (const std::string& name : names) {
    const std::string path = base + name;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) continue;
    // File times count 100 ns steps.
    const unsigned long long age = ticks(now_time) - ticks(data.ftLastWriteTime);
    if (ticks(now_time) < ticks(data.ftLastWriteTime) ||
        age < static_cast<unsigned long long>(max_age_seconds) * 10000000ull) {
      continue;
    }
    const DWORD owner = static_cast<DWORD>(*UniqueFileOwner(name, prefix, extension));
    if (owner == ::GetCurrentProcessId()) continue;
    HANDLE process =
        owner == 0 ? nullptr : ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, owner);
    if (owner == 0) {
      // An older name without a process: its age alone tells.
    } else if (process != nullptr) {
      DWORD code = 0;
      const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
      ::CloseHandle(process);
      if (running) continue;
    } else if (::GetLastError() == ERROR_ACCESS_DENIED) {
      continue;  // another user's process that runs
    }
    const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder ? RemoveFolderWithFiles(path) : ::DeleteFileA(path.c_str()) != FALSE) ++removed;
  }
  return removed;
}

char PathDelimiter() { return '\\'; }

}  // namespace vesko::platform
