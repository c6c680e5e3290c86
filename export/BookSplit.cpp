#include "export/BookSplit.h"

#include <algorithm>
#include <functional>

#include "palm/DocCompress.h"
#include "palm/DocFile.h"
#include "platform/locale.h"

namespace vesko {
namespace {

// The bytes of the character that starts at text[i], not past the end of text.
std::size_t CharSize(std::string_view text, std::size_t i, TDocEncoding encoding) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t size = 1;
  if (encoding == TDocEncoding::kUtf8) {
    if (lead >= 0xF0) {
      size = 4;
    } else if (lead >= 0xE0) {
      size = 3;
    } else if (lead >= 0xC0) {
      size = 2;
    }
  } else if (platform::IsLeadByte(lead)) {
    size = 2;
  }
  return std::min(size, text.size() - i);
}

// The largest end in (first, last] for which fits holds, fits(first + 1) holding and fits
// being true up to some end and false after it: steps that double, then halving.
int LastFitting(int first, int last, const std::function<bool(int)>& fits) {
  int good = first + 1, bad = last + 1;
  for (int step = 1; good < last;) {
    const int next = std::min(last, good + step);
    if (!fits(next)) {
      bad = next;
      break;
    }
    good = next;
    step *= 2;
  }
  while (bad - good > 1) {
    const int middle = good + (bad - good) / 2;
    (fits(middle) ? good : bad) = middle;
  }
  return good;
}

}  // namespace

std::size_t BookCapacity(const TBookLimits& limits, int mails) {
  const long long records =
      static_cast<long long>(limits.max_records) - 1 -
      static_cast<long long>(limits.records_per_mail) * mails;
  return records > 0 ? static_cast<std::size_t>(records) * kDocRecordSize : 0;
}

std::vector<TBookRange> PlanBooks(const TMeDocItemList& items, std::span<const std::string> heads,
                                  const TBookOptions& options, const TBookLimits& limits) {
  const int count = items.Count();
  const auto index_text = [&](int first, int last) {
    return options.medoc_index ? items.IndexHeader(first, last) + items.IndexLines(first, last)
                               : std::string();
  };
  // The bytes a piece of the Shift JIS text takes in the e-book.
  const auto stored = [&](std::string_view text) {
    return options.utf8 ? DocTextSize(BookEncoded(text, options)) : DocTextSize(text);
  };
  // Most exports fit one e-book even before their line ends are counted. One Shift JIS
  // byte takes at most three in UTF-8 (a half-width katakana).
  if (limits.max_mails <= 0 || count <= limits.max_mails) {
    std::size_t size = index_text(0, count).size();
    for (int i = 0; i < count; ++i) {
      size += heads[static_cast<std::size_t>(i)].size() + items.Items(i).Body().size();
    }
    if ((options.utf8 ? 3 * size : size) <= BookCapacity(limits, count)) return {{0, count}};
  }
  // sizes[i]: the e-book bytes of the mails before i.
  std::vector<std::size_t> sizes(static_cast<std::size_t>(count) + 1, 0);
  for (int i = 0; i < count; ++i) {
    const auto u = static_cast<std::size_t>(i);
    sizes[u + 1] = sizes[u] + stored(heads[u]) + stored(items.Items(i).Body());
  }
  std::vector<TBookRange> books;
  for (int first = 0; first < count;) {
    const auto fits = [&](int last) {
      const std::size_t size = sizes[static_cast<std::size_t>(last)] -
                               sizes[static_cast<std::size_t>(first)] +
                               stored(index_text(first, last));
      return size <= BookCapacity(limits, last - first);
    };
    if (!fits(first + 1)) {
      books.push_back({first, first + 1, BookCapacity(limits, 1)});
      ++first;
      continue;
    }
    int last = count;
    if (limits.max_mails > 0) last = std::min(last, first + limits.max_mails);
    last = LastFitting(first, last, fits);
    books.push_back({first, last});
    first = last;
  }
  return books;
}

std::string BookTitle(const std::string& title, int k, int count, TDocEncoding encoding) {
  if (count == 1) return title;
  const std::string suffix = " (" + std::to_string(k) + ")";
  const std::size_t room = kDocNameSize > suffix.size() ? kDocNameSize - suffix.size() : 0;
  return std::string(CutAtCharacter(title, room, encoding)) + suffix;
}

std::size_t CutPoint(std::string_view text, std::size_t limit, TDocEncoding encoding) {
  std::size_t i = 0, size = 0;
  while (i < text.size()) {
    // A CR is dropped from the e-book and the byte after it stays, whatever it is.
    const bool cr = text[i] == '\r';
    const std::size_t start = cr ? i + 1 : i;
    const std::size_t length = start < text.size() ? CharSize(text, start, encoding) : 0;
    if (size + length > limit) break;
    size += length;
    i = start + length;
  }
  return i;
}

}  // namespace vesko
