// The vesko host's mail stores: mbox splitting and the Status rewrite, Maildir renames
// and folder names, folders of mbox files, the .eml sidecar, telling the kinds apart, and
// the Python email test mails in each.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/ScratchFolder.h"
#include "mailhost/MailStore.h"
#include "mailhost/ModifiedUtf7.h"

namespace vesko::mailhost {
namespace {

namespace fs = std::filesystem;
using platform::ReadWholeFile;
using platform::WriteWholeFile;

// The text without its lines that begin with "Status:".
std::string WithoutStatusLines(const std::string& text) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(pos, 7, "Status:") != 0) out.append(text, pos, end - pos);
    pos = end;
  }
  return out;
}

std::vector<std::string> PythonMails() {
  const char* command =
      "python3 -c 'import email, os; print(os.path.dirname(os.path.dirname(email.__file__)))'";
  std::string lib;
  if (std::FILE* pipe = ::popen(command, "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) lib += buffer;
    ::pclose(pipe);
  }
  while (!lib.empty() && lib.back() == '\n') lib.pop_back();
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(lib + "/test/test_email/data", error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("msg_") && name.ends_with(".txt")) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Writes each file with its folders; a path that ends with '/' is a folder.
void Lay(const test::TScratchFolder& scratch,
         const std::vector<std::pair<std::string, std::string>>& files) {
  for (const auto& [path, text] : files) {
    fs::create_directories(fs::path(scratch / path).parent_path());
    if (!path.ends_with('/')) WriteWholeFile(scratch / path, text);
  }
}

struct TMboxCase {
  const char* name;
  std::string text;
  std::vector<std::string> mails;  // each mail's bytes
  std::vector<bool> read;
};

TEST(MboxStore, SplitsMailsAtFromLines) {
  const TMboxCase cases[] = {
      {"empty file", "", {}, {}},
      {"two LF mails, the separating empty line dropped",
       "From a@b Mon Jan 1 00:00:00 2024\nSubject: 1\n\nbody1\n\n"
       "From c@d Mon Jan 1 00:00:00 2024\nSubject: 2\nStatus: RO\n\nbody2\n",
       {"Subject: 1\n\nbody1\n", "Subject: 2\nStatus: RO\n\nbody2\n"},
       {false, true}},
      {"CR LF line ends",
       "From a Mon\r\nStatus: O\r\n\r\nx\r\n\r\nFrom b Mon\r\nSubject: y\r\n\r\nz\r\n",
       {"Status: O\r\n\r\nx\r\n", "Subject: y\r\n\r\nz\r\n"},
       {false, false}},
      {"a From line not after an empty line stays in the body",
       "From a Mon\nSubject: s\n\nline\nFrom here on\n",
       {"Subject: s\n\nline\nFrom here on\n"},
       {false}},
      {"text before the first From line is no mail", "junk\n\nFrom a Mon\nX: 1\n\nb", {"X: 1\n\nb"},
       {false}},
      {"a Status line in the body does not count", "From a Mon\nX: 1\n\nStatus: R\n",
       {"X: 1\n\nStatus: R\n"}, {false}},
  };
  for (const TMboxCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto mails = ParseMbox(c.text);
    ASSERT_EQ(mails.size(), c.mails.size());
    for (std::size_t i = 0; i < mails.size(); ++i) {
      EXPECT_EQ(c.text.substr(mails[i].begin, mails[i].end - mails[i].begin), c.mails[i]);
      EXPECT_EQ(mails[i].read, c.read[i]);
    }
  }
}

TEST(MboxStore, IdenticalMailsGetDistinctIds) {
  const std::string mail = "From a Mon\nSubject: same\n\nbody\n\n";
  const auto mails = ParseMbox(mail + mail + mail);
  ASSERT_EQ(mails.size(), 3u);
  EXPECT_NE(mails[0].id, mails[1].id);
  EXPECT_NE(mails[1].id, mails[2].id);
  EXPECT_NE(mails[0].id, mails[2].id);
}

struct TMarkCase {
  const char* name;
  std::string text, expected;
};

TEST(MboxStore, MarkingReadChangesOnlyStatusLines) {
  const TMarkCase cases[] = {
      {"Status: O gains R in front", "From a\nStatus: O\n\nb\n", "From a\nStatus: RO\n\nb\n"},
      {"no Status line: one is added at the header's end", "From a\nSubject: s\n\nb\n",
       "From a\nSubject: s\nStatus: R\n\nb\n"},
      {"CR LF header gets a CR LF line", "From a\r\nSubject: s\r\n\r\nb\r\n",
       "From a\r\nSubject: s\r\nStatus: R\r\n\r\nb\r\n"},
      {"a read mail stays as it is", "From a\nStatus: RO\n\nb\n", "From a\nStatus: RO\n\nb\n"},
      {"a header without body or end", "From a\nSubject: s", "From a\nSubject: s\nStatus: R\n"},
      {"Status without a value", "From a\nStatus:\n\nb\n", "From a\nStatus:R\n\nb\n"},
  };
  for (const TMarkCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto mails = ParseMbox(c.text);
    ASSERT_EQ(mails.size(), 1u);
    const std::string marked = MarkMboxRead(c.text, {mails[0].id});
    EXPECT_EQ(marked, c.expected);
    const auto after = ParseMbox(marked);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(after[0].read);
    EXPECT_EQ(after[0].id, mails[0].id) << "the ID must survive marking";
  }
}

TEST(MboxStore, RewriteOfPythonMailsKeepsEveryOtherByte) {
  const auto files = PythonMails();
  ASSERT_GE(files.size(), 40u) << "Python's email test mails were not found";
  std::string mbox;
  for (const std::string& file : files) {
    std::string mail = ReadWholeFile(file);
    if (!mail.ends_with("\n")) mail += "\n";
    mbox += "From test@example.com Thu Jan  1 00:00:00 2004\n" + mail + "\n";
  }
  test::TScratchFolder scratch;
  const std::string path = scratch / "py.mbox";
  WriteWholeFile(path, mbox);
  ::chmod(path.c_str(), 0600);

  auto store = OpenMailStore(path);
  EXPECT_EQ(store->kind(), TStoreKind::kMbox);
  const auto list = store->List("Inbox");
  std::vector<std::string> every_other;
  for (std::size_t i = 0; i < list.size(); i += 2) every_other.push_back(list[i].id);
  store->MarkRead("Inbox", every_other);

  const std::string after = ReadWholeFile(path);
  EXPECT_EQ(WithoutStatusLines(after), WithoutStatusLines(mbox));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the rewrite must keep the mbox private";
  const auto relisted = store->List("Inbox");
  ASSERT_EQ(relisted.size(), list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(relisted[i].id, list[i].id);
    EXPECT_EQ(relisted[i].read, list[i].read || i % 2 == 0) << i;
  }
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST(MboxStore, LeavesALockedMboxAlone) {
  test::TScratchFolder scratch;
  const std::string path = scratch / "locked.mbox";
  const std::string text = "From a\nSubject: s\n\nb\n";
  WriteWholeFile(path, text);
  auto store = OpenMailStore(path);
  const auto list = store->List("Inbox");
  WriteWholeFile(path + ".lock", "");  // a delivery in progress
  EXPECT_THROW(store->MarkRead("Inbox", {list[0].id}), EMailStoreError);
  EXPECT_EQ(ReadWholeFile(path), text);
  EXPECT_TRUE(platform::FileExists(path + ".lock")) << "another program's lock stays";
  platform::RemoveFile(path + ".lock");
  store->MarkRead("Inbox", {list[0].id});
  EXPECT_TRUE(store->List("Inbox")[0].read);
  EXPECT_FALSE(platform::FileExists(path + ".lock")) << "our own lock is gone";
}

TEST(MaildirStore, ListsInDeliveryOrderAndMarksByRenaming) {
  test::TScratchFolder scratch;
  const std::string root = scratch / "Mail";
  for (const char* dir : {"", "/new", "/cur", "/tmp", "/.Lists", "/.Lists/cur", "/.Lists.ml",
                          "/.Lists.ml/new", "/.broken..name", "/.broken..name/cur"}) {
    fs::create_directories(root + dir);
  }
  WriteWholeFile(root + "/new/1700000300.M1.host", "Subject: third\n\n3\n");
  WriteWholeFile(root + "/cur/1700000100.M1.host:2,F", "Subject: first\n\n1\n");
  WriteWholeFile(root + "/cur/1700000200.M1.host:2,RS", "Subject: second\n\n2\n");
  WriteWholeFile(root + "/cur/99.M1.host", "Subject: oldest\n\n0\n");

  auto store = OpenMailStore(root);
  EXPECT_EQ(store->kind(), TStoreKind::kMaildir);
  EXPECT_EQ(store->Folders(), (std::vector<std::string>{"Inbox", "Lists", "Lists/ml"}));
  const auto list = store->List("Inbox");
  ASSERT_EQ(list.size(), 4u);
  const std::string ids[] = {"99.M1.host", "1700000100.M1.host", "1700000200.M1.host",
                             "1700000300.M1.host"};
  const bool read[] = {false, false, true, false};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(list[i].id, ids[i]);
    EXPECT_EQ(list[i].read, read[i]) << ids[i];
  }

  store->MarkRead("Inbox", {ids[0], ids[1], ids[2], ids[3], "no-such-mail"});
  EXPECT_TRUE(fs::exists(root + "/cur/99.M1.host:2,S"));
  EXPECT_TRUE(fs::exists(root + "/cur/1700000100.M1.host:2,FS"));
  EXPECT_TRUE(fs::exists(root + "/cur/1700000200.M1.host:2,RS"));
  EXPECT_TRUE(fs::exists(root + "/cur/1700000300.M1.host:2,S"));
  EXPECT_TRUE(fs::is_empty(root + "/new"));
  EXPECT_EQ(store->Read("Inbox", ids[3]), "Subject: third\n\n3\n");
  for (const TStoredMail& mail : store->List("Inbox")) EXPECT_TRUE(mail.read) << mail.id;
}

// A mail is read from where the listing found it; when another program has moved it
// since (another client marking it read), the folder is listed again to find it.
TEST(MaildirStore, ReadsAMailMovedOrRemovedSinceTheListing) {
  struct {
    const char* name;
    const char* moved_to;  // under the folder; nullptr: removed
  } const cases[] = {
      {"left where it was", "new/1.a"},
      {"marked read by another client", "cur/1.a:2,S"},
      {"removed", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder scratch;
    const std::string root = scratch / "Mail";
    fs::create_directories(root + "/new");
    fs::create_directories(root + "/cur");
    WriteWholeFile(root + "/new/1.a", "Subject: one\n\n1\n");
    auto store = OpenMailStore(root);
    ASSERT_EQ(store->List("Inbox").size(), 1u);
    if (c.moved_to == nullptr) {
      fs::remove(root + "/new/1.a");
      EXPECT_THROW(store->Read("Inbox", "1.a"), EMailStoreError);
    } else {
      fs::rename(root + "/new/1.a", root + "/" + c.moved_to);
      EXPECT_EQ(store->Read("Inbox", "1.a"), "Subject: one\n\n1\n");
    }
  }
}

TEST(MaildirStore, NeverRenamesOverAnotherFile) {
  test::TScratchFolder scratch;
  const std::string root = scratch / "Mail";
  fs::create_directories(root + "/new");
  fs::create_directories(root + "/cur");
  WriteWholeFile(root + "/new/1.a", "new mail");
  WriteWholeFile(root + "/cur/1.a:2,S", "another file with the target's name");
  auto store = OpenMailStore(root);
  store->List("Inbox");
  const auto skipped = store->MarkRead("Inbox", {"1.a"});
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].id, "1.a");
  EXPECT_EQ(ReadWholeFile(root + "/new/1.a"), "new mail");
  EXPECT_EQ(ReadWholeFile(root + "/cur/1.a:2,S"), "another file with the target's name");
}

TEST(EmlStore, KeepsReadFlagsInItsSidecar) {
  test::TScratchFolder scratch;
  const std::string root = scratch / "eml";
  fs::create_directories(root + "/sub/deeper");
  const char* names[] = {"b.eml", "a.EML", "c.eml"};
  for (int i = 0; i < 3; ++i) {
    WriteWholeFile(root + "/" + names[i], std::string("Subject: ") + names[i] + "\n\nx\n");
    const auto time = fs::file_time_type::clock::now() - std::chrono::hours(10 - i);
    fs::last_write_time(root + "/" + names[i], time);
  }
  WriteWholeFile(root + "/notes.txt", "not a mail");
  WriteWholeFile(root + "/sub/deeper/d.eml", "Subject: d\n\n");

  auto store = OpenMailStore(root);
  EXPECT_EQ(store->kind(), TStoreKind::kEmlFolder);
  EXPECT_EQ(store->Folders(), (std::vector<std::string>{"Inbox", "sub", "sub/deeper"}));
  auto list = store->List("Inbox");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].id, "b.eml");  // oldest file first
  EXPECT_EQ(list[1].id, "a.EML");
  EXPECT_EQ(list[2].id, "c.eml");

  store->MarkRead("Inbox", {"a.EML", "gone.eml"});
  store->MarkRead("Inbox", {"a.EML", "c.eml"});
  EXPECT_EQ(ReadWholeFile(root + "/.vesko-read"), "a.EML\nc.eml\n");
  list = store->List("Inbox");
  EXPECT_FALSE(list[0].read);
  EXPECT_TRUE(list[1].read);
  EXPECT_TRUE(list[2].read);
  EXPECT_EQ(ReadWholeFile(root + "/a.EML"), "Subject: a.EML\n\nx\n");
  EXPECT_EQ(store->List("sub/deeper").size(), 1u);
  EXPECT_THROW(store->List("nowhere"), EMailStoreError);
}

TEST(MailStore, TellsTheKindFromWhatIsThere) {
  test::TScratchFolder scratch;
  Lay(scratch, {{"mbox", "From a\n\n"},
                {"empty.mbox", ""},
                {"text", "Subject: not an mbox\n"},
                {"md/new/", ""},
                {"emls/", ""},
                {"deep/notes.txt", ""},
                {"deep/a/b/m.eml", "Subject: s\n\n"},
                {"mutt/lists", "From a\n\n"},
                {"mutt/.muttrc", "set x"},
                {"client/Inbox.sbd/", ""},
                {"client/Inbox.msf", "// <!-- <mdb:mork:z v=\"1.4\"/> -->"},
                {"papers/a.pdf", "%PDF"},
                {"papers/old/b.txt", "text"},
                {"mixed/inbox", "From a\n\n"},
                {"mixed/one.eml", "Subject: s\n\n"}});
  struct TKindCase {
    const char* name;
    std::string path;
    bool opens;
    TStoreKind kind;
    std::string says;  // for a refusal: part of the message
  };
  const TKindCase cases[] = {
      {"an mbox file", scratch / "mbox", true, TStoreKind::kMbox, ""},
      {"an empty file is an empty mbox", scratch / "empty.mbox", true, TStoreKind::kMbox, ""},
      {"a folder with new/", scratch / "md", true, TStoreKind::kMaildir, ""},
      {"an empty folder", scratch / "emls", true, TStoreKind::kEmlFolder, ""},
      {".eml files only in a subfolder", scratch / "deep", true, TStoreKind::kEmlFolder, ""},
      {"a folder of mbox files", scratch / "mutt", true, TStoreKind::kMboxFolder, ""},
      {"index files and .sbd folders", scratch / "client", true, TStoreKind::kMboxFolder, ""},
      {"a file that is no mbox", scratch / "text", false, {}, "not an mbox"},
      {"nothing there", scratch / "missing", false, {}, "no mail store"},
      {"a folder of other files", scratch / "papers", false, {},
       "no .eml file; found 2 files (a.pdf, old/b.txt) and 1 subfolder"},
      {"mbox and .eml files", scratch / "mixed", false, {}, "both mbox files and .eml files"},
  };
  for (const TKindCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.opens) {
      EXPECT_EQ(OpenMailStore(c.path)->kind(), c.kind);
      continue;
    }
    try {
      OpenMailStore(c.path);
      ADD_FAILURE() << "opened";
    } catch (const EVeskoError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(MboxFolderStore, ItsFoldersAreTheMboxFiles) {
  const std::string mail = "From a Mon\nSubject: s\n\nbody\n";
  struct TLayoutCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // path: contents
    std::vector<std::string> folders;
  };
  const TLayoutCase cases[] = {
      {"a mail reader's folder directory",
       {{"sent", mail}, {"lists.debian", mail}, {"notes.txt", "no mail"}, {".hidden", mail},
        {"empty", ""}},
       {"lists.debian", "sent"}},
      {"a desktop client's local folders",
       {{"Trash", ""}, {"Trash.msf", "index"}, {"Inbox", mail}, {"Inbox.msf", "index"},
        {"Inbox.sbd/Work", mail}, {"Inbox.sbd/Work.sbd/Old", mail}, {"Inbox.sbd/Work.msf", "x"},
        {"msgFilterRules.dat", "version=9"}, {"Archive.sbd/2025", mail}},
       {"Inbox", "Archive/2025", "Inbox/Work", "Inbox/Work/Old", "Trash"}},
  };
  for (const TLayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder scratch;
    Lay(scratch, c.files);
    auto store = OpenMailStore(scratch.path());
    ASSERT_EQ(store->kind(), TStoreKind::kMboxFolder);
    ASSERT_EQ(store->Folders(), c.folders);
    const auto list = store->List(c.folders[0]);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(store->Read(c.folders[0], list[0].id), "Subject: s\n\nbody\n");
    store->CheckCanMark(c.folders[0]);
    EXPECT_TRUE(store->MarkRead(c.folders[0], {list[0].id}).empty());
    EXPECT_TRUE(store->List(c.folders[0])[0].read);
    EXPECT_FALSE(store->List(c.folders[1])[0].read) << "another folder stays as it was";
    EXPECT_THROW(store->List("notes.txt"), EMailStoreError);
  }
}

TEST(ModifiedUtf7, DecodesImapFolderNames) {
  const struct {
    const char* name;
    const char* encoded;
    std::optional<std::string> decoded;
  } cases[] = {
      {"plain ASCII", "Lists", "Lists"},
      {"Japanese", "&MOEw,DDr-", "メール"},
      {"text around a shift", "a&AOk-b", "aéb"},
      {"'&' is written &-", "R&-D", "R&D"},
      {"a surrogate pair", "&2D3eAA-", "\xF0\x9F\x98\x80"},
      {"no closing '-'", "&MOEw", std::nullopt},
      {"bad base64 digit", "&MO/w-", std::nullopt},
      {"left-over bits not zero", "&MOF-", std::nullopt},
      {"half a UTF-16 unit", "&AO-", std::nullopt},
      {"printable ASCII in base64", "&AEE-", std::nullopt},
      {"a lone high surrogate", "&2D0-", std::nullopt},
      {"a lone low surrogate", "&3gA-", std::nullopt},
      {"8-bit bytes (a UTF-8 name)", "メール", std::nullopt},
      {"a control byte", "a\tb", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeModifiedUtf7(c.encoded), c.decoded);
  }
}

TEST(MaildirStore, ShowsModifiedUtf7NamesDecoded) {
  test::TScratchFolder scratch;
  for (const char* dir : {"/new", "/.&MOEw,DDr-/new", "/.&MOEw,DDr-/cur", "/.&MOEw,DDr-.Sub/cur",
                          "/.&Jjo/cur", "/.メール/new"}) {
    fs::create_directories(scratch.path() + dir);
  }
  WriteWholeFile(scratch / ".&MOEw,DDr-/new/1.a", "Subject: j\n\n");
  auto store = OpenMailStore(scratch.path());
  // A folder called メール on disk keeps that name, and the one written in modified UTF-7
  // shows its own.
  const auto both = store->Folders();
  EXPECT_EQ(both.size(), 5u);
  EXPECT_EQ(std::count(both.begin(), both.end(), "メール"), 1);
  EXPECT_EQ(std::count(both.begin(), both.end(), "&MOEw,DDr-"), 1);
  fs::remove_all(scratch / ".メール");
  EXPECT_EQ(store->Folders(),
            (std::vector<std::string>{"Inbox", "&Jjo", "メール", "メール/Sub"}));
  const auto list = store->List("メール");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(store->Read("メール", "1.a"), "Subject: j\n\n");
  store->MarkRead("メール", {"1.a"});
  EXPECT_TRUE(fs::exists(scratch / ".&MOEw,DDr-/cur/1.a:2,S"));
}

TEST(MailStore, ServesPythonMailsFromEveryKind) {
  const auto files = PythonMails();
  ASSERT_GE(files.size(), 40u);
  test::TScratchFolder scratch;
  fs::create_directories(scratch / "md/new");
  fs::create_directories(scratch / "md/cur");
  fs::create_directories(scratch / "eml");
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string mail = ReadWholeFile(files[i]);
    WriteWholeFile(scratch / ("md/new/" + std::to_string(1000 + i) + ".M0.host"), mail);
    WriteWholeFile(scratch / ("eml/" + std::to_string(1000 + i) + ".eml"), mail);
  }
  for (const char* kind : {"md", "eml"}) {
    SCOPED_TRACE(kind);
    auto store = OpenMailStore(scratch / kind);
    const auto list = store->List("Inbox");
    ASSERT_EQ(list.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(store->Read("Inbox", list[i].id), ReadWholeFile(files[i])) << files[i];
    }
    std::vector<std::string> ids;
    for (const TStoredMail& mail : list) ids.push_back(mail.id);
    store->MarkRead("Inbox", ids);
    const auto after = store->List("Inbox");
    for (std::size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(after[i].id, list[i].id);
      EXPECT_TRUE(after[i].read);
      EXPECT_EQ(store->Read("Inbox", after[i].id), ReadWholeFile(files[i]));
    }
  }
}

TEST(MailStore, ConvertsLineEndsToCrLf) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"a\nb\n", "a\r\nb\r\n"}, {"a\r\nb", "a\r\nb"}, {"a\rb\r", "a\r\nb\r\n"},
      {"\n\r\n\r", "\r\n\r\n\r\n"}, {"", ""}, {"\r\n\r\n", "\r\n\r\n"},
      {"a\r\r\nb", "a\r\n\r\nb"}, {"\nab\r\n", "\r\nab\r\n"}, {"ab\r\ncd\n", "ab\r\ncd\r\n"},
      {"\r", "\r\n"}, {"\n", "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ToCrLf(c.text), c.expected);
  }
}

}  // namespace
}  // namespace vesko::mailhost
