#include "bench/support/Corpus.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vesko::bench {
namespace {

std::string ReadCommand(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

// All Japanese manual pages as Shift JIS text with roff requests dropped, computed once.
const std::string& ManualPages() {
  static const std::string text = [] {
    std::string raw = ReadCommand(
        "find /usr/share/man/ja -name '*.gz' | sort | xargs zcat 2>/dev/null | "
        "grep -v '^[.'\\'']' | iconv -c -f UTF-8 -t CP932 2>/dev/null");
    std::string crlf;
    crlf.reserve(raw.size() + raw.size() / 40);
    for (char c : raw) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    return crlf;
  }();
  return text;
}

}  // namespace

std::string ShiftJisProse(std::size_t bytes) {
  const std::string& pages = ManualPages();
  if (pages.empty()) {
    std::fprintf(stderr, "no Japanese manual pages: install manpages-ja\n");
    std::abort();
  }
  std::string out;
  out.reserve(bytes + pages.size());
  while (out.size() < bytes) out += pages;
  const std::size_t cut = out.rfind("\r\n", bytes);
  out.resize(cut == std::string::npos ? bytes : cut + 2);
  return out;
}

}  // namespace vesko::bench
