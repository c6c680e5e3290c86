// TComvertDoc runs one export from start to end: it counts and collects the target mails
// of the host's current folder, makes a mail item of each, assembles one text (the MeDoc
// index, then each mail's "From:", "Subject:" and "Date:" lines and its body), writes it as
// a compressed Palm Doc file into a temporary file of the host (with a bookmark per mail,
// and in UTF-8, when the settings ask; export/DocBook.h), delivers that file (a copy
// in the save folder, or a HotSync install for a Palm Desktop user), and marks the
// exported unread mails read. A progress window shows each phase.
//
// An export too large for one e-book, or with more mails than "MaxMails" allows, becomes
// several e-books (export/BookSplit.h), titled "<title> (1)", "<title> (2)", ... and named
// "<name>-1.pdb", "<name>-2.pdb", ...; all are written before the first is delivered, and
// all are delivered before any mail is marked read. A mail larger than one e-book gets one
// of its own, holding as much of its text as fits; it stays unread, and the user is told.
//
// The constructor does all preparation; Export() writes and delivers. Either throws
// (EOSError, EPalmDesktopError, the parsers' errors); Export() then leaves no file of its
// own behind and marks nothing read. A failed delivery (the copy, or the install) is told
// to the user in a message box, with the e-books delivered before it, and also marks
// nothing read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "export/BookSplit.h"
#include "export/MeDocItemList.h"
#include "export/Progress.h"
#include "platform/datetime.h"
#include "platform/files.h"

namespace vesko {

// The extension of a delivered e-book's file name.
inline constexpr char kDocFileExtension[] = ".pdb";

struct TTargetMail {
  std::string MailID;      // the host's mail ID
  bool WasUnread = false;  // status bit 0 (read) was clear when the mail was collected
};

// The outcome of Export().
enum class TExportResult {
  kNothing,         // no mail to export
  kDelivered,       // copied or queued for HotSync; the user was told
  kDeliveryFailed,  // written, but the copy or the install failed; the user was told
};

class TComvertDoc {
 public:
  // Counts; with targets: titles, reads the options, builds the items. limits sets the
  // size of one e-book; its max_mails comes from the settings.
  explicit TComvertDoc(const TBookLimits& limits = {});
  ~TComvertDoc();
  TComvertDoc(const TComvertDoc&) = delete;
  TComvertDoc& operator=(const TComvertDoc&) = delete;

  TExportResult Export();

  int Count() const { return count_; }
  const std::string& Title() const { return title_; }
  const std::string& DestPath() const { return dest_path_; }
  const std::vector<TTargetMail>& Targets() const { return targets_; }

  // "[" date and/or time "]" + the leaf of the folder's display name: the text after the
  // last "/", else after the last "]", else the whole name.
  static std::string MakeTitle(const std::string& display_name, bool date, bool time,
                               const TCalendarTime& now);
  // The leaf of a folder display name, as the title uses it.
  static std::string LeafName(const std::string& display_name);
  // The delivered file's name: pattern with each "{folder}" replaced by leaf and each
  // "{date}" by now as YYYY-MM-DD, made safe (SafeFileName), and ".pdb". An empty pattern,
  // or one that leaves no name, gives temp_name, the host's temporary file's name.
  static std::string FileName(const std::string& pattern, const std::string& leaf,
                              const TCalendarTime& now, const std::string& temp_name);
  // text with each character that can't stand in a file name on Windows or on Linux
  // replaced by "_": \ / : * ? " < > |, control characters, a trailing dot or space, and
  // a byte that opens a double-byte character at the end of text. Double-byte characters
  // stay whole, whatever their second byte. A name that Windows keeps for a device
  // ("CON", "nul", "COM1", ...) gets "_" in front.
  static std::string SafeFileName(const std::string& text);

 private:
  void MakeTitle();
  void ReadOptions();
  void CollectTargets();
  void PrepareItems();
  // Writes the mails of book as one compressed Doc e-book at path, named title (in the
  // e-book's encoding), with what book_ asks for: its own MeDoc index, its own bookmarks
  // and the encoding. A cut mail (book.cut_to) is cut in the stored bytes of that encoding. The
  // progress bar goes on across the e-books. After the last mail the items are released:
  // a big folder needs the room.
  void WriteBook(const TBookRange& book, const std::string& title, const std::string& path);
  // Delivers the written e-books in order, stopping at the first that fails, and tells
  // the user in one message. True when all of them went out.
  bool Deliver(const std::vector<std::string>& paths);
  // Copies one e-book into the save folder under name; its path, or the message that
  // says why it failed in *failure.
  std::string SaveCopy(const std::string& path, const std::string& name, std::string* failure);
  void MarkExportedRead();

  std::vector<TTargetMail> targets_;
  std::string dest_path_;  // the save folder and dest_name_; where the (first) copy went, after it
  std::string title_;
  std::string leaf_;       // the folder's leaf name
  std::string dest_name_;  // the name the delivered file takes when it is free
  // The host's temporary file, removed when the export ends however it ends: also when
  // preparing fails, or when no mail is left to export.
  struct TTempFile {
    std::string path;
    ~TTempFile() {
      if (!path.empty()) platform::RemoveFile(path);
    }
  } temp_;
  int user_index_ = -1;
  int count_ = 0;
  TBookOptions book_;  // the index, the bookmarks and the encoding of the e-book
  bool auto_install_ = true;
  bool mark_as_read_ = true;
  std::unique_ptr<TMeDocItemList> items_;
  std::vector<std::string> heads_;  // each item's header lines, while the e-books are written
  TBookLimits limits_;
  int threads_ = 0;                 // that pack each e-book; 0 the writer's default
  std::vector<int> cut_mails_;      // the targets whose text did not fit an e-book
  std::string cut_lines_;           // what the user is told about them
  int target_ = 0;
  std::unique_ptr<TProgressForm> progress_;
};

}  // namespace vesko
