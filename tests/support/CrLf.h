// Mail files on disk may have bare LF line ends; the host hands mails over with CR LF.
#pragma once

#include <string>
#include <string_view>

namespace vesko::test {

// text with every bare LF turned into CR LF.
inline std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace vesko::test
