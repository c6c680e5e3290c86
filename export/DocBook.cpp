#include "export/DocBook.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "mail/Charsets.h"
#include "platform/errors.h"

namespace vesko {

std::string BookEncoded(std::string_view text, const TBookOptions& options) {
  if (!options.utf8) return std::string(text);
  std::optional<std::string> utf8 = ShiftJisToUtf8(text);
  if (!utf8) throw EVeskoError("this system can't convert Shift JIS text to UTF-8");
  return std::move(*utf8);
}

TBookText BuildBookText(const TMeDocItemList& items, int first, int count,
                        const TBookOptions& options,
                        const std::function<void(int done)>& after_mail) {
  TBookText book;
  book.encoding = options.utf8 ? TDocEncoding::kUtf8 : TDocEncoding::kShiftJis;
  // The header lines of each mail are formatted first, so that the text is allocated once
  // at its final size (in Shift JIS) and every part is copied into it exactly once.
  std::vector<std::string> heads(static_cast<std::size_t>(count));
  std::string index;
  if (options.medoc_index) index = items.IndexHeader(first, count) + items.IndexLines(first, count);
  std::size_t size = index.size();
  for (int i = 0; i < count; ++i) {
    const TMailItem& item = items.Items(first + i);
    std::string& head = heads[static_cast<std::size_t>(i)];
    head = item.HeadLines();
    size += head.size() + item.Body().size();
  }
  // A double-byte character takes three bytes in UTF-8.
  book.text.reserve(options.utf8 ? size + size / 2 : size);
  book.text += BookEncoded(index, options);
  if (options.bookmarks) book.bookmarks.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const TMailItem& item = items.Items(first + i);
    std::string& head = heads[static_cast<std::size_t>(i)];
    if (options.bookmarks) {
      const auto at = static_cast<std::int32_t>(book.text.size());
      book.bookmarks.push_back(
          {BookEncoded(TMeDocItemList::ShortTitle(item.Subject(), i + 1), options), at, at});
    }
    if (options.utf8) {
      book.text.append(BookEncoded(head, options)).append(BookEncoded(item.Body(), options));
    } else {
      book.text.append(head).append(item.Body());
    }
    head = std::string();
    if (after_mail) after_mail(i + 1);
  }
  return book;
}

}  // namespace vesko
