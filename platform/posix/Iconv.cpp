#include "platform/posix/Iconv.h"

#include <iconv.h>

#include <cerrno>

namespace vesko::platform {

std::string ConvertCharset(const std::string& text, const char* from, const char* to) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char buffer[256];
  while (in_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t r = ::iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += '?';
      ++in;
      --in_left;
    }
  }
  ::iconv_close(cd);
  return out;
}

}  // namespace vesko::platform
