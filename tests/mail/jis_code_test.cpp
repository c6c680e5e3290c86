#include "mail/JisCode.h"

#include <gtest/gtest.h>

#include <string>

namespace vesko {
namespace {

struct TConvertCase {
  const char* name;
  std::string text;
  int kind, mode;
  std::string result;
};

TEST(JisCode, Converts) {
  const std::string abc123 = "\x82\x60\x82\x61\x82\x62\x82\x50\x82\x51\x82\x52";  // ＡＢＣ１２３
  const std::string ga_pa = "\x83\x4B\x83\x70";                                    // ガパ
  const std::string hiragana_kanji = "\x82\xA0\x8A\xBF";                           // あ漢
  const TConvertCase cases[] = {
      {"letters and digits, mode 1", abc123, kFullToHalf, kWidthLetters, "ABC123"},
      {"letters and digits stay in mode 2", abc123, kFullToHalf, kWidthKana, abc123},
      {"letters and digits, mode 3", abc123, kFullToHalf, kWidthBoth, "ABC123"},
      {"small letters and symbols", "\x82\x81\x82\x9A\x81\x97\x81\x8F\x81\x68", kFullToHalf,
       kWidthLetters, "az@\\\""},
      {"voiced and semi-voiced katakana", ga_pa, kFullToHalf, kWidthKana, "\xB6\xDE\xCA\xDF"},
      {"katakana stay in mode 1", ga_pa, kFullToHalf, kWidthLetters, ga_pa},
      {"kana punctuation and long vowel", "\x81\x42\x81\x5B\x81\x75", kFullToHalf, kWidthKana,
       "\xA1\xB0\xA2"},
      {"vu, small ka and wi are kept", "\x83\x94\x83\x95\x83\x90", kFullToHalf, kWidthBoth,
       "\x83\x94\x83\x95\x83\x90"},
      {"full-width space in mode 1", "\x81\x40", kFullToHalf, kWidthLetters, " "},
      {"full-width space stays in mode 2", "\x81\x40", kFullToHalf, kWidthKana, "\x81\x40"},
      {"hiragana and kanji pass", hiragana_kanji, kFullToHalf, kWidthBoth, hiragana_kanji},
      {"trail byte in the ASCII range is not a character", "\x83\x5C\x95\x5C", kFullToHalf,
       kWidthBoth, "\xBF\x95\x5C"},
      {"lone lead byte at the end is kept", "\x83\x41\x83", kFullToHalf, kWidthKana, "\xB1\x83"},
      {"lead byte before an invalid trail stands alone", "\x83\x0A\x83\x41", kFullToHalf,
       kWidthKana, "\x83\x0A\xB1"},
      {"a zero byte ends the text", std::string("\x82\x60\0\x82\x61", 5), kFullToHalf,
       kWidthLetters, "A"},
      {"runs of ASCII around characters, then a zero", std::string("ab\x82\x60" "cd\0ef", 8),
       kFullToHalf, kWidthBoth, "abAcd"},
      {"codes just outside the converted ones pass", "\x81\x3F\x83\x97\x81\x40", kFullToHalf,
       kWidthBoth, "\x81\x3F\x83\x97 "},
      {"half to full with sound marks", "\xB6\xDE\xCA\xDF\xB3\xDE", kHalfToFull, kWidthKana,
       "\x83\x4B\x83\x70\x83\x45\x81\x4A"},
      {"half to full letters keep double-byte characters whole", "A\x83\x5C!", kHalfToFull,
       kWidthLetters, "\x82\x60\x83\x5C\x81\x49"},
      {"half to full letters leave kana", "\xB1", kHalfToFull, kWidthLetters, "\xB1"},
      {"katakana to hiragana", "\x83\x41\x83\x7E\x83\x80\x83\x93", kKatakanaToHiragana, 0,
       "\x82\xA0\x82\xDD\x82\xDE\x82\xF1"},
      {"hiragana to katakana", "\x82\xA0\x82\xDD\x82\xDE\x82\xF1", kHiraganaToKatakana, 0,
       "\x83\x41\x83\x7E\x83\x80\x83\x93"},
      {"capitals to small", "\x82\x60\x82\x79x", kFullCapitalsToSmall, 0, "\x82\x81\x82\x9Ax"},
      {"small to capitals", "\x82\x81\x82\x9Ax", kFullSmallToCapitals, 0, "\x82\x60\x82\x79x"},
      {"empty text", "", kFullToHalf, kWidthBoth, ""},
      {"kind 0", "abc", 0, kWidthBoth, ""},
      {"kind 7", "abc", 7, kWidthBoth, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Convert(c.text, c.kind, c.mode), c.result);
  }
  EXPECT_EQ(ToHalfWidth(abc123, kWidthLetters), "ABC123");
}

// Every full-width character that kind 2 converts comes back from kind 1, and every byte
// (or byte and sound mark) that kind 1 converts comes back from kind 2, in each mode.
TEST(JisCode, HalfAndFullWidthAreInverses) {
  for (const int mode : {kWidthLetters, kWidthKana, kWidthBoth}) {
    SCOPED_TRACE(mode);
    int converted = 0;
    for (int lead = 0x81; lead <= 0x84; ++lead) {
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const std::string full = {static_cast<char>(lead), static_cast<char>(trail)};
        const std::string half = Convert(full, kFullToHalf, mode);
        if (half == full) continue;
        ++converted;
        EXPECT_EQ(Convert(half, kHalfToFull, mode), full) << std::hex << lead << trail;
      }
    }
    for (int byte = 0x20; byte <= 0xDF; ++byte) {
      for (const std::string mark : {"", "\xDE", "\xDF"}) {
        const std::string half = static_cast<char>(byte) + mark;
        const std::string full = Convert(half, kHalfToFull, mode);
        if (full.size() != 2) continue;  // not one full-width character
        EXPECT_EQ(Convert(full, kFullToHalf, mode), half) << std::hex << byte;
      }
    }
    const int expected = mode == kWidthLetters ? 95 : mode == kWidthKana ? 88 : 183;
    EXPECT_EQ(converted, expected);
  }
}

}  // namespace
}  // namespace vesko
