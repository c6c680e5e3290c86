// What the POSIX build's settings file and registry stand-in share, as files that several
// vesko processes may read and write at once: a lock that serialises their writers, and a
// warning when a file holds something that can't be read as settings.
#pragma once

#include <string>

namespace vesko::platform {

// Holds an exclusive lock on the file at path, creating the file empty when it is missing,
// for one read-modify-write cycle. Every writer that replaces the file (rename over it)
// while holding the lock serialises with every other such writer: a waiter that wakes up
// on a file that was replaced meanwhile locks the new one. The system drops the lock when
// its process dies, so it never goes stale. Throws EOSError.
class TFileLock {
 public:
  explicit TFileLock(const std::string& path);
  ~TFileLock();
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

 private:
  int fd_ = -1;
};

// Prints "Vesko: warning: <path>: <problem>" on stderr, once per file and problem in this
// process.
void WarnAboutFile(const std::string& path, const std::string& problem) noexcept;

}  // namespace vesko::platform
