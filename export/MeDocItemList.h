// TMeDocItemList holds the mail items of one export in export order, owns them, carries the
// text options that every item applies, and writes the MeDoc bookmark index: a block at the
// very start of the document from which the MeDoc reader makes one jump per mail.
//
// The block, every line ending in CR LF:
//   #!Medoc index <n>
//   <line>:<short title>      one entry per mail, in export order
// where <line> is the document line (from 1, the block included) of the mail's "From:" line.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/MailItem.h"
#include "export/TextCleanup.h"
#include "mail/MailBody.h"

namespace vesko {

// The options of the mail items: the clean-ups, the body decodings, and two settings of the
// host. A default-made value has every decoding off.
struct TTextOptions : TCleanupOptions {
  bool HideHead = false;  // the current folder hides the leading "[tag]" of subjects
  int ListAddrFmt = 0;    // the host's sender format, 0..4
  TBodyOptions Decoding;  // the decodings beyond the designed ones (mail/MailBody.h)
};

// Reads the options afresh: HideHead from the current folder's Folder.ini, the clean-ups
// and decodings from the plug-in's settings file, ListAddrFmt from the host's registry
// settings.
TTextOptions ReadTextOptions();

class TMeDocItemList {
 public:
  TMeDocItemList();  // reads the options (ReadTextOptions)
  explicit TMeDocItemList(const TTextOptions& options);

  void Add(std::unique_ptr<TMailItem> item);
  const TMailItem& Items(int i) const { return *items_[static_cast<std::size_t>(i)]; }
  int Count() const { return static_cast<int>(items_.size()); }
  const TTextOptions& Options() const { return options_; }

  std::string IndexHeader() const;  // "#!Medoc index <n>" CR LF
  std::string IndexLines() const;   // the entries, each ending in CR LF
  // The same for a document that holds only the items [first, last).
  std::string IndexHeader(int first, int last) const;
  std::string IndexLines(int first, int last) const;

  // The first bytes of subject that fit an entry numbered k (no double-byte character cut
  // in two), trimmed of blanks and control characters at both ends.
  static std::string ShortTitle(std::string_view subject, int k);

 private:
  TTextOptions options_;
  std::vector<std::unique_ptr<TMailItem>> items_;
  // The document lines of each item's body, counted once: an index is made more than
  // once when an export is split.
  std::vector<int> body_lines_;
};

}  // namespace vesko
