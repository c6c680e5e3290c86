// vesko doc write|read|info: makes a Palm Doc e-book from a text file, reads one back into
// its text, and shows what a PDB file holds. The text of an e-book is Shift JIS or UTF-8;
// read and info tell which by a check of the bytes (TextEncodingOf).
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mail/Charsets.h"
#include "palm/DocFile.h"
#include "palm/DocPack.h"
#include "palm/DocReader.h"
#include "palm/timet.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "tools/BinaryStdio.h"
#include "tools/TerminalText.h"
#include "tools/commands.h"

namespace vesko::tools {

namespace {

struct TWriteOptions {
  bool plain = false;
  int threads = 0;  // 0: the writer's default
  std::string from;  // "utf-8", "sjis", or empty: guessed from the text
  std::string title, input, output;
};

struct TReadOptions {
  std::string encoding;  // "utf-8", "sjis", or empty: UTF-8 on a terminal, else the bytes
  std::string input, output;
};

constexpr const char* kUtf8 = "utf-8";
constexpr const char* kShiftJis = "sjis";

// A missing input, a folder and a file that can't be read are refused before the reader
// sees them, so that each has its own message.
void CheckInputFile(const std::string& path) {
  if (platform::DirectoryExists(path)) {
    throw TCommandError(path + ": is a folder, not a file", kExitBadInput);
  }
  if (!platform::FileExists(path)) throw TCommandError(path + ": no such file", kExitBadInput);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  const bool readable = file != nullptr && (std::fgetc(file) != EOF || !std::ferror(file));
  const int error = errno;
  if (file != nullptr) std::fclose(file);
  if (!readable) {
    throw TCommandError(path + ": can't be read (" + std::strerror(error) + ")", kExitBadInput);
  }
}

TCommandError Unreadable(const std::string& path, const EOSError& e) {
  return TCommandError(path + ": can't be read (" + e.what() + ")", kExitBadInput);
}

TCommandError NotADoc(const std::string& path, const EInvalidPalmDatabase& e) {
  return TCommandError(path + ": not a Palm Doc e-book (" + e.what() + ")", kExitBadInput);
}

// Opens a Doc e-book; a missing, unreadable or invalid one is the user's input error.
std::unique_ptr<TDocReader> OpenDoc(const std::string& path) {
  CheckInputFile(path);
  try {
    return std::make_unique<TDocReader>(path);
  } catch (const EInvalidPalmDatabase& e) {
    throw NotADoc(path, e);
  } catch (const EOSError& e) {
    throw Unreadable(path, e);
  }
}

// Whether text is valid UTF-8 that holds something beyond ASCII.
bool LooksLikeUtf8(std::string_view text) { return !IsAscii(text) && IsValidUtf8(text); }

// The encoding of an e-book's text, as its bytes show it.
enum class TTextEncoding { kAscii, kShiftJis, kUtf8 };

TTextEncoding TextEncodingOf(std::string_view text) {
  if (IsAscii(text)) return TTextEncoding::kAscii;
  return IsValidUtf8(text) ? TTextEncoding::kUtf8 : TTextEncoding::kShiftJis;
}

const char* EncodingName(TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::kAscii:
      return "ASCII (Shift JIS and UTF-8 alike)";
    case TTextEncoding::kShiftJis:
      return "Shift JIS";
    case TTextEncoding::kUtf8:
      return "UTF-8";
  }
  return "";
}

// A name or title of an e-book whose text is in encoding, for the terminal.
std::string ShownText(const std::string& text, TTextEncoding encoding) {
  if (encoding != TTextEncoding::kUtf8) return ToTerminalText(text);
  return ToTerminalText(ConvertToShiftJis(kUtf8, text).value_or(text));
}

void RunWrite(const TWriteOptions& o) {
  CheckInputFile(o.input);
  std::optional<platform::TFileView> input;
  try {
    input.emplace(o.input);
  } catch (const EOSError& e) {
    throw Unreadable(o.input, e);
  }
  std::string_view text = input->view();
  std::string from = o.from;
  if (from.empty()) {
    from = LooksLikeUtf8(text) ? kUtf8 : kShiftJis;
    std::fprintf(stderr, "vesko: %s: read as %s (%s); --from %s reads it the other way\n",
                 o.input.c_str(), from == kUtf8 ? "UTF-8" : "Shift JIS",
                 from == kUtf8 ? "valid UTF-8 with non-ASCII text" : "not UTF-8 beyond ASCII",
                 from == kUtf8 ? kShiftJis : kUtf8);
  }
  std::string converted;
  if (from == kUtf8) {
    converted = ConvertToShiftJis(kUtf8, text).value_or(std::string(text));
    input.reset();
    text = converted;
  }
  const std::string title = TypedDocTitle(o.title);
  TDocFile doc(o.output, title, !o.plain);
  if (o.threads > 0) doc.SetThreads(o.threads);
  doc.SetDurable(false);  // made from a file that stays, so it can always be made again
  doc.WriteText(text);
  std::printf("%s: %d records, %lld bytes\n", o.output.c_str(), doc.RecordCount(),
              static_cast<long long>(doc.FileSize()));
}

void RunRead(const TReadOptions& o) {
  const auto doc = OpenDoc(o.input);
  std::string text;
  try {
    text = doc->ReadText();
  } catch (const EInvalidPalmDatabase& e) {
    throw NotADoc(o.input, e);
  }
  // Without --encoding a terminal gets UTF-8 and anything else the e-book's own bytes.
  const bool book_utf8 = TextEncodingOf(text) == TTextEncoding::kUtf8;
  const bool utf8 = o.encoding.empty() ? book_utf8 || (o.output.empty() && StdoutIsTerminal())
                                       : o.encoding == kUtf8;
  if (utf8 && !book_utf8) text = ShiftJisToUtf8(text).value_or(text);
  if (!utf8 && book_utf8) text = ConvertToShiftJis(kUtf8, text).value_or(text);
  if (!o.output.empty()) {
    platform::WriteWholeFile(o.output, text);
    return;
  }
  SetBinaryStdio();
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    throw TCommandError("writing the text to standard output failed");
  }
}

std::string FormatDate(TDateTime value) {
  const TCalendarTime t = DecodeDateTime(value);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  std::string text = buffer;
  try {
    text += " (" + std::to_string(DateTimeToUnix(value)) + ")";
  } catch (const EConvertError&) {
  }
  return text;
}

std::string Attributes(const TPDBHeader& h) {
  const std::pair<bool, const char*> flags[] = {
      {h.ReadOnly, "read-only"},          {h.AppInfoDirty, "app-info-dirty"},
      {h.Backup, "backup"},               {h.OKToInstallNewer, "ok-to-install-newer"},
      {h.ResetAfterInstall, "reset-after-install"}, {h.CopyPrevention, "copy-prevention"}};
  std::string text;
  for (const auto& [set, name] : flags) {
    if (set) text += (text.empty() ? "" : ", ") + std::string(name);
  }
  return text.empty() ? "none" : text;
}

// The text records unpacked, in order; a damaged one makes the file not a Doc e-book.
std::vector<std::string> TextRecords(const TDocReader& doc, const std::string& input) {
  std::vector<std::string> records;
  try {
    for (int k = 1; k <= doc.record0().record_count; ++k) records.push_back(doc.TextRecord(k));
  } catch (const EInvalidPalmDatabase& error) {
    throw NotADoc(input, error);
  }
  return records;
}

void RunInfo(const std::string& input) {
  const auto doc = OpenDoc(input);
  const TPDBHeader& h = doc->database().Header();
  const TDocRecord0& r0 = doc->record0();
  const std::vector<std::string> records = TextRecords(*doc, input);
  std::string text;
  for (const std::string& record : records) text += record;
  const TTextEncoding encoding = TextEncodingOf(text);
  std::printf("file:              %s (%lld bytes)\n", input.c_str(),
              static_cast<long long>(doc->database().FileSize()));
  std::printf("name:              %s\n", ShownText(h.Name, encoding).c_str());
  std::printf("attributes:        %s\n", Attributes(h).c_str());
  std::printf("version:           %d\n", h.Version);
  std::printf("created:           %s\n", FormatDate(h.CreationDate).c_str());
  std::printf("modified:          %s\n", FormatDate(h.ModificationDate).c_str());
  std::printf("backed up:         %s\n", FormatDate(h.BackupDate).c_str());
  std::printf("modification no.:  %d\n", h.ModificationNumber);
  std::printf("app info, sort:    %d, %d\n", h.AppInfoID, h.SortInfoID);
  std::printf("type, creator:     %s, %s\n", h.DBType.c_str(), h.Creator.c_str());
  std::printf("unique ID seed:    %d\n", h.UniqueIDSeed);
  std::printf("records:           %d\n", h.NumRecords);
  std::printf("doc:               version %u (%s), %u bytes of text in %u records of %u, "
              "position %u\n",
              r0.version, r0.version == 2 ? "compressed" : "plain", r0.text_length,
              r0.record_count, r0.record_size, r0.position);
  std::printf("text encoding:     %s\n", EncodingName(encoding));
  const std::vector<TDocStoredBookmark> marks = doc->Bookmarks();
  std::printf("bookmarks:         %zu\n", marks.size());
  std::printf("%5s %10s %8s %5s %9s  %s\n", "#", "offset", "size", "attr", "unique", "content");
  for (std::size_t i = 0; i < doc->entries().size(); ++i) {
    const TDocRecordEntry& e = doc->entries()[i];
    std::string content;
    if (i == 0) {
      content = "record 0";
    } else if (i <= r0.record_count) {
      content = "text, " + std::to_string(records[i - 1].size()) + " bytes";
    } else if (const auto mark = doc->Bookmark(static_cast<int>(i))) {
      content = "bookmark \"" + ShownText(mark->title, encoding) + "\" at " +
                std::to_string(mark->position);
      if (mark->position >= text.size()) content += " (past the end of the text)";
    } else {
      content = "other";
    }
    std::printf("%5zu %10d %8d  0x%02X  0x%06X  %s\n", i, e.offset, e.size, e.attributes,
                e.unique_id, content.c_str());
  }
  if (text.size() != r0.text_length) {
    std::printf("note: the text records hold %zu bytes, record 0 says %u\n", text.size(),
                r0.text_length);
  }
}

}  // namespace

std::string TypedDocTitle(const std::string& typed) {
  const std::string title = FromTerminalText(typed);
  const std::string kept = CutDocTitle(title);
  if (kept.size() < title.size()) {
    std::fprintf(stderr,
                 "vesko: warning: the title has %zu bytes in Shift JIS, more than the 31 an "
                 "e-book's name holds; kept \"%s\"\n",
                 title.size(), ToTerminalText(kept).c_str());
  }
  return title;
}

void RegisterDocCommands(CLI::App& app) {
  CLI::App* doc = app.add_subcommand("doc", "Write, read and inspect Palm Doc e-books");
  doc->require_subcommand(1);
  // Arguments are mostly paths, and under wine they may be Unix paths: "/tmp/a.pdb" is a
  // file here, not a Windows-style option.
  doc->allow_windows_style_options(false);

  auto write = std::make_shared<TWriteOptions>();
  CLI::App* w = doc->add_subcommand("write", "Write a text file as a Palm Doc e-book");
  w->add_flag("--plain", write->plain, "Store the text uncompressed (version 1)");
  w->add_option("--threads", write->threads,
                "Threads that compress the records (default: one per processor, at most " +
                    std::to_string(kMaxDocThreads) + ")")
      ->check(CLI::Range(1, kMaxDocThreads));
  w->add_option("--from", write->from,
                "Encoding of INPUT; without it, valid UTF-8 with non-ASCII text is taken as "
                "UTF-8, anything else as Shift JIS, and stderr says which")
      ->check(CLI::IsMember({kUtf8, kShiftJis}))
      ->type_name("utf-8|sjis");
  w->add_option("TITLE", write->title,
                "Title of the e-book: at most 31 bytes in Shift JIS are kept, with a warning "
                "naming them when it is longer")
      ->required();
  w->add_option("INPUT", write->input,
                "Text file in UTF-8 (converted to Shift JIS) or Shift JIS (stored as it is)")
      ->required();
  w->add_option("OUTPUT", write->output, "The PDB file to write")->required();
  w->callback([write] { RunWrite(*write); });

  auto read = std::make_shared<TReadOptions>();
  CLI::App* r = doc->add_subcommand("read", "Write the text of a Palm Doc e-book (UTF-8 on a terminal)");
  r->add_option("--encoding", read->encoding,
                "Encoding of the text written (default: UTF-8 on a terminal, else the e-book's "
                "own Shift JIS bytes)")
      ->check(CLI::IsMember({kUtf8, kShiftJis}))
      ->type_name("utf-8|sjis");
  r->add_option("INPUT", read->input, "The PDB file")->required();
  r->add_option("OUTPUT", read->output, "Where to write the text (default: standard output)");
  r->callback([read] { RunRead(*read); });

  auto info = std::make_shared<std::string>();
  CLI::App* i = doc->add_subcommand("info", "Show the header and records of a Palm Doc e-book");
  i->add_option("INPUT", *info, "The PDB file")->required();
  i->callback([info] { RunInfo(*info); });
}

}  // namespace vesko::tools
