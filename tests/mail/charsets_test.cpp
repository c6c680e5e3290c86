#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>

#include "mail/Charsets.h"

namespace vesko {
namespace {

// Shift JIS forms used below.
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
const std::string kGeta = "\x81\xAC";

struct TConvertCase {
  const char* name;
  const char* charset;
  std::string text, shift_jis;
};

const TConvertCase kConvertCases[] = {
    {"utf-8 Japanese", "utf-8", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", kNihongo},
    {"utf-8 in capitals", "UTF-8", "a\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "a" + kNihongo},
    {"accented letters take their base letter", "utf-8", "caf\xC3\xA9 M\xC3\xBC\x6Cler", "cafe Muller"},
    {"sharp s, ligatures and Polish letters", "utf-8", "Stra\xC3\x9F" "e \xC5\x92uvre \xC5\x81\xC3\xB3\xC5\xBA",
     "Strasse OEuvre Loz"},
    {"typographic quotes become ASCII", "utf-8", "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x98s\xE2\x80\x99",
     "\"q\" 's'"},
    {"euro, dash and no-break space", "utf-8", "5\xC2\xA0\xE2\x82\xAC \xE2\x80\x93 x", "5 EUR - x"},
    {"an emoji is one geta mark between intact text", "utf-8",
     "\xE6\x97\xA5\xF0\x9F\x98\x80\xE6\x9C\xAC", "\x93\xFA" + kGeta + "\x96\x7B"},
    {"variation selector and joiner are dropped", "utf-8",
     "a\xE2\x9D\xA4\xEF\xB8\x8F" "b", "a" + kGeta + "b"},
    {"wave dash takes the Japanese tilde", "utf-8", "\xE3\x80\x9C", "\x81\x60"},
    {"byte order mark is dropped", "utf-8", "\xEF\xBB\xBFok", "ok"},
    {"broken UTF-8 costs only its own bytes", "utf-8", "a\xE6\x97" "b\xFFz",
     "a" + kGeta + "b" + kGeta + "z"},
    {"a cut-off sequence at the end", "utf-8", "ab\xF0\x9F\x98", "ab" + kGeta},
    {"utf-16 without mark reads big-endian", "utf-16", std::string("\x65\xE5\x67\x2C\x8A\x9E", 6), kNihongo},
    {"utf-16 with little-endian mark", "utf-16", std::string("\xFF\xFE\xE5\x65\x2C\x67\x9E\x8A", 8), kNihongo},
    {"utf-16le with a surrogate pair", "utf-16le", std::string("A\0\x3D\xD8\x00\xDE" "B\0", 8),
     "A" + kGeta + "B"},
    {"utf-16be odd byte at the end", "utf-16be", std::string("\0A\0", 3), "A" + kGeta},
    {"shift_jis stays as it is", "Shift_JIS", kNihongo, kNihongo},
    {"windows-31j stays as it is", "windows-31j", kNihongo, kNihongo},
    {"x-sjis stays as it is", "x-sjis", kNihongo, kNihongo},
    {"latin-1 accents", "iso-8859-1", "Gr\xFC\xDF" "e \xE9t\xE9", "Grusse ete"},
    {"latin-1 label on Windows-1252 text", "ISO-8859-1", "\x93hi\x94 \x96", "\"hi\" -"},
    {"windows-1252 quotes and euro", "windows-1252", "\x93hi\x94 \x80", "\"hi\" EUR"},
    {"iso-8859-15 euro", "ISO-8859-15", "\xA4", "EUR"},
    {"koi8-r Cyrillic is in Shift JIS", "koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4",
     "\x84\x50\x84\x82\x84\x79\x84\x72\x84\x75\x84\x84"},
    {"windows-1251 Cyrillic", "windows-1251", "\xCF\xF0\xE8", "\x84\x50\x84\x82\x84\x79"},
    {"gb2312 Chinese", "gb2312", "\xD6\xD0\xCE\xC4", "\x92\x86\x95\xB6"},
    {"gbk Chinese", "GBK", "\xD6\xD0\xCE\xC4", "\x92\x86\x95\xB6"},
    {"big5 Chinese", "big5", "\xA4\xA4\xA4\xE5", "\x92\x86\x95\xB6"},
    {"iso-8859-7 Greek", "iso-8859-7", "\xE1\xE2", "\x83\xBF\x83\xC0"},
};

TEST(Charsets, ConvertsToShiftJis) {
  for (const auto& c : kConvertCases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> converted = ConvertToShiftJis(c.charset, c.text);
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(*converted, c.shift_jis);
  }
}

TEST(Charsets, UnknownNamesAreLeftToTheHost) {
  for (const char* name : {"", "iso-2022-jp", "us-ascii", "x-unknown", "iso-8859-12",
                           "iso-8859-99", "windows-1249", "utf-88"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ConvertToShiftJis(name, "abc").has_value());
  }
}

TEST(Charsets, AsciiPassesThroughEveryCharset) {
  const std::string ascii = "Line 1\r\n\tpath\\to ~x {}\r\n";
  for (const char* name : {"utf-8", "shift_jis", "iso-8859-1", "windows-1252", "gbk", "big5",
                           "koi8-r"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ConvertToShiftJis(name, ascii).value_or("(none)"), ascii);
  }
}

// Whether DecodeUtf8 took every byte of text into a valid sequence: it gives no U+FFFD
// beyond the ones that text spells out itself.
bool DecodesWithoutReplacement(const std::string& text) {
  const std::u32string decoded = DecodeUtf8(text);
  std::ptrdiff_t spelt = 0;
  for (std::size_t at = 0; (at = text.find("\xEF\xBF\xBD", at)) != std::string::npos; at += 3) {
    ++spelt;
  }
  return std::count(decoded.begin(), decoded.end(), U'\uFFFD') == spelt;
}

TEST(Charsets, ValidUtf8IsToldAsTheDecoderReadsIt) {
  struct TCase {
    const char* name;
    std::string text;
    bool valid, ascii;
  };
  const std::string long_ascii(37, 'a');
  const TCase cases[] = {
      {"empty", "", true, true},
      {"ASCII longer than a word", long_ascii, true, true},
      {"Japanese", "\xE6\x97\xA5\xE6\x9C\xAC", true, false},
      {"a spelt-out replacement character", "a\xEF\xBF\xBD", true, false},
      {"four-byte emoji after a long ASCII run", long_ascii + "\xF0\x9F\x98\x80", true, false},
      {"Shift JIS", kNihongo, false, false},
      {"Shift JIS after a long ASCII run", long_ascii + kNihongo, false, false},
      {"overlong two-byte form", "\xC0\xAF", false, false},
      {"overlong three-byte form", "\xE0\x80\xAF", false, false},
      {"surrogate", "\xED\xA0\x80", false, false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", false, false},
      {"a sequence cut off at the end", long_ascii + "\xE6\x97", false, false},
      {"a lone continuation byte", "a\x80" + long_ascii, false, false},
      {"NUL bytes are ASCII", std::string("a\0b", 3), true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsValidUtf8(c.text), c.valid);
    EXPECT_EQ(DecodesWithoutReplacement(c.text), c.valid);
    EXPECT_EQ(IsAscii(c.text), c.ascii);
  }
}

TEST(Charsets, ValidUtf8AgreesWithTheDecoderOnShortAndRandomTexts) {
  // Every text of one and two bytes, behind ASCII of each length around a word's edge.
  for (const std::size_t lead_in : {0u, 7u, 8u, 9u}) {
    for (int a = 0; a < 256; ++a) {
      for (int b = -1; b < 256; ++b) {
        std::string text(lead_in, 'x');
        text += static_cast<char>(a);
        if (b >= 0) text += static_cast<char>(b);
        ASSERT_EQ(IsValidUtf8(text), DecodesWithoutReplacement(text)) << lead_in << " " << a << " " << b;
      }
    }
  }
  // Random texts from bytes that often make sequences, valid and broken.
  std::mt19937 rng(16);
  const unsigned char pool[] = {'a', 0x80, 0x9F, 0xA0, 0xBF, 0xC2, 0xDF, 0xE0, 0xED,
                                0xEF, 0xF0, 0xF4, 0xF5, 0xBD, 0xFF, 0x90, 0x8F};
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (std::size_t k = rng() % 12; k > 0; --k) text += static_cast<char>(pool[rng() % sizeof pool]);
    ASSERT_EQ(IsValidUtf8(text), DecodesWithoutReplacement(text)) << round;
  }
}

}  // namespace
}  // namespace vesko
