#include "export/ComvertDoc.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "export/ExportCommand.h"
#include "export/ExportUi.h"
#include "export/Messages.h"
#include "host/HostProtocol.h"
#include "host/PlugIn.h"
#include "host/Settings.h"
#include "hotsync/AutoInst.h"
#include "mail/TextUtil.h"
#include "palm/DocFile.h"
#include "platform/clock.h"
#include "platform/datefmt.h"
#include "platform/IniText.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/syserror.h"

namespace vesko {
namespace {

constexpr char kCrLf[] = "\r\n";

TSettings ReadSettings() { return TSettings::Load(PlugIn().settings_path); }

// Walks the mails of the current folder (only the selected ones when asked) and calls
// visit(id, unread) for each; stops early when visit returns false. The host's final
// answer of -1 ends the walk and is not a mail.
template <typename Visit>
void ForEachMail(bool selected_only, Visit&& visit) {
  const TBeckyAPI& api = PlugIn().api;
  char id[kMailIdSize + 1] = {};
  int position = -1;
  for (;;) {
    position = api.BKA_GetNextMail(position, id, kMailIdSize, selected_only ? -1 : 0);
    if (position == -1) return;
    id[kMailIdSize] = '\0';
    const bool unread = (api.BKA_GetStatus(id) & 1u) == 0;
    if (!visit(std::string(id), unread)) return;
  }
}

// The position just after the last c in text, reading double-byte characters whole;
// npos when there is none.
std::size_t AfterLast(const std::string& text, char c) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (platform::IsLeadByte(static_cast<unsigned char>(text[i]))) {
      ++i;
    } else if (text[i] == c) {
      found = i + 1;
    }
  }
  return found;
}

// The names Windows keeps for devices, with or without an extension.
constexpr std::string_view kDeviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

constexpr std::string_view kFolderField = "{folder}";
constexpr std::string_view kDateField = "{date}";

bool UnsafeInFileName(unsigned char c) {
  return c < 0x20 || c == 0x7F || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) !=
                                      std::string_view::npos;
}

std::string IsoDate(const TCalendarTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

}  // namespace

int CountTargets() { return CountTargets(ReadSettings().Target); }

int CountTargets(int target) {
  if (target != kTargetUnread && target != kTargetAll && target != kTargetSelected) return 0;
  int count = 0;
  ForEachMail(target == kTargetSelected, [&](const std::string&, bool unread) {
    if (target != kTargetUnread || unread) ++count;
    return true;
  });
  return count;
}

TComvertDoc::TComvertDoc(const TBookLimits& limits) : limits_(limits) {
  count_ = CountTargets();
  if (count_ == 0) return;
  progress_ = std::make_unique<TProgressForm>();
  items_ = std::make_unique<TMeDocItemList>();
  MakeTitle();
  temp_.path = HostText(PlugIn().api.BKA_GetTempFileName("pdb"));
  ReadOptions();
  PrepareItems();
}

TComvertDoc::~TComvertDoc() = default;

std::string TComvertDoc::LeafName(const std::string& display_name) {
  std::size_t start = AfterLast(display_name, '/');
  if (start == std::string::npos) start = AfterLast(display_name, ']');
  return start == std::string::npos ? display_name : display_name.substr(start);
}

std::string TComvertDoc::SafeFileName(const std::string& text) {
  std::string name;
  name.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (platform::IsLeadByte(c)) {
      if (i + 1 < text.size() && text[i + 1] != '\0') {
        name.append(text, i, 2);
        ++i;
      } else {
        name += '_';
      }
    } else {
      name += UnsafeInFileName(c) ? '_' : text[i];
    }
  }
  // Windows drops a trailing dot or space; the name would not be the one shown.
  for (std::size_t end = name.size(); end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ');
       --end) {
    name[end - 1] = '_';
  }
  // A '.' is never the second byte of a double-byte character.
  const std::string_view stem = std::string_view(name).substr(0, name.find('.'));
  for (std::string_view device : kDeviceNames) {
    if (platform::SameTextNoCase(TrimBlanks(stem), device)) return "_" + name;
  }
  return name;
}

std::string TComvertDoc::FileName(const std::string& pattern, const std::string& leaf,
                                  const TCalendarTime& now, const std::string& temp_name) {
  std::string name;
  for (std::size_t i = 0; i < pattern.size();) {
    const std::string_view rest = std::string_view(pattern).substr(i);
    if (platform::IsLeadByte(static_cast<unsigned char>(pattern[i])) && rest.size() > 1) {
      name.append(rest.substr(0, 2));
      i += 2;
    } else if (rest.starts_with(kFolderField)) {
      name += SafeFileName(leaf);  // a broken last character stays out of what follows
      i += kFolderField.size();
    } else if (rest.starts_with(kDateField)) {
      name += IsoDate(now);
      i += kDateField.size();
    } else {
      name += pattern[i++];
    }
  }
  if (name.empty()) return temp_name;
  return SafeFileName(name + std::string(kDocFileExtension));
}

std::string TComvertDoc::MakeTitle(const std::string& display_name, bool date, bool time,
                                   const TCalendarTime& now) {
  std::string stamp;
  if (date) stamp = platform::ShortDateText(now) + " ";
  if (time) stamp = std::string(TrimBlanks(stamp)) + platform::ShortTimeText(now);
  return "[" + stamp + "]" + LeafName(display_name);
}

void TComvertDoc::MakeTitle() {
  const TBeckyAPI& api = PlugIn().api;
  const std::string display_name =
      HostText(api.BKA_GetFolderDisplayName(HostText(api.BKA_GetCurrentFolder()).c_str()));
  const TSettings settings = ReadSettings();
  title_ = !settings.Title.empty() ? settings.Title
                                   : MakeTitle(display_name, settings.Date, settings.Time,
                                               DecodeDateTime(platform::NowLocal()));
  leaf_ = LeafName(display_name);
}

void TComvertDoc::ReadOptions() {
  const TSettings settings = ReadSettings();
  book_.medoc_index = settings.SaveMeDoc;
  book_.bookmarks = settings.DocBookmarks;
  book_.utf8 = settings.Utf8Text;
  auto_install_ = settings.AutoInstall;
  mark_as_read_ = settings.MarkAsRead;
  // An empty save folder means the default one, beside the settings file; a folder typed
  // without its final delimiter gets one.
  std::string save_folder = settings.SavePath;
  if (save_folder.empty()) save_folder = TSettings::Defaults(PlugIn().settings_path).SavePath;
  dest_name_ = FileName(settings.FileName, leaf_, DecodeDateTime(platform::NowLocal()),
                        ExtractFileName(temp_.path));
  dest_path_ = JoinPath(save_folder, dest_name_);
  user_index_ = settings.UserIndex;
  target_ = settings.Target;
  limits_.max_mails = settings.MaxMails;
  threads_ = settings.Threads;
  limits_.records_per_mail = settings.DocBookmarks ? 1 : 0;  // its bookmark's record
}

void TComvertDoc::CollectTargets() {
  targets_.clear();
  if (target_ != kTargetUnread && target_ != kTargetAll && target_ != kTargetSelected) {
    count_ = 0;
    return;
  }
  ForEachMail(target_ == kTargetSelected, [&](const std::string& id, bool unread) {
    if (target_ == kTargetUnread && !unread) return true;
    targets_.push_back({id, unread});
    return static_cast<int>(targets_.size()) < count_;
  });
  // The folder may have changed since the count: only the mails found are exported.
  count_ = static_cast<int>(targets_.size());
}

void TComvertDoc::PrepareItems() {
  CollectTargets();
  progress_->SetCaption(kCaptionPreparing);
  progress_->Show();
  for (int i = 0; i < count_; ++i) {
    items_->Add(std::make_unique<TMailItem>(targets_[static_cast<std::size_t>(i)].MailID, *items_));
    ExportUi().ProcessMessages();
    SetProgress(PercentOf(i + 1, count_));
  }
  progress_->Hide();
}

void TComvertDoc::WriteBook(const TBookRange& book, const std::string& title,
                            const std::string& path) {
  progress_->SetCaption(kCaptionStillPreparing);
  TBookText text = BuildBookText(*items_, heads_, book.first, book.last, book_, [&](int done) {
    ExportUi().ProcessMessages();
    SetProgress(PercentOf(book.first + done, count_));
  });
  if (book.cut_to != 0) {
    text.text.resize(CutPoint(text.text, book.cut_to, text.encoding));
    cut_mails_.push_back(book.first);
    cut_lines_ += kCrLf + FormatText(kMailCutMessage, {items_->Items(book.first).Subject()});
  }
  // The text holds all they have; a big folder needs the room.
  if (book.last == count_) items_.reset();
  progress_->SetPosition(PercentOf(book.first, count_));
  progress_->SetCaption(kCaptionConverting);
  TDocFile doc(path, title, true, text.encoding);
  if (threads_ > 0) doc.SetThreads(threads_);
  // A step on the way: delivery copies the e-book, flushed to the disk, and removes this.
  doc.SetDurable(false);
  for (const TDocBookmark& mark : text.bookmarks) doc.AddBookmark(mark.Title, mark.Position);
  text.bookmarks.clear();
  // The bar goes on across the e-books: this one takes its share of the mails.
  const int first = book.first, mails = book.last - book.first, total = count_;
  doc.WriteText(text.text, [first, mails, total](int percent) {
    SetProgress(PercentOf(first * 100 + percent * mails, total * 100));
  });
}

TExportResult TComvertDoc::Export() {
  if (count_ == 0) return TExportResult::kNothing;
  // The temporary files of the e-books after the first, removed however the export ends.
  std::deque<TTempFile> more_temps;
  bool delivered = false;
  try {
    heads_.reserve(static_cast<std::size_t>(count_));
    for (int i = 0; i < count_; ++i) heads_.push_back(items_->Items(i).HeadLines());
    const std::vector<TBookRange> books = PlanBooks(*items_, heads_, book_, limits_);
    const int book_count = static_cast<int>(books.size());
    const std::string title = BookEncoded(title_, book_);
    std::vector<std::string> paths;
    progress_->SetCaption(kCaptionStillPreparing);
    progress_->Show();
    for (int k = 0; k < book_count; ++k) {
      if (k > 0) {
        more_temps.emplace_back();
        more_temps.back().path = HostText(PlugIn().api.BKA_GetTempFileName("pdb"));
      }
      paths.push_back(k == 0 ? temp_.path : more_temps.back().path);
      WriteBook(books[static_cast<std::size_t>(k)],
                BookTitle(title, k + 1, book_count, BookEncoding(book_)), paths.back());
    }
    heads_ = {};
    progress_->Hide();
    delivered = Deliver(paths);
  } catch (...) {
    progress_->Hide();
    platform::RemoveFile(temp_.path);
    throw;
  }
  platform::RemoveFile(temp_.path);
  if (!delivered) return TExportResult::kDeliveryFailed;
  if (mark_as_read_) MarkExportedRead();
  return TExportResult::kDelivered;
}

bool TComvertDoc::Deliver(const std::vector<std::string>& paths) {
  const bool install = auto_install_ && user_index_ != -1;
  std::optional<TUserData> users;
  if (install) users.emplace();  // throws before anything is delivered
  const std::string user = install ? users->GetUserName(user_index_) : std::string();
  // Each e-book's name: the one chosen, numbered when the export is split, or its own
  // temporary file's name when the pattern chose that.
  const bool own_names = dest_name_ == ExtractFileName(temp_.path);
  std::string done, failure;  // the lines about the e-books delivered; why one failed
  for (std::size_t k = 0; k < paths.size() && failure.empty(); ++k) {
    std::string name = own_names ? ExtractFileName(paths[k]) : dest_name_;
    if (paths.size() > 1 && !own_names) name = NameWithSuffix(name, "-" + std::to_string(k + 1));
    std::string where;
    if (install) {
      if (!users->Install(user_index_, paths[k], name, &where)) {
        failure = FormatText(kInstallFailedMessage, {user});
      }
    } else {
      where = SaveCopy(paths[k], name, &failure);
    }
    if (failure.empty()) {
      if (k == 0) dest_path_ = where;
      done += kCrLf + (install ? where
                               : FormatText(kSavedMessage,
                                            {ExcludeTrailingDelimiter(ExtractFilePath(where)),
                                             ExtractFileName(where)}));
    }
    ExportUi().ProcessMessages();
  }
  std::string text;
  if (!failure.empty()) {
    text = failure;
    if (!done.empty()) text += kCrLf + std::string(kDeliveredBeforeMessage) + done;
  } else if (install) {
    text = FormatText(kInstalledMessage, {user});
    if (paths.size() > 1) text += done;
  } else {
    text = done.substr(std::string_view(kCrLf).size());
  }
  text += cut_lines_;
  const TMessageIcon icon = !failure.empty()    ? TMessageIcon::kError
                            : cut_lines_.empty() ? TMessageIcon::kInformation
                                                 : TMessageIcon::kWarning;
  ExportUi().ShowMessage(PlugIn().main_window, text,
                         icon == TMessageIcon::kError     ? kErrorCaption
                         : icon == TMessageIcon::kWarning ? kWarningCaption
                                                          : kInformationCaption,
                         icon);
  return failure.empty();
}

std::string TComvertDoc::SaveCopy(const std::string& path, const std::string& name,
                                  std::string* failure) {
  // The copy appears whole under a name no file held, numbered when name is taken: an
  // earlier e-book, or the temporary file itself, is never replaced.
  const std::string folder = ExtractFilePath(dest_path_);
  try {
    return CopyUnderFreeName(path, folder, name);
  } catch (const EOSError& e) {
    std::string shown = ExcludeTrailingDelimiter(folder);
    if (shown.empty()) shown = ".";
    *failure = FormatText(kSaveFailedMessage, {name}) + kCrLf +
               FormatText(kSaveFailedReason, {shown, platform::SystemErrorText(e.code())});
    return {};
  }
}

void TComvertDoc::MarkExportedRead() {
  if (count_ == 0) return;
  const TBeckyAPI& api = PlugIn().api;
  for (std::size_t i = 0; i < targets_.size(); ++i) {
    // A mail cut to fit its e-book stays unread: part of it is not in the e-book.
    const bool cut = std::find(cut_mails_.begin(), cut_mails_.end(), static_cast<int>(i)) !=
                     cut_mails_.end();
    if (targets_[i].WasUnread && !cut) api.BKA_SetSel(targets_[i].MailID.c_str(), -1);
  }
  ExportUi().PostCommand(PlugIn().main_window, kMarkAsReadCommand);
}

}  // namespace vesko
