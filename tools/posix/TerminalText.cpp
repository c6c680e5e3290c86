#include "tools/TerminalText.h"

#include <iconv.h>

#include <cerrno>

#include "platform/locale.h"
#include "tools/commands.h"

namespace vesko::tools {
namespace {

std::string CodePageName() { return "CP" + std::to_string(platform::AnsiCodePage()); }

// Converts text; a byte that won't convert becomes replacement, or, when replacement is
// empty, the result is "" and ok false.
std::string Convert(const std::string& text, const std::string& to, const std::string& from,
                    const char* replacement, bool& ok) {
  ok = true;
  iconv_t cd = ::iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ok = false;
    return std::string();
  }
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  while (in_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t rc = ::iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    if (replacement == nullptr) {
      ok = false;
      break;
    }
    out += replacement;  // an invalid or cut-off sequence: skip one byte
    ++in;
    --in_left;
  }
  ::iconv_close(cd);
  return ok ? out : std::string();
}

}  // namespace

std::string ToTerminalText(const std::string& text) {
  bool ok = true;
  const std::string converted = Convert(text, "UTF-8", CodePageName(), "?", ok);
  return ok ? converted : text;
}

std::string FromTerminalText(const std::string& text) {
  bool ok = true;
  std::string converted = Convert(text, CodePageName(), "UTF-8", nullptr, ok);
  if (!ok) {
    throw TCommandError("\"" + text + "\" can't be written in code page " +
                            std::to_string(platform::AnsiCodePage()),
                        kExitBadInput);
  }
  return converted;
}

}  // namespace vesko::tools
