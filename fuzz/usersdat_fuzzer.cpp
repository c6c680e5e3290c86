// The Palm Desktop user file reader on any bytes: it returns a list that fits the file, or
// throws EPalmDesktopError, and never reads past the data (ASan watches the buffer).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "hotsync/AutoInst.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so that any read past the end hits the sanitizer's red zone.
  std::unique_ptr<char[]> copy(new char[size == 0 ? 1 : size]);
  std::copy(data, data + size, copy.get());
  try {
    const vesko::TUsersDat read = vesko::ParseUsersDat(std::string_view(copy.get(), size), "A");
    if (read.users.size() > 255 || read.last_user_index < 0 ||
        (read.last_user_index > 0 &&
         static_cast<std::size_t>(read.last_user_index) >= read.users.size())) {
      std::abort();
    }
    for (const auto& user : read.users) {
      if (user.name.size() > 31 || user.folder.size() > 31) std::abort();
    }
    // What was read writes out and reads back the same.
    const vesko::TUsersDat again = vesko::ParseUsersDat(vesko::BuildUsersDat(read.users), "A");
    if (again.users.size() != read.users.size()) std::abort();
  } catch (const vesko::EPalmDesktopError&) {
  }
  return 0;
}
