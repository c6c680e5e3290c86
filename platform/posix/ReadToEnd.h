// The read loop that both of the POSIX side's whole-file readers use: into a std::string
// (ReadWholeFile) and into a TByteBlock (ReadFileBlock, TFileView).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "platform/errors.h"

namespace vesko::platform {

// The room to read fd's bytes into first: a regular file's size and one byte more, so that
// the read that finds the end needs no growing; 64 KB for a file that reports no size.
// *regular tells which.
inline std::size_t FirstRoom(int fd, bool* regular) {
  struct stat st {};
  *regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
  return *regular ? static_cast<std::size_t>(st.st_size) + 1 : std::size_t{1} << 16;
}

// Reads the open file fd to its end into buffer, from its start, growing it (grow(used)
// keeps the first used bytes) whenever it is full. A regular file gives less than asked
// for only at its end, so its first short read ends the loop. Returns the bytes read;
// throws EOSError naming path.
template <typename TBuffer, typename TGrow>
std::size_t ReadToEnd(int fd, const std::string& path, bool regular, TBuffer& buffer,
                      TGrow grow) {
  std::size_t used = 0;
  for (;;) {
    if (used == buffer.capacity()) grow(used);
    const std::size_t room = buffer.capacity() - used;
    const ssize_t n = ::read(fd, buffer.data() + used, room);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EOSError("reading " + path, errno);
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
    if (regular && static_cast<std::size_t>(n) < room) break;
  }
  return used;
}

}  // namespace vesko::platform
