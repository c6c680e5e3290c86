#include "export/BookSplit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "palm/DocFile.h"

namespace vesko {
namespace {

// Mails whose bodies take a chosen number of e-book bytes, with CR LF line ends, so that
// the raw text is larger than what the e-book holds.
struct TMails {
  TMeDocItemList list{TTextOptions{}};
  std::vector<std::string> heads;

  void Add(std::size_t book_bytes, const std::string& subject = "subject") {
    std::string body;
    std::size_t lines = 0;
    for (; (lines + 1) * 64 <= book_bytes; ++lines) body += std::string(63, 'x') + "\r\n";
    body += std::string(book_bytes - lines * 64, 'y');
    list.Add(std::make_unique<TMailItem>(list, "a@example.jp", subject, 0.0, body));
    heads.push_back(list.Items(list.Count() - 1).HeadLines());
  }
  std::size_t HeadBytes(int i) const { return DocTextSize(heads[static_cast<std::size_t>(i)]); }
  std::vector<TBookRange> Plan(bool with_index, const TBookLimits& limits) const {
    return PlanBooks(list, heads, with_index, limits);
  }
};

std::vector<std::vector<int>> Ranges(const std::vector<TBookRange>& books) {
  std::vector<std::vector<int>> ranges;
  for (const TBookRange& b : books) {
    ranges.push_back({b.first, b.last, b.cut_to != 0 ? 1 : 0});
  }
  return ranges;
}

TEST(PlanBooks, SplitsAtTheMailLimit) {
  struct {
    const char* name;
    int mails, max_mails;
    std::vector<std::vector<int>> books;  // first, last, cut
  } const cases[] = {
      {"no limit", 7, 0, {{0, 7, 0}}},
      {"exactly the limit", 3, 3, {{0, 3, 0}}},
      {"one more than the limit", 4, 3, {{0, 3, 0}, {3, 4, 0}}},
      {"a limit of one", 3, 1, {{0, 1, 0}, {1, 2, 0}, {2, 3, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMails mails;
    for (int i = 0; i < c.mails; ++i) mails.Add(10);
    EXPECT_EQ(Ranges(mails.Plan(true, {kPDBMaxRecords, c.max_mails})), c.books);
  }
}

// Two mails that fill an e-book of four text records to the byte, counted as the e-book
// stores them (LF line ends); one byte more, an index or a record per mail splits them.
TEST(PlanBooks, SplitsAtTheRecordLimit) {
  struct {
    const char* name;
    int extra_bytes;
    bool with_index;
    int records_per_mail;
    std::vector<std::vector<int>> books;
  } const cases[] = {
      {"exactly full", 0, false, 0, {{0, 2, 0}}},
      {"one byte over", 1, false, 0, {{0, 1, 0}, {1, 2, 0}}},
      {"the index counts", 0, true, 0, {{0, 1, 0}, {1, 2, 0}}},
      {"a record per mail counts", -4096, false, 1, {{0, 1, 0}, {1, 2, 0}}},
      {"room for both records", -2 * 4096, false, 1, {{0, 2, 0}}},
  };
  const TBookLimits limits{5};  // record 0 and four text records
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMails probe;
    probe.Add(0);
    const std::size_t head = probe.HeadBytes(0);
    TMails mails;
    mails.Add(1000);
    mails.Add(4 * 4096 - 2 * head - 1000 + c.extra_bytes);
    EXPECT_EQ(Ranges(mails.Plan(c.with_index, {5, 0, c.records_per_mail})), c.books);
  }
  EXPECT_EQ(BookCapacity(limits, 2), 4u * 4096);
}

TEST(PlanBooks, AMailLargerThanABookGetsOneOfItsOwn) {
  TMails mails;
  mails.Add(10);
  mails.Add(3 * 4096);
  mails.Add(10);
  mails.Add(10);
  const auto books = mails.Plan(true, {3});
  EXPECT_EQ(Ranges(books), (std::vector<std::vector<int>>{{0, 1, 0}, {1, 2, 1}, {2, 4, 0}}));
  EXPECT_EQ(books[1].cut_to, 2u * 4096);
}

TEST(BookTitle, KeepsTheNumberWithinTheDatabaseName) {
  const std::string a40(40, 'a');
  struct {
    const char* name;
    std::string title;
    int k, count;
    std::string expected;
  } const cases[] = {
      {"one e-book keeps its title", a40, 1, 1, a40},
      {"a short title", "[]Inbox", 2, 3, "[]Inbox (2)"},
      {"a long title is cut", a40, 1, 2, std::string(27, 'a') + " (1)"},
      {"two digits take one more byte", a40, 10, 12, std::string(26, 'a') + " (10)"},
      {"a double-byte character over the edge goes", std::string(26, 'a') + "\x83\x5c" "bb", 1, 2,
       std::string(26, 'a') + " (1)"},
      {"a double-byte character up to the edge stays", std::string(25, 'a') + "\x83\x5c" "bb", 1,
       2, std::string(25, 'a') + "\x83\x5c (1)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string title = BookTitle(c.title, c.k, c.count);
    EXPECT_EQ(title, c.expected);
    if (c.count > 1) {
      EXPECT_EQ(CutDocTitle(title), title);  // the database name keeps it whole
    }
  }
}

TEST(CutPoint, KeepsWhatFitsOnACharacterBoundary) {
  struct {
    const char* name;
    std::string text;
    std::size_t limit, cut;
  } const cases[] = {
      {"single bytes", "abcdef", 4, 4},
      {"all of it fits", "ab", 5, 2},
      {"CR LF takes one byte", "ab\r\ncd", 3, 4},
      {"a double-byte character stays whole", "a\x83\x5c" "b", 2, 1},
      {"a double-byte character after a CR", "a\r\x83\x5c", 2, 1},
      {"a final CR takes nothing", "ab\r", 2, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CutPoint(c.text, c.limit), c.cut);
  }
}

}  // namespace
}  // namespace vesko
