// The text of one e-book made from a run of the export's mails: the MeDoc index when asked,
// then each mail's "From:", "Subject:" and "Date:" lines and its body, CR LF line ends as
// the Doc writer takes them. Beside the text, one Doc bookmark per mail when asked, at the
// offset of the mail's "From:" line and titled with the mail's index title. In UTF-8 the
// finished Shift JIS pieces (the index, each mail, each title) are converted one by one,
// so offsets and titles are those of the UTF-8 text and nothing before it changes.
//
// The export driver writes each e-book of a split export (export/BookSplit.h) by one call
// of TComvertDoc::WriteBook, which builds its text here. Throws EVeskoError when UTF-8 is asked for and the platform can't convert
// Shift JIS.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/MeDocItemList.h"
#include "palm/DocFile.h"

namespace vesko {

// What an e-book holds beyond its mails, from the settings file.
struct TBookOptions {
  bool medoc_index = true;  // SaveMeDoc: the MeDoc index block at the head
  bool bookmarks = false;   // DocBookmarks: a Doc bookmark record per mail
  bool utf8 = false;        // Utf8Text: text, index, name and bookmark titles in UTF-8
};

// One e-book's text and bookmarks, ready for TDocFile.
struct TBookText {
  std::string text;
  std::vector<TDocBookmark> bookmarks;  // Position: the offset of "From:" in text
  TDocEncoding encoding = TDocEncoding::kShiftJis;
};

// The encoding the options give the e-book.
TDocEncoding BookEncoding(const TBookOptions& options);

// Shift JIS text in the e-book's encoding: as it is, or converted to UTF-8.
std::string BookEncoded(std::string_view text, const TBookOptions& options);

// The e-book of the items [first, last) of items, whose header lines are heads (one per
// item of items, TMailItem::HeadLines). after_mail(done) runs after each mail is added,
// done counting from 1.
TBookText BuildBookText(const TMeDocItemList& items, std::span<const std::string> heads,
                        int first, int last, const TBookOptions& options,
                        const std::function<void(int done)>& after_mail = {});

}  // namespace vesko
