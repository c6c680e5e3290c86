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
#include "platform/posix/ReadToEnd.h"
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

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// Writes data into the fresh file fd (named temp), flushes it with its folder and renames
// it to path, with the given permissions. Removes temp on failure.
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

}  // namespace

std::string SystemErrorText(int code) { return std::strerror(code); }

std::string ReadWholeFile(const std::string& path) {
  TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw EOSError("opening " + path, errno);
  // Read straight into the string, all of whose bytes are room; growing doubles it.
  bool regular = false;
  std::string data(FirstRoom(fd.get(), &regular), '\0');
  struct {
    std::string& bytes;
    char* data() { return bytes.data(); }
    std::size_t capacity() const { return bytes.size(); }
  } room{data};
  data.resize(ReadToEnd(fd.get(), path, regular, room,
                        [&](std::size_t) { data.resize(data.size() * 2); }));
  return data;
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  TFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) throw EOSError("creating " + path, errno);
  WriteAll(fd.get(), data, path);
  if (::close(fd.release()) != 0) throw EOSError("writing " + path, errno);
}

TAtomicFile::TAtomicFile(const std::string& path, bool durable) : path_(path), durable_(durable) {
  const std::string name = ExtractFileName(path) + ".";
  RemoveLeftovers(ExtractFilePath(path), name, "");
  const int fd = MakeUniqueFile(ExtractFilePath(path), name, "", temp_);
  if (fd < 0) throw EOSError("creating a temporary file beside " + path, errno);
  handle_ = fd;
  // Keep the permissions of the file being replaced.
  struct stat st {};
  mode_ = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
}

TAtomicFile::~TAtomicFile() { Close(); }

void TAtomicFile::Put(std::uint64_t offset, std::string_view bytes, bool start_writeback) {
  const int fd = static_cast<int>(handle_);
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EOSError("writing " + temp_, errno);
    }
    done += static_cast<std::size_t>(n);
  }
  // Only a hint: the disk starts on these bytes while the caller makes the next ones.
  if (start_writeback) {
    ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(bytes.size()),
                      SYNC_FILE_RANGE_WRITE);
  }
}

void TAtomicFile::Commit() {
  Flush();
  const int fd = static_cast<int>(handle_);
  if (::fchmod(fd, static_cast<mode_t>(mode_)) != 0) throw EOSError(temp_, errno);
  if (durable_ && ::fsync(fd) != 0) throw EOSError("writing " + temp_, errno);
  handle_ = -1;
  if (::close(fd) != 0) throw EOSError("writing " + temp_, errno);
  if (::rename(temp_.c_str(), path_.c_str()) != 0) throw EOSError("replacing " + path_, errno);
  committed_ = true;
  if (durable_) SyncFolderOf(path_);
}

void TAtomicFile::Close() noexcept {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  if (!committed_) ::unlink(temp_.c_str());
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

TRenameResult RenameNoReplace(const std::string& src, const std::string& dst, int* error) {
  const auto failed = [&](int code) {
    if (error != nullptr) *error = code;
    return code == EEXIST ? TRenameResult::kTaken : TRenameResult::kFailed;
  };
  if (::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) {
    return TRenameResult::kRenamed;
  }
  if (errno != EINVAL && errno != ENOSYS) return failed(errno);
  // A file system without the flag: a new link fails on a taken name just the same.
  if (::link(src.c_str(), dst.c_str()) == 0) {
    ::unlink(src.c_str());
    return TRenameResult::kRenamed;
  }
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return failed(errno);
  // Nor links (FAT, some network file systems): look, then rename. A file that appears
  // between the two is the one case left that can be replaced.
  struct stat st {};
  if (::lstat(dst.c_str(), &st) == 0) return failed(EEXIST);
  return ::rename(src.c_str(), dst.c_str()) == 0 ? TRenameResult::kRenamed : failed(errno);
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

std::string CreateUniqueFolder(const std::string& folder, const std::string& prefix) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += prefix + std::to_string(::getpid()) + "-XXXXXX";
  if (::mkdtemp(path.data()) == nullptr) throw EOSError("creating a folder in " + folder, errno);
  return path + "/";
}

namespace {

// Removes the files in folder, then folder itself. False when something stays.
bool RemoveFolderWithFiles(const std::string& folder) {
  if (DIR* listing = ::opendir(folder.c_str())) {
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(listing);
    for (const std::string& name : names) ::unlink(JoinPath(folder, name).c_str());
  }
  return ::rmdir(folder.c_str()) == 0;
}

}  // namespace

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
    if (::lstat(path.c_str(), &st) != 0 || (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))) {
      continue;
    }
    if (now - st.st_mtime < max_age_seconds) continue;
    // kill with signal 0 only asks whether the process exists.
    const pid_t pid = static_cast<pid_t>(owner);
    if (pid == ::getpid() || (pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH))) continue;
    if (S_ISDIR(st.st_mode) ? RemoveFolderWithFiles(path) : ::unlink(path.c_str()) == 0) {
      ++removed;
    }
  }
  return removed;
}

char PathDelimiter() { return '/'; }

}  // namespace vesko::platform
