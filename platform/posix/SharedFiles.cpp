#include "platform/posix/SharedFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>

#include "platform/errors.h"

namespace vesko::platform {

TFileLock::TFileLock(const std::string& path) {
  for (;;) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw EOSError("locking " + path, errno);
    int result;
    do {
      result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
      const int code = errno;
      ::close(fd);
      throw EOSError("locking " + path, code);
    }
    // The file may have been replaced while this waited: lock the one that is there now.
    struct stat held {}, now {};
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &now) == 0 && held.st_dev == now.st_dev &&
        held.st_ino == now.st_ino) {
      fd_ = fd;
      return;
    }
    ::close(fd);
  }
}

TFileLock::~TFileLock() {
  if (fd_ >= 0) ::close(fd_);
}

void WarnAboutFile(const std::string& path, const std::string& problem) noexcept {
  try {
    static std::set<std::string> told;
    if (!told.insert(path + '\n' + problem).second) return;
    std::fprintf(stderr, "Vesko: warning: %s: %s\n", path.c_str(), problem.c_str());
  } catch (...) {
  }
}

}  // namespace vesko::platform
