#include "export/ComvertDoc.h"

#include <cstdio>
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

TComvertDoc::TComvertDoc() {
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

void TComvertDoc::WriteBook(const std::string& path, const std::string& title, int first,
                            int count) {
  progress_->SetCaption(kCaptionStillPreparing);
  progress_->Show();
  TBookText book = BuildBookText(*items_, first, count, book_, [&](int done) {
    ExportUi().ProcessMessages();
    SetProgress(PercentOf(done, count));
  });
  if (first == 0 && count == items_->Count()) items_.reset();
  progress_->SetPosition(0);
  progress_->SetCaption(kCaptionConverting);
  TDocFile doc(path, BookEncoded(title, book_), true, book.encoding);
  for (const TDocBookmark& mark : book.bookmarks) doc.AddBookmark(mark.Title, mark.Position);
  book.bookmarks.clear();
  doc.WriteText(std::move(book.text), SetProgress);
  progress_->Hide();
}

TExportResult TComvertDoc::Export() {
  if (count_ == 0) return TExportResult::kNothing;
  bool delivered = false;
  try {
    WriteBook(temp_.path, title_, 0, count_);
    const bool install = auto_install_ && user_index_ != -1;
    delivered = install ? Install() : SaveCopy();
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

bool TComvertDoc::SaveCopy() {
  // The copy appears whole under a name no file held, numbered when dest_name_ is taken:
  // an earlier e-book, or the temporary file itself, is never replaced.
  std::string reason;
  try {
    dest_path_ = CopyUnderFreeName(temp_.path, ExtractFilePath(dest_path_), dest_name_);
  } catch (const EOSError& e) {
    reason = platform::SystemErrorText(e.code());
  }
  const THandle owner = PlugIn().main_window;
  std::string folder = ExcludeTrailingDelimiter(ExtractFilePath(dest_path_));
  if (reason.empty()) {
    ExportUi().ShowMessage(owner,
                           FormatText(kSavedMessage, {folder, ExtractFileName(dest_path_)}),
                           kInformationCaption, TMessageIcon::kInformation);
    return true;
  }
  if (folder.empty()) folder = ".";
  ExportUi().ShowMessage(owner,
                         FormatText(kSaveFailedMessage, {ExtractFileName(dest_path_)}) + kCrLf +
                             FormatText(kSaveFailedReason, {folder, reason}),
                         kErrorCaption, TMessageIcon::kError);
  return false;
}

bool TComvertDoc::Install() {
  TUserData users;
  const bool ok = users.Install(user_index_, temp_.path, dest_name_);
  const std::string name = users.GetUserName(user_index_);
  ExportUi().ShowMessage(PlugIn().main_window,
                         FormatText(ok ? kInstalledMessage : kInstallFailedMessage, {name}),
                         ok ? kInformationCaption : kErrorCaption,
                         ok ? TMessageIcon::kInformation : TMessageIcon::kError);
  return ok;
}

void TComvertDoc::MarkExportedRead() {
  if (count_ == 0) return;
  const TBeckyAPI& api = PlugIn().api;
  for (const TTargetMail& target : targets_) {
    if (target.WasUnread) api.BKA_SetSel(target.MailID.c_str(), -1);
  }
  ExportUi().PostCommand(PlugIn().main_window, kMarkAsReadCommand);
}

}  // namespace vesko
