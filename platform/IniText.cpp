#include "platform/IniText.h"

#include <cstdint>

#include "platform/errors.h"
#include "platform/locale.h"

namespace vesko::platform {
namespace {

bool IsBlank(char c) {
  // Ctrl-Z counts as a blank, as it ends old DOS text files.
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// One line of the file: where it lies in the text and what it holds.
struct TLine {
  enum TKind { kBlank, kSection, kKey };
  TKind kind = kBlank;
  std::size_t begin = 0;                        // first byte of the line
  std::size_t end = 0;                          // the line's "\n", or the end of the text
  std::string_view name;                        // section or key name
  std::size_t equals = std::string_view::npos;  // position of "=" in the text, if any
  std::string_view value;                       // trimmed raw value (quotes still there)
};

TLine ParseLine(std::string_view text, std::size_t begin) {
  TLine line;
  line.begin = begin;
  line.end = text.find('\n', begin);
  if (line.end == std::string_view::npos) line.end = text.size();
  const std::string_view whole = Trim(text.substr(begin, line.end - begin));
  if (whole.empty()) return line;
  if (whole.front() == '[') {
    const std::size_t close = whole.find(']');
    if (close != std::string_view::npos) {
      line.kind = TLine::kSection;
      line.name = whole.substr(1, close - 1);
      return line;
    }
  }
  line.kind = TLine::kKey;
  const std::size_t eq = whole.find('=');
  if (eq == std::string_view::npos) {
    line.name = whole;
    return line;
  }
  line.name = Trim(whole.substr(0, eq));
  line.equals = static_cast<std::size_t>(whole.data() - text.data()) + eq;
  line.value = Trim(whole.substr(eq + 1));
  return line;
}

std::vector<TLine> ParseLines(std::string_view text) {
  std::vector<TLine> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    lines.push_back(ParseLine(text, pos));
    pos = lines.back().end + 1;
  }
  return lines;
}

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

// The range of lines [first, last) of the first section named section, first being the
// header; first == lines.size() when there is none.
std::pair<std::size_t, std::size_t> FindSection(const std::vector<TLine>& lines,
                                                std::string_view section) {
  std::size_t first = 0;
  while (first < lines.size() &&
         !(lines[first].kind == TLine::kSection && SameTextNoCase(lines[first].name, section))) {
    ++first;
  }
  std::size_t last = first < lines.size() ? first + 1 : first;
  while (last < lines.size() && lines[last].kind != TLine::kSection) ++last;
  return {first, last};
}

std::size_t FindKey(const std::vector<TLine>& lines, std::pair<std::size_t, std::size_t> range,
                    std::string_view key) {
  for (std::size_t i = range.first + 1; i < range.second; ++i) {
    if (lines[i].kind == TLine::kKey && SameTextNoCase(lines[i].name, key)) return i;
  }
  return lines.size();
}

std::string LineEnd(std::string_view text) {
  const std::size_t nl = text.find('\n');
  return nl != std::string_view::npos && (nl == 0 || text[nl - 1] != '\r') ? "\n" : "\r\n";
}

}  // namespace

bool SameTextNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (FoldCase(a[i]) != FoldCase(b[i])) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> IniLookup(std::string_view text, std::string_view section,
                                     std::string_view key) {
  const std::vector<TLine> lines = ParseLines(text);
  const auto range = FindSection(lines, section);
  if (range.first == lines.size()) return std::nullopt;
  const std::size_t i = FindKey(lines, range, key);
  if (i == lines.size() || lines[i].equals == std::string_view::npos) return std::nullopt;
  return Unquote(lines[i].value);
}

void CheckProfileEntry(std::string_view section, std::string_view key, std::string_view value) {
  auto has_line_end = [](std::string_view s) { return s.find_first_of("\r\n") != s.npos; };
  if (has_line_end(section) || section.find(']') != section.npos) {
    throw EVeskoError("a settings section name can't hold \"]\" or a line end");
  }
  const std::string_view trimmed_key = Trim(key);
  if (trimmed_key.empty() || trimmed_key.front() == '[' || has_line_end(key) ||
      key.find('=') != key.npos) {
    throw EVeskoError("a settings key name must be non-empty and can't hold \"=\" or a line end");
  }
  if (has_line_end(value)) throw EVeskoError("a settings value can't hold a line end");
}

std::string IniUpdate(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
  CheckProfileEntry(section, key, value);
  const std::vector<TLine> lines = ParseLines(text);
  const std::string eol = LineEnd(text);
  const auto range = FindSection(lines, section);
  std::string out;
  if (range.first == lines.size()) {
    out.assign(text);
    if (!out.empty() && out.back() != '\n') out += eol;
    if (!out.empty()) out += eol;
    out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    return out;
  }
  const std::size_t i = FindKey(lines, range, key);
  if (i != lines.size()) {
    const TLine& line = lines[i];
    const bool cr = line.end > line.begin && text[line.end - 1] == '\r';
    out.assign(text.substr(0, line.begin));
    if (line.equals != std::string_view::npos) {
      out.append(text.substr(line.begin, line.equals + 1 - line.begin));
    } else {
      out.append(key).append("=");
    }
    out.append(value);
    if (cr) out += '\r';
    out.append(text.substr(line.end));
    return out;
  }
  std::size_t after = range.first;
  for (std::size_t j = range.first + 1; j < range.second; ++j) {
    if (lines[j].kind != TLine::kBlank) after = j;
  }
  const std::size_t insert_at = lines[after].end;  // the "\n" of that line, or the text's end
  out.assign(text.substr(0, insert_at));
  if (insert_at == text.size()) {
    out.append(eol).append(key).append("=").append(value).append(eol);
  } else {
    out.append(text.substr(insert_at, 1));  // keep the line's own "\n"
    out.append(key).append("=").append(value).append(eol);
    out.append(text.substr(insert_at + 1));
  }
  return out;
}

std::vector<TIniEntry> IniEntries(std::string_view text) {
  std::vector<TIniEntry> entries;
  std::string_view section;
  for (const TLine& line : ParseLines(text)) {
    if (line.kind == TLine::kSection) {
      section = line.name;
    } else if (line.kind == TLine::kKey && line.equals != std::string_view::npos) {
      entries.push_back({std::string(section), std::string(line.name), Unquote(line.value)});
    }
  }
  return entries;
}

int ParseProfileInt(std::string_view value, int fallback) {
  if (value.empty()) return fallback;
  std::size_t i = 0;
  while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  std::uint32_t base = 10;
  if (i + 1 < value.size() && value[i] == '0') {
    switch (value[i + 1]) {
      case 'x': base = 16; break;
      case 'o': base = 8; break;
      case 'b': base = 2; break;
      default: break;
    }
    if (base != 10) i += 2;
  }
  std::uint32_t n = 0;  // wraps on overflow, as the system's reader does
  for (; i < value.size(); ++i) {
    const char c = value[i];
    std::uint32_t digit = 36;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    if (c >= 'a' && c <= 'z') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'Z') digit = static_cast<std::uint32_t>(c - 'A' + 10);
    if (digit >= base) break;
    n = n * base + digit;
  }
  if (negative) n = 0u - n;
  return static_cast<int>(n);
}

std::string ProfileFallback(std::string_view fallback) {
  while (fallback.size() > 1 && fallback.back() == ' ') fallback.remove_suffix(1);
  return std::string(fallback);
}

std::optional<std::string> IniProblem(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return "it holds NUL bytes, it is not a text file";
  std::size_t number = 0;
  for (const TLine& line : ParseLines(text)) {
    ++number;
    if (line.kind == TLine::kSection) return std::nullopt;
    const std::string_view whole = Trim(text.substr(line.begin, line.end - line.begin));
    if (line.kind == TLine::kKey && whole.front() != ';' && whole.front() != '#') {
      return "line " + std::to_string(number) + " lies before the first [section]";
    }
  }
  return std::nullopt;
}

}  // namespace vesko::platform
