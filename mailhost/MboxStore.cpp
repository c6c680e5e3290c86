// An mbox file: mails one after another, each led by a "From " line, with an empty line
// between them. The read flag is the letter R in the mail's "Status:" header. Reading and
// marking take the dot-lock that delivery agents honour. Marking mails read rewrites the
// whole file (the target of a symbolic link) under a temporary name in the same folder and
// renames it over the old one, keeping the file's owner, group and permissions, so the
// file is never half-written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/syserror.h"
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
    std::size_t body = mail.begin;
    ForEachHeaderLine(text, mail.begin, mail.end, [&](std::size_t, const TLine& line) {
      body = line.next;
      if (IsStatusLine(line.content)) {
        mail.read = mail.read || StatusSaysRead(line.content);
      } else if (!StartsWithNoCase(line.content, "x-status:")) {
        key += '\n';
        key += line.content;
      }
    });
    mail.id = "m" + HashId(key);
    key += '\0';
    key.append(text, body, mail.end - body);
    mail.digest = HashId(key);
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

// A dot-lock older than this was left by a program that died: delivery agents break
// such locks too.
constexpr int kStaleLockSeconds = 5 * 60;
constexpr int kLockAttempts = 30;  // 100 ms apart
constexpr char kRewritePrefix[] = ".vesko-";  // after the mbox's name
constexpr char kLockPrefix[] = ".vesko-lock-";  // a lock being made

// The mbox behind any symbolic links: the file that delivery agents write, whose lock
// they honour and which a rewrite must replace.
std::string RealPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(path, error);
  return error ? path : real.string();
}

// Writes data over path through a temporary file in the same folder, flushed to disk,
// with the old file's owner, group and permissions, so readers see either the old or the
// new mbox and delivery agents can go on writing it. Refuses (EOSError) rather than
// replace it with a file of another owner or group.
void ReplaceFileKeepingOwner(const std::string& path, std::string_view data) {
  struct stat old_stat {};
  if (::stat(path.c_str(), &old_stat) != 0) throw EOSError(path, errno);
  const std::string folder = ExtractFilePath(path), base = ExtractFileName(path) + kRewritePrefix;
  const std::string temp = platform::CreateUniqueFile(folder, base, "");
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CLOEXEC);
  auto fail = [&](const std::string& what, int code) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    throw EOSError(what, code);
  };
  if (fd < 0) fail(temp, errno);
  for (std::size_t done = 0; done < data.size();) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(temp, errno);
    }
    done += static_cast<std::size_t>(n);
  }
  struct stat new_stat {};
  if (::fstat(fd, &new_stat) != 0) fail(temp, errno);
  if ((new_stat.st_uid != old_stat.st_uid || new_stat.st_gid != old_stat.st_gid) &&
      ::fchown(fd, old_stat.st_uid, old_stat.st_gid) != 0) {
    fail("keeping the owner and group of " + path, errno);
  }
  if (::fchmod(fd, old_stat.st_mode & 07777) != 0 || ::fsync(fd) != 0) fail(temp, errno);
  if (::close(fd) != 0) {
    ::unlink(temp.c_str());
    throw EOSError(temp, errno);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    throw EOSError(path, code);
  }
}

// Whether a lock file was left behind: older than kStaleLockSeconds, or naming (as the
// decimal process ID that lock makers write into it) a process that no longer runs.
bool IsStaleLock(const std::string& path, const struct stat& info) {
  if (std::time(nullptr) - info.st_mtime > kStaleLockSeconds) return true;
  std::string text;
  try {
    text = platform::ReadWholeFile(path);
  } catch (const EOSError&) {
    return false;
  }
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  long pid = 0;
  const std::size_t digits = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 9; ++i) {
    pid = pid * 10 + (text[i] - '0');
  }
  if (i == digits || pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// A lock file that can't be made at all (a folder this user can't write, a name too
// long), as opposed to one that another program holds.
class ELockNotMade : public EMailStoreError {
 public:
  using EMailStoreError::EMailStoreError;
};

// Removes a file of this process when it goes out of scope.
struct TOwnFile {
  std::string path;
  ~TOwnFile() { ::unlink(path.c_str()); }
};

// The dot-lock that mail delivery agents honour: the mbox's real path + ".lock", made
// exclusively and holding this process's ID. Held while the mbox is read and while it is
// replaced, so no delivery falls between. A stale lock is removed; a lock that can't be
// made says why.
class TDotLock {
 public:
  explicit TDotLock(const std::string& mbox) : path_(mbox + ".lock") {
    // The lock is written whole under a name of its own and then linked to its place, so
    // it never exists without the process ID in it, however this process ends.
    platform::RemoveLeftovers(ExtractFilePath(path_), kLockPrefix, "");
    std::string own;
    try {
      own = platform::CreateUniqueFile(ExtractFilePath(path_), kLockPrefix, "");
      platform::WriteWholeFile(own, std::to_string(::getpid()) + "\n");
    } catch (const EOSError& e) {
      if (!own.empty()) ::unlink(own.c_str());
      throw ELockNotMade("can't lock " + mbox + ": " + path_ + " can't be created (" +
                         platform::SystemErrorText(e.code()) + ")");
    }
    const TOwnFile own_file{own};
    for (int attempt = 0;; ++attempt) {
      if (::link(own.c_str(), path_.c_str()) == 0) return;
      if (errno != EEXIST) {
        throw ELockNotMade("can't lock " + mbox + ": " + path_ + " can't be created (" +
                           platform::SystemErrorText(errno) + ")");
      }
      struct stat info {};
      if (::lstat(path_.c_str(), &info) != 0) continue;  // just released
      if (IsStaleLock(path_, info)) {
        // Remove the lock judged stale, not one that replaced it meanwhile.
        struct stat again {};
        if (::lstat(path_.c_str(), &again) == 0 && again.st_ino == info.st_ino &&
            again.st_dev == info.st_dev) {
          ::unlink(path_.c_str());
        }
        continue;
      }
      if (attempt >= kLockAttempts) {
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

  void CheckCanMark(const std::string& folder) override {
    CheckFolder(folder);
    const std::string real = RealPath(path_);
    const TDotLock lock(real);
    const std::string dir = ExtractFilePath(real);
    if (::access(dir.empty() ? "." : dir.c_str(), W_OK) != 0) {
      throw EMailStoreError("can't mark mails of " + path_ + " read: its folder can't be written (" +
                            platform::SystemErrorText(errno) + ")");
    }
  }

  std::vector<TSkippedMail> MarkRead(const std::string& folder,
                                     const std::vector<std::string>& ids) override {
    CheckFolder(folder);
    // Read afresh under the lock: mails delivered since the listing must survive. A mail
    // that is not as it was when it was read (a delivery was still writing it) stays
    // unread, or the rest of it would never be seen.
    const std::string real = RealPath(path_);
    std::vector<TSkippedMail> skipped;
    std::string result;
    {
      const TDotLock lock(real);
      platform::RemoveLeftovers(ExtractFilePath(real), ExtractFileName(real) + kRewritePrefix, "");
      const std::string text = platform::ReadWholeFile(real);
      std::map<std::string, std::string> now;  // ID: digest
      for (const TMboxMail& mail : ParseMbox(text)) now[mail.id] = mail.digest;
      std::vector<std::string> marked;
      for (const std::string& id : ids) {
        const auto served = index_.find(id);
        const auto found = now.find(id);
        if (served != index_.end() && found != now.end() &&
            found->second != mails_[served->second].digest) {
          skipped.push_back({id, "it changed after it was read (a delivery was still writing it)"});
        } else {
          marked.push_back(id);
        }
      }
      result = MarkMboxRead(text, marked);
      if (result != text) ReplaceFileKeepingOwner(real, result);
    }
    Take(std::move(result));
    return skipped;
  }

 private:
  void CheckFolder(const std::string& folder) const {
    if (folder != kTopFolder) throw EMailStoreError("no folder " + folder + " in " + path_);
  }
  // Reads the mbox under its lock, so a mail that a delivery agent is writing is never
  // taken half. Where no lock can be made (a folder this user can't write), it reads
  // without one: listing still works, and marking says why it can't.
  void Load() const {
    const std::string real = RealPath(path_);
    std::optional<TDotLock> lock;
    try {
      lock.emplace(real);
    } catch (const ELockNotMade&) {
    }
    std::string text = platform::ReadWholeFile(real);
    lock.reset();
    Take(std::move(text));
  }
  // Holds text as the mbox's contents.
  void Take(std::string text) const {
    text_ = std::move(text);
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

std::string FileHead(const std::string& path, std::size_t size) {
  std::string head(size, '\0');
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw EOSError(path, errno);
  head.resize(std::fread(head.data(), 1, size, file));
  std::fclose(file);
  return head;
}

std::unique_ptr<TMailStore> OpenMbox(const std::string& path) {
  const std::string head = FileHead(path, 5);
  if (!head.empty() && head != "From ") {
    throw EMailStoreError(path + " is not an mbox file (it does not begin with \"From \")");
  }
  return std::make_unique<TMboxStore>(path);
}

}  // namespace vesko::mailhost
