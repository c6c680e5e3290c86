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

TDocEncoding BookEncoding(const TBookOptions& options) {
  return options.utf8 ? TDocEncoding::kUtf8 : TDocEncoding::kShiftJis;
}

TBookText BuildBookText(const TMeDocItemList& items, std::span<const std::string> heads,
                        int first, int last, const TBookOptions& options,
                        const std::function<void(int done)>& after_mail) {
  TBookText book;
  book.encoding = BookEncoding(options);
  std::string index;
  if (options.medoc_index) index = items.IndexHeader(first, last) + items.IndexLines(first, last);
  // The text is allocated once at its final size (in Shift JIS) and every part is copied
  // into it exactly once.
  std::size_t size = index.size();
  for (int i = first; i < last; ++i) {
    size += heads[static_cast<std::size_t>(i)].size() + items.Items(i).Body().size();
  }
  // A double-byte character takes three bytes in UTF-8.
  book.text.reserve(options.utf8 ? size + size / 2 : size);
  book.text += BookEncoded(index, options);
  if (options.bookmarks) book.bookmarks.reserve(static_cast<std::size_t>(last - first));
  for (int i = first; i < last; ++i) {
    const TMailItem& item = items.Items(i);
    const std::string& head = heads[static_cast<std::size_t>(i)];
    if (options.bookmarks) {
      const auto at = static_cast<std::int32_t>(book.text.size());
      book.bookmarks.push_back(
          {BookEncoded(TMeDocItemList::ShortTitle(item.Subject(), i - first + 1), options), at,
           at});
    }
    if (options.utf8) {
      book.text.append(BookEncoded(head, options)).append(BookEncoded(item.Body(), options));
    } else {
      book.text.append(head).append(item.Body());
    }
    if (after_mail) after_mail(i - first + 1);
  }
  return book;
}

}  // namespace vesko
