// Compiles a random pattern and runs Replace over random text in every character code.
// Input: byte 0 picks the code (low three bits, 0..4, 4 has no reader) and the options
// (0x10 ignore case, 0x20 literal); byte 1 the pattern length (at most 64, which keeps
// each DFA construction short), byte 2 the template length (at most 16); then pattern,
// template and text. Every input must return or throw EVeskoError, and replacing every
// match by itself ("&") must give the text back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "regex/bmRExp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t code = (data[0] & 7) % 5;
  const bool icase = (data[0] & 0x10) != 0;
  const bool literal = (data[0] & 0x20) != 0;
  std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::string_view pattern = rest.substr(0, data[1] % 65);
  rest.remove_prefix(pattern.size());
  const std::string_view tmpl = rest.substr(0, data[2] % 17);
  rest.remove_prefix(tmpl.size());
  const std::string text(rest);

  vesko::TbmRExp regexp;
  regexp.SetCharCode(code);
  regexp.SetOption(0, !literal);
  regexp.SetOption(1, icase);
  regexp.SetPattern(pattern);
  try {
    std::string replaced = text;
    regexp.Replace(tmpl, replaced);
    std::string same = text;
    const std::string self = code == vesko::kbmccUniCode ? std::string("&\0", 2) : "&";
    regexp.Replace(self, same);
    if (same != text) std::abort();
  } catch (const vesko::EVeskoError&) {
  }
  return 0;
}
