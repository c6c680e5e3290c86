// How the mails of one export are shared out among e-books. One e-book holds at most
// kPDBMaxRecords records: record 0, the text in records of 4,096 bytes (counted after its
// line ends are made LF) and the records that follow the text. An export whose text needs
// more, or that has more mails than the "MaxMails" setting allows, becomes several
// e-books, split between mails and in export order, each with its own MeDoc index and
// bookmarks. Sizes are those of the bytes the e-book stores: in UTF-8, those of the
// converted text.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/DocBook.h"
#include "export/MeDocItemList.h"
#include "palm/PalmDatabase.h"

namespace vesko {

struct TBookLimits {
  int max_records = kPDBMaxRecords;  // records of one e-book, record 0 included
  int max_mails = 0;                 // mails of one e-book; 0 or less: any number
  int records_per_mail = 0;          // records that each mail adds after the text
};

// The mails [first, last) of the export that one e-book holds.
struct TBookRange {
  int first = 0;
  int last = 0;
  // 0, or the book's one mail is larger than an e-book: its text is cut to this many
  // bytes of the e-book (CutPoint).
  std::size_t cut_to = 0;
};

// The e-books for items, whose header lines are heads (TMailItem::HeadLines, one per
// item): every item is in exactly one, in order, and each e-book takes as many mails as
// fit. options.medoc_index: each e-book starts with its own MeDoc index; options.utf8:
// the text is measured as converted (BuildBookText). A mail that is larger than an
// e-book on its own gets an e-book of its own with cut_to set. Throws EVeskoError when
// UTF-8 is asked for and the platform can't convert Shift JIS.
std::vector<TBookRange> PlanBooks(const TMeDocItemList& items, std::span<const std::string> heads,
                                  const TBookOptions& options, const TBookLimits& limits);

// The text bytes that one e-book holds under limits: the records between record 0 and
// those that mails adds after the text.
std::size_t BookCapacity(const TBookLimits& limits, int mails);

// The title of e-book k (from 1) of count, title in the e-book's encoding: title itself
// when count is 1, else title and " (k)", the title cut so that both fit the 31-byte
// database name, no character of encoding cut in two.
std::string BookTitle(const std::string& title, int k, int count, TDocEncoding encoding);

// The length of the longest start of text (in encoding) that takes at most limit bytes in
// an e-book (after NormalizeLineEnds) and ends on a character boundary.
std::size_t CutPoint(std::string_view text, std::size_t limit, TDocEncoding encoding);

}  // namespace vesko
