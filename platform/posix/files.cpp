#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/syserror.h"

namespace vesko::platform {
namespace {

// Closes a descriptor when it goes out of scope.
class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

void WriteAll(int fd, std::string_view data, const std::string& path) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EOSError("writing " + path, errno);
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
}

// A fresh file named prefix + process ID + "-" + six unique characters + extension,
// opened for writing with mode 0600. Returns the descriptor; path receives the name.
int MakeUniqueFile(const std::string& folder, const std::string& prefix,
                   const std::string& extension, std::string& path) {
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  path = base + prefix + std::to_string(::getpid()) + "-XXXXXX" + extension;
  return ::mkostemps(path.data(), static_cast<int>(extension.size()), O_CLOEXEC);
}

// Flushes the folder that holds path, so a rename into it survives a power cut.
void SyncFolderOf(const std::string& path) {
  std::string folder = ExtractFilePath(path);
  if (folder.empty()) folder = ".";
  TFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

// Gives the fresh file fd (named temp) mode and data, flushes it to the disk and renames
// it over path. Removes temp when anything fails; throws EOSError.
void CommitFile(TFd& fd, const std::string& temp, const std::string& path, std::string_view data,
                mode_t mode) {
  try {
    if (::fchmod(fd.get(), mode) != 0) throw EOSError(temp, errno);
    WriteAll(fd.get(), data, temp);
    if (::fsync(fd.get()) != 0) throw EOSError("writing " + temp, errno);
    if (::close(fd.release()) != 0) throw EOSError("writing " + temp, errno);
    if (::rename(temp.c_str(), path.c_str()) != 0) throw EOSError("replacing " + path, errno);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  SyncFolderOf(path);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

std::string SystemErrorText(int code) { return std::strerror(code); }

std::string ReadWholeFile(const std::string& path) {
  TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw EOSError("opening " + path, errno);
  std::string data;
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EOSError("reading " + path, errno);
    }
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  return data;
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  TFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) throw EOSError("creating " + path, errno);
  WriteAll(fd.get(), data, path);
  if (::close(fd.release()) != 0) throw EOSError("writing " + path, errno);
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
  const std::string name = ExtractFileName(path) + ".";
  RemoveLeftovers(ExtractFilePath(path), name, "");
  std::string temp;
  TFd fd(MakeUniqueFile(ExtractFilePath(path), name, "", temp));
  if (fd.get() < 0) throw EOSError("creating a temporary file beside " + path, errno);
  // Keep the permissions of the file being replaced.
  struct stat st {};
  CommitFile(fd, temp, path, data, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
}

void CopyFileAtomic(const std::string& src, const std::string& dst) {
  const std::string data = ReadWholeFile(src);
  const std::string folder = ExtractFilePath(dst);
  RemoveLeftovers(folder, kPartialCopyPrefix, kPartialCopyExtension);
  std::string partial;
  TFd fd(MakeUniqueFile(folder, kPartialCopyPrefix, kPartialCopyExtension, partial));
  if (fd.get() < 0) throw EOSError(ExcludeTrailingDelimiter(folder.empty() ? "." : folder), errno);
  CommitFile(fd, partial, dst, data, 0666 & ~CurrentUmask());
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool RenameFileOver(const std::string& src, const std::string& dst) {
  return ::rename(src.c_str(), dst.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && DirectoryExists(path));
}

bool RemoveFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

std::int64_t FileSizeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& extension) {
  std::string path;
  const int fd = MakeUniqueFile(folder, prefix, extension, path);
  if (fd < 0) throw EOSError("creating a temporary file in " + folder, errno);
  ::close(fd);
  return path;
}

int RemoveLeftovers(const std::string& folder, const std::string& prefix,
                    const std::string& extension, int max_age_seconds) {
  const std::string dir = folder.empty() ? "." : folder;
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return 0;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(listing)) {
    if (UniqueFileOwner(entry->d_name, prefix, extension)) names.emplace_back(entry->d_name);
  }
  ::closedir(listing);
  int removed = 0;
  const std::time_t now = std::time(nullptr);
  for (const std::string& name : names) {
    const unsigned long owner = *UniqueFileOwner(name, prefix, extension);
    const std::string path = JoinPath(dir, name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (now - st.st_mtime < max_age_seconds) continue;
    // kill with signal 0 only asks whether the process exists.
    const pid_t pid = static_cast<pid_t>(owner);
    if (pid == ::getpid() || (pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH))) continue;
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

char PathDelimiter() { return '/'; }

}  // namespace vesko::platform
