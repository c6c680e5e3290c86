// The terminal side of the doc commands on Linux: the terminal speaks UTF-8, the e-books
// hold Shift JIS.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "tools/commands.h"

namespace vesko::tools {
namespace {

// Converts with iconv(3). A byte sequence that doesn't convert either fails the whole
// conversion (strict) or becomes '?'.
bool Recode(const char* from, const char* to, const std::string& text, bool strict,
            std::string& out) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char buffer[256];
  bool ok = true;
  while (in_left > 0) {
    char* o = buffer;
    std::size_t o_left = sizeof buffer;
    const std::size_t r = ::iconv(cd, &in, &in_left, &o, &o_left);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    if (strict) {
      ok = false;
      break;
    }
    out.push_back('?');  // EILSEQ or EINVAL: skip one byte
    ++in;
    --in_left;
  }
  ::iconv_close(cd);
  return ok;
}

}  // namespace

std::string TitleFromTerminal(const std::string& title) {
  std::string out;
  if (!Recode("UTF-8", "CP932", title, true, out)) {
    throw TCommandError("the title can't be written in Shift JIS: " + title, kExitBadInput);
  }
  return out;
}

std::string TextToTerminal(const std::string& shift_jis) {
  std::string out;
  Recode("CP932", "UTF-8", shift_jis, false, out);
  return out;
}

void SetBinaryStdout() {}

}  // namespace vesko::tools
