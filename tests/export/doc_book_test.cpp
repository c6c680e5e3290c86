#include "export/DocBook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mail/Charsets.h"

namespace vesko {
namespace {

// Each mail's bookmark is at its header lines, also after a body without a final line end,
// and the UTF-8 text is the whole Shift JIS text converted at once.
TEST(DocBook, TextBookmarksAndEncodingFollowTheOptions) {
  TMeDocItemList list{TTextOptions{}};
  for (const char* body : {"\x96\x7B\x95\xB6\r\n", "no line end", "\xB1\xB2\r\nlast\r\n"}) {
    list.Add(std::make_unique<TMailItem>(list, "a@example.jp", "\x93\xFA\x96\x7B\x8C\xEA", 0.0,
                                         body));
  }
  std::vector<std::string> heads;
  for (int i = 0; i < list.Count(); ++i) heads.push_back(list.Items(i).HeadLines());
  const auto utf8 = [](const std::string& sjis) { return ShiftJisToUtf8(sjis).value(); };
  const struct {
    const char* name;
    TBookOptions options;
    int first, count;
  } cases[] = {
      {"the designed book", {true, false, false}, 0, 3},
      {"bookmarks without the index", {false, true, false}, 0, 3},
      {"UTF-8 with bookmarks", {true, true, true}, 0, 3},
      {"a part of the mails: the index counts from its own start", {true, true, false}, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int done = 0;
    const int last = c.first + c.count;
    const TBookText book =
        BuildBookText(list, heads, c.first, last, c.options, [&](int n) { done = n; });
    std::string sjis;
    if (c.options.medoc_index) sjis = list.IndexHeader(c.first, last) + list.IndexLines(c.first, last);
    for (int i = c.first; i < c.first + c.count; ++i) sjis += list.Items(i).Text();
    EXPECT_EQ(book.text, c.options.utf8 ? utf8(sjis) : sjis);
    EXPECT_EQ(book.encoding, c.options.utf8 ? TDocEncoding::kUtf8 : TDocEncoding::kShiftJis);
    EXPECT_EQ(done, c.count);
    ASSERT_EQ(book.bookmarks.size(), c.options.bookmarks ? static_cast<std::size_t>(c.count) : 0u);
    for (std::size_t k = 0; k < book.bookmarks.size(); ++k) {
      const TMailItem& item = list.Items(c.first + static_cast<int>(k));
      const std::string title = TMeDocItemList::ShortTitle(item.Subject(), static_cast<int>(k) + 1);
      const std::string head = c.options.utf8 ? utf8(item.HeadLines()) : item.HeadLines();
      EXPECT_EQ(book.bookmarks[k].Title, c.options.utf8 ? utf8(title) : title);
      EXPECT_EQ(book.text.substr(static_cast<std::size_t>(book.bookmarks[k].Position), head.size()),
                head);
    }
  }
}

}  // namespace
}  // namespace vesko
