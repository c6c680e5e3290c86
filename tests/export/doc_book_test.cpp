#include "export/DocBook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mail/Charsets.h"

namespace vesko {
namespace {

// Three mails: a Japanese subject, a body without a final line end, an empty subject.
std::unique_ptr<TMeDocItemList> ThreeMails() {
  auto list = std::make_unique<TMeDocItemList>(TTextOptions{});
  const auto add = [&](const std::string& subject, const std::string& body) {
    list->Add(std::make_unique<TMailItem>(*list, "a@example.jp", subject, 0.0, body));
  };
  add("\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x8C\x8F\x96\xBC\x82\xC5\x82\xB7", "\x96\x7B\x95\xB6\r\n");
  add("second", "no line end");
  add("", "\xB1\xB2\r\nlast\r\n");
  return list;
}

std::string Utf8(const std::string& sjis) { return ShiftJisToUtf8(sjis).value(); }

TEST(DocBook, TextBookmarksAndEncodingFollowTheOptions) {
  const auto list = ThreeMails();
  std::string designed;  // the Shift JIS text with the index, as the e-book always held it
  designed = list->IndexHeader() + list->IndexLines();
  for (int i = 0; i < list->Count(); ++i) designed += list->Items(i).Text();
  struct TCase {
    const char* name;
    TBookOptions options;
    int first, count;
  };
  const TCase cases[] = {
      {"the designed book", {true, false, false}, 0, 3},
      {"bookmarks", {true, true, false}, 0, 3},
      {"bookmarks without the index", {false, true, false}, 0, 3},
      {"UTF-8", {true, false, true}, 0, 3},
      {"UTF-8 with bookmarks", {true, true, true}, 0, 3},
      {"a part of the mails: the index counts from its own start", {true, true, false}, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> done;
    const TBookText book =
        BuildBookText(*list, c.first, c.count, c.options, [&](int n) { done.push_back(n); });
    std::string sjis = c.options.medoc_index ? list->IndexHeader(c.first, c.count) +
                                                   list->IndexLines(c.first, c.count)
                                             : "";
    for (int i = c.first; i < c.first + c.count; ++i) sjis += list->Items(i).Text();
    if (c.first == 0 && c.options.medoc_index) {
      EXPECT_EQ(sjis, designed);
    }
    // The whole Shift JIS text converted at once gives the same bytes.
    EXPECT_EQ(book.text, c.options.utf8 ? Utf8(sjis) : sjis);
    EXPECT_EQ(book.encoding, c.options.utf8 ? TDocEncoding::kUtf8 : TDocEncoding::kShiftJis);
    EXPECT_EQ(done.size(), static_cast<std::size_t>(c.count));

    ASSERT_EQ(book.bookmarks.size(), c.options.bookmarks ? static_cast<std::size_t>(c.count) : 0u);
    for (std::size_t k = 0; k < book.bookmarks.size(); ++k) {
      const TDocBookmark& mark = book.bookmarks[k];
      const TMailItem& item = list->Items(c.first + static_cast<int>(k));
      const std::string title = TMeDocItemList::ShortTitle(item.Subject(), static_cast<int>(k) + 1);
      EXPECT_EQ(mark.Title, c.options.utf8 ? Utf8(title) : title) << "mail " << k;
      const std::string head = c.options.utf8 ? Utf8(item.HeadLines()) : item.HeadLines();
      EXPECT_EQ(book.text.substr(static_cast<std::size_t>(mark.Position), head.size()), head)
          << "mail " << k;
    }
  }
}

}  // namespace
}  // namespace vesko
