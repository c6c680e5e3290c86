// The plug-in's settings: one table (kSettingKeys) names every key of its settings file
// once, with section, type, the default that the export side reads and the values a user
// may set; TSettings holds one value per key and loads and saves itself through that table.
// The export, the menu-state callback, the settings form and `vesko config` all go through
// it. A new key is one member of TSettings and one row of kSettingKeys.
//
// The file is the plug-in's own path with ".ini" (host/SettingsPath.h), read afresh at each
// Load, so a change saved by the settings form counts at the next export. Integers are read
// as the system's profile reader reads them (platform/IniText.h, ParseProfileInt), booleans
// as integers (non-zero is true). Save throws EOSError when the file can't be written.
//
// Two values of the host are read here too, never written: HideHead from a folder's
// Folder.ini and ListAddrFmt from the host's registry settings.
#pragma once

#include <climits>
#include <optional>
#include <string>

#include "palm/DocPack.h"

namespace vesko {

// Which mails an export takes ("Settings" "Target"); other values take none.
inline constexpr int kTargetUnread = 0;
inline constexpr int kTargetAll = 1;
inline constexpr int kTargetSelected = 2;

// The keys of section "Options" that switch the mail body decodings (mail/MailBody.h).
inline constexpr char kDecodeTransferKey[] = "DecodeTransfer";
inline constexpr char kHtmlToTextKey[] = "HtmlToText";
inline constexpr char kMoreCharsetsKey[] = "MoreCharsets";
inline constexpr char kForwardedKey[] = "Forwarded";
inline constexpr char kKeepUndecodedKey[] = "KeepUndecoded";
// The key of section "Options" with the pattern of the delivered e-book's file name
// (TComvertDoc::FileName): "{folder}" is the folder's leaf name, "{date}" today as
// YYYY-MM-DD; an empty pattern keeps the host's temporary file name.
inline constexpr char kFileNameKey[] = "FileName";
inline constexpr char kFileNameDefault[] = "{folder}-{date}";
// The key of section "Options" with the e-book's title (Shift JIS) for one export.
inline constexpr char kTitleKey[] = "Title";
// The keys of section "Options" that shape the e-book beyond its text: one Doc bookmark
// per mail, and the text, index and name in UTF-8 instead of Shift JIS.
inline constexpr char kDocBookmarksKey[] = "DocBookmarks";
inline constexpr char kUtf8TextKey[] = "Utf8Text";
// The key of section "Options" with the most mails one e-book takes; 0: any number. An
// export with more becomes several e-books (export/BookSplit.h).
inline constexpr char kMaxMailsKey[] = "MaxMails";
// The key of section "Options" with how many threads pack the e-book's records; 0: one
// per processor core, at most kMaxDocThreads.
inline constexpr char kThreadsKey[] = "Threads";

// One value per key of the settings file; the members are named after their keys.
struct TSettings {
  int UserIndex;  // the Palm Desktop user to queue the file for; -1 none
  bool AutoInstall;
  int Target;
  bool MenuFlag;  // disable the command while the folder has nothing to export
  bool SaveMeDoc;
  bool MarkAsRead;
  bool DelSpace;
  bool DelDBSpace;
  bool DelCRLF;
  std::string SavePath;  // the save folder, as typed
  bool ZentoHan;
  bool ZentoHanKana;
  bool Date;  // the date in the document title
  bool Time;  // the time in the document title
  bool DecodeTransfer;  // base64 text parts, transfer encodings in any letter case
  bool HtmlToText;      // HTML-only mails as readable text
  bool MoreCharsets;    // charsets beyond the host's converters, through the platform
  bool Forwarded;       // a mail forwarded as an attachment shows that mail
  bool KeepUndecoded;   // a part that can't be decoded goes in as it stands
  std::string FileName;  // the pattern of the delivered file's name
  std::string Title;     // the e-book's title; empty: made from Date, Time and the folder
  bool DocBookmarks;     // a Doc bookmark record for each mail
  bool Utf8Text;         // the e-book's text, index and name in UTF-8
  int MaxMails;          // the most mails in one e-book; 0 (or less) any number
  int Threads;           // the threads that pack the e-book; 0 one per processor core

  // The export side's defaults. SavePath's is the settings file's folder.
  static TSettings Defaults(const std::string& settings_path);
  // Every key from the file at settings_path; a missing key (or file) takes its value
  // from defaults, a key present with an empty text gives "" or the integer default.
  static TSettings Load(const std::string& settings_path, const TSettings& defaults);
  // Load with the export side's defaults.
  static TSettings Load(const std::string& settings_path);
  // Writes every key of the settings form in the order of kSettingKeys, except the key
  // named skipped (may be null), which keeps what the file holds. Keys that the form
  // doesn't show keep what the file holds too. Throws EOSError.
  void Save(const std::string& settings_path, const char* skipped = nullptr) const;
};

enum class TSettingType { kInteger, kBoolean, kString };

// A row of the settings table. Exactly one of the member pointers is set, by type.
struct TSettingKey {
  const char* section;
  const char* key;
  TSettingType type;
  int TSettings::*number = nullptr;
  bool TSettings::*flag = nullptr;
  std::string TSettings::*text = nullptr;
  int fallback = 0;        // integers and booleans (0/1): the export side's default
  int min = 0, max = 1;    // the values a user may set
  bool palm_user = false;  // the value is -1 or the index of an existing Palm Desktop user
  const char* text_fallback = nullptr;  // strings; null: the settings file's folder
  bool in_form = true;  // the settings form shows the key and writes it
  bool folder = false;  // the value names an existing folder and ends with a delimiter
  bool per_run = false;  // set for one export only (vesko export); vesko config leaves it
  const char* about = "";  // what the key does, in one line for vesko config and the README
};

// The rows of the table, one helper per type.
constexpr TSettingKey FlagKey(const char* section, const char* key, bool TSettings::*member,
                              bool fallback, const char* about) {
  TSettingKey k{section, key, TSettingType::kBoolean};
  k.flag = member;
  k.fallback = fallback ? 1 : 0;
  k.about = about;
  return k;
}
constexpr TSettingKey NumberKey(const char* section, const char* key, int TSettings::*member,
                                int fallback, int min, int max, const char* about,
                                bool palm_user = false) {
  TSettingKey k{section, key, TSettingType::kInteger};
  k.number = member;
  k.fallback = fallback;
  k.min = min;
  k.max = max;
  k.palm_user = palm_user;
  k.about = about;
  return k;
}
constexpr TSettingKey TextKey(const char* section, const char* key, std::string TSettings::*member,
                              const char* fallback, const char* about) {
  TSettingKey k{section, key, TSettingType::kString};
  k.text = member;
  k.text_fallback = fallback;
  k.about = about;
  return k;
}
// The save folder: a text key whose value must name an existing folder.
constexpr TSettingKey FolderKey(const char* section, const char* key,
                                std::string TSettings::*member, const char* about) {
  TSettingKey k = TextKey(section, key, member, nullptr, about);
  k.folder = true;
  return k;
}

// A key that only the settings file and `vesko config` hold: the form leaves it be.
constexpr TSettingKey FileOnly(TSettingKey k) {
  k.in_form = false;
  return k;
}

// A key that one run of `vesko export` sets in its own copy of the settings file.
constexpr TSettingKey PerRun(TSettingKey k) {
  k.in_form = false;
  k.per_run = true;
  return k;
}

// The keys in the order the settings form writes them. "SaveMedoc" is spelled as the form
// writes it; key names ignore case, so the export's "SaveMeDoc" is the same key.
inline constexpr TSettingKey kSettingKeys[] = {
    NumberKey("HotSync", "UserIndex", &TSettings::UserIndex, -1, -1, 254,
              "the Palm Desktop user whose install queue gets the e-book (vesko hotsync "
              "users); -1 none",
              true),
    FlagKey("Options", "AutoInstall", &TSettings::AutoInstall, true,
            "queue the e-book for the UserIndex user instead of saving it in SavePath"),
    NumberKey("Settings", "Target", &TSettings::Target, kTargetUnread, kTargetUnread,
              kTargetSelected,
              "which mails an export takes: 0 the unread ones, 1 all, 2 the selected ones"),
    FlagKey("Settings", "MenuFlag", &TSettings::MenuFlag, true,
            "disable the menu command while the folder has nothing to export"),
    FlagKey("Options", "SaveMedoc", &TSettings::SaveMeDoc, true,
            "put a MeDoc bookmark index of the mails at the head of the e-book"),
    FlagKey("Options", "MarkAsRead", &TSettings::MarkAsRead, true,
            "mark the exported unread mails read"),
    FlagKey("Options", "DelSpace", &TSettings::DelSpace, false,
            "collapse runs of blanks into one"),
    FlagKey("Options", "DelDBSpace", &TSettings::DelDBSpace, false,
            "collapse runs of full-width spaces into one"),
    FlagKey("Options", "DelCRLF", &TSettings::DelCRLF, false,
            "collapse runs of empty lines into one"),
    FolderKey("Options", "SavePath", &TSettings::SavePath,
              "the folder the e-book is saved in; empty: the plug-in's folder"),
    FlagKey("Options", "ZentoHan", &TSettings::ZentoHan, false,
            "turn full-width letters, digits and signs into half-width ones"),
    FlagKey("Options", "ZentoHanKana", &TSettings::ZentoHanKana, false,
            "turn full-width katakana into half-width katakana"),
    FlagKey("Options", "Date", &TSettings::Date, true, "put the export's date into the title"),
    FlagKey("Options", "Time", &TSettings::Time, false, "put the export's time into the title"),
    FileOnly(FlagKey("Options", kDecodeTransferKey, &TSettings::DecodeTransfer, true,
                     "decode base64 text parts; read transfer encodings in any letter case")),
    FileOnly(FlagKey("Options", kHtmlToTextKey, &TSettings::HtmlToText, true,
                     "turn a mail with only an HTML part into readable text")),
    FileOnly(FlagKey("Options", kMoreCharsetsKey, &TSettings::MoreCharsets, true,
                     "convert UTF-8, ISO-8859, GB, Big5 and other charsets the client lacks")),
    FileOnly(FlagKey("Options", kForwardedKey, &TSettings::Forwarded, true,
                     "show the mail inside a mail forwarded as an attachment")),
    FileOnly(FlagKey("Options", kKeepUndecodedKey, &TSettings::KeepUndecoded, true,
                     "keep a part that can't be decoded as it stands, not as an empty body")),
    FileOnly(TextKey("Options", kFileNameKey, &TSettings::FileName, kFileNameDefault,
                     "the e-book's file name: {folder} and {date} filled in, .pdb added")),
    FileOnly(FlagKey("Options", kDocBookmarksKey, &TSettings::DocBookmarks, false,
                     "a Doc bookmark per mail, at its From: line, for readers without MeDoc")),
    FileOnly(FlagKey("Options", kUtf8TextKey, &TSettings::Utf8Text, false,
                     "write the e-book's text, index and name in UTF-8 instead of Shift JIS")),
    FileOnly(NumberKey("Options", kMaxMailsKey, &TSettings::MaxMails, 0, 0, INT_MAX,
                       "the most mails in one e-book; more become several e-books; 0 any "
                       "number")),
    FileOnly(NumberKey("Options", kThreadsKey, &TSettings::Threads, 0, 0, kMaxDocThreads,
                       "the threads that pack the e-book's records (vesko export --threads); "
                       "0 one per processor core")),
    PerRun(TextKey("Options", kTitleKey, &TSettings::Title, "",
                   "the e-book's title for one export (vesko export --title); empty: "
                   "[date time] and the folder's name")),
};

// The entry of kSettingKeys named so (ignoring case), or null.
const TSettingKey* FindSettingKey(const std::string& section, const std::string& key);

// The entry of kSettingKeys for a member of TSettings.
const TSettingKey& KeyOf(int TSettings::*member);
const TSettingKey& KeyOf(bool TSettings::*member);
const TSettingKey& KeyOf(std::string TSettings::*member);

// The key's value in settings, as the file holds it ("1"/"0" for booleans).
std::string SettingText(const TSettingKey& k, const TSettings& settings);

// The text to store for a value a user typed for a known key: booleans take 1 or 0
// (also yes/no, true/false, on/off), integers a decimal number within the key's range,
// a folder key an existing folder (given with a trailing delimiter) or "".
// nullopt with *problem set to a message when the value doesn't fit. The check against
// the Palm Desktop's users (palm_user) is left to the caller.
std::optional<std::string> CheckSettingValue(const TSettingKey& k, const std::string& value,
                                             std::string* problem);

// A folder's "HideHead" from its Folder.ini (host data folder + folder ID + "Folder.ini").
bool ReadHideHead(const std::string& folder_ini_path);
// The host's sender display format, 0..4, from its registry settings; 0 when unset.
int ReadListAddrFmt();

}  // namespace vesko
