#include "mail/VeskoUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace vesko {
namespace {

TEST(QuotedPrintableDecode, DecodesAndDrops) {
  const struct {
    const char* name;
    std::string text, decoded;
  } cases[] = {
      {"hex pairs and a soft line break", "=41=42=\r\nC", "ABC"},
      {"lower-case pair is dropped with its '='", "x=4ay", "xy"},
      {"other characters after '=' are dropped", "a=G1b", "ab"},
      {"bytes of 0x80 and above", "=82=A0", "\x82\xA0"},
      {"'=' as the very last character gives CR", "abc=", "abc\r"},
      {"'=' with one character left drops both", "abc=4", "abc"},
      {"soft break at the end", "abc=\r\n", "abc"},
      {"control characters but CR are cut from the end", "abc\t\r\n\t", "abc\t\r"},
      {"decoded control characters too", "abc=09=0A", "abc"},
      {"text without '='", "plain text", "plain text"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(QuotedPrintableDecode(c.text), c.decoded);
  }
}

TEST(FindFrom, FindsAtOrAfterStart) {
  const struct {
    std::string needle, text;
    std::size_t start, position;
  } cases[] = {
      {"b", "abcb", 1, 2}, {"b", "abcb", 3, 4}, {"b", "abcb", 4, 4}, {"b", "abcb", 5, 0},
      {"b", "abcb", 0, 0}, {"x", "abcb", 1, 0}, {"", "abcb", 1, 0}, {"cb", "abcb", 2, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.needle + " in " + c.text + " from " + std::to_string(c.start));
    EXPECT_EQ(FindFrom(c.needle, c.text, c.start), c.position);
  }
}

TEST(DetectCode, GuessesTheJapaneseCode) {
  const struct {
    const char* name;
    std::string text;
    int code;
  } cases[] = {
      {"empty", "", kCodeAscii},
      {"ASCII", "hello\r\n", kCodeAscii},
      {"low control byte", "ab\x01", kCodeBinary},
      {"0xFF", "ab\xFF", kCodeBinary},
      {"ESC $ B", "a\x1B$B$\"\x1B(B", kCodeJisNew},
      {"ESC $ @", "\x1B$@", kCodeJisOld},
      {"other ESC sequence skipped", "\x1B(J\x1B$B", kCodeJisNew},
      {"Shift JIS lead", "\x82\xA0", kCodeShiftJis},
      {"EUC-JP kana only is undecided", "\xA4\xA2\xA4\xA4", kCodeEucOrSjis},
      {"EUC-JP byte 0xF0..0xFE", "\xB4\xC1\xF0\xA1", kCodeEucJp},
      {"0xF0..0xFE before any Shift JIS byte", "\xF5\xA1\x82\xA0", kCodeEucJp},
      {"0x8E then half-width kana", "\x8E\xB1", kCodeEucOrSjis},
      {"0x8E then Shift JIS trail", "\x8E\x40", kCodeShiftJis},
      {"0xE0..0xEF then 0x40..0x7E", "\xE0\x40", kCodeShiftJis},
      {"0xE0..0xEF then 0xFD", "\xE0\xFD", kCodeEucJp},
      {"0xE0..0xEF then 0xA1..0xFC", "\xE0\xA1", kCodeEucOrSjis},
      {"half-width kana then ASCII", "\xB1\x41", kCodeShiftJis},
      {"0xA1..0xDF, 0xE0..0xEF, reads on to a Shift JIS byte", "\xA4\xE0\xA1\x81", kCodeShiftJis},
      {"0xA1..0xDF, 0xE0..0xEF, reads on to 0xFD", "\xA4\xE0\xA1\xFD", kCodeEucJp},
      {"0xA1..0xDF, 0xE0..0xEF, stops below 0x40", "\xA4\xE0 \xA4\xA2", kCodeEucOrSjis},
      {"lone lead bytes at the end", "a\xA4", kCodeAscii},
      {"lone 0x8E at the end", "\x8E", kCodeAscii},
      {"lone 0xE0 at the end", "\xE0", kCodeAscii},
      {"lone ESC $ at the end", "\x1B$", kCodeAscii},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DetectCode(c.text), c.code);
  }
}

TEST(DetectCode, ChecksOnlyTheLeadingBytesForBinaryFirst) {
  const std::string sjis = "\x82\xA0";
  const std::string filler(kBinaryCheckLength, 'a');
  EXPECT_EQ(DetectCode(sjis + "\x01" + filler), kCodeBinary);
  // Past the checked bytes, a decided code stands.
  EXPECT_EQ(DetectCode(sjis + filler + "\x01"), kCodeShiftJis);
  EXPECT_EQ(DetectCode(filler + "\x01"), kCodeBinary);
}

TEST(ParseMailDate, ReadsTheDateField) {
  const struct {
    std::string text, date;
  } cases[] = {
      {"Mon, 07 Dec 2026 12:34:56 GMT", "2026-12-07 21:34:56"},
      {"Mon, 07 Dec 2026 12:34:56 +0900", "2026-12-07 12:34:56"},
      {"Mon, 07 Dec 2026 12:34:56 -0500 (EST)", "2026-12-07 12:34:56"},
      {"7 DEC 2026 01:02:03 JST", "2026-12-07 01:02:03"},
      {"  Thu, 31 Dec 2026 20:00:00 GMT \r\n", "2027-01-01 05:00:00"},
      {"07 Foo 2026 12:34:56 +0900", "2026-01-07 12:34:56"},
      {"0 Mar 2026 12:00:00 +0900", "2026-03-01 12:00:00"},
      {"45 Mar 2026 12:00:00 +0900", "2026-03-01 12:00:00"},
      {"31 Feb 2026 12:00:00 +0900", "0"},
      {"07 Dec 2026 24:00:00 +0900", "0"},
      {"07 Dec 70000 12:00:00 +0900", "0"},
      {"07 Dec -5 12:00:00 +0900", "0"},
      {"07 Dec 2026 12:34:56", "2026-12-07 12:34:00"},  // the seconds need a following blank
      {"", "0"},
      {"garbage", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MailDateText(ParseMailDate(c.text)), c.date);
  }
}

TEST(MailAddress, SplitsAFromValue) {
  const struct {
    std::string from, name, address;
  } cases[] = {
      {"Taro Yamada <taro@example.jp>", "Taro Yamada", "taro@example.jp"},
      {"\"Yamada, Taro\" <taro@example.jp>", "Yamada, Taro", "taro@example.jp"},
      {"\"a (b) <c>\" <taro@example.jp>", "a (b) <c>", "taro@example.jp"},
      {"taro@example.jp (Taro Yamada)", "Taro Yamada", "taro@example.jp"},
      {"(Taro) <taro@example.jp>", "Taro", "taro@example.jp"},
      {"taro@example.jp", "", "taro@example.jp"},
      {"<taro@example.jp>", "", "taro@example.jp"},
      {"taro@example.jp \"Taro", "Taro", "taro@example.jp"},
      {"\x8E\x52\x93\x63 <taro@example.jp>", "\x8E\x52\x93\x63", "taro@example.jp"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    EXPECT_EQ(DisplayName(c.from), c.name);
    EXPECT_EQ(MailAddress(c.from), c.address);
  }
}

TEST(Base64Decode, DecodesWhatItCan) {
  struct {
    const char* name;
    std::string encoded, decoded;
  } const cases[] = {
      {"empty", "", ""},
      {"one group", "YWJj", "abc"},
      {"one padded byte", "YQ==", "a"},
      {"two padded bytes", "YWI=", "ab"},
      {"lines and blanks are skipped", "YW\r\nJj ZG\tVm\r\n", "abcdef"},
      {"missing padding", "YWJjZA", "abcd"},
      {"truncated tail keeps whole bytes", "YWJjZGV", "abcde"},
      {"a lone sextet holds no byte", "YWJjZ", "abc"},
      {"bad characters are skipped", "Y!W*J\x80j", "abc"},
      {"joined encodings", "YQ==YWI=", "aab"},
      {"binary bytes", "AP8=", std::string("\0\xFF", 2)},
      {"nothing but damage", "!!!", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Base64Decode(c.encoded), c.decoded);
  }
}

TEST(HeaderLines, UnfoldAndKeepOnOneLine) {
  struct {
    const char* name;
    std::string value, unfolded, one_line;
  } const cases[] = {
      {"plain", "Hello", "Hello", "Hello"},
      {"folded with a blank", "Hello\r\n world", "Hello world", "Hello world"},
      {"folded with a tab", "a\r\n\tb", "a\tb", "a\tb"},
      {"encoded words on two lines", "=?utf-8?B?YQ==?=\r\n =?utf-8?B?Yg==?=",
       "=?utf-8?B?YQ==?= =?utf-8?B?Yg==?=", "=?utf-8?B?YQ==?= =?utf-8?B?Yg==?="},
      {"a line end without blank is no fold", "a\r\nb", "a\r\nb", "a b"},
      {"lone LF and CR", "a\nb\rc", "a\nb\rc", "a b c"},
      {"a run of line ends is one space", "a\r\n\r\nb", "a\r\n\r\nb", "a b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UnfoldHeader(c.value), c.unfolded);
    EXPECT_EQ(OnOneLine(UnfoldHeader(c.value)), c.one_line);
  }
}

}  // namespace
}  // namespace vesko
