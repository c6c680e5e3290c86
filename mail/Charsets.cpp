#include "mail/Charsets.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "mail/TextUtil.h"
#include "platform/charset.h"

namespace vesko {
namespace {

constexpr std::string_view kGeta = "\x81\xAC";
constexpr char32_t kReplacement = 0xFFFD;

struct TNamedCharset {
  const char* name;
  TCharset charset;
};

constexpr TCharset CodePage(unsigned n) { return {TCharsetKind::kCodePage, n}; }

const TNamedCharset kCharsets[] = {
    {"shift_jis", {TCharsetKind::kShiftJis}},   {"shift-jis", {TCharsetKind::kShiftJis}},
    {"sjis", {TCharsetKind::kShiftJis}},        {"x-sjis", {TCharsetKind::kShiftJis}},
    {"ms_kanji", {TCharsetKind::kShiftJis}},    {"csshiftjis", {TCharsetKind::kShiftJis}},
    {"windows-31j", {TCharsetKind::kShiftJis}}, {"cp932", {TCharsetKind::kShiftJis}},
    {"ms932", {TCharsetKind::kShiftJis}},       {"utf-8", {TCharsetKind::kUtf8}},
    {"utf8", {TCharsetKind::kUtf8}},            {"utf-16", {TCharsetKind::kUtf16}},
    {"utf-16le", {TCharsetKind::kUtf16Le}},     {"utf-16be", {TCharsetKind::kUtf16Be}},
    {"gb2312", CodePage(936)},                  {"gbk", CodePage(936)},
    {"x-gbk", CodePage(936)},                   {"cp936", CodePage(936)},
    {"big5", CodePage(950)},                    {"cp950", CodePage(950)},
    {"koi8-r", CodePage(20866)},                {"koi8-u", CodePage(21866)},
    {"latin1", CodePage(1252)},
};

// "iso-8859-N" (also written iso8859-N or iso_8859-N), "windows-125N" or "cp125N".
std::optional<TCharset> NumberedCharset(std::string_view name) {
  const auto number_after = [&](std::string_view prefix) -> int {
    if (name.size() <= prefix.size() || !EqualsNoCase(name.substr(0, prefix.size()), prefix)) {
      return -1;
    }
    int n = -1;
    const char* end = name.data() + name.size();
    const auto [at, error] = std::from_chars(name.data() + prefix.size(), end, n);
    return error == std::errc() && at == end ? n : -1;
  };
  for (const std::string_view prefix : {"iso-8859-", "iso8859-", "iso_8859-"}) {
    const int n = number_after(prefix);
    // Mail labelled Latin-1 is often written in Windows-1252, its superset: read it so, as
    // browsers do, so that its quotes and dashes come out.
    if (n == 1) return CodePage(1252);
    if (n >= 2 && n <= 16 && n != 12) return CodePage(28590 + static_cast<unsigned>(n));
  }
  for (const std::string_view prefix : {"windows-", "cp"}) {
    const int n = number_after(prefix);
    if (n >= 1250 && n <= 1258) return CodePage(static_cast<unsigned>(n));
  }
  return std::nullopt;
}

// Code points that Shift JIS writes as a Japanese variant of the same character.
char32_t JapaneseVariant(char32_t c) {
  switch (c) {
    case 0x00A2: return 0xFFE0;  // cent
    case 0x00A3: return 0xFFE1;  // pound
    case 0x00A5: return 0xFFE5;  // yen
    case 0x00A6: return 0xFFE4;  // broken bar
    case 0x00AC: return 0xFFE2;  // not
    case 0x2014: return 0x2015;  // em dash
    case 0x2016: return 0x2225;  // double vertical line
    case 0x2212: return 0xFF0D;  // minus
    case 0x301C: return 0xFF5E;  // wave dash
    default: return 0;
  }
}

// Characters shown in their ASCII form even though Shift JIS has a full-width one.
std::string_view PreferredAscii(char32_t c) {
  switch (c) {
    case 0x2018:
    case 0x2019: return "'";
    case 0x201C:
    case 0x201D: return "\"";
    default: return {};
  }
}

bool IsInvisible(char32_t c) {
  return c == 0x00AD || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF || (c >= 0xFE00 && c <= 0xFE0F) ||
         (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0000 && c <= 0xE01EF);
}

// The base letters of U+00C0..U+00FF and U+0100..U+017F; '?' where one letter won't do.
constexpr std::string_view kLatin1Letters =
    "AAAAAA?CEEEEIIIIDNOOOOO?OUUUUY??aaaaaa?ceeeeiiiidnooooo?ouuuuy?y";
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOo??RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

// The nearest ASCII text for a character Shift JIS lacks; empty when there is none.
std::string_view NearestAscii(char32_t c) {
  struct TAscii {
    char32_t c;
    const char* text;
  };
  static constexpr TAscii kOthers[] = {
      {0xA0, " "},     {0xA1, "!"},     {0xA9, "(c)"},    {0xAA, "a"},     {0xAB, "<<"},
      {0xAE, "(R)"},   {0xAF, "-"},     {0xB2, "2"},      {0xB3, "3"},     {0xB5, "u"},
      {0xB7, "."},     {0xB8, ","},     {0xB9, "1"},      {0xBA, "o"},     {0xBB, ">>"},
      {0xBC, "1/4"},   {0xBD, "1/2"},   {0xBE, "3/4"},    {0xBF, "?"},     {0xC6, "AE"},
      {0xDE, "TH"},    {0xDF, "ss"},    {0xE6, "ae"},     {0xFE, "th"},    {0x132, "IJ"},
      {0x133, "ij"},   {0x152, "OE"},   {0x153, "oe"},    {0x2011, "-"},   {0x2012, "-"},
      {0x2013, "-"},   {0x201A, ","},   {0x201E, "\""},   {0x2022, "*"},   {0x2039, "<"},
      {0x203A, ">"},   {0x20AC, "EUR"}, {0x2122, "TM"},
  };
  for (const TAscii& a : kOthers) {
    if (a.c == c) return a.text;
  }
  if (c >= 0x2002 && c <= 0x200A) return " ";  // the typographic spaces
  const auto letter = [](std::string_view letters, std::size_t i) {
    return letters[i] == '?' ? std::string_view() : letters.substr(i, 1);
  };
  if (c >= 0xC0 && c <= 0xFF) return letter(kLatin1Letters, c - 0xC0);
  if (c >= 0x100 && c <= 0x17F) return letter(kLatinExtendedA, c - 0x100);
  return {};
}

// Appends the nearest form of c, which Shift JIS lacks.
void AppendMissing(char32_t c, std::string& out) {
  if (IsInvisible(c)) return;
  if (const char32_t variant = JapaneseVariant(c)) {
    const char32_t one[] = {variant};
    if (platform::EncodeShiftJis(std::u32string_view(one, 1), out) == 1) return;
  }
  const std::string_view ascii = NearestAscii(c);
  out += ascii.empty() ? kGeta : ascii;
}

// Appends a run of non-ASCII code points.
void AppendRun(std::u32string_view run, std::string& out) {
  while (!run.empty()) {
    std::size_t plain = 0;
    while (plain < run.size() && PreferredAscii(run[plain]).empty()) ++plain;
    std::u32string_view part = run.substr(0, plain);
    while (!part.empty()) {
      const std::size_t done = platform::EncodeShiftJis(part, out);
      if (done >= part.size()) break;
      AppendMissing(part[done], out);
      part.remove_prefix(done + 1);
    }
    if (plain < run.size()) out += PreferredAscii(run[plain++]);
    run.remove_prefix(plain);
  }
}

std::u32string DecodeUtf16(std::string_view text, bool big_endian) {
  std::u32string out;
  out.reserve(text.size() / 2);
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto hi = static_cast<unsigned char>(text[big_endian ? i : i + 1]);
    const auto lo = static_cast<unsigned char>(text[big_endian ? i + 1 : i]);
    return static_cast<char32_t>(hi << 8 | lo);
  };
  std::size_t i = 0;
  for (; i + 1 < text.size(); i += 2) {
    const char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < text.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out += 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
        continue;
      }
    }
    out += (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c;
  }
  if (i < text.size()) out += kReplacement;  // an odd byte at the end
  return out;
}

}  // namespace

TCharset LookUpCharset(std::string_view name) {
  name = TrimBlanks(name);
  for (const TNamedCharset& n : kCharsets) {
    if (EqualsNoCase(name, n.name)) return n.charset;
  }
  return NumberedCharset(name).value_or(TCharset{});
}

namespace {

// The UTF-8 sequence whose lead byte (0x80 or above) is at text[i]: its code point, how many
// bytes it takes (a broken sequence takes its lead and the continuation bytes it has) and
// whether it is valid (no overlong form, surrogate or code point past U+10FFFF).
struct TUtf8Sequence {
  char32_t c;
  std::size_t taken;
  bool valid;
};

TUtf8Sequence Utf8SequenceAt(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const int length = lead >= 0xF0 && lead <= 0xF4   ? 4
                     : lead >= 0xE0 && lead <= 0xEF ? 3
                     : lead >= 0xC2 && lead <= 0xDF ? 2
                                                    : 0;
  char32_t c = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
  int taken = 1;
  for (; taken < length && i + taken < text.size(); ++taken) {
    const auto next = static_cast<unsigned char>(text[i + taken]);
    if ((next & 0xC0) != 0x80) break;
    c = c << 6 | (next & 0x3Fu);
  }
  const bool valid = length > 0 && taken == length &&
                     !(length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) &&
                     !(length == 4 && (c < 0x10000 || c > 0x10FFFF));
  return {c, static_cast<std::size_t>(taken), valid};
}

// The first byte at or after i that is 0x80 or above, or text.size().
std::size_t SkipAscii(std::string_view text, std::size_t i) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if ((word & kHighBits) != 0) break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += lead;
      ++i;
      continue;
    }
    const TUtf8Sequence sequence = Utf8SequenceAt(text, i);
    // A broken sequence is one replacement: its lead and the continuation bytes it has.
    out += sequence.valid ? sequence.c : kReplacement;
    i += sequence.taken;
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = SkipAscii(text, 0); i < text.size(); i = SkipAscii(text, i)) {
    const TUtf8Sequence sequence = Utf8SequenceAt(text, i);
    if (!sequence.valid) return false;
    i += sequence.taken;
  }
  return true;
}

bool IsAscii(std::string_view text) { return SkipAscii(text, 0) == text.size(); }

std::optional<std::string> ShiftJisToUtf8(std::string_view text) {
  constexpr unsigned kShiftJisCodePage = 932;
  const std::optional<std::u32string> decoded = platform::DecodeCodePage(kShiftJisCodePage, text);
  if (!decoded) return std::nullopt;
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (const char32_t c : *decoded) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string EncodeShiftJis(std::u32string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  std::size_t i = 0;
  while (i < text.size()) {
    for (; i < text.size() && text[i] < 0x80; ++i) out += static_cast<char>(text[i]);
    std::size_t end = i;
    while (end < text.size() && text[end] >= 0x80) ++end;
    AppendRun(text.substr(i, end - i), out);
    i = end;
  }
  return out;
}

std::string ShiftJisOf(char32_t c) { return EncodeShiftJis(std::u32string_view(&c, 1)); }

std::optional<std::string> ConvertToShiftJis(std::string_view name, std::string_view text) {
  const TCharset charset = LookUpCharset(name);
  switch (charset.kind) {
    case TCharsetKind::kShiftJis:
      return std::string(text);
    case TCharsetKind::kUtf8:
      return EncodeShiftJis(DecodeUtf8(text));
    case TCharsetKind::kUtf16: {
      const bool little = text.size() >= 2 && text[0] == '\xFF' && text[1] == '\xFE';
      return EncodeShiftJis(DecodeUtf16(text, !little));  // the mark itself is dropped
    }
    case TCharsetKind::kUtf16Le:
    case TCharsetKind::kUtf16Be:
      return EncodeShiftJis(DecodeUtf16(text, charset.kind == TCharsetKind::kUtf16Be));
    case TCharsetKind::kCodePage:
      if (auto decoded = platform::DecodeCodePage(charset.code_page, text)) {
        return EncodeShiftJis(*decoded);
      }
      return std::nullopt;
    case TCharsetKind::kUnknown:
      break;
  }
  return std::nullopt;
}

}  // namespace vesko
