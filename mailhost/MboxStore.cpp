// An mbox file: mails one after another, each led by a "From " line, with an empty line
// between them. The read flag is the letter R in the mail's "Status:" header. Marking
// mails read rewrites the whole file under a temporary name in the same folder and renames
// it over the old one, keeping the file's permissions, so the file is never half-written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <thread>

#include "platform/files.h"
#include "mailhost/MailStore.h"
#include "mailhost/StoreUtil.h"

namespace vesko::mailhost {
namespace {

bool StartsWithNoCase(std::string_view line, std::string_view prefix) {
  if (line.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = line[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    char b = prefix[i];
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// One line of text at pos: its content without the line end, and where the next begins.
struct TLine {
  std::string_view content;
  std::size_t next;
};

TLine LineAt(std::string_view text, std::size_t pos) {
  const std::size_t lf = text.find('\n', pos);
  const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
  std::string_view content = text.substr(pos, end - pos);
  if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
  return {content, lf == std::string_view::npos ? text.size() : lf + 1};
}

bool IsStatusLine(std::string_view line) { return StartsWithNoCase(line, "status:"); }

bool StatusSaysRead(std::string_view line) {
  return line.substr(7).find('R') != std::string_view::npos;
}

// The header lines of the mail in [begin, end): up to the first empty line.
template <typename Visit>
void ForEachHeaderLine(std::string_view text, std::size_t begin, std::size_t end, Visit visit) {
  for (std::size_t pos = begin; pos < end;) {
    const TLine line = LineAt(text.substr(0, end), pos);
    if (line.content.empty()) return;
    visit(pos, line);
    pos = line.next;
  }
}

}  // namespace

std::vector<TMboxMail> ParseMbox(std::string_view text) {
  std::vector<std::size_t> from_lines;
  bool after_empty = true;
  for (std::size_t pos = 0; pos < text.size();) {
    const TLine line = LineAt(text, pos);
    if (after_empty && line.content.substr(0, 5) == "From ") from_lines.push_back(pos);
    after_empty = line.content.empty();
    pos = line.next;
  }

  std::vector<TMboxMail> mails;
  std::vector<std::string*> ids;
  mails.reserve(from_lines.size());
  for (std::size_t i = 0; i < from_lines.size(); ++i) {
    const TLine from = LineAt(text, from_lines[i]);
    TMboxMail mail;
    mail.begin = from.next;
    mail.end = i + 1 < from_lines.size() ? from_lines[i + 1] : text.size();
    // The empty line before the next "From " line separates; it is not the mail's.
    const std::size_t size = mail.end - mail.begin;
    if (size >= 2 && text[mail.end - 1] == '\n') {
      if (text[mail.end - 2] == '\n') {
        mail.end -= 1;
      } else if (size >= 3 && text[mail.end - 2] == '\r' && text[mail.end - 3] == '\n') {
        mail.end -= 2;
      }
    }
    // The ID hashes the "From " line and the header without its status lines, which are
    // the only lines that marking mails read changes.
    std::string key(from.content);
    ForEachHeaderLine(text, mail.begin, mail.end, [&](std::size_t, const TLine& line) {
      if (IsStatusLine(line.content)) {
        mail.read = mail.read || StatusSaysRead(line.content);
      } else if (!StartsWithNoCase(line.content, "x-status:")) {
        key += '\n';
        key += line.content;
      }
    });
    mail.id = "m" + HashId(key);
    mails.push_back(std::move(mail));
  }
  for (TMboxMail& mail : mails) ids.push_back(&mail.id);
  MakeIdsUnique(ids);
  return mails;
}

std::string MarkMboxRead(std::string_view text, const std::vector<std::string>& ids) {
  const std::set<std::string> wanted(ids.begin(), ids.end());
  std::string out;
  out.reserve(text.size() + 16 * ids.size());
  std::size_t copied = 0;  // text before this offset is already in out
  for (const TMboxMail& mail : ParseMbox(text)) {
    if (mail.read || wanted.count(mail.id) == 0) continue;
    bool changed = false;
    std::size_t header_end = mail.begin;
    std::string line_end = "\n";
    ForEachHeaderLine(text, mail.begin, mail.end, [&](std::size_t pos, const TLine& line) {
      if (pos == mail.begin && line.next >= 2 && text[line.next - 2] == '\r') line_end = "\r\n";
      header_end = line.next;
      if (changed || !IsStatusLine(line.content)) return;
      // "Status: O" becomes "Status: RO": R goes in front of the old letters.
      std::size_t at = pos + 7;
      while (at < pos + line.content.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
      out.append(text, copied, at - copied);
      out += 'R';
      copied = at;
      changed = true;
    });
    if (changed) continue;
    // No status line: add one as the header's last line.
    out.append(text, copied, header_end - copied);
    if (header_end > 0 && text[header_end - 1] == '\r') {
      out += '\n';  // the last line ends in a bare CR: complete it
    } else if (header_end > 0 && text[header_end - 1] != '\n') {
      out += line_end;
    }
    out += "Status: R" + line_end;
    copied = header_end;
  }
  out.append(text, copied, std::string_view::npos);
  return out;
}

namespace {

// Writes data over path through a temporary file in the same folder, with the old file's
// permissions, so readers see either the old or the new mbox.
void ReplaceFileKeepingMode(const std::string& path, std::string_view data) {
  struct stat old_stat {};
  if (::stat(path.c_str(), &old_stat) != 0) throw EOSError(path, errno);
  std::string temp = path + ".vesko-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw EOSError(path, errno);
  auto fail = [&](int code) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw EOSError(path, code);
  };
  for (std::size_t done = 0; done < data.size();) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fchmod(fd, old_stat.st_mode & 07777) != 0 || ::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) {
    ::unlink(temp.c_str());
    throw EOSError(path, errno);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    throw EOSError(path, code);
  }
}

// The dot-lock that mail delivery agents honour: the file path + ".lock", made
// exclusively. Held while the mbox is read and replaced, so no delivery falls between.
class TDotLock {
 public:
  explicit TDotLock(const std::string& mbox) : path_(mbox + ".lock") {
    for (int attempt = 0;; ++attempt) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
      if (fd >= 0) {
        ::close(fd);
        return;
      }
      if (errno != EEXIST || attempt >= 20) {
        throw EMailStoreError(mbox + " is locked by another program (" + path_ + ")");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  ~TDotLock() { ::unlink(path_.c_str()); }
  TDotLock(const TDotLock&) = delete;
  TDotLock& operator=(const TDotLock&) = delete;

 private:
  std::string path_;
};

class TMboxStore : public TMailStore {
 public:
  explicit TMboxStore(std::string path) : path_(std::move(path)) {}

  TStoreKind kind() const override { return TStoreKind::kMbox; }
  std::vector<std::string> Folders() const override { return {kTopFolder}; }

  std::vector<TStoredMail> List(const std::string& folder) const override {
    CheckFolder(folder);
    Load();
    std::vector<TStoredMail> list;
    list.reserve(mails_.size());
    for (const TMboxMail& mail : mails_) list.push_back({mail.id, mail.read});
    return list;
  }

  std::string Read(const std::string& folder, const std::string& id) const override {
    CheckFolder(folder);
    if (mails_.empty()) Load();
    const auto found = index_.find(id);
    if (found != index_.end()) {
      const TMboxMail& mail = mails_[found->second];
      return text_.substr(mail.begin, mail.end - mail.begin);
    }
    throw EMailStoreError("no mail " + id + " in " + path_);
  }

  void MarkRead(const std::string& folder, const std::vector<std::string>& ids) override {
    CheckFolder(folder);
    // Read afresh under the lock: mails delivered since the listing must survive.
    const TDotLock lock(path_);
    const std::string text = platform::ReadWholeFile(path_);
    const std::string marked = MarkMboxRead(text, ids);
    if (marked != text) ReplaceFileKeepingMode(path_, marked);
    Load();
  }

 private:
  void CheckFolder(const std::string& folder) const {
    if (folder != kTopFolder) throw EMailStoreError("no folder " + folder + " in " + path_);
  }
  void Load() const {
    text_ = platform::ReadWholeFile(path_);
    mails_ = ParseMbox(text_);
    index_.clear();
    for (std::size_t i = 0; i < mails_.size(); ++i) index_[mails_[i].id] = i;
  }

  std::string path_;
  mutable std::string text_;
  mutable std::vector<TMboxMail> mails_;
  mutable std::map<std::string, std::size_t> index_;  // ID to position in mails_
};

}  // namespace

std::unique_ptr<TMailStore> OpenMbox(const std::string& path) {
  char head_bytes[5] = {};
  std::size_t head_size = 0;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    head_size = std::fread(head_bytes, 1, sizeof head_bytes, file);
    std::fclose(file);
  } else {
    throw EOSError(path, errno);
  }
  const std::string_view head(head_bytes, head_size);
  if (!head.empty() && head != "From ") {
    throw EMailStoreError(path + " is not an mbox file (it does not begin with \"From \")");
  }
  return std::make_unique<TMboxStore>(path);
}

}  // namespace vesko::mailhost
