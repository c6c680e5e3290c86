#include "regex/bmRExp.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vesko {
namespace {

constexpr std::uint8_t kSJIS = kbmccShiftJIS;
constexpr std::uint8_t kEUC = kbmccEUC;
constexpr std::uint8_t kWin = kbmccWestern;
constexpr std::uint8_t kU16 = kbmccUniCode;

// ASCII text as UTF-16LE bytes.
std::string U16(std::string_view ascii) {
  std::string out;
  for (char c : ascii) out += {c, '\0'};
  return out;
}

struct TReplaceCase {
  const char* name;
  std::uint8_t code;
  std::string pattern, tmpl, text, expected;
  int count;
  bool icase = false;
  bool literal = false;
};

int RunReplace(const TReplaceCase& c, std::string& text) {
  TbmRExp regexp;
  regexp.SetCharCode(c.code);
  regexp.SetOption(0, !c.literal);
  regexp.SetOption(1, c.icase);
  regexp.SetPattern(c.pattern);
  text = c.text;
  return regexp.Replace(c.tmpl, text);
}

const TReplaceCase kCleanUpCases[] = {
    {"blanks and tabs collapse to one blank", kSJIS, "(\\x20|\\x09)+", "\\x20", "a \t\t b", "a b", 1},
    {"text without blanks is unchanged", kSJIS, "(\\x20|\\x09)+", "\\x20", "abc", "abc", 0},
    {"empty lines collapse to one", kSJIS, "(\\n\\r)+", "\\n\\r", "A\r\n\r\n\r\nB", "A\r\n\r\nB", 1},
    {"single line ends stay", kSJIS, "(\\n\\r)+", "\\n\\r", "A\r\nB\r\nC\r\n", "A\r\nB\r\nC\r\n", 0},
    {"full-width space runs collapse", kSJIS, "(\\x8140)+", "\\x8140",
     "\x81\x40\x81\x40" "a\x81\x40", "\x81\x40" "a\x81\x40", 2},
    {"full-width space only as a whole character", kSJIS, "(\\x8140)+", "\\x8140",
     "\x88\x81\x40", "\x88\x81\x40", 0},
    {"a lead byte without a valid trail byte is one character", kSJIS, "(\\x20|\\x09)+", "\\x20",
     "\x81\x20\x20" "b", "\x81\x20" "b", 1},
};

const TReplaceCase kReplaceCases[] = {
    // Replace and the empty-match rule.
    {"empty match puts the template before every character", kSJIS, "x*", "-", "ab", "-a-b", 2},
    {"empty text gives one replacement", kSJIS, "x*", "-", "", "-", 1},
    {"empty match right after a match", kSJIS, "x*", "-", "xxab", "--a-b", 3},
    {"empty match keeps a double-byte character whole", kSJIS, "x*", "-", "\x82\xA0", "-\x82\xA0",
     1},
    {"leftmost-longest over alternatives", kSJIS, "a|ab", "X", "abc", "Xc", 1},
    {"longest match across groups", kSJIS, "(a|ab)(c|bcd)", "X", "abcd", "X", 1},
    {"search restarts after the match", kSJIS, "aa", "X", "aaaaa", "XXa", 2},
    // Template expansion.
    {"& is the match", kSJIS, "b+", "[&]", "abbc", "a[bb]c", 1},
    {"backslash before & is a literal &", kSJIS, "b", "\\&", "abc", "a&c", 1},
    {"template escapes", kSJIS, "b", "\\t\\x41\\101\\n\\q", "b", "\tAA\nq", 1},
    {"invalid escape ends the template", kSJIS, "b", "x\\xz&", "abc", "axc", 1},
    {"backslash at the end of the template is dropped", kSJIS, "b", "x\\", "abc", "axc", 1},
    {"hex escape of a double-byte character", kSJIS, "b", "\\x8140", "b", "\x81\x40", 1},
    {"Western hex escape takes two digits", kWin, "b", "\\x8140", "b", "\x81" "40", 1},
    {"octal takes up to six digits", kSJIS, "b", "\\1010", "b", "\x02\x08", 1},
    {"octal stops before exceeding 0xFFFF", kSJIS, "b", "\\777777", "b", "\x7F\xFF" "7", 1},
    {"Western octal stops before exceeding 255", kWin, "b", "\\777", "b", "?7", 1},
    {"double-byte template characters are copied", kSJIS, "b", "\x95\x5C", "b", "\x95\x5C", 1},
    // Characters and classes.
    {"a trail byte 0x5C is not a backslash", kSJIS, "\\\\", "X", "\x95\x5C\\", "\x95\x5CX", 1},
    {"dot is one double-byte character", kSJIS, "a.c", "X", "a\x82\xA0" "c", "X", 1},
    {"dot never matches CR or LF", kSJIS, ".+", "X", "ab\r\ncd", "X\r\nX", 2},
    {"negated class never matches CR or LF", kSJIS, "[^a]+", "X", "b\r\nab", "X\r\naX", 2},
    {"range", kSJIS, "[a-c]+", "X", "abcd", "Xd", 1},
    {"] first in a class is an item", kSJIS, "[]a]+", "X", "]a]b", "Xb", 1},
    {"- last in a class is an item", kSJIS, "[a-]+", "X", "a-b", "Xb", 1},
    {"negated class with ] first", kSJIS, "[^]a]", "X", "]ab", "]aX", 1},
    {"escapes inside a class", kSJIS, "[\\x41-\\x43]+", "X", "ABCD", "XD", 1},
    {"double-byte range", kSJIS, "[\\x82A0-\\x82F1]+", "X", "\x82\xA0\x82\xA2" "a",
     "X" "a", 1},
    {"] outside a class is a character", kSJIS, "a]", "X", "a]", "X", 1},
    {"() matches the empty string", kSJIS, "a()b", "X", "ab", "X", 1},
    {"question mark", kSJIS, "ab?c", "X", "ac abc", "X X", 2},
    {"plus over a group", kSJIS, "(ab)+", "X", "ababa", "Xa", 1},
    {"empty alternative", kSJIS, "a(b|)c", "X", "ac abc", "X X", 2},
    // Anchors.
    {"line head after LF, CR LF and a lone CR", kSJIS, "^a", "X", "aa\naa\r\naa\raa",
     "Xa\nXa\r\nXa\rXa", 4},
    {"no line head between CR and LF", kSJIS, "^\\n", "X", "a\r\n", "a\r\n", 0},
    {"line head after a closure is still an anchor", kSJIS, "a*^b", "X", "b ab\nb", "X ab\nX", 2},
    {"line head inside the pattern is a literal", kSJIS, "a^b", "X", "a^b ab", "X ab", 1},
    {"line tail before LF, CR and the end", kSJIS, "a$", "X", "a\na\r\nab a", "X\nX\r\nab X", 3},
    {"line tail inside the pattern is a literal", kSJIS, "a$b", "X", "a$b ab", "X ab", 1},
    {"empty line", kSJIS, "^$", "E", "a\n\nb", "a\nE\nb", 1},
    {"line head alone", kSJIS, "^", "X", "ab\ncd", "Xab\nXcd", 2},
    {"line tail alone", kSJIS, "$", "X", "ab\ncd", "abX\ncdX", 2},
    {"search from a later line start", kSJIS, "^b", "X", "bb\nb", "Xb\nX", 2},
    // Options.
    {"ignore case", kSJIS, "abc", "X", "ABC aBc abd", "X X abd", 2, true},
    {"ignore case leaves classes alone", kSJIS, "[a]", "X", "A a", "A X", 1, true},
    {"ignore case applies to escaped letters", kSJIS, "\\x41", "X", "a", "X", 1, true},
    {"literal pattern", kSJIS, "a.b*", "X", "a.b* axb", "X axb", 1, false, true},
    {"literal backslash", kSJIS, "\\x41", "X", "A\\x41", "AX", 1, false, true},
    // The other character codes.
    {"EUC double-byte run", kEUC, "(\\xA4A2)+", "X", "\xA4\xA2\xA4\xA2" "x", "X" "x", 1},
    {"EUC trail byte is not a character", kEUC, "\\xA2", "X", "\xA4\xA2", "\xA4\xA2", 0},
    {"Western high bytes", kWin, "[\\xC0-\\xFF]+", "X", "caf\xE9\xE8!", "cafX!", 1},
    {"Western bytes are never double", kWin, "\\x40", "X", "\x88\x40", "\x88X", 1},
    {"UTF-16 run", kU16, U16("a+"), U16("X"), U16("aab"), U16("Xb"), 1},
    {"UTF-16 unit 0x0A61 is not a line end", kU16, U16("^b"), U16("X"),
     std::string("\x61\x0A", 2) + U16("b"), std::string("\x61\x0A", 2) + U16("b"), 0},
    {"UTF-16 hex escape", kU16, U16("\\x3042"), U16("&&"), std::string("\x42\x30", 2),
     std::string("\x42\x30\x42\x30", 4), 1},
    {"UTF-16 template escape is written low byte first", kU16, U16("b"), U16("\\x3042"), U16("b"),
     std::string("\x42\x30", 2), 1},
    {"UTF-16 empty match", kU16, U16("x*"), U16("-"), U16("ab"), U16("-a-b"), 2},
};

template <std::size_t N>
void CheckReplaceCases(const TReplaceCase (&cases)[N]) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text;
    EXPECT_EQ(RunReplace(c, text), c.count);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(TbmRExp, CleanUpPatterns) { CheckReplaceCases(kCleanUpCases); }

TEST(TbmRExp, ReplaceCases) { CheckReplaceCases(kReplaceCases); }

struct TErrorCase {
  std::string pattern;
  const char* message;
  std::size_t start, end;
};

const TErrorCase kErrorCases[] = {
    {"[ab", "need right bracket \"]\" ", 3, 3},
    {"[]", "need right bracket \"]\" ", 2, 2},
    {"[^]", "need right bracket \"]\" ", 3, 3},
    {"[b-a]", "invalid character class", 1, 4},
    {"a\\", "invalid escape sequence", 1, 2},
    {"\\xg", "invalid escape sequence", 0, 2},
    {"[\\x]", "invalid escape sequence", 1, 3},
    {"a)", "invalid character", 1, 2},
    {"(a", "need right parenthesis", 2, 2},
    {"((a)", "need right parenthesis", 4, 4},
    {"*a", "need normal char or left parenthesis", 0, 1},
    {"a**", "need normal char or left parenthesis", 2, 3},
    {"a|+", "need normal char or left parenthesis", 2, 3},
    {"(?)", "need normal char or left parenthesis", 1, 2},
};

TEST(TbmRExp, PatternErrors) {
  for (const auto& c : kErrorCases) {
    SCOPED_TRACE(c.pattern);
    TbmRExp regexp;
    regexp.SetCharCode(kSJIS);
    regexp.SetPattern(c.pattern);
    std::string text = "abc";
    try {
      regexp.Replace("x", text);
      ADD_FAILURE() << "no error";
    } catch (const EbmREToken& e) {
      EXPECT_STREQ(e.what(), c.message);
      EXPECT_EQ(e.token().start, c.start);
      EXPECT_EQ(e.token().end, c.end);
    }
    EXPECT_EQ(text, "abc");
  }
}

TEST(TbmRExp, ValidOddPatterns) {
  for (const char* pattern : {"()", "(|)", "|", "", "^*", "a|", "[a-a]", "[--/]"}) {
    SCOPED_TRACE(pattern);
    TbmRExp regexp;
    regexp.SetCharCode(kSJIS);
    regexp.SetPattern(pattern);
    std::string text = "a";
    EXPECT_NO_THROW(regexp.Replace("x", text));
  }
}

struct TFailureCase {
  const char* name;
  std::uint8_t code;
  std::string pattern, tmpl, text;
  const char* message;
};

const TFailureCase kFailureCases[] = {
    {"JIS has no reader", kbmccJIS, "a", "x", "a", "TbmREScanner.SetCharCode: can't create reader"},
    {"nor has any code above it", 9, "a", "x", "a", "TbmREScanner.SetCharCode: can't create reader"},
    {"odd UTF-16 text", kU16, U16("a"), U16("x"), "abc",
     "TbmUniCodeReader.SetTextBuff: ByteLength must be even."},
    {"odd UTF-16 pattern", kU16, "abc", U16("x"), U16("a"),
     "TbmUniCodeReader.SetTextBuff: ByteLength must be even."},
    {"odd UTF-16 template once a match needs it", kU16, U16("a"), "xyz", U16("a"),
     "TbmUniCodeReader.SetTextBuff: ByteLength must be even."},
    {"a DFA past the state limit", kWin, ".*a....................", "x", "a",
     "regular expression too complex"},
};

TEST(TbmRExp, Failures) {
  for (const auto& c : kFailureCases) {
    SCOPED_TRACE(c.name);
    TbmRExp regexp;
    regexp.SetCharCode(c.code);
    regexp.SetPattern(c.pattern);
    std::string text = c.text;
    try {
      regexp.Replace(c.tmpl, text);
      ADD_FAILURE() << "no error";
    } catch (const EVeskoError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(text, c.text);
  }
}

TEST(TbmRExp, CodePageMapping) {
  EXPECT_EQ(bmccCodePage2CharCode(932), kSJIS);
  EXPECT_EQ(bmccCodePage2CharCode(1252), kWin);
  EXPECT_EQ(bmccCodePage2CharCode(1200), kU16);
  for (unsigned page : {0u, 437u, 936u, 65001u}) {
    SCOPED_TRACE(page);
    try {
      bmccCodePage2CharCode(page);
      ADD_FAILURE() << "no error";
    } catch (const EVeskoError& e) {
      EXPECT_STREQ(e.what(), "bmccCodePage2CharCode: unknown code page");
    }
  }
}

TEST(TbmRExp, RecompilesAfterEveryChange) {
  TbmRExp regexp;
  regexp.SetCharCode(kSJIS);
  regexp.SetPattern("(a");
  std::string text = "aA.b";
  EXPECT_THROW(regexp.Replace("x", text), EbmREToken);
  EXPECT_THROW(regexp.Replace("x", text), EbmREToken);  // still uncompiled
  regexp.SetPattern("a");
  EXPECT_EQ(regexp.Replace("x", text), 1);
  EXPECT_EQ(text, "xA.b");
  regexp.SetOption(1, true);
  EXPECT_EQ(regexp.Replace("y", text), 1);
  EXPECT_EQ(text, "xy.b");
  regexp.SetPattern(".");
  regexp.SetOption(0, false);
  EXPECT_EQ(regexp.Replace("z", text), 1);
  EXPECT_EQ(text, "xyzb");
  regexp.SetCharCode(kbmccJIS);
  EXPECT_THROW(regexp.Replace("z", text), EVeskoError);
}

TEST(TbmRExp, ObjectsRunOnThreadsAtOnce) {
  const std::string base = "a  b\t\tc\r\n\r\n\r\nd\x81\x40\x81\x40" "e";
  std::vector<std::string> results(4);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 50; ++round) {
        std::string text = base;
        const char* patterns[] = {"(\\x20|\\x09)+", "(\\n\\r)+", "(\\x8140)+", "[a-e]"};
        TbmRExp regexp;
        regexp.SetCharCode(kSJIS);
        regexp.SetPattern(patterns[i]);
        regexp.Replace("_", text);
        results[i] = text;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(results[0], "a_b_c\r\n\r\n\r\nd\x81\x40\x81\x40" "e");
  EXPECT_EQ(results[1], "a  b\t\tc\r_\nd\x81\x40\x81\x40" "e");
  EXPECT_EQ(results[2], "a  b\t\tc\r\n\r\n\r\nd_e");
  EXPECT_EQ(results[3], "_  _\t\t_\r\n\r\n\r\n_\x81\x40\x81\x40_");
}

TEST(TbmREDFATable, TransitionListsAreSortedAndMerged) {
  struct TCase {
    const char* pattern;
    std::vector<TbmREState::TTransition> start;  // state 0's transitions
  };
  const TCase cases[] = {
      {"(a|b)c", {{'a', 'b', 1}}},
      {"[a-c]|b", {{'a', 'c', 1}}},
      {"ab|c", {{'a', 'a', 2}, {'c', 'c', 1}}},
      {"^a|b", {{kbmLineHead, kbmLineHead, 2}, {'b', 'b', 1}}},
      {"[^\\x01-\\xFFFF]", {{0, 0, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    TbmRExp regexp;
    regexp.SetCharCode(kSJIS);
    regexp.SetPattern(c.pattern);
    const auto& start = regexp.GetDFA().states().at(0).transitions;
    ASSERT_EQ(start.size(), c.start.size());
    for (std::size_t i = 0; i < start.size(); ++i) {
      EXPECT_EQ(start[i].low, c.start[i].low);
      EXPECT_EQ(start[i].high, c.start[i].high);
      EXPECT_EQ(start[i].target, c.start[i].target);
    }
  }
}

TEST(TbmREDFATable, Flags) {
  struct TCase {
    const char* pattern;
    bool head, tail, simple, start_accepting, head_accepting, tail_accepting, head_tail_accepting;
  };
  const TCase cases[] = {
      {"abc", false, false, true, false, false, false, false},
      {"a*", false, false, false, true, false, false, false},
      {"^a$", true, true, false, false, false, false, false},
      {"^$", true, true, false, false, false, false, true},
      {"^", true, false, false, false, true, false, false},
      {"$", false, true, false, false, false, true, false},
      {"a^b$c", false, false, true, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    TbmRExp regexp;
    regexp.SetCharCode(kSJIS);
    regexp.SetPattern(c.pattern);
    const TbmREDFATable& dfa = regexp.GetDFA();
    EXPECT_EQ(dfa.has_line_head(), c.head);
    EXPECT_EQ(dfa.has_line_tail(), c.tail);
    EXPECT_EQ(dfa.simple(), c.simple);
    EXPECT_EQ(dfa.start_accepting(), c.start_accepting);
    EXPECT_EQ(dfa.head_accepting(), c.head_accepting);
    EXPECT_EQ(dfa.tail_accepting(), c.tail_accepting);
    EXPECT_EQ(dfa.head_tail_accepting(), c.head_tail_accepting);
  }
}

TEST(TbmRELeafNodeSet, AddingASetToItselfIsRefused) {
  TbmRELeafNodeSet set(10);
  set.Add(3);
  try {
    set.AddSet(set);
    ADD_FAILURE() << "no error";
  } catch (const EVeskoError& e) {
    EXPECT_STREQ(e.what(), "TbmRELeafNodeSet.AddSet: Internal Error");
  }
}

}  // namespace
}  // namespace vesko
