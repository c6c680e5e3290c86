// The host functions as the plug-in calls them, on a real store: the mail listing
// contract, selection, the posted mark-as-read command, folders, sources and temporary
// files, and the pump the plug-in runs during a long command.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "host/BeckyAPI.h"
#include "platform/files.h"
#include "platform/posix/HostUi.h"
#include "tests/support/ScratchFolder.h"
#include "mailhost/MailHost.h"

using vesko::BOOL32;
using vesko::DWORD32;
using vesko::HOSTHANDLE;
using vesko::HOSTPARAM;

extern "C" {
int BKA_GetNextMail(int start, char* mail_id, int size, BOOL32 selected);
DWORD32 BKA_GetStatus(const char* mail_id);
void BKA_SetSel(const char* mail_id, BOOL32 select);
char* BKA_GetSource(const char* mail_id);
char* BKA_UTF_8(const char* text, BOOL32 encode);
char* BKA_EUC_JP(const char* text, BOOL32 encode);
void BKA_Free(void* block);
const char* BKA_GetCurrentFolder();
const char* BKA_GetFolderDisplayName(const char* folder_id);
const char* BKA_GetDataFolder();
const char* BKA_GetTempFileName(const char* extension);
void BKA_SetCurrentFolder(const char* folder_id);
std::uint32_t BKA_RegisterCommand(const char* description, int type,
                                  vesko::TBeckyCommandProc proc);
vesko::platform::THostUi* VeskoHostUi();
}

namespace vesko::mailhost {
namespace {

namespace fs = std::filesystem;

class HostFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(scratch_ / "data/PlugIns");
    fs::create_directories(scratch_ / "data/Temp");
    host().SetFolders({(scratch_ / "data") + "/", (scratch_ / "data/PlugIns") + "/",
                       (scratch_ / "data/Temp") + "/"});
    fs::create_directories(scratch_ / "md/new");
    fs::create_directories(scratch_ / "md/cur");
    fs::create_directories(scratch_ / "md/.Lists.ml/cur");
    platform::WriteWholeFile(scratch_ / "md/cur/100.a:2,S", "Subject: read\n\nA\n");
    platform::WriteWholeFile(scratch_ / "md/new/200.b", "Subject: new\nX: y\n\nB\nC");
    platform::WriteWholeFile(scratch_ / "md/new/300.c", "Subject: new too\n\nD\n");
    host().OpenStore(scratch_ / "md");
  }
  void TearDown() override {
    host().SetProcessMessagesHook({});
    host().SetFolders({});
  }
  static TMailHost& host() { return TMailHost::Instance(); }

  // The mail IDs that BKA_GetNextMail lists, the way the export walks them.
  static std::vector<std::string> Walk(BOOL32 selected) {
    std::vector<std::string> ids;
    char id[255];
    int position = -1;
    while ((position = BKA_GetNextMail(position, id, sizeof id, selected)) != -1) {
      ids.push_back(id);
    }
    EXPECT_STREQ(id, "") << "the last call leaves an empty ID";
    EXPECT_EQ(BKA_GetStatus(id) & 1u, 0u) << "which reads as unread";
    return ids;
  }

  test::TScratchFolder scratch_;
};

TEST_F(HostFunctions, ListAndSelectAsTheContractsSay) {
  EXPECT_EQ(Walk(0), (std::vector<std::string>{"100.a", "200.b", "300.c"}));
  EXPECT_EQ(Walk(-1), std::vector<std::string>{});
  EXPECT_EQ(BKA_GetStatus("100.a"), 1u);
  EXPECT_EQ(BKA_GetStatus("200.b"), 0u);
  EXPECT_EQ(BKA_GetStatus("no-such-mail"), 0u);

  BKA_SetSel("300.c", -1);
  BKA_SetSel("100.a", -1);
  BKA_SetSel("unknown", -1);
  EXPECT_EQ(Walk(-1), (std::vector<std::string>{"100.a", "300.c"}));
  BKA_SetSel("100.a", 0);
  EXPECT_EQ(Walk(1), (std::vector<std::string>{"300.c"}));

  // A buffer too small for an ID gets a cut one, never more than its size.
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(BKA_GetNextMail(-1, small, 3, 0), 0);
  EXPECT_STREQ(small, "10");
}

TEST_F(HostFunctions, PostedMarkAsReadMarksTheSelectedMails) {
  host().SetSelection({"200.b"});
  VeskoHostUi()->PostCommand(host().main_window(), kMarkAsReadCommand);
  EXPECT_EQ(BKA_GetStatus("200.b"), 0u) << "posted, not yet handled";
  host().ProcessMessageQueue();
  EXPECT_EQ(BKA_GetStatus("200.b"), 1u);
  EXPECT_EQ(BKA_GetStatus("300.c"), 0u);
  EXPECT_TRUE(fs::exists(scratch_ / "md/cur/200.b:2,S"));
  // A command posted to another window is not the main window's.
  host().SetSelection({"300.c"});
  VeskoHostUi()->PostCommand(nullptr, kMarkAsReadCommand);
  host().ProcessMessageQueue();
  EXPECT_EQ(BKA_GetStatus("300.c"), 0u);
}

// Sources and converted texts are blocks of their own, live until the caller frees them.
TEST_F(HostFunctions, HandsOutSourcesAndTextsAsBlocksToFree) {
  struct {
    const char* name;
    char* (*get)();
    const char* text;
  } const cases[] = {
      {"a source with CR LF", [] { return BKA_GetSource("200.b"); },
       "Subject: new\r\nX: y\r\n\r\nB\r\nC"},
      {"an unknown mail", [] { return BKA_GetSource("unknown"); }, ""},
      {"no mail ID", [] { return BKA_GetSource(nullptr); }, ""},
      {"UTF-8 to Shift JIS", [] { return BKA_UTF_8("\xE3\x81\x82", 0); }, "\x82\xA0"},
      {"EUC-JP to Shift JIS", [] { return BKA_EUC_JP("\xA4\xA2", 0); }, "\x82\xA0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = host().LiveBlocks();
    char* first = c.get();
    char* second = c.get();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second) << "each call hands out a block of its own";
    EXPECT_STREQ(first, c.text);
    EXPECT_EQ(host().LiveBlocks(), before + 2);
    BKA_Free(first);
    BKA_Free(second);
    EXPECT_EQ(host().LiveBlocks(), before);
  }
  const int foreign = host().ForeignFrees();
  char stack_text[] = "not the host's";
  BKA_Free(stack_text);
  EXPECT_EQ(host().ForeignFrees(), foreign + 1) << "a block the host never gave is left alone";
}

// A NUL byte would end the zero-terminated text early: it is served as a space. A mail
// whose source couldn't be served is never marked read, and the host says why.
TEST_F(HostFunctions, ServesNulAsSpaceAndNeverMarksAnUnreadableMail) {
  platform::WriteWholeFile(scratch_ / "md/new/200.b", std::string("Subject: new\n\nB\0C\n", 18));
  const std::string gone = scratch_ / "md/new/300.c";
  if (::geteuid() == 0) {
    fs::remove(gone);  // root reads any file: take the file away instead
    fs::create_directory(gone);
  } else {
    fs::permissions(gone, fs::perms::none);
  }
  EXPECT_STREQ(BKA_GetSource("200.b"), "Subject: new\r\n\r\nB C\r\n");
  EXPECT_STREQ(BKA_GetSource("300.c"), "");
  BKA_SetSel("200.b", -1);
  BKA_SetSel("300.c", -1);
  VeskoHostUi()->PostCommand(host().main_window(), kMarkAsReadCommand);
  host().ProcessMessageQueue();
  EXPECT_EQ(BKA_GetStatus("200.b"), 1u);
  EXPECT_EQ(BKA_GetStatus("300.c"), 0u);
  ASSERT_EQ(host().skipped().size(), 1u);
  EXPECT_EQ(host().skipped()[0].id, "300.c");
  EXPECT_NE(host().skipped()[0].reason.find("could not be read"), std::string::npos);
  EXPECT_FALSE(fs::exists(scratch_ / "md/cur/300.c:2,S"));
}

// Marking that fails after the delivery names every mail it left unread.
TEST_F(HostFunctions, MarkingThatFailsNamesTheMailsLeftUnread) {
  fs::remove_all(scratch_ / "md/cur");
  platform::WriteWholeFile(scratch_ / "md/cur", "not a folder");
  host().SetSelection({"200.b", "300.c"});
  VeskoHostUi()->PostCommand(host().main_window(), kMarkAsReadCommand);
  host().ProcessMessageQueue();
  EXPECT_EQ(BKA_GetStatus("200.b"), 0u);
  ASSERT_EQ(host().skipped().size(), 2u);
  EXPECT_EQ(host().skipped()[0].id, "200.b");
  EXPECT_EQ(host().skipped()[1].id, "300.c");
  EXPECT_EQ(host().skipped()[0].reason, "Not a directory");
}

TEST_F(HostFunctions, NamesFoldersAndTheDataFolder) {
  const std::string data = BKA_GetDataFolder();
  EXPECT_EQ(data, (scratch_ / "data") + "/");
  const std::string folder = BKA_GetCurrentFolder();
  EXPECT_EQ(folder, "Folders/md/Inbox/");
  EXPECT_STREQ(BKA_GetFolderDisplayName(folder.c_str()), "[md]/Inbox");
  EXPECT_STREQ(BKA_GetFolderDisplayName("Folders/md/Nowhere/"), "");

  BKA_SetCurrentFolder("Folders/md/Lists/ml/");
  EXPECT_STREQ(BKA_GetCurrentFolder(), "Folders/md/Lists/ml/");
  EXPECT_STREQ(BKA_GetFolderDisplayName(BKA_GetCurrentFolder()), "[md]/Lists/ml");
  EXPECT_EQ(Walk(0), std::vector<std::string>{});
}

// Folder names are UTF-8 in the host and Shift JIS for the plug-in; a Maildir++ name in
// modified UTF-7 is found by either of its names.
TEST_F(HostFunctions, GivesFolderNamesInShiftJis) {
  fs::create_directories(scratch_ / "md/.&MOEw,DDr-/cur");
  host().OpenStore(scratch_ / "md");
  for (const char* name : {"メール", "&MOEw,DDr-", "[md]/メール", "Inbox.&MOEw,DDr-"}) {
    SCOPED_TRACE(name);
    host().SelectFolder("Inbox");
    host().SelectFolder(name);
    EXPECT_EQ(host().CurrentFolderName(), "メール");
    EXPECT_STREQ(BKA_GetFolderDisplayName(BKA_GetCurrentFolder()), "[md]/\x83\x81\x81\x5B\x83\x8B");
  }
}

TEST_F(HostFunctions, GivesFreshTemporaryFiles) {
  std::set<std::string> names;
  for (int i = 0; i < 5; ++i) {
    const std::string name = BKA_GetTempFileName("pdb");
    SCOPED_TRACE(name);
    EXPECT_EQ(name.rfind((scratch_ / "data/Temp") + "/", 0), 0u);
    EXPECT_TRUE(name.ends_with(".pdb"));
    EXPECT_TRUE(platform::FileExists(name));
    EXPECT_EQ(platform::FileSizeOf(name), 0);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 5u);
  const std::string odd = BKA_GetTempFileName("../../x");
  EXPECT_EQ(odd.rfind((scratch_ / "data/Temp") + "/", 0), 0u) << odd;
  EXPECT_EQ(odd.find(".."), std::string::npos);
}

int g_runs = 0;
void VESKO_STDCALL CountRun(HOSTHANDLE, HOSTPARAM) { ++g_runs; }

TEST_F(HostFunctions, PumpLetsATestActAsTheUser) {
  const unsigned id = BKA_RegisterCommand("test command", 0, CountRun);
  g_runs = 0;
  int hook_calls = 0;
  host().SetProcessMessagesHook([&] {
    if (++hook_calls == 1) host().PostCommand(id);  // the user chooses the command again
  });
  VeskoHostUi()->ProcessMessages();
  EXPECT_EQ(hook_calls, 1);
  EXPECT_EQ(g_runs, 1) << "the chosen command runs inside the pump";
  VeskoHostUi()->ProcessMessages();
  EXPECT_EQ(g_runs, 1);
}

TEST_F(HostFunctions, PrintsMessageBoxesInUtf8AndKeepsThem) {
  host().ClearMessages();
  ::testing::internal::CaptureStdout();
  // "処理対象のメールがありません。" in Shift JIS, as the plug-in shows it.
  VeskoHostUi()->ShowMessage(host().main_window(),
                             "\x8f\x88\x97\x9d\x91\xce\x8f\xdb\x82\xcc\x83\x81\x81\x5b\x83"
                             "\x8b\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42",
                             "From Vesko", TMessageIcon::kInformation);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "[From Vesko] \xe5\x87\xa6\xe7\x90\x86\xe5\xaf\xbe\xe8\xb1\xa1\xe3\x81\xae"
            "\xe3\x83\xa1\xe3\x83\xbc\xe3\x83\xab\xe3\x81\x8c\xe3\x81\x82\xe3\x82\x8a"
            "\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xe3\x80\x82\n");
  ASSERT_EQ(host().messages().size(), 1u);
  EXPECT_EQ(host().messages()[0].caption, "From Vesko");
}

TEST_F(HostFunctions, MenuCallsCheckTheirHandles) {
  platform::THostUi& ui = *VeskoHostUi();
  int not_a_menu = 0;
  THandle tree = host().menu(kTreeMenu);
  EXPECT_EQ(ui.MenuItemCountOf(&not_a_menu), -1);
  EXPECT_EQ(ui.MenuItemIdAt(&not_a_menu, 0), ~0u);
  EXPECT_EQ(ui.SubMenuAt(nullptr, 0), nullptr);
  EXPECT_FALSE(ui.InsertMenuText(&not_a_menu, 0, 1, "x"));
  EXPECT_FALSE(ui.InsertMenuSeparator(tree, -1));
  const int count = ui.MenuItemCountOf(tree);
  EXPECT_EQ(ui.MenuItemIdAt(tree, count), ~0u);
  EXPECT_EQ(ui.MenuItemIdAt(tree, count - 2), 0u) << "a separator's ID is 0";
  EXPECT_EQ(ui.MenuItemIdAt(host().menu(kMainMenu), 0), ~0u) << "a drop-down's ID is ~0";
  // A position past the end appends, as Windows menus do.
  EXPECT_TRUE(ui.InsertMenuText(tree, count + 5, 49999, "appended"));
  EXPECT_EQ(ui.MenuItemIdAt(tree, count), 49999u);
}

TEST_F(HostFunctions, APumpThatPumpsAgainStops) {
  int depth = 0;
  host().SetProcessMessagesHook([&] {
    ++depth;
    VeskoHostUi()->ProcessMessages();
  });
  VeskoHostUi()->ProcessMessages();
  EXPECT_GT(depth, 1);
  EXPECT_LT(depth, 20);
}

}  // namespace
}  // namespace vesko::mailhost
