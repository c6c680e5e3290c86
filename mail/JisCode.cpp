#include "mail/JisCode.h"

#include <array>
#include <cstdint>
#include <iterator>

namespace vesko {
namespace {

struct TSymbol {
  std::uint16_t full;
  char half;
};

// Full-width symbols and their ASCII forms (digits and letters are ranges, see below).
constexpr TSymbol kSymbols[] = {
    {0x8140, ' '},  {0x8143, ','}, {0x8144, '.'}, {0x8146, ':'}, {0x8147, ';'},
    {0x8148, '?'},  {0x8149, '!'}, {0x814F, '^'}, {0x8150, '~'}, {0x8151, '_'},
    {0x815E, '/'},  {0x8162, '|'}, {0x8165, '`'}, {0x8166, '\''}, {0x8168, '"'},
    {0x8169, '('},  {0x816A, ')'}, {0x816D, '['}, {0x816E, ']'}, {0x816F, '{'},
    {0x8170, '}'},  {0x817B, '+'}, {0x817C, '-'}, {0x8181, '='}, {0x8183, '<'},
    {0x8184, '>'},  {0x818F, '\\'}, {0x8190, '$'}, {0x8193, '%'}, {0x8194, '#'},
    {0x8195, '&'},  {0x8196, '*'}, {0x8197, '@'},
};

// Kana punctuation and sound marks.
constexpr TSymbol kKanaMarks[] = {
    {0x8141, '\xA4'}, {0x8142, '\xA1'}, {0x8145, '\xA5'}, {0x814A, '\xDE'},
    {0x814B, '\xDF'}, {0x815B, '\xB0'}, {0x8175, '\xA2'}, {0x8176, '\xA3'},
};

// Half-width forms of the full-width katakana 0x8340..0x8396: one byte, plus the voiced
// (0xDE) or semi-voiced (0xDF) sound mark. Empty: not converted (small wa, wi, we, vu,
// small ka and ke, and the unused 0x837F).
constexpr std::uint16_t kKatakanaFirst = 0x8340;
constexpr std::string_view kKatakana[] = {
    "\xA7", "\xB1", "\xA8", "\xB2", "\xA9", "\xB3", "\xAA", "\xB4",  // 0x8340
    "\xAB", "\xB5", "\xB6", "\xB6\xDE", "\xB7", "\xB7\xDE", "\xB8", "\xB8\xDE",  // 0x8348
    "\xB9", "\xB9\xDE", "\xBA", "\xBA\xDE", "\xBB", "\xBB\xDE", "\xBC", "\xBC\xDE",  // 0x8350
    "\xBD", "\xBD\xDE", "\xBE", "\xBE\xDE", "\xBF", "\xBF\xDE", "\xC0", "\xC0\xDE",  // 0x8358
    "\xC1", "\xC1\xDE", "\xAF", "\xC2", "\xC2\xDE", "\xC3", "\xC3\xDE", "\xC4",  // 0x8360
    "\xC4\xDE", "\xC5", "\xC6", "\xC7", "\xC8", "\xC9", "\xCA", "\xCA\xDE",  // 0x8368
    "\xCA\xDF", "\xCB", "\xCB\xDE", "\xCB\xDF", "\xCC", "\xCC\xDE", "\xCC\xDF", "\xCD",  // 0x8370
    "\xCD\xDE", "\xCD\xDF", "\xCE", "\xCE\xDE", "\xCE\xDF", "\xCF", "\xD0", "",  // 0x8378
    "\xD1", "\xD2", "\xD3", "\xAC", "\xD4", "\xAD", "\xD5", "\xAE",  // 0x8380
    "\xD6", "\xD7", "\xD8", "\xD9", "\xDA", "\xDB", "", "\xDC",  // 0x8388
    "", "", "\xA6", "\xDD", "", "", "",  // 0x8390
};
constexpr std::uint16_t kKatakanaEnd = kKatakanaFirst + std::size(kKatakana);
// Every full-width form with a half-width one lies in [kWidthFirst, kKatakanaEnd).
constexpr std::uint16_t kWidthFirst = 0x8140;

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }
bool UsesLetters(int mode) { return mode == kWidthLetters || mode == kWidthBoth; }
bool UsesKana(int mode) { return mode == kWidthKana || mode == kWidthBoth; }

// The half-width form of a full-width character under mode, or empty, found by going
// through the tables above.
std::string_view SearchHalfWidth(std::uint16_t code, int mode) {
  if (code < kWidthFirst || code >= kKatakanaEnd) return {};  // kanji and the rest
  static const auto kAscii = [] {
    std::array<char, 128> table{};
    for (int c = 0; c < 128; ++c) table[c] = static_cast<char>(c);
    return table;
  }();
  if (UsesLetters(mode)) {
    if ((code >= 0x824F && code <= 0x8258) || (code >= 0x8260 && code <= 0x8279)) {
      return {&kAscii[code - 0x821F], 1};  // digits and capitals
    }
    if (code >= 0x8281 && code <= 0x829A) return {&kAscii[code - 0x8220], 1};
    for (const TSymbol& s : kSymbols) {
      if (s.full == code) return {&s.half, 1};
    }
  }
  if (UsesKana(mode)) {
    if (code >= kKatakanaFirst && code < kKatakanaEnd) return kKatakana[code - kKatakanaFirst];
    for (const TSymbol& s : kKanaMarks) {
      if (s.full == code) return {&s.half, 1};
    }
  }
  return {};
}

// The same, looked up: one entry per code of the range and mode, made once by the search,
// since a text asks for every hiragana and punctuation mark it holds.
std::string_view HalfWidthOf(std::uint16_t code, int mode) {
  if (code < kWidthFirst || code >= kKatakanaEnd || mode < kWidthLetters || mode > kWidthBoth) {
    return {};
  }
  using TModeTable = std::array<std::string_view, kKatakanaEnd - kWidthFirst>;
  static const auto kTables = [] {
    std::array<TModeTable, kWidthBoth> tables{};
    for (int m = kWidthLetters; m <= kWidthBoth; ++m) {
      for (std::uint16_t c = kWidthFirst; c < kKatakanaEnd; ++c) {
        tables[m - 1][c - kWidthFirst] = SearchHalfWidth(c, m);
      }
    }
    return tables;
  }();
  return kTables[mode - 1][code - kWidthFirst];
}

// The full-width forms of single bytes, built from the half-width tables above so that
// the two directions stay exact inverses.
struct TFullWidthTables {
  std::array<std::uint16_t, 256> letters{};  // by byte; 0 = none
  std::array<std::uint16_t, 256> kana{};
  std::array<std::uint16_t, 256> voiced{};       // by base byte, for a following 0xDE
  std::array<std::uint16_t, 256> semi_voiced{};  // by base byte, for a following 0xDF
};

const TFullWidthTables& FullWidthTables() {
  static const TFullWidthTables tables = [] {
    TFullWidthTables t;
    for (unsigned code = kWidthFirst; code < kKatakanaEnd; ++code) {
      const auto full = static_cast<std::uint16_t>(code);
      const std::string_view letter = HalfWidthOf(full, kWidthLetters);
      if (letter.size() == 1) t.letters[static_cast<unsigned char>(letter[0])] = full;
      const std::string_view kana = HalfWidthOf(full, kWidthKana);
      if (kana.empty()) continue;
      const auto base = static_cast<unsigned char>(kana[0]);
      if (kana.size() == 1) t.kana[base] = full;
      else if (kana[1] == '\xDE') t.voiced[base] = full;
      else t.semi_voiced[base] = full;
    }
    return t;
  }();
  return tables;
}

void PutCode(std::string& out, std::uint16_t code) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

// Half width to full width. Output may grow: one byte becomes two.
std::string ToFullWidth(std::string_view text, int mode) {
  const TFullWidthTables& t = FullWidthTables();
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsLead(c) && i + 1 < text.size() && IsTrail(static_cast<unsigned char>(text[i + 1]))) {
      out.append(text.substr(i, 2));
      ++i;
      continue;
    }
    if (UsesKana(mode) && i + 1 < text.size()) {
      const char mark = text[i + 1];
      const std::uint16_t combined = mark == '\xDE'   ? t.voiced[c]
                                     : mark == '\xDF' ? t.semi_voiced[c]
                                                      : 0;
      if (combined != 0) {
        PutCode(out, combined);
        ++i;
        continue;
      }
    }
    const std::uint16_t full = UsesLetters(mode) && t.letters[c] != 0 ? t.letters[c]
                               : UsesKana(mode) && t.kana[c] != 0  ? t.kana[c]
                                                                   : 0;
    if (full != 0) PutCode(out, full);
    else out += static_cast<char>(c);
  }
  return out;
}

// Kinds 2 to 6, which never make a character longer.
std::uint16_t ShiftedCode(std::uint16_t code, int kind) {
  switch (kind) {
    case kKatakanaToHiragana:
      if (code >= 0x833F && code <= 0x837F) return code - 0xA1;
      if (code >= 0x8380 && code <= 0x8396) return code - 0xA2;
      break;
    case kHiraganaToKatakana:
      if (code >= 0x829E && code <= 0x82DD) return code + 0xA1;
      if (code >= 0x82DE && code <= 0x82F1) return code + 0xA2;
      break;
    case kFullCapitalsToSmall:
      if (code >= 0x825F && code <= 0x8279) return code + 0x21;
      break;
    case kFullSmallToCapitals:
      if (code >= 0x8280 && code <= 0x829A) return code - 0x21;
      break;
  }
  return code;
}

}  // namespace

std::string Convert(std::string_view text, int kind, int mode) {
  if (text.empty() || kind < kHalfToFull || kind > kFullSmallToCapitals) return {};
  if (kind == kHalfToFull) return ToFullWidth(text, mode);
  std::string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    // A run of single bytes goes over at once; a NUL ends the text.
    std::size_t run = i;
    while (run < n && text[run] != '\0' && !IsLead(static_cast<unsigned char>(text[run]))) ++run;
    out.append(text.substr(i, run - i));
    i = run;
    if (i == n || text[i] == '\0') break;
    const auto c = static_cast<unsigned char>(text[i]);
    if (i + 1 >= n || !IsTrail(static_cast<unsigned char>(text[i + 1]))) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const auto code = static_cast<std::uint16_t>(c << 8 | static_cast<unsigned char>(text[i + 1]));
    i += 2;
    if (kind == kFullToHalf) {
      const std::string_view half = HalfWidthOf(code, mode);
      if (!half.empty()) {
        out.append(half);
        continue;
      }
      PutCode(out, code);
    } else {
      PutCode(out, ShiftedCode(code, kind));
    }
  }
  return out;
}

std::string ToHalfWidth(std::string_view text, int mode) { return Convert(text, kFullToHalf, mode); }

}  // namespace vesko
