// The real plug-in library driven through the real vesko mail host, on Maildir, mbox and
// .eml stores. Each case works in a fresh data folder and reads the written Doc file back.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "palm/DocReader.h"
#include "host/Settings.h"
#include "platform/files.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

namespace fs = std::filesystem;

const std::string kSample = VESKO_SOURCE_DIR "/samples/Maildir";

std::string Utf8(const std::string& sjis) {
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  std::string out(sjis.size() * 3 + 16, '\0');
  char* in = const_cast<char*>(sjis.data());
  char* dst = out.data();
  std::size_t in_left = sjis.size(), out_left = out.size();
  ::iconv(cd, &in, &in_left, &dst, &out_left);
  ::iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct TRun {
  int code;
  std::string output;
};

// A data folder with the plug-in's settings, and the vesko program run on it.
class TVesko {
 public:
  // Without a store the data folder gets the sample Maildir as <data>/Mail.
  explicit TVesko(const std::string& store = "") : store_(store) {
    if (store.empty()) fs::copy(kSample, data() + "Mail", fs::copy_options::recursive);
  }
  std::string data() const { return root_.path() + "/"; }
  std::string store() const { return store_.empty() ? data() + "Mail" : store_; }

  TRun Run(const std::string& args) const {
    const std::string command =
        "LC_ALL=ja_JP.UTF-8 '" VESKO_BINARY_DIR "/vesko' --data '" + data() + "' " + args + " 2>&1";
    TRun run{0, ""};
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }
  // Every export, whatever its outcome, gives back each block of host memory it got.
  TRun Export(const std::string& args = "") const {
    TRun run = Run("export" + (store_.empty() ? "" : " --store '" + store_ + "'") + " " + args);
    EXPECT_EQ(run.output.find("host memory"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("never gave it"), std::string::npos) << run.output;
    return run;
  }
  void Set(const std::string& section, const std::string& key, const std::string& value) const {
    ASSERT_EQ(Run("config set " + section + " " + key + " '" + value + "'").code, 0);
  }
  // The e-books written into the default save folder.
  std::vector<std::string> Books(const std::string& folder = "") const {
    std::vector<std::string> books;
    for (const auto& e : fs::directory_iterator(folder.empty() ? data() + "PlugIns" : folder)) {
      if (e.path().extension() == ".pdb") books.push_back(e.path().string());
    }
    return books;
  }
  bool TempEmpty() const { return fs::is_empty(data() + "Temp"); }
  // text with "<data>" standing for the data folder.
  std::string WithData(std::string text) const {
    if (const std::size_t at = text.find("<data>"); at != std::string::npos) {
      text.replace(at, 6, data());
    }
    return text;
  }

 private:
  test::TScratchFolder root_;
  std::string store_;
};

// Checks the MeDoc index against the text: n entries, each pointing at a "From:" line
// followed by "Subject:" (starting with the entry's title) and "Date:". Returns the subjects.
std::vector<std::string> CheckIndex(const std::string& book, std::size_t expected) {
  const std::vector<std::string> lines = Lines(Utf8(TDocReader(book).ReadText()));
  std::vector<std::string> subjects;
  EXPECT_FALSE(lines.empty());
  if (lines.empty()) return subjects;
  EXPECT_EQ(lines[0], "#!Medoc index " + std::to_string(expected));
  for (std::size_t i = 1; i <= expected && i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    const std::size_t colon = lines[i].find(':');
    const std::size_t at = std::stoul(lines[i].substr(0, colon));  // counting from 1
    const std::string title = lines[i].substr(colon + 1);
    if (at + 1 >= lines.size()) {
      ADD_FAILURE() << "entry past the end";
      continue;
    }
    EXPECT_EQ(lines[at - 1].rfind("From:", 0), 0u);
    EXPECT_EQ(lines[at].rfind("Subject:" + title, 0), 0u);
    EXPECT_EQ(lines[at + 1].rfind("Date:2026/12/", 0), 0u);
    subjects.push_back(lines[at].substr(8));
  }
  return subjects;
}

TEST(ExportEndToEnd, TargetsOnTheSampleMaildir) {
  struct {
    const char* target;
    std::string extra;
    std::size_t mails;
  } const cases[] = {
      {"0", "", 7},
      {"1", "", 20},
      {"2", "--select 1796237280.P06.vesko", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    TVesko vesko;
    vesko.Set("Settings", "Target", c.target);
    const TRun run = vesko.Export(c.extra);
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("[Information]"), std::string::npos) << run.output;
    ASSERT_EQ(vesko.Books().size(), 1u);
    CheckIndex(vesko.Books()[0], c.mails);
    EXPECT_TRUE(vesko.TempEmpty());
  }
}

TEST(ExportEndToEnd, HeaderLinesOfKnownMails) {
  TVesko vesko;
  vesko.Set("Settings", "Target", "1");
  ASSERT_EQ(vesko.Export().code, 0);
  const std::string text = Utf8(TDocReader(vesko.Books()[0]).ReadText());
  for (const char* expected : {
           "From:山田 太郎 <taro@example.jp>\nSubject:会議の日程について\nDate:2026/12/01 "
           "15:43:00\n",
           "From:鈴木 花子 <hanako@example.jp>\nSubject:[ml:123] 新しいリリースのお知らせ\n",
           "From:高橋 三郎 <saburo@example.jp>\nSubject:ＥＵＣで書いたメール\n",
           "Subject:Lunch on Friday?\nDate:2026/12/01 22:56:00\nHi,\n",
       }) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
}

TEST(ExportEndToEnd, CleanUpsAndTitles) {
  TVesko vesko;
  vesko.Set("Settings", "Target", "1");
  for (const char* key : {"DelSpace", "DelDBSpace", "DelCRLF", "ZentoHan", "ZentoHanKana"}) {
    vesko.Set("Options", key, "1");
  }
  vesko.Set("Options", "Date", "0");
  vesko.Set("Options", "Time", "1");
  ASSERT_EQ(vesko.Export().code, 0);
  const TDocReader book(vesko.Books()[0]);
  const std::string text = Utf8(book.ReadText());
  EXPECT_NE(text.find("* budget approved\n* next step: draft the plan"), std::string::npos);
  // Three full-width spaces became one, then a half-width one like the katakana.
  EXPECT_NE(text.find("全角ｽﾍﾟｰｽが 続く文です｡\n"), std::string::npos);
  EXPECT_NE(text.find("一行目\n\n五行空けて二行目\n\n三行目"), std::string::npos);
  EXPECT_NE(text.find("ABCDEF"), std::string::npos);   // letters to half-width
  EXPECT_NE(text.find("ｺﾝﾋﾟｭｰﾀ"), std::string::npos);  // katakana to half-width
  // Time alone: "[H:mm]Inbox".
  const std::string& name = book.database().Header().Name;
  EXPECT_EQ(name.front(), '[');
  EXPECT_NE(name.find(':'), std::string::npos);
  EXPECT_EQ(name.substr(name.find(']')), "]Inbox");
  EXPECT_EQ(name.find(' '), std::string::npos);
}

TEST(ExportEndToEnd, MarksTheExportedMailsRead) {
  TVesko vesko;
  ASSERT_EQ(vesko.Export().code, 0);
  EXPECT_EQ(vesko.Run("list").output.find("\t-\t"), std::string::npos);
  const TRun again = vesko.Export();  // nothing unread: the command is disabled
  EXPECT_EQ(again.code, 3) << again.output;
  EXPECT_NE(again.output.find("no unread mail in [Mail]/Inbox; use --target all"),
            std::string::npos)
      << again.output;
  EXPECT_EQ(vesko.Books().size(), 1u);
}

// Nothing to export has an exit code of its own, and a line that says why.
TEST(ExportEndToEnd, NoMailToExportSaysWhy) {
  struct {
    const char* name;
    void (*arrange)(const std::string& store, const TVesko& vesko);
    const char* args;
    const char* said;
  } const cases[] = {
      {"an empty Maildir", [](const std::string&, const TVesko&) {}, "", "no mail to export in"},
      {"no unread mail", [](const std::string&, const TVesko&) {}, "", "no unread mail in"},
      {"no unread mail, menu state off",
       [](const std::string&, const TVesko& v) { v.Set("Settings", "MenuFlag", "0"); }, "",
       "no unread mail in"},
      {"nothing selected", [](const std::string&, const TVesko&) {}, "--target selected",
       "no mail selected in [md]/Inbox; use --select ID"},
      {"Target outside 0-2",
       [](const std::string&, const TVesko& v) {
         fs::create_directories(v.data() + "PlugIns");
         platform::WriteWholeFile(v.data() + "PlugIns/Vesko.ini", "[Settings]\r\nTarget=7\r\n");
       },
       "", "Target is 7 in "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder stores;
    const std::string store = stores / "md";
    fs::create_directories(store + "/cur");
    fs::create_directories(store + "/new");
    if (c.name != std::string("an empty Maildir")) {
      platform::WriteWholeFile(store + "/cur/1.a:2,S", "Subject: read\n\nx\n");
    }
    TVesko vesko(store);
    c.arrange(store, vesko);
    const TRun run = vesko.Export(c.args);
    EXPECT_EQ(run.code, 3) << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
  }
}

// An mbox that can't be marked now gets no e-book: it would come again next time.
TEST(ExportEndToEnd, NoDeliveryWhenTheMailsCantBeMarked) {
  test::TScratchFolder stores;
  const std::string mbox = stores / "mbox";
  platform::WriteWholeFile(mbox, "From a Mon\nSubject: s\n\nbody\n");
  platform::WriteWholeFile(mbox + ".lock", "1\n");  // held by a process that runs
  TVesko vesko(mbox);
  const TRun run = vesko.Export();
  EXPECT_EQ(run.code, 1) << run.output;
  EXPECT_NE(run.output.find("locked by another program"), std::string::npos) << run.output;
  EXPECT_TRUE(!fs::exists(vesko.data() + "PlugIns") || vesko.Books().empty());
  platform::RemoveFile(mbox + ".lock");
  EXPECT_EQ(vesko.Export().code, 0);
  EXPECT_EQ(vesko.Books().size(), 1u);
}

TEST(ExportEndToEnd, DeliversToAHotSyncUser) {
  TVesko vesko;
  const std::string palm = vesko.data() + "Palm";
  ASSERT_EQ(vesko.Run("hotsync setup --path '" + palm + "' --user 'Taro:1234:TaroF'").code, 0);
  vesko.Set("HotSync", "UserIndex", "0");
  const TRun run = vesko.Export();
  EXPECT_EQ(run.code, 0) << run.output;
  EXPECT_NE(run.output.find("[Information] ユーザ名 \" Taro \""), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("のインストール予約をしました"), std::string::npos) << run.output;
  std::size_t queued = 0;
  for (const auto& e : fs::directory_iterator(palm + "/TaroF/Install"))
    queued += e.is_regular_file();
  EXPECT_EQ(queued, 1u);
  EXPECT_TRUE(vesko.Books().empty());
  EXPECT_TRUE(vesko.TempEmpty());
}

// The options of vesko export count for that export; the stored settings stay as they were.
TEST(ExportEndToEnd, ChoicesOfOneExport) {
  struct {
    const char* name;
    std::string args;      // <data> stands for the data folder
    std::string book;      // where the e-book goes, under the data folder; "" the default
    std::size_t mails;     // in the e-book
    int unread;            // unread mails after the export; -1 not checked
    std::string title;     // the e-book's name (UTF-8); "" not checked
  } const cases[] = {
      {"every mail", "--target all", "", 20, 0, ""},
      {"--select takes the selected mail", "--select 1796237280.P06.vesko", "", 1, -1, ""},
      {"left unread", "--target unread --no-mark-read", "", 7, 7, ""},
      {"into a folder", "--output '<data>out'", "out/", 7, 0, ""},
      {"under a name", "--output '<data>out/mine.pdb'", "out/mine.pdb", 7, 0, ""},
      {"a title", "--title '今日のメール'", "", 7, 0, "今日のメール"},
      {"one packing thread", "--threads 1", "", 7, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TVesko vesko;
    fs::create_directories(vesko.data() + "out");
    vesko.Set("Options", "DelSpace", "1");
    const std::string ini = vesko.data() + "PlugIns/Vesko.ini";
    platform::WriteWholeFile(ini, platform::ReadWholeFile(ini) + "[Mine]\r\nKey=1\r\n");
    const std::string stored = platform::ReadWholeFile(ini);
    const TRun run = vesko.Export(vesko.WithData(c.args));
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_EQ(platform::ReadWholeFile(ini), stored);
    EXPECT_TRUE(vesko.TempEmpty());
    std::string book;
    if (c.book.empty() || c.book.back() == '/') {
      const std::vector<std::string> books = vesko.Books(c.book.empty() ? "" : vesko.data() + c.book);
      ASSERT_EQ(books.size(), 1u);
      book = books[0];
    } else {
      book = vesko.data() + c.book;
      ASSERT_TRUE(fs::exists(book));
    }
    CheckIndex(book, c.mails);
    if (!c.title.empty()) EXPECT_EQ(Utf8(TDocReader(book).database().Header().Name), c.title);
    if (c.unread >= 0) {
      const std::string list = vesko.Run("list").output;
      int unread = 0;
      for (std::size_t at = 0; (at = list.find("\t-\t", at)) != std::string::npos; ++at) ++unread;
      EXPECT_EQ(unread, c.unread);
    }
  }
}

// Choices that can't be followed are refused before anything is exported.
TEST(ExportEndToEnd, ChoicesThatCantBeFollowed) {
  struct {
    const char* name;
    std::string args;
    std::string said;
  } const cases[] = {
      {"an unknown target", "--target some", "--target: some not in {unread,all,selected}"},
      {"--select with another target", "--target all --select 1796237280.P06.vesko",
       "--select exports the selected mails; leave out --target all"},
      {"no such folder", "--output '<data>none/x.pdb'", "there is no folder <data>none"},
      {"not a .pdb", "--output '<data>out/x.txt'", "ends with \".pdb\""},
      {"a name that would change", "--output '<data>out/a:b.pdb'", "it would be a_b.pdb"},
      {"a file that is there", "--output '<data>out/old.pdb'", "is there already"},
      {"more threads than a book takes", "--threads 5", "--threads: Value 5 not in range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TVesko vesko;
    fs::create_directories(vesko.data() + "out");
    platform::WriteWholeFile(vesko.data() + "out/old.pdb", "old");
    const TRun run = vesko.Export(vesko.WithData(c.args));
    EXPECT_EQ(run.code, 2) << run.output;
    EXPECT_NE(run.output.find(vesko.WithData(c.said)), std::string::npos) << run.output;
    EXPECT_EQ(platform::ReadWholeFile(vesko.data() + "out/old.pdb"), "old");
    EXPECT_NE(vesko.Run("list").output.find("\t-\t"), std::string::npos);  // still unread
  }
}

// vesko config set takes only what the key can hold; a refused value changes nothing.
TEST(ExportEndToEnd, ConfigSetChecksTypeAndRange) {
  struct {
    const char* name;
    const char* section;
    const char* key;
    std::string value;
    bool palm;         // a Palm Desktop with two users is set up first
    int code;          // exit code of config set
    std::string kept;  // config get afterwards; for a refused key, a part of the message
  } const cases[] = {
      {"boolean 1", "Options", "DelSpace", "1", false, 0, "1"},
      {"boolean yes is 1", "Options", "DelSpace", "yes", false, 0, "1"},
      {"boolean 2", "Options", "DelSpace", "2", false, 2, "0"},
      {"boolean text", "Options", "DelSpace", "maybe", false, 2, "0"},
      {"Target 2", "Settings", "Target", "2", false, 0, "2"},
      {"Target 3", "Settings", "Target", "3", false, 2, "0"},
      {"Target -1", "Settings", "Target", "-1", false, 2, "0"},
      {"Target with blanks", "Settings", "Target", " 1", false, 2, "0"},
      {"Target 0x1", "Settings", "Target", "0x1", false, 2, "0"},
      {"UserIndex -1 without Palm Desktop", "HotSync", "UserIndex", "-1", false, 0, "-1"},
      {"UserIndex 0 without Palm Desktop", "HotSync", "UserIndex", "0", false, 2, "-1"},
      {"UserIndex 1 of two users", "HotSync", "UserIndex", "1", true, 0, "1"},
      {"UserIndex 2 of two users", "HotSync", "UserIndex", "2", true, 2, "-1"},
      {"UserIndex -2", "HotSync", "UserIndex", "-2", true, 2, "-1"},
      {"SavePath: a folder gets its /", "Options", "SavePath", "/tmp", false, 0, "/tmp/"},
      {"SavePath: ~ is home", "Options", "SavePath", "~", false, 0, "<home>/"},
      {"SavePath: a missing folder", "Options", "SavePath", "/no/such/folder", false, 2, ""},
      {"SavePath: a file", "Options", "SavePath", "/etc/passwd", false, 2, ""},
      {"SavePath: empty for the default", "Options", "SavePath", "", false, 0, ""},
      {"a mistyped key", "Options", "DelSpcae", "1", false, 2,
       "did you mean \"Options DelSpace\"?"},
      {"a mistyped section", "Option", "DelSpace", "1", false, 2,
       "did you mean \"Options DelSpace\"?"},
      {"a key of another section", "Settings", "DelSpace", "1", false, 2,
       "did you mean \"Options DelSpace\"?"},
      {"an unknown key", "Other", "Thing", "abc", false, 2, "no setting \"Other Thing\""},
      {"a key of one export", "Options", "Title", "abc", false, 2, "vesko export --title"},
  };
  const char* home_variable = std::getenv("HOME");
  const std::string home = home_variable != nullptr ? home_variable : "/";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TVesko vesko;
    if (c.palm) {
      ASSERT_EQ(vesko.Run("hotsync setup --path '" + vesko.data() + "Palm' --user A:1 --user B:2")
                    .code,
                0);
    }
    const TRun run = vesko.Run(std::string("config set ") + c.section + " " + c.key + " '" +
                               c.value + "'");
    EXPECT_EQ(run.code, c.code) << run.output;
    if (FindSettingKey(c.section, c.key) == nullptr || c.key == std::string("Title")) {
      EXPECT_NE(run.output.find(c.kept), std::string::npos) << run.output;
      continue;
    }
    if (c.code != 0) {
      EXPECT_NE(run.output.find(c.key), std::string::npos) << run.output;
    }
    std::string kept = c.kept;
    if (kept.rfind("<home>", 0) == 0) kept.replace(0, 6, home == "/" ? "" : home);
    if (c.code != 0 && c.key == std::string("SavePath")) kept = vesko.data() + "PlugIns/";
    EXPECT_EQ(vesko.Run(std::string("config get ") + c.section + " " + c.key).output, kept + "\n");
  }
}

// Every failure: one error box, nothing marked read, no temporary file left.
TEST(ExportEndToEnd, FailuresMarkNothingAndLeaveNoTrace) {
  struct {
    const char* name;
    void (*arrange)(const TVesko& vesko);
    const char* message;
  } const cases[] = {
      {"save folder is a file",
       [](const TVesko& v) {
         platform::WriteWholeFile(v.data() + "blocked", "x");
         fs::create_directories(v.data() + "PlugIns");  // vesko config refuses a file
         platform::WriteWholeFile(v.data() + "PlugIns/Vesko.ini",
                                  "[Options]\r\nSavePath=" + v.data() + "blocked\r\n");
       },
       "の保存に失敗しました"},
      // vesko config refuses a user that isn't there; the file may still name one.
      {"no Palm Desktop",
       [](const TVesko& v) {
         fs::create_directories(v.data() + "PlugIns");
         platform::WriteWholeFile(v.data() + "PlugIns/Vesko.ini", "[HotSync]\r\nUserIndex=0\r\n");
       },
       "[Error] エクスポートに失敗しました。"},
      {"install folder can't be made",
       [](const TVesko& v) {
         const std::string palm = v.data() + "Palm";
         v.Run("hotsync setup --path '" + palm + "' --user 'Taro:1234:TaroF'");
         fs::remove_all(palm + "/TaroF");
         platform::WriteWholeFile(palm + "/TaroF", "x");
         v.Set("HotSync", "UserIndex", "0");
       },
       "のインストール予約に失敗しました"},
      {"no temporary folder",
       [](const TVesko& v) {
         fs::remove_all(v.data() + "Temp");
         platform::WriteWholeFile(v.data() + "Temp", "x");
       },
       "[Error] エクスポートに失敗しました。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TVesko vesko;
    c.arrange(vesko);
    const TRun run = vesko.Export();
    EXPECT_NE(run.code, 0);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("[Information]"), std::string::npos) << run.output;
    EXPECT_NE(vesko.Run("list").output.find("\t-\t"), std::string::npos);  // still unread
    if (fs::is_directory(vesko.data() + "Temp")) EXPECT_TRUE(vesko.TempEmpty());
    EXPECT_TRUE(vesko.Books().empty());
  }
}

TEST(ExportEndToEnd, SavePathIsJoinedSoundly) {
  TVesko vesko;
  const std::string out = vesko.data() + "Books";
  fs::create_directory(out);
  vesko.Set("Options", "SavePath", out);  // no trailing delimiter
  const TRun run = vesko.Export();
  EXPECT_EQ(run.code, 0) << run.output;
  EXPECT_EQ(vesko.Books(out).size(), 1u);
  EXPECT_NE(run.output.find("\" " + out + " \"に\""), std::string::npos) << run.output;
}

// The same sample as an mbox file, in a folder of mbox files and as a folder of .eml files.
TEST(ExportEndToEnd, MboxAndEmlStores) {
  test::TScratchFolder stores;
  std::vector<fs::path> files;
  for (const char* sub : {"/cur", "/new"}) {
    for (const auto& e : fs::directory_iterator(kSample + sub)) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
  const std::string eml = stores / "eml", mbox = stores / "mail.mbox";
  fs::create_directory(eml);
  std::ofstream mbox_file(mbox, std::ios::binary);
  for (const fs::path& file : files) {
    const std::string data = platform::ReadWholeFile(file.string());
    platform::WriteWholeFile(eml + "/" + file.filename().string().substr(0, 16) + ".eml", data);
    mbox_file << "From sender@example.jp Tue Dec  1 15:43:00 2026\n" << data << "\n";
  }
  mbox_file.close();
  const std::string folders = stores / "Local Folders";
  fs::create_directories(folders + "/Inbox.sbd");
  fs::copy_file(mbox, folders + "/Inbox");
  platform::WriteWholeFile(folders + "/Inbox.msf", "");
  for (const std::string& store : {eml, mbox, folders}) {
    SCOPED_TRACE(store);
    TVesko vesko(store);
    vesko.Set("Settings", "Target", "1");
    const TRun run = vesko.Export();
    EXPECT_EQ(run.code, 0) << run.output;
    ASSERT_EQ(vesko.Books().size(), 1u);
    CheckIndex(vesko.Books()[0], 20);
  }
}

// A Japanese folder name reaches the e-book's name in Shift JIS, from a Maildir++ folder
// named in modified UTF-7 (chosen by either name) and from a folder of mbox files.
TEST(ExportEndToEnd, JapaneseFolderNamesInTheTitle) {
  test::TScratchFolder stores;
  const std::string maildir = stores / "md", folders = stores / "folders";
  fs::create_directories(maildir + "/new");
  fs::copy(kSample, maildir + "/.&MOEw,DDr-", fs::copy_options::recursive);
  fs::create_directories(folders + "/Inbox.sbd");
  platform::WriteWholeFile(folders + "/Inbox", "");
  platform::WriteWholeFile(folders + "/Inbox.sbd/メール",
                           "From a Mon Dec  7 10:00:00 2026\nFrom: a@example.jp\nSubject: s\n"
                           "Date: Mon, 7 Dec 2026 10:00:00 +0900\n\nbody\n");
  const struct {
    const char* name;
    std::string store, folder;
  } cases[] = {
      {"decoded name", maildir, "メール"},
      {"modified UTF-7 name", maildir, "&MOEw,DDr-"},
      {"mbox in a .sbd folder", folders, "Inbox/メール"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TVesko vesko(c.store);
    vesko.Set("Settings", "Target", "1");  // the mails that the case before marked read too
    const TRun run = vesko.Export("--folder '" + c.folder + "'");
    ASSERT_EQ(run.code, 0) << run.output;
    ASSERT_EQ(vesko.Books().size(), 1u);
    const std::string name = TDocReader(vesko.Books()[0]).database().Header().Name;
    EXPECT_EQ(name.substr(name.find(']')), "]\x83\x81\x81\x5B\x83\x8B") << Utf8(name);
  }
}

TEST(ExportEndToEnd, PythonEmailTestMails) {
  std::FILE* pipe = ::popen(
      "python3 -c 'import email, os; print(os.path.dirname(os.path.dirname(email.__file__)))'",
      "r");
  char buffer[512] = {};
  const bool got = pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr;
  if (pipe != nullptr) ::pclose(pipe);
  std::string folder = got ? std::string(buffer) : "";
  while (!folder.empty() && folder.back() == '\n') folder.pop_back();
  folder += "/test/test_email/data";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "Python's email test data is not installed";
  test::TScratchFolder stores;
  std::size_t count = 0;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("msg_", 0) != 0 || e.path().extension() != ".txt") continue;
    fs::copy_file(e.path(), stores / (name.substr(0, name.size() - 4) + ".eml"));
    ++count;
  }
  TVesko vesko(stores.path());
  vesko.Set("Settings", "Target", "1");
  const TRun run = vesko.Export();
  EXPECT_EQ(run.code, 0) << run.output;
  ASSERT_EQ(vesko.Books().size(), 1u);
  EXPECT_EQ(Lines(TDocReader(vesko.Books()[0]).ReadText())[0],
            "#!Medoc index " + std::to_string(count));
}

TEST(ExportEndToEnd, ShowAndCleanCommands) {
  TVesko vesko;
  vesko.Set("Options", "DelSpace", "1");
  const TRun show = vesko.Run("show 1796237280.P06.vesko");
  EXPECT_EQ(show.code, 0) << show.output;
  EXPECT_EQ(show.output.rfind("From:Bob Jones <bob@example.org>\r\nSubject:", 0), 0u);
  EXPECT_NE(show.output.find("\r\nDate:2026/12/03 3:48:00\r\n"), std::string::npos);
  EXPECT_NE(show.output.find("* budget approved\r\n"), std::string::npos);
  EXPECT_NE(vesko.Run("show no-such-mail").code, 0);

  const TRun clean = vesko.Run("clean --del-crlf --del-space < /dev/null");
  EXPECT_EQ(clean.code, 0);
  EXPECT_EQ(clean.output, "");
}

}  // namespace
}  // namespace vesko
