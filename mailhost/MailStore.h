// The local mail stores that the vesko host serves: a Maildir (Maildir++ subfolders make
// the folder tree), an mbox file, a folder of mbox files (nested through ".sbd" folders), or
// a folder of .eml files with a sidecar file of read flags. Each store lists the mails of a
// folder in delivery order under IDs that stay the same as long as the store holds the
// mail, hands out a mail's bytes, and marks mails read by changing only their flags. Folder
// names are UTF-8 and use '/' between levels; the store's top folder is "Inbox". Failures
// throw EOSError (file system) or EMailStoreError.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostProtocol.h"
#include "platform/errors.h"
#include "mailhost/MailHost.h"

namespace vesko::mailhost {

class EMailStoreError : public EVeskoError {
 public:
  using EVeskoError::EVeskoError;
};

inline constexpr const char* kTopFolder = "Inbox";
// The file in a folder of .eml files that names, a line each, the files of mails read.
inline constexpr const char* kEmlReadListName = ".vesko-read";
// IDs never exceed this many bytes, so they fit the plug-in's mail ID buffer.
inline constexpr std::size_t kMaxMailIdLength = kMailIdSize - 1;

struct TStoredMail {
  std::string id;
  bool read = false;
};

class TMailStore {
 public:
  virtual ~TMailStore() = default;
  virtual TStoreKind kind() const = 0;
  // The folders, the top folder first when the store has one, each parent before its
  // children.
  virtual std::vector<std::string> Folders() const = 0;
  // The mails of a folder in delivery order. Throws EMailStoreError for an unknown folder.
  virtual std::vector<TStoredMail> List(const std::string& folder) const = 0;
  // The mail's bytes as stored (an mbox mail without its "From " line). Throws
  // EMailStoreError when the folder has no such mail.
  virtual std::string Read(const std::string& folder, const std::string& id) const = 0;
  // Throws EMailStoreError saying why when marking mails of the folder read can't work now
  // (a lock that another program holds or that can't be created, a folder that can't be
  // written), so that no e-book is delivered whose mails then stay unread.
  virtual void CheckCanMark(const std::string& folder) = 0;
  // Marks the mails read and returns those it had to leave unread, with the reason. IDs
  // that are gone or already read are passed over. Throws when it can't mark at all.
  virtual std::vector<TSkippedMail> MarkRead(const std::string& folder,
                                             const std::vector<std::string>& ids) = 0;
};

// Opens the store at path, telling its kind from what is there: a file is an mbox, a
// folder with cur/ or new/ a Maildir, a folder with mbox files (or ".msf" index files or
// ".sbd" subfolders) beside it a folder of mbox files, and a folder with .eml files in it or
// below, or with no files at all, a folder of .eml files. Any other folder, and one with
// both mbox and .eml files, is refused with EMailStoreError saying what it holds.
std::unique_ptr<TMailStore> OpenMailStore(const std::string& path);

std::unique_ptr<TMailStore> OpenMaildir(const std::string& path);
std::unique_ptr<TMailStore> OpenMbox(const std::string& path);
std::unique_ptr<TMailStore> OpenMboxFolder(const std::string& path);
std::unique_ptr<TMailStore> OpenEmlFolder(const std::string& path);

// --- Pieces of the store readers, open for tests and fuzzing ---------------------------

// One mail of an mbox text: where it lies, its ID and its read flag.
struct TMboxMail {
  std::size_t begin = 0;  // the first byte after the "From " line
  std::size_t end = 0;    // past the mail's last line, before the separating empty line
  std::string id;
  bool read = false;
  std::string digest;  // of the whole mail except its status lines
};
// Splits an mbox text into its mails. Mails begin at a "From " line at the start or after
// an empty line; LF and CR LF line ends both work. Never fails.
std::vector<TMboxMail> ParseMbox(std::string_view text);
// The text with each listed mail's "Status:" header given the R flag (a "Status: R" line
// is added to a header that has none). Every other byte stays as it was.
std::string MarkMboxRead(std::string_view text, const std::vector<std::string>& ids);

// A Maildir file name split at its ":2," info: the unique part and the flags.
struct TMaildirName {
  std::string unique;
  std::string flags;  // the letters after ":2,", empty when there are none
  bool has_info = false;
};
TMaildirName ParseMaildirName(std::string_view file_name);
// The name in cur/ that carries the S flag, flags kept in ASCII order.
std::string MaildirSeenName(const TMaildirName& name);

// Converts LF and lone CR line ends to CR LF; text that has none comes back as it is,
// without a copy.
std::string ToCrLf(std::string text);

}  // namespace vesko::mailhost
