// The byte codes take short cuts past positions where no match can begin; UTF-16 walks
// every character. Running the same patterns over the same characters in both must give
// the same replacements.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regex/bmRExp.h"

namespace vesko {
namespace {

// Every character of a byte-code text as one UTF-16LE unit with the same code.
template <typename Codec>
std::string AsUnits(const std::string& text) {
  std::string out;
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const int size = Codec::Size(p, end);
    const int code = Codec::Code(p, size);
    out += static_cast<char>(code & 0xFF);
    out += static_cast<char>(code >> 8);
    p += size;
  }
  return out;
}

struct TCodeCase {
  const char* name;
  std::uint8_t code;
  std::string bytes;  // the bytes texts are made of
  std::vector<const char*> patterns;
};

TEST(TbmRExp, ByteCodesAgreeWithUnitWalk) {
  const TCodeCase cases[] = {
      {"Shift JIS", kbmccShiftJIS, std::string("\x81\x40\x88\x20\x09\n\r" "a\x82\xA0\\", 11),
       {"(\\n\\r)+", "(\\x8140)+", "(\\x20|\\x09)+", "^a", "a$", "[^a]+", ".\\x8140", "x*",
        "\\\\", "^\\x8140+", "(\\x20|\\x09)+$", "\\x82A0|\\x88", "\\x81|\\x40", "$"}},
      {"EUC", kbmccEUC, std::string("\x8E\xA1\xA4\xA2\x20\n\r" "a\xFE", 9),
       {"\\x8EA1", "(\\xA4A2)+", "\\xA2", "^\\xA1", "[^a]", "a*$", "\\x8E|\\xA4"}},
  };
  std::mt19937 random(4);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* pattern : c.patterns) {
      SCOPED_TRACE(pattern);
      TbmRExp bytes, units;
      bytes.SetCharCode(c.code);
      bytes.SetPattern(pattern);
      units.SetCharCode(kbmccUniCode);
      units.SetPattern(AsUnits<TbmWesternCodec>(pattern));
      for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int n = std::uniform_int_distribution<int>(0, 24)(random); n > 0; --n) {
          text += c.bytes[std::uniform_int_distribution<std::size_t>(0, c.bytes.size() - 1)(random)];
        }
        std::string by_bytes = text;
        const int count = bytes.Replace("<&>", by_bytes);
        std::string by_units =
            c.code == kbmccShiftJIS ? AsUnits<TbmSJISCodec>(text) : AsUnits<TbmEUCCodec>(text);
        EXPECT_EQ(units.Replace(AsUnits<TbmWesternCodec>("<&>"), by_units), count);
        const std::string expected = c.code == kbmccShiftJIS ? AsUnits<TbmSJISCodec>(by_bytes)
                                                              : AsUnits<TbmEUCCodec>(by_bytes);
        ASSERT_EQ(by_units, expected) << "round " << round;
      }
    }
  }
}

}  // namespace
}  // namespace vesko
