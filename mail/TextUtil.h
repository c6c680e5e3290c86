// Small byte-string helpers shared by the mail units: ASCII case folding, trimming and
// line splitting. Only ASCII letters fold; bytes of 0x80 and above compare as they are.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vesko {

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Cuts bytes up to 0x20 (blanks and control characters) from both ends.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return text;
}

// text with every bare LF turned into CR LF, as the host hands mails over; mail files on
// disk may have bare LF line ends.
inline std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

// Appends the lines of text, split at CR LF, CR or LF; a final line end adds no empty line.
inline void AppendLines(std::vector<std::string>& lines, std::string_view text) {
  const char* const b = text.data();
  const std::size_t n = text.size();
  const auto next = [&](char c, std::size_t from) {
    const void* found = std::memchr(b + from, c, n - from);
    return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - b) : n;
  };
  // The next CR and the next LF, each looked for again only once the lines pass it, so
  // that text with one kind of line end is still scanned once.
  std::size_t next_cr = next('\r', 0), next_lf = next('\n', 0);
  for (std::size_t pos = 0; pos < n;) {
    if (next_cr < pos) next_cr = next('\r', pos);
    if (next_lf < pos) next_lf = next('\n', pos);
    const std::size_t end = std::min(next_cr, next_lf);
    lines.emplace_back(text.substr(pos, end - pos));
    const bool crlf = end + 1 < n && b[end] == '\r' && b[end + 1] == '\n';
    pos = end + (crlf ? 2 : 1);
  }
}

}  // namespace vesko
