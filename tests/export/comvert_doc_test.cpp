#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "export/ComvertDoc.h"
#include "export/ExportCommand.h"
#include "export/Messages.h"
#include "hotsync/AutoInst.h"
#include "hotsync/PalmDesktopSetup.h"
#include "mail/Charsets.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "palm/DocReader.h"
#include "platform/datefmt.h"
#include "platform/files.h"
#include "platform/syserror.h"
#include "tests/support/FakeHost.h"
#include "tests/support/PalmDesktopScope.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

using fake::TFakeHost;

std::string Mail(const std::string& subject, const std::string& body = "body\r\n") {
  return "From: Taro <taro@example.jp>\r\nSubject: " + subject +
         "\r\nDate: Mon, 7 Dec 2026 09:05:00 +0900\r\n\r\n" + body;
}

// Three mails: 1 unread, 2 read and selected, 3 unread.
void AddThreeMails(TFakeHost& host) {
  host.AddMail("1", Mail("one"));
  host.AddMail("2", Mail("two"), true, true);
  host.AddMail("3", Mail("three"));
}

// Runs check on a fresh fake host that holds the three mails, arranged by arrange.
template <typename Check>
void WithThreeMails(void (*arrange)(TFakeHost& host, const test::TScratchFolder& root),
                    Check&& check) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  arrange(host, root);
  check(host, root);
}

TEST(CountTargets, CountsByTargetAndNeverTheFinalCall) {
  struct {
    const char* target;
    int count;
  } const cases[] = {{"0", 2}, {"1", 3}, {"2", 1}, {"3", 0}, {"-1", 0}};
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    host.SetOption("Settings", "Target", c.target);
    EXPECT_EQ(CountTargets(), c.count);
  }
  host.mails[0].read = host.mails[2].read = true;
  host.SetOption("Settings", "Target", "0");
  EXPECT_EQ(CountTargets(), 0);
}

TEST(ComvertDoc, TitleTakesDateTimeAndLeaf) {
  const TCalendarTime now{2026, 12, 7, 21, 5, 9};
  const std::string date = platform::ShortDateText(now), time = platform::ShortTimeText(now);
  struct {
    const char* name;
    std::string display_name;
    bool date, time;
    std::string title;
  } const cases[] = {
      {"date alone keeps its space", "[box]/Inbox/sub", true, false, "[" + date + " ]sub"},
      {"date and time touch", "[box]/Inbox/sub", true, true, "[" + date + time + "]sub"},
      {"time alone", "[box]/Inbox", false, true, "[" + time + "]Inbox"},
      {"neither", "[box]/Inbox", false, false, "[]Inbox"},
      {"mailbox only gives an empty leaf", "[box]", true, false, "[" + date + " ]"},
      {"no delimiter: the whole name", "Inbox", false, false, "[]Inbox"},
      {"a trail byte is not a bracket", "[box]ab\x83\x5d", false, false, "[]ab\x83\x5d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TComvertDoc::MakeTitle(c.display_name, c.date, c.time, now), c.title);
  }
}

// Today's e-book name for a folder leaf under the default pattern.
std::string TodaysBook(const std::string& leaf) {
  const TCalendarTime now = DecodeDateTime(platform::NowLocal());
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year, now.month, now.day);
  return leaf + "-" + date + ".pdb";
}

TEST(ComvertDoc, FileNameFollowsThePatternAndSuitsBothSystems) {
  const TCalendarTime now{2026, 12, 9, 7, 5, 0};
  struct {
    const char* name;
    std::string pattern, leaf, file_name;
  } const cases[] = {
      {"folder and date", "{folder}-{date}", "Inbox", "Inbox-2026-12-09.pdb"},
      {"empty pattern: the temporary file's name", "", "Inbox", "vesko1.pdb"},
      {"nothing left: the temporary file's name", "{folder}", "", "vesko1.pdb"},
      {"fields repeat, other braces stay", "{date}_{folder}{x}", "a", "2026-12-09_a{x}.pdb"},
      {"slash, colon and the rest", "{folder}", "a/b:c*d?e\"f<g>h|i\\j", "a_b_c_d_e_f_g_h_i_j.pdb"},
      {"control characters", "{folder}", "a\tb\x7f", "a_b_.pdb"},
      {"a trailing dot or space in the pattern", "{folder}. ", "a", "a. .pdb"},
      {"Shift JIS stays whole: 0x5C and 0x7C trail bytes", "{folder}",
       "\x83\x5c\x83\x7c\x95\x5c", "\x83\x5c\x83\x7c\x95\x5c.pdb"},
      {"a broken last character is replaced", "{folder}x", "a\x83", "a_x.pdb"},
      {"a Shift JIS pattern with a 0x7B trail byte", "\x83\x7b{folder}", "a",
       "\x83\x7b" "a.pdb"},
      {"a device name", "{folder}", "con", "_con.pdb"},
      {"a device name with more after a dot", "{folder}", "LPT1.x", "_LPT1.x.pdb"},
      {"not quite a device name", "{folder}", "CONS", "CONS.pdb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TComvertDoc::FileName(c.pattern, c.leaf, now, "vesko1.pdb"), c.file_name);
  }
}

TEST(ComvertDoc, SafeFileNameReplacesTrailingDotsAndSpaces) {
  struct {
    const char* name;
    std::string text, safe;
  } const cases[] = {
      {"dot", "a.", "a_"},        {"dots and spaces", "a. .", "a___"},
      {"only a dot", ".", "_"},   {"inner ones stay", "a. b.c", "a. b.c"},
      {"empty", "", ""},          {"lone lead byte", "\x83", "_"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TComvertDoc::SafeFileName(c.text), c.safe);
  }
}

// The save folder gets the readable name; a taken name is numbered, and the earlier
// e-book, or the temporary file itself, stays as it was.
TEST(ComvertDoc, SaveCopyTakesAFreeReadableName) {
  struct {
    const char* name;
    std::string display_name;
    const char* pattern;  // null: the default
    bool into_temp_folder;
    std::vector<std::string> present;
    std::string saved;
  } const cases[] = {
      {"the default", "[box]/Inbox", nullptr, false, {}, TodaysBook("Inbox")},
      {"taken", "[box]/Inbox", nullptr, false, {TodaysBook("Inbox")},
       NumberedName(TodaysBook("Inbox"), 2)},
      {"a colon in the folder", "[box]/a:b", nullptr, false, {}, TodaysBook("a_b")},
      {"the leaf follows the last slash", "[a/b]c:d", nullptr, false, {}, TodaysBook("b]c_d")},
      {"Shift JIS", "[box]/\x83\x5c\x83\x74\x83\x67", nullptr, false, {},
       TodaysBook("\x83\x5c\x83\x74\x83\x67")},
      {"empty pattern", "[box]/Inbox", "", false, {}, "bk1.pdb"},
      {"empty pattern into the temporary folder", "[box]/Inbox", "", true, {}, "bk1-2.pdb"},
      {"a fixed pattern taken twice", "[box]/Inbox", "book", false, {"book.pdb", "book-2.pdb"},
       "book-3.pdb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    TFakeHost host(root.path());
    AddThreeMails(host);
    host.display_name = c.display_name;
    if (c.pattern != nullptr) host.SetOption("Options", "FileName", c.pattern);
    const std::string folder = c.into_temp_folder ? host.temp_folder : root.path();
    host.SetOption("Options", "SavePath", folder);
    for (const std::string& name : c.present) {
      platform::WriteWholeFile(JoinPath(folder, name), "earlier");
    }
    RunExportCommand();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              FormatText(kSavedMessage, {ExcludeTrailingDelimiter(folder), c.saved}));
    EXPECT_NE(platform::ReadWholeFile(JoinPath(folder, c.saved)), "earlier");
    for (const std::string& name : c.present) {
      EXPECT_EQ(platform::ReadWholeFile(JoinPath(folder, name)), "earlier");
    }
    EXPECT_EQ(host.TempFiles().size(), c.into_temp_folder ? 1u : 0u);  // the saved one
    EXPECT_EQ(host.selections, (std::vector<std::string>{"1", "3"}));
  }
}

// The HotSync install folder gets the same name as the save folder would.
TEST(ComvertDoc, HotSyncInstallTakesTheSameFreeName) {
  struct {
    const char* name;
    std::string display_name;
    std::vector<std::string> present;
    std::string queued;
  } const cases[] = {
      {"the default", "[box]/Inbox", {}, TodaysBook("Inbox")},
      {"taken", "[box]/Inbox", {TodaysBook("Inbox")}, NumberedName(TodaysBook("Inbox"), 2)},
      {"a colon in the folder", "[box]/a:b", {}, TodaysBook("a_b")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    test::TPalmDesktopScope palm_scope(root.path());
    const std::string palm = root / "Palm";
    WritePalmDesktop(TUserData::kRootKeys[1], palm, {{1234, "John Smith", "SmithJ"}}, "");
    const std::string folder = JoinPath(JoinPath(palm, "SmithJ"), "Install");
    ASSERT_TRUE(platform::MakeDirectory(JoinPath(palm, "SmithJ")));
    ASSERT_TRUE(platform::MakeDirectory(folder));
    for (const std::string& name : c.present) {
      platform::WriteWholeFile(JoinPath(folder, name), "earlier");
    }
    TFakeHost host(root.path());
    AddThreeMails(host);
    host.display_name = c.display_name;
    host.SetOption("HotSync", "UserIndex", "0");
    RunExportCommand();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, FormatText(kInstalledMessage, {"John Smith"}));
    EXPECT_NE(platform::ReadWholeFile(JoinPath(folder, c.queued)), "earlier");
    for (const std::string& name : c.present) {
      EXPECT_EQ(platform::ReadWholeFile(JoinPath(folder, name)), "earlier");
    }
    EXPECT_TRUE(host.TempFiles().empty());
  }
}

TEST(ComvertDoc, DefaultsCopyBesideTheSettingsAndMarkUnreadRead) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  RunExportCommand();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption, "Information");
  EXPECT_EQ(host.messages[0].icon, TMessageIcon::kInformation);
  EXPECT_EQ(host.messages[0].owner, host.main_window);
  const std::string& folder = root.path();
  EXPECT_EQ(host.messages[0].text, FormatText(kSavedMessage, {folder, TodaysBook("Inbox")}));
  EXPECT_TRUE(platform::FileExists(root / TodaysBook("Inbox")));
  EXPECT_EQ(host.selections, (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(host.posted_commands, std::vector<unsigned>{10511});
  EXPECT_TRUE(host.TempFiles().empty());
}

TEST(ComvertDoc, SavePathIsJoinedSoundly) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  const std::string out = root / "out";
  ASSERT_TRUE(platform::MakeDirectory(out));
  for (const std::string& save_path : {out, out + platform::PathDelimiter()}) {
    SCOPED_TRACE(save_path);
    host.SetOption("Options", "SavePath", save_path);
    host.SetOption("Options", "FileName", "");  // the temporary file's name: one per export
    host.SetOption("Settings", "Target", "1");
    const int before = host.temp_files_handed_out;
    RunExportCommand();
    const std::string name = "bk" + std::to_string(before + 1) + ".pdb";
    EXPECT_TRUE(platform::FileExists(out + platform::PathDelimiter() + name));
  }
}

// Exports with the given options and checks that nothing was marked read and the
// temporary folder is empty; returns the one message shown.
fake::TShownMessage FailedExport(TFakeHost& host) {
  RunExportCommand();
  EXPECT_TRUE(host.selections.empty());
  EXPECT_TRUE(host.posted_commands.empty());
  EXPECT_TRUE(host.TempFiles().empty());
  EXPECT_EQ(host.messages.size(), 1u);
  return host.messages.empty() ? fake::TShownMessage{} : host.messages[0];
}

// A failed save names the file, then on a second line the folder and why.
TEST(ComvertDoc, FailedSaveSaysWhereAndWhyAndMarksNothingRead) {
  struct {
    const char* name;
    std::string save_path;     // under the scratch folder
    std::string shown_folder;  // under the scratch folder
    std::string reason;
  } const cases[] = {
      {"a file where the save folder should be", "blocked", "blocked",
       platform::PathDelimiter() == '/' ? platform::SystemErrorText(20) : ""},
      {"a missing folder", "missing/", "missing", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    TFakeHost host(root.path());
    AddThreeMails(host);
    platform::WriteWholeFile(root / "blocked", "x");
    host.SetOption("Options", "SavePath", root / c.save_path);
    const auto message = FailedExport(host);
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.icon, TMessageIcon::kError);
    const std::string head =
        FormatText(kSaveFailedMessage, {TodaysBook("Inbox")}) + "\r\n" + (root / c.shown_folder) + ": ";
    EXPECT_EQ(message.text.substr(0, head.size()), head);
    if (!c.reason.empty()) {
      EXPECT_EQ(message.text.substr(head.size()), c.reason);
    }
    EXPECT_GT(message.text.size(), head.size());
    EXPECT_EQ(platform::ReadWholeFile(root / "blocked"), "x");
  }
}

TEST(ComvertDoc, ErrorsAreShownOnceAndLeaveNoTrace) {
  struct {
    const char* name;
    void (*arrange)(TFakeHost& host, const test::TScratchFolder& root);
  } const cases[] = {
      {"no Palm Desktop",
       [](TFakeHost& host, const test::TScratchFolder&) {
         host.SetOption("HotSync", "UserIndex", "0");
       }},
      {"no temporary folder",
       [](TFakeHost& host, const test::TScratchFolder&) {
         platform::RemoveFolder(host.temp_folder);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WithThreeMails(c.arrange, [](TFakeHost& host, const test::TScratchFolder& root) {
      const auto message = FailedExport(host);
      EXPECT_EQ(message.caption, "Error");
      EXPECT_EQ(message.icon, TMessageIcon::kError);
      EXPECT_EQ(message.owner, host.main_window);
      EXPECT_EQ(message.text.rfind(FormatText(kExportFailedMessage, {""}), 0), 0u);
      EXPECT_FALSE(platform::FileExists(root / TodaysBook("Inbox")));
      EXPECT_EQ(host.live_blocks, 0);
    });
  }
}

// The raw sources and converted texts are the host's blocks: each one goes back with
// BKA_Free, whether the export succeeds or fails, and nothing else is freed.
TEST(ComvertDoc, GivesBackEveryHostBlock) {
  struct {
    const char* name;
    void (*arrange)(TFakeHost& host, const test::TScratchFolder& root);
    int mails_read;  // mails whose source the export reads
  } const cases[] = {
      {"unread mails", [](TFakeHost&, const test::TScratchFolder&) {}, 2},
      {"all mails, each charset",
       [](TFakeHost& host, const test::TScratchFolder&) {
         host.SetOption("Settings", "Target", "1");
         host.SetOption("Options", "MoreCharsets", "0");  // every charset to a host converter
         for (const char* charset : {"utf-8", "euc-jp", "iso-2022-kr"}) {
           host.AddMail(charset, "Subject: x\r\nContent-Type: text/plain; charset=" +
                                     std::string(charset) + "\r\n\r\nbody\r\n");
         }
       },
       6},
      {"a failed delivery",
       [](TFakeHost& host, const test::TScratchFolder& root) {
         platform::WriteWholeFile(root / "blocked", "x");
         host.SetOption("Options", "SavePath", root / "blocked");
       },
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WithThreeMails(c.arrange, [&](TFakeHost& host, const test::TScratchFolder&) {
      RunExportCommand();
      EXPECT_EQ(host.converters.size(), static_cast<std::size_t>(c.mails_read));
      EXPECT_EQ(host.live_blocks, 0);
      EXPECT_EQ(host.foreign_frees, 0);
    });
  }
}

TEST(ComvertDoc, OneExportAtATime) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  int pumps = 0;
  host.on_pump = [&] {
    ++pumps;
    RunExportCommand();  // the user chooses the command again while it runs
  };
  RunExportCommand();
  EXPECT_GT(pumps, 0);
  EXPECT_EQ(host.temp_files_handed_out, 1);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.posted_commands.size(), 1u);
}

TEST(ComvertDoc, TargetsAndMarkAsRead) {
  struct {
    const char* name;
    const char* target;
    const char* mark_as_read;
    int count;
    std::vector<std::string> selections;
    std::size_t posts;
  } const cases[] = {
      {"selected only: the one read mail", "2", "1", 1, {}, 1},
      {"all mails: the unread ones marked", "1", "1", 3, {"1", "3"}, 1},
      {"MarkAsRead off", "0", "0", 2, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    TFakeHost host(root.path());
    AddThreeMails(host);
    host.SetOption("Settings", "Target", c.target);
    host.SetOption("Options", "MarkAsRead", c.mark_as_read);
    TComvertDoc doc;
    EXPECT_EQ(doc.Count(), c.count);
    EXPECT_EQ(doc.Export(), TExportResult::kDelivered);
    EXPECT_EQ(host.selections, c.selections);
    EXPECT_EQ(host.posted_commands.size(), c.posts);
  }
}

TEST(ComvertDoc, NoTargetsSaysSo) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  host.AddMail("1", Mail("read"), true);
  RunExportCommand();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, kNoMailMessage);
  EXPECT_EQ(host.messages[0].caption, "From Vesko");
  EXPECT_EQ(host.temp_files_handed_out, 0);
}

TEST(ComvertDoc, DocumentHoldsIndexAndHeaderLines) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  host.mails[2].source = Mail("[ml:1] three", "last");
  RunExportCommand();
  const TCalendarTime sent{2026, 12, 7, 9, 5, 0};
  const std::string date = platform::ShortDateText(sent) + " " + platform::LongTimeText(sent);
  const std::string head = "From:Taro <taro@example.jp>\nSubject:";
  // The Doc file keeps LF line ends.
  EXPECT_EQ(TDocReader(root / TodaysBook("Inbox")).ReadText(),
            "#!Medoc index 2\n4:one\n8:[ml:1] three\n" + head + "one\nDate:" + date + "\nbody\n" +
                head + "[ml:1] three\nDate:" + date + "\nlast\n");
}

// The keys DocBookmarks and Utf8Text through a whole export: a bookmark at each mail's
// "From:" line of the stored text, and text and name in UTF-8, the name cut inside a
// 3-byte character. Off, the e-book is the designed one.
TEST(ComvertDoc, BookmarksAndUtf8TextFollowTheirKeys) {
  std::string kanji10;  // 10 double-byte characters: 32 bytes of UTF-8 after "[]"
  for (int i = 0; i < 10; ++i) kanji10 += "\x8A\xBF";
  const std::string utf8_name = "[]" + ShiftJisToUtf8(kanji10.substr(0, 18)).value();
  struct {
    const char* name;
    const char* bookmarks;
    const char* utf8;
  } const cases[] = {
      {"both off: the designed e-book", "0", "0"},
      {"bookmarks", "1", "0"},
      {"UTF-8", "0", "1"},
      {"both", "1", "1"},
  };
  std::string designed;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    TFakeHost host(root.path());
    AddThreeMails(host);
    host.mails[0].source = Mail("one", "no line end");
    host.display_name = "[box]/" + kanji10;
    host.SetOption("Options", "Date", "0");
    host.SetOption("Options", "DocBookmarks", c.bookmarks);
    host.SetOption("Options", "Utf8Text", c.utf8);
    RunExportCommand();
    const TDocReader reader(root / TodaysBook(kanji10));
    const std::string text = reader.ReadText();
    const bool utf8 = c.utf8[0] == '1';
    if (designed.empty()) designed = text;
    EXPECT_EQ(text, utf8 ? ShiftJisToUtf8(designed).value() : designed);
    EXPECT_EQ(reader.database().Header().Name, utf8 ? utf8_name : "[]" + kanji10);
    const auto marks = reader.Bookmarks();
    ASSERT_EQ(marks.size(), c.bookmarks[0] == '1' ? 2u : 0u);
    for (std::size_t k = 0; k < marks.size(); ++k) {
      EXPECT_EQ(marks[k].title, k == 0 ? "one" : "three");
      EXPECT_EQ(text.substr(marks[k].position, 5), "From:") << "bookmark " << k;
    }
    if (!marks.empty()) {
      EXPECT_GT(marks[1].position, marks[0].position);
    }
  }
}

TEST(ComvertDoc, ExportsOnlyTheMailsStillThere) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  host.SetOption("Settings", "Target", "1");
  host.SetOption("Options", "SaveMeDoc", "0");
  // Counted three; the last one goes before the mails are collected.
  host.on_temp_file = [&] { host.mails.pop_back(); };
  TComvertDoc doc;
  EXPECT_EQ(doc.Count(), 2);
  EXPECT_EQ(doc.Export(), TExportResult::kDelivered);
  EXPECT_EQ(host.selections, std::vector<std::string>{"1"});
  const std::string text = TDocReader(root / TodaysBook("Inbox")).ReadText();
  EXPECT_EQ(text.rfind("From:", 0), 0u);
  EXPECT_NE(text.find("Subject:two"), std::string::npos);
  EXPECT_EQ(text.find("Subject:three"), std::string::npos);
  EXPECT_TRUE(host.TempFiles().empty());
}

// How often each of the three mails' subjects stands in text.
std::vector<int> SubjectCounts(const std::string& text) {
  std::vector<int> counts;
  for (const char* subject : {"Subject:one\n", "Subject:two\n", "Subject:three\n"}) {
    int n = 0;
    for (std::size_t at = text.find(subject); at != std::string::npos;
         at = text.find(subject, at + 1)) {
      ++n;
    }
    counts.push_back(n);
  }
  return counts;
}

// MaxMails splits an export into e-books named and titled by their number, each with its
// own index; every mail is in one of them, and the unread ones are marked after all.
TEST(ComvertDoc, MaxMailsSplitsIntoNumberedBooks) {
  struct {
    const char* name;
    const char* max_mails;
    std::vector<int> mails;  // per e-book
  } const cases[] = {
      {"no limit", "0", {3}},
      {"exactly the limit", "3", {3}},
      {"one over the limit", "2", {2, 1}},
      {"one mail each", "1", {1, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    TFakeHost host(root.path());
    AddThreeMails(host);
    host.SetOption("Settings", "Target", "1");
    host.SetOption("Options", "MaxMails", c.max_mails);
    RunExportCommand();
    const std::size_t books = c.mails.size();
    std::vector<int> counts(3, 0);
    std::string message;
    for (std::size_t k = 0; k < books; ++k) {
      const std::string suffix = books == 1 ? "" : "-" + std::to_string(k + 1);
      const std::string name = NameWithSuffix(TodaysBook("Inbox"), suffix);
      message += (k == 0 ? "" : "\r\n") + FormatText(kSavedMessage, {root.path(), name});
      const TDocReader reader(root / name);
      const std::string text = reader.ReadText();
      EXPECT_EQ(text.rfind("#!Medoc index " + std::to_string(c.mails[k]) + "\n", 0), 0u);
      const std::string& title = reader.database().Header().Name;
      EXPECT_EQ(title.substr(title.find(']')),
                books == 1 ? "]Inbox" : "]Inbox (" + std::to_string(k + 1) + ")");
      const std::vector<int> in_book = SubjectCounts(text);
      for (std::size_t m = 0; m < 3; ++m) counts[m] += in_book[m];
    }
    EXPECT_EQ(counts, (std::vector<int>{1, 1, 1}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, message);
    EXPECT_EQ(host.temp_files_handed_out, static_cast<int>(books));
    EXPECT_TRUE(host.TempFiles().empty());
    EXPECT_EQ(host.selections, (std::vector<std::string>{"1", "3"}));
  }
}

// Each e-book of a split export has its own bookmarks, at its own "From:" lines and titled
// as its own index counts, and keeps its number at the end of a long name in UTF-8 too.
TEST(ComvertDoc, SplitBooksKeepTheirBookmarksAndNumber) {
  std::string kanji15;  // 30 bytes of Shift JIS, 45 of UTF-8
  for (int i = 0; i < 15; ++i) kanji15 += "\x8A\xBF";
  struct {
    const char* name;
    const char* utf8;
    std::string title;  // of each e-book, before " (k)": 27 bytes at most
  } const cases[] = {
      {"Shift JIS", "0", "[]" + kanji15.substr(0, 24)},
      {"UTF-8: the title is cut in UTF-8", "1",
       "[]" + ShiftJisToUtf8(kanji15.substr(0, 16)).value()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    TFakeHost host(root.path());
    AddThreeMails(host);
    host.display_name = "[box]/" + kanji15;
    host.SetOption("Settings", "Target", "1");
    host.SetOption("Options", "Date", "0");
    host.SetOption("Options", "MaxMails", "2");
    host.SetOption("Options", "DocBookmarks", "1");
    host.SetOption("Options", "Utf8Text", c.utf8);
    RunExportCommand();
    const std::vector<std::vector<std::string>> titles = {{"one", "two"}, {"three"}};
    for (std::size_t k = 0; k < titles.size(); ++k) {
      SCOPED_TRACE("e-book " + std::to_string(k + 1));
      const TDocReader reader(
          root / NameWithSuffix(TodaysBook(kanji15), "-" + std::to_string(k + 1)));
      const std::string text = reader.ReadText();
      EXPECT_EQ(reader.database().Header().Name, c.title + " (" + std::to_string(k + 1) + ")");
      const auto marks = reader.Bookmarks();
      ASSERT_EQ(marks.size(), titles[k].size());
      std::size_t from = 0;
      for (std::size_t m = 0; m < marks.size(); ++m) {
        from = text.find("From:", m == 0 ? 0 : from + 1);
        EXPECT_EQ(marks[m].title, titles[k][m]);
        EXPECT_EQ(marks[m].position, from) << "bookmark " << m;
      }
    }
  }
}

// Queued for HotSync, a split export names each e-book under the one message.
TEST(ComvertDoc, HotSyncQueuesEveryBookOfASplitExport) {
  test::TScratchFolder root;
  test::TPalmDesktopScope palm_scope(root.path());
  const std::string palm = root / "Palm";
  WritePalmDesktop(TUserData::kRootKeys[1], palm, {{1234, "John Smith", "SmithJ"}}, "");
  const std::string folder = JoinPath(JoinPath(palm, "SmithJ"), "Install");
  TFakeHost host(root.path());
  AddThreeMails(host);
  host.SetOption("HotSync", "UserIndex", "0");
  host.SetOption("Options", "MaxMails", "1");
  RunExportCommand();
  std::string message = FormatText(kInstalledMessage, {"John Smith"});
  for (const char* suffix : {"-1", "-2"}) {
    const std::string queued = JoinPath(folder, NameWithSuffix(TodaysBook("Inbox"), suffix));
    EXPECT_TRUE(platform::FileExists(queued));
    message += "\r\n" + queued;
  }
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, message);
  EXPECT_EQ(host.selections, (std::vector<std::string>{"1", "3"}));
}

// A mail larger than one e-book fills one of its own as far as it goes and stays unread.
TEST(ComvertDoc, AMailLargerThanABookIsCutAndStaysUnread) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  host.mails[2].source = Mail("three", std::string(20000, 'x'));
  host.SetOption("Settings", "Target", "1");
  {
    TComvertDoc doc(TBookLimits{4});  // three text records of 4,096 bytes
    EXPECT_EQ(doc.Export(), TExportResult::kDelivered);
  }
  const std::string big = root / NameWithSuffix(TodaysBook("Inbox"), "-2");
  EXPECT_EQ(TDocReader(big).ReadText().size(), 3u * 4096);
  EXPECT_EQ(SubjectCounts(TDocReader(root / NameWithSuffix(TodaysBook("Inbox"), "-1")).ReadText()),
            (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(SubjectCounts(TDocReader(big).ReadText()), (std::vector<int>{0, 0, 1}));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].icon, TMessageIcon::kWarning);
  const std::string cut = FormatText(kMailCutMessage, {"three"});
  EXPECT_EQ(host.messages[0].text.substr(host.messages[0].text.size() - cut.size()), cut);
  EXPECT_EQ(host.selections, std::vector<std::string>{"1"});
  EXPECT_EQ(host.posted_commands.size(), 1u);
}

// When the second e-book can't be delivered, the message names the first, which went out,
// and no mail is marked read.
TEST(ComvertDoc, AFailedSecondDeliveryMarksNothing) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  host.SetOption("Settings", "Target", "1");
  host.SetOption("Options", "MaxMails", "2");
  const std::string out = root / "out", moved = root / "moved";
  ASSERT_TRUE(platform::MakeDirectory(out));
  host.SetOption("Options", "SavePath", out);
  const std::string first = NameWithSuffix(TodaysBook("Inbox"), "-1");
  const std::string second = NameWithSuffix(TodaysBook("Inbox"), "-2");
  // Once the first e-book is there, the save folder goes and a file takes its place.
  host.on_pump = [&] {
    if (!platform::FileExists(JoinPath(out, first))) return;
    ASSERT_TRUE(platform::RenameFileOver(out, moved));
    platform::WriteWholeFile(out, "x");
  };
  const auto message = FailedExport(host);
  EXPECT_EQ(message.icon, TMessageIcon::kError);
  const std::string head = FormatText(kSaveFailedMessage, {second}) + "\r\n" + out + ": ";
  EXPECT_EQ(message.text.rfind(head, 0), 0u);
  const std::string tail = std::string("\r\n") + kDeliveredBeforeMessage + "\r\n" +
                           FormatText(kSavedMessage, {out, first});
  EXPECT_EQ(message.text.substr(message.text.size() - tail.size()), tail);
  EXPECT_TRUE(platform::FileExists(JoinPath(moved, first)));
  EXPECT_FALSE(platform::FileExists(JoinPath(moved, second)));
}

TEST(ComvertDoc, NoMailLeftAfterTheCountLeavesNoTemporaryFile) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  AddThreeMails(host);
  host.SetOption("Settings", "Target", "1");
  host.on_temp_file = [&] { host.mails.clear(); };
  {
    TComvertDoc doc;
    EXPECT_EQ(doc.Count(), 0);
    EXPECT_EQ(doc.Export(), TExportResult::kNothing);
  }
  EXPECT_EQ(host.temp_files_handed_out, 1);
  EXPECT_TRUE(host.TempFiles().empty());
  EXPECT_TRUE(host.selections.empty());
}

}  // namespace
}  // namespace vesko
