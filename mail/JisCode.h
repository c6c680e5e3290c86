// Width and kind conversion of Japanese characters in Shift JIS text. Used to make mail
// text shorter for a handheld: full-width letters, digits and symbols become ASCII, and
// full-width katakana become half-width katakana (a voiced one gains a sound mark byte).
// Text is walked character by character (a lead byte 0x81..0x9F or 0xE0..0xFC with a
// trail byte 0x40..0x7E or 0x80..0xFC is one character; any other byte stands alone) and
// stops at a zero byte. Nothing here throws.
#pragma once

#include <string>
#include <string_view>

namespace vesko {

// Conversion kinds.
inline constexpr int kHalfToFull = 1;
inline constexpr int kFullToHalf = 2;
inline constexpr int kKatakanaToHiragana = 3;
inline constexpr int kHiraganaToKatakana = 4;
inline constexpr int kFullCapitalsToSmall = 5;
inline constexpr int kFullSmallToCapitals = 6;
// Modes of kinds 1 and 2.
inline constexpr int kWidthLetters = 1;  // letters, digits and symbols
inline constexpr int kWidthKana = 2;     // katakana and the kana punctuation
inline constexpr int kWidthBoth = 3;

// Converts text by kind (1..6) and, for kinds 1 and 2, mode (1..3). An empty text or a
// kind outside 1..6 gives an empty string. Kind 1 is the exact inverse of kind 2: a
// half-width kana followed by a sound mark becomes the voiced full-width katakana.
std::string Convert(std::string_view text, int kind, int mode);

// Convert(text, kFullToHalf, mode).
std::string ToHalfWidth(std::string_view text, int mode);

}  // namespace vesko
