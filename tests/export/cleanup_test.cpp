#include <gtest/gtest.h>

#include <string>

#include "export/TextCleanup.h"

namespace vesko {
namespace {

TEST(CleanUpText, EachOptionCollapsesItsRuns) {
  struct TCleanupCase {
    const char* name;
    TCleanupOptions options;
    std::string text, cleaned;
  } const cases[] = {
      {"nothing set", {}, "a  \t b\r\n\r\n\r\nc", "a  \t b\r\n\r\n\r\nc"},
      {"spaces and tabs", {.DelSpace = true}, "a  \t b\t\tc d", "a b c d"},
      {"ideographic spaces",
       {.DelDBSpace = true},
       "a\x81\x40\x81\x40\x81\x40"
       "b",
       "a\x81\x40"
       "b"},
      // 0x82 0x81 is one character; the 0x40 after it is "@", not half of a space
      {"characters are read whole",
       {.DelDBSpace = true},
       "\x82\x81\x40\x81\x40\x81\x40",
       "\x82\x81\x40\x81\x40"},
      {"empty lines", {.DelCRLF = true}, "a\r\n\r\n\r\nb", "a\r\n\r\nb"},
      {"one empty line stays", {.DelCRLF = true}, "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
      // full-width "AB" and katakana "A" (0x83 0x41)
      {"letters to half-width", {.ZentoHan = true}, "\x82\x60\x82\x61\x83\x41", "AB\x83\x41"},
      {"katakana to half-width", {.ZentoHanKana = true}, "\x82\x60\x83\x41", "\x82\x60\xb1"},
      {"both", {.ZentoHan = true, .ZentoHanKana = true}, "\x82\x60\x83\x41", "A\xb1"},
      {"all three",
       {.DelSpace = true, .DelDBSpace = true, .DelCRLF = true},
       "a  b\r\n\r\n\r\n\r\n\x81\x40\x81\x40"
       "c",
       "a b\r\n\r\n\x81\x40"
       "c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = c.text;
    CleanUpText(text, c.options);
    EXPECT_EQ(text, c.cleaned);
  }
}

}  // namespace
}  // namespace vesko
