#include "export/BookSplit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "palm/DocFile.h"

namespace vesko {
namespace {

// "日" in UTF-8, three bytes.
constexpr char kNichi[] = "\xE6\x97\xA5";

std::string Repeat(const char* text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// A mail whose body takes book_bytes in the e-book, in lines ending in CR LF, so that the
// raw text is larger than what the e-book holds.
void AddMail(TMeDocItemList& list, std::vector<std::string>& heads, std::size_t book_bytes) {
  std::string body;
  std::size_t lines = 0;
  for (; (lines + 1) * 64 <= book_bytes; ++lines) body += std::string(63, 'x') + "\r\n";
  body += std::string(book_bytes - lines * 64, 'y');
  list.Add(std::make_unique<TMailItem>(list, "a@example.jp", "subject", 0.0, body));
  heads.push_back(list.Items(list.Count() - 1).HeadLines());
}

// Two mails that fill an e-book of four text records to the byte, counted as the e-book
// stores them (LF line ends); one byte more, an index or a record per mail splits them.
TEST(PlanBooks, SplitsAtTheRecordLimit) {
  struct {
    const char* name;
    int extra_bytes;
    bool with_index;
    int records_per_mail;
    std::vector<int> lasts;  // of each e-book
  } const cases[] = {
      {"exactly full", 0, false, 0, {2}},
      {"one byte over", 1, false, 0, {1, 2}},
      {"the index counts", 0, true, 0, {1, 2}},
      {"a record per mail counts", -4096, false, 1, {1, 2}},
      {"room for both records", -2 * 4096, false, 1, {2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMeDocItemList list{TTextOptions{}};
    std::vector<std::string> heads;
    AddMail(list, heads, 1000);
    const std::size_t head = DocTextSize(heads[0]);  // both mails have the same header lines
    AddMail(list, heads, 4 * 4096 - 2 * head - 1000 + c.extra_bytes);
    std::vector<int> lasts;
    for (const TBookRange& book : PlanBooks(list, heads, {c.with_index, false, false}, {5, 0, c.records_per_mail})) {
      lasts.push_back(book.last);
    }
    EXPECT_EQ(lasts, c.lasts);
  }
}

// In UTF-8 a book is planned by the bytes it stores once converted: a double-byte
// character takes three, a half-width katakana three, and each book as written fits.
TEST(PlanBooks, CountsTheConvertedBytesInUtf8) {
  struct {
    const char* name;
    std::string body;  // of each of three mails
    bool utf8;
    std::vector<int> lasts;
  } const cases[] = {
      {"Shift JIS: three mails fit", Repeat("\x93\xFA", 3500), false, {3}},
      {"UTF-8: double-byte characters grow by half", Repeat("\x93\xFA", 3500), true, {2, 3}},
      {"UTF-8: half-width katakana grow threefold", Repeat("\xB1", 5000), true, {1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMeDocItemList list{TTextOptions{}};
    std::vector<std::string> heads;
    for (int i = 0; i < 3; ++i) {
      list.Add(std::make_unique<TMailItem>(list, "a@example.jp", "subject", 0.0, c.body));
      heads.push_back(list.Items(i).HeadLines());
    }
    const TBookOptions options{true, true, c.utf8};
    const TBookLimits limits{10, 0, 1};  // 6 text records for 3 mails, 8 for 1
    std::vector<int> lasts;
    for (const TBookRange& book : PlanBooks(list, heads, options, limits)) {
      lasts.push_back(book.last);
      const TBookText text = BuildBookText(list, heads, book.first, book.last, options);
      EXPECT_LE(DocTextSize(text.text), BookCapacity(limits, book.last - book.first));
    }
    EXPECT_EQ(lasts, c.lasts);
  }
}

TEST(BookTitle, KeepsTheNumberWithinTheDatabaseName) {
  const std::string a40(40, 'a');
  struct {
    const char* name;
    std::string title;
    int k, count;
    std::string expected;
    TDocEncoding encoding = TDocEncoding::kShiftJis;
  } const cases[] = {
      {"one e-book keeps its title", a40, 1, 1, a40},
      {"a short title", "[]Inbox", 2, 3, "[]Inbox (2)"},
      {"a long title is cut", a40, 1, 2, std::string(27, 'a') + " (1)"},
      {"two digits take one more byte", a40, 10, 12, std::string(26, 'a') + " (10)"},
      {"a double-byte character over the edge goes", std::string(26, 'a') + "\x83\x5c" "bb", 1, 2,
       std::string(26, 'a') + " (1)"},
      {"a double-byte character up to the edge stays", std::string(25, 'a') + "\x83\x5c" "bb", 1,
       2, std::string(25, 'a') + "\x83\x5c (1)"},
      // UTF-8: the 31 bytes of the converted title, the number kept and no character cut.
      {"UTF-8: three-byte characters up to the edge stay", Repeat(kNichi, 10), 1, 2,
       Repeat(kNichi, 9) + " (1)", TDocEncoding::kUtf8},
      {"UTF-8: a three-byte character over the edge goes", "a" + Repeat(kNichi, 10), 2, 2,
       "a" + Repeat(kNichi, 8) + " (2)", TDocEncoding::kUtf8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string title = BookTitle(c.title, c.k, c.count, c.encoding);
    EXPECT_EQ(title, c.expected);
    if (c.count > 1) {
      EXPECT_EQ(CutDocTitle(title, c.encoding), title);  // the database name keeps it whole
    }
  }
}

TEST(CutPoint, KeepsWhatFitsOnACharacterBoundary) {
  struct {
    const char* name;
    std::string text;
    std::size_t limit, cut;
    TDocEncoding encoding = TDocEncoding::kShiftJis;
  } const cases[] = {
      {"single bytes", "abcdef", 4, 4},
      {"all of it fits", "ab", 5, 2},
      {"CR LF takes one byte", "ab\r\ncd", 3, 4},
      {"a double-byte character stays whole", "a\x83\x5c" "b", 2, 1},
      {"a double-byte character after a CR", "a\r\x83\x5c", 2, 1},
      {"a final CR takes nothing", "ab\r", 2, 3},
      {"UTF-8: a three-byte character stays whole", "a" + Repeat(kNichi, 1) + "b", 3, 1,
       TDocEncoding::kUtf8},
      {"UTF-8: a three-byte character that fits", "a" + Repeat(kNichi, 1) + "b", 4, 4,
       TDocEncoding::kUtf8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CutPoint(c.text, c.limit, c.encoding), c.cut);
  }
}

}  // namespace
}  // namespace vesko
