// The host's converters to CP932 and its header decoder: lenient ISO-2022-JP, the seven
// converters the plug-in calls, encoded words split across each other, bad bytes, and the
// cut of BKA_MIMEHeader's result.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "host/BeckyAPI.h"
#include "mailhost/Charsets.h"

// The host functions under test, as the vesko program exports them.
extern "C" char* BKA_MIMEHeader(const char* in, char* buffer, int size, vesko::BOOL32 encode);
extern "C" char* BKA_ISO_2022_JP(const char* text, vesko::BOOL32 encode);

namespace vesko::mailhost {
namespace {

const std::string kNihongo = "\x93\xfa\x96\x7b\x8c\xea";  // 日本語 in CP932
const std::string kGetaMark = "\x81\xac";

struct TConvertCase {
  const char* name;
  std::string in, expected;
};

TEST(Charsets, ReadsIso2022JpLeniently) {
  const TConvertCase cases[] = {
      {"JIS X 0208", "\x1b$BF|K\\8l\x1b(B", kNihongo},
      {"NEC special row 13 (circled 1)", "\x1b$B-!\x1b(B", "\x87\x40"},
      {"NEC-selected IBM extension row 89", "\x1b$By!\x1b(B", "\xed\x40"},
      {"half-width katakana by ESC ( I", "\x1b(I14\x1b(B", "\xb1\xb4"},
      {"half-width katakana by SO and SI", "a\x0e" "1\x0f" "b", "a\xb1" "b"},
      {"raw 8-bit half-width katakana", "\xb1\xb4", "\xb1\xb4"},
      {"raw Shift JIS passes", kNihongo, kNihongo},
      {"JIS Roman is ASCII", "\x1b(Jabc\x1b(B", "abc"},
      {"a line end returns to ASCII", "\x1b$BF|\nF|", "\x93\xfa\nF|"},
      {"an unassigned row becomes the geta mark", "\x1b$B)!\x1b(B", kGetaMark},
      {"JIS X 0212 becomes the geta mark", "\x1b$(D\"/\x1b(Bx", kGetaMark + "x"},
      {"a lone byte in a double-byte run", "\x1b$BF\x1b(B", kGetaMark},
      {"an escape cut short", "ab\x1b$", "ab$"},
      {"a Shift JIS lead byte at the end", "a\x93", "a" + kGetaMark},
      {"a byte no code page uses", "\xff", kGetaMark},
  };
  for (const TConvertCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Iso2022JpToCp932(c.in), c.expected);
  }
}

TEST(Charsets, ConvertsEachCharsetToCp932) {
  struct TCharsetCase {
    const char* charset;
    std::string in, expected;
  };
  const TCharsetCase cases[] = {
      {"ISO-2022-JP", "\x1b$BF|K\\8l\x1b(B", kNihongo},
      {"iso-2022-kr", "\x1b$)C\x0eGQ19\x0f", kGetaMark + kGetaMark},  // Hangul: no CP932 form
      {"HZ-GB-2312", "~{VPND~}", "\x92\x86\x95\xb6"},
      {"iso-8859-2", "\xa3\xf3" "d\xbc", kGetaMark + kGetaMark + "d" + kGetaMark},
      {"EUC-JP", "\xc6\xfc\xcb\xdc\xb8\xec", kNihongo},
      {"EUC-JP half-width katakana", "\x8e\xb1", "\xb1"},
      {"utf-7", "+ZeVnLIqe-", kNihongo},
      {"UTF-8", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e", kNihongo},
      {"utf-8", "\xef\xbd\xb1\xe2\x91\xa0", "\xb1\x87\x40"},  // half-width ｱ, circled 1
      {"utf-8", "a\xffz\xe6\x97", "a" + kGetaMark + "z" + kGetaMark},
      {"x-unknown-charset", "as is \xff", "as is \xff"},
  };
  for (const TCharsetCase& c : cases) {
    SCOPED_TRACE(std::string(c.charset) + ": " + c.in);
    // The charset name of the EUC-JP half-width case carries a note; use its first word.
    const std::string charset = std::string(c.charset).substr(0, std::string(c.charset).find(' '));
    EXPECT_EQ(ToCp932(c.in, charset), c.expected);
  }
}

// Every double-byte character in the output is one CP932 has, and nothing ends half-way.
void ExpectSoundCp932(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc)) {
      ASSERT_LT(i + 1, text.size()) << "lead byte at the end";
      const std::string pair = text.substr(i, 2);
      ASSERT_EQ(Cp932ToUtf8(pair).find("\xef\xbf\xbd"), std::string::npos)
          << "no CP932 character at " << i;
      ++i;
    }
  }
}

TEST(Charsets, RandomBytesNeverBreakAConverter) {
  std::mt19937 random(6);
  const char* charsets[] = {"iso-2022-jp", "iso-2022-kr", "hz-gb-2312", "iso-8859-2",
                            "euc-jp",      "utf-7",       "utf-8"};
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 64, '\0');
    for (char& c : bytes) {
      // Mostly escape-heavy 7-bit text, sometimes any byte.
      const unsigned r = random();
      c = static_cast<char>(r % 5 == 0 ? 0x1b : r % 3 == 0 ? r >> 8 : 0x21 + (r >> 8) % 94);
    }
    for (const char* charset : charsets) {
      SCOPED_TRACE(charset);
      ExpectSoundCp932(ToCp932(bytes, charset));
    }
    ExpectSoundCp932(DecodeMimeHeader("=?utf-8?b?" + bytes + "?= x =?iso-2022-jp?q?" + bytes));
  }
}

TEST(Charsets, DecodesEncodedWords) {
  const TConvertCase cases[] = {
      {"B in UTF-8", "=?UTF-8?B?5pel5pys6Kqe?=", kNihongo},
      {"Q in ISO-2022-JP", "=?iso-2022-jp?q?=1B$BF|K\\8l=1B(B?=", kNihongo},
      {"Q underscores are spaces", "=?us-ascii?Q?a_b=41?=", "a bA"},
      {"lower-case b and a language tag", "=?utf-8*ja?b?5pel?=", "\x93\xfa"},
      {"a UTF-8 character split across two words",
       "=?utf-8?B?5pel5pys6Kqe4w==?= =?utf-8?B?ga7ku7blkI3jgafjgZk=?=",
       kNihongo + "\x82\xcc\x8c\x8f\x96\xbc\x82\xc5\x82\xb7"},
      {"an ISO-2022-JP run split across two words",
       "=?ISO-2022-JP?B?GyRCRnxLXA==?=\r\n =?ISO-2022-JP?B?OGwkTjdvTD4bKEI=?=",
       kNihongo + "\x82\xcc\x8c\x8f\x96\xbc"},
      {"blanks between a word and text stay", "Re: =?utf-8?B?5pel?= x", "Re: \x93\xfa x"},
      {"two charsets side by side", "=?utf-8?B?5pel?= =?euc-jp?B?y9w=?=", "\x93\xfa\x96\x7b"},
      {"an unknown charset stays encoded", "=?x-nothing?B?5pel?=", "=?x-nothing?B?5pel?="},
      {"an unfinished word stays", "=?utf-8?B?5pel", "=?utf-8?B?5pel"},
      {"an unknown encoding stays", "=?utf-8?X?abc?=", "=?utf-8?X?abc?="},
      {"raw Shift JIS text is kept", "Re: " + kNihongo, "Re: " + kNihongo},
      {"folded plain text is unfolded", "a long\r\n subject", "a long subject"},
      {"bad base64 bytes are skipped", "=?utf-8?B?5p*el?=", "\x93\xfa"},
  };
  for (const TConvertCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeMimeHeader(c.in), c.expected);
  }
}

TEST(Charsets, MimeHeaderResultIsCutWithoutSplittingACharacter) {
  // One ASCII byte, then double-byte characters: the cut falls inside one of them when
  // the buffer's room is odd.
  std::string japanese;
  for (int i = 0; i < 200; ++i) japanese += "\xe6\x97\xa5";  // 日 in UTF-8
  const std::string header = "x=?utf-8?Q?" + [&] {
    std::string q;
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char c : japanese) q += std::string("=") + hex[c >> 4] + hex[c & 15];
    return q;
  }() + "?=";
  struct TCutCase {
    int size;
    std::size_t expected_length;
  };
  const TCutCase cases[] = {{256, 255}, {255, 253}, {254, 253}, {2, 1}, {1, 0}};
  for (const TCutCase& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[300];
    std::memset(buffer, 'Z', sizeof buffer);
    char* result = BKA_MIMEHeader(header.c_str(), buffer, c.size, 0);
    ASSERT_EQ(result, buffer);
    EXPECT_EQ(std::strlen(buffer), c.expected_length);
    EXPECT_EQ(buffer[c.size], 'Z') << "wrote past the buffer";
    ExpectSoundCp932(buffer);
  }
}

TEST(Charsets, ConverterResultsStayUntilTheNextCall) {
  const char* first = BKA_ISO_2022_JP("\x1b$BF|\x1b(B", 0);
  const std::string kept = first;
  EXPECT_EQ(kept, "\x93\xfa");
  EXPECT_STREQ(BKA_ISO_2022_JP(nullptr, 0), "");
}

TEST(Charsets, EncodesHeadersForSending) {
  EXPECT_EQ(EncodeMimeHeader("plain"), "plain");
  const std::string encoded = EncodeMimeHeader(kNihongo);
  EXPECT_EQ(encoded, "=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=");
  EXPECT_EQ(DecodeMimeHeader(encoded), kNihongo);
}

}  // namespace
}  // namespace vesko::mailhost
