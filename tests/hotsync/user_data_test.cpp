// TUserData against the registry (wine's real one, the stand-in file on Linux) and files.
#include <gtest/gtest.h>

#include <string>

#include "hotsync/AutoInst.h"
#include "hotsync/PalmDesktopSetup.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/support/PalmDesktopScope.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

const char* const kUsRobotics = TUserData::kRootKeys[0];
const char* const kPalmComputing = TUserData::kRootKeys[1];

class UserDataTest : public ::testing::Test {
 protected:
  // A Palm Desktop with users_ in folder_/Palm, and a file to install; returns the file.
  std::string SetUpWithFile() {
    WritePalmDesktop(kPalmComputing, palm_, users_, "");
    const std::string source = folder_ / "abc.pdb";
    platform::WriteWholeFile(source, "doc bytes");
    return source;
  }
  std::string HotSyncKey(const char* root) const {
    return std::string(root) + "\\" + TUserData::kHotSyncKey;
  }

  test::TScratchFolder folder_;
  const std::string palm_ = folder_ / "Palm";
  test::TPalmDesktopScope palm_scope_{folder_.path()};
  const std::vector<TPalmUser> users_ = {
      {1234, "John Smith", "SmithJ"}, {42, "\x8E\x52\x93\x63", "Yamada"}, {7, "Zoe", "ZoeK"}};
};

TEST_F(UserDataTest, WithoutAPalmDesktopCreateFails) {
  try {
    TUserData data;
    FAIL() << "no error";
  } catch (const EPalmDesktopError& e) {
    EXPECT_STREQ(e.what(), "The PalmPilot Desktop software is not correctly installed.");
  }
}

TEST_F(UserDataTest, ReadsTheUsers) {
  const std::string palm = folder_ / "Palm";
  WritePalmDesktop(kPalmComputing, palm, users_, "\x8E\x52\x93\x63");
  TUserData data;
  EXPECT_EQ(data.GetPath(), palm);
  ASSERT_EQ(data.GetCount(), 3);
  EXPECT_EQ(data.GetLastUserIndex(), 1);
  EXPECT_EQ(data.GetUserID(0), 1234);
  EXPECT_EQ(data.GetUserName(1), "\x8E\x52\x93\x63");
  EXPECT_EQ(data.GetUserFolder(2), "ZoeK");
  for (const int outside : {-1, 3, 1000}) {
    SCOPED_TRACE(outside);
    EXPECT_EQ(data.GetUserID(outside), 0);
    EXPECT_EQ(data.GetUserName(outside), "");
    EXPECT_EQ(data.GetUserFolder(outside), "");
  }
}

TEST_F(UserDataTest, TheOlderRootComesFirst) {
  WritePalmDesktop(kPalmComputing, folder_ / "New", users_, "Zoe");
  WritePalmDesktop(kUsRobotics, folder_ / "Old", {{5, "Old", "OldF"}}, "");
  TUserData data;
  EXPECT_EQ(data.GetPath(), folder_ / "Old");
  EXPECT_EQ(data.GetCount(), 1);
}

TEST_F(UserDataTest, MissingValuesGiveAnEmptyList) {
  ASSERT_TRUE(platform::RegCreateKey(kPalmComputing));
  {
    TUserData data;  // no Core key
    EXPECT_EQ(data.GetCount(), 0);
    EXPECT_EQ(data.GetLastUserIndex(), 0);
    EXPECT_FALSE(data.Install(0, folder_ / "x.pdb"));
  }
  ASSERT_TRUE(platform::RegCreateKey(std::string(kPalmComputing) + "\\" + TUserData::kCoreKey));
  TUserData data;  // no Path value
  EXPECT_EQ(data.GetCount(), 0);
  EXPECT_EQ(data.GetUserName(0), "");
}

TEST_F(UserDataTest, EmptyUserFile) {
  WritePalmDesktop(kPalmComputing, folder_ / "Palm", {}, "John Smith");
  TUserData data;
  EXPECT_EQ(data.GetCount(), 0);
  EXPECT_EQ(data.GetUserName(0), "");
  EXPECT_EQ(data.GetUserID(0), 0);
}

TEST_F(UserDataTest, UnreadableOrDamagedUserFileIsAPalmDesktopError) {
  const std::string palm = folder_ / "Palm";
  WritePalmDesktop(kPalmComputing, palm, users_, "");
  const std::string file = JoinPath(palm, "users.dat");
  const std::string good = platform::ReadWholeFile(file);
  platform::WriteWholeFile(file, good.substr(0, good.size() - 2));
  EXPECT_THROW(TUserData(), EPalmDesktopError);
  platform::RemoveFile(file);
  EXPECT_THROW(TUserData(), EPalmDesktopError);
}

TEST_F(UserDataTest, InstallQueuesTheFileForTheUser) {
  const std::string source = SetUpWithFile();
  TUserData data;
  ASSERT_TRUE(data.Install(0, source));
  const std::string queued = JoinPath(JoinPath(JoinPath(palm_, "SmithJ"), "Install"), "abc.pdb");
  EXPECT_EQ(platform::ReadWholeFile(queued), "doc bytes");
  EXPECT_EQ(platform::RegReadDword(HotSyncKey(kPalmComputing), "Install1234"), 1u);
  EXPECT_EQ(platform::RegReadDword(HotSyncKey(kPalmComputing), "Install42"), std::nullopt);
  // Again with new contents: the queued file stays, the new one is numbered.
  platform::WriteWholeFile(source, "newer");
  ASSERT_TRUE(data.Install(0, source));
  EXPECT_EQ(platform::ReadWholeFile(queued), "doc bytes");
  EXPECT_EQ(platform::ReadWholeFile(NumberedName(queued, 2)), "newer");
}

// The install folder is a destination like the save folder: the chosen name, numbered
// when taken, never replacing a queued file, and no partial copy left behind.
TEST_F(UserDataTest, InstallTakesTheChosenNameOrTheNextFreeOne) {
  struct {
    const char* name;
    std::string dest_name;
    std::vector<std::string> present;  // already in the install folder
    std::string queued;
  } const cases[] = {
      {"the chosen name", "Inbox-2026-12-09.pdb", {}, "Inbox-2026-12-09.pdb"},
      {"no name: the file's own", "", {}, "abc.pdb"},
      {"taken", "Inbox.pdb", {"Inbox.pdb"}, "Inbox-2.pdb"},
      {"taken twice", "Inbox.pdb", {"Inbox.pdb", "Inbox-2.pdb"}, "Inbox-3.pdb"},
      {"a folder holds the name", "Inbox.pdb", {"Inbox.pdb/"}, "Inbox-2.pdb"},
      {"Shift JIS with a 0x5C trail byte", "\x83\x5c.pdb", {"\x83\x5c.pdb"},
       "\x83\x5c-2.pdb"},
  };
  const std::string source = SetUpWithFile();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = JoinPath(JoinPath(palm_, "SmithJ"), "Install");
    platform::MakeDirectory(JoinPath(palm_, "SmithJ"));
    platform::MakeDirectory(folder);
    for (const std::string& name : c.present) {
      if (name.back() == '/') {
        ASSERT_TRUE(platform::MakeDirectory(JoinPath(folder, name.substr(0, name.size() - 1))));
      } else {
        platform::WriteWholeFile(JoinPath(folder, name), "earlier");
      }
    }
    TUserData data;
    ASSERT_TRUE(data.Install(0, source, c.dest_name));
    EXPECT_EQ(platform::ReadWholeFile(JoinPath(folder, c.queued)), "doc bytes");
    for (const std::string& name : c.present) {
      if (name.back() != '/') EXPECT_EQ(platform::ReadWholeFile(JoinPath(folder, name)), "earlier");
    }
    for (const std::string& name : c.present) {
      const std::string path = JoinPath(folder, name.back() == '/' ? name.substr(0, name.size() - 1) : name);
      if (name.back() == '/') platform::RemoveFolder(path); else platform::RemoveFile(path);
    }
    ASSERT_TRUE(platform::RemoveFile(JoinPath(folder, c.queued)));
    EXPECT_TRUE(platform::RemoveFolder(folder)) << "a file was left in the install folder";
  }
}

TEST(NumberedName, GoesBeforeTheExtension) {
  struct {
    const char* name;
    int number;
    const char* numbered;
  } const cases[] = {
      {"Inbox.pdb", 1, "Inbox.pdb"},   {"Inbox.pdb", 2, "Inbox-2.pdb"},
      {"a.b.pdb", 12, "a.b-12.pdb"},   {"noext", 3, "noext-3"},
      {".pdb", 2, ".pdb-2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NumberedName(c.name, c.number), c.numbered);
  }
}

TEST_F(UserDataTest, InstallFailures) {
  const std::string source = SetUpWithFile();
  TUserData data;
  EXPECT_FALSE(data.Install(-1, source));  // no user chosen
  EXPECT_FALSE(data.Install(3, source));
  EXPECT_FALSE(data.Install(1, folder_ / "missing.pdb"));
  EXPECT_EQ(platform::RegReadDword(HotSyncKey(kPalmComputing), "Install42"), std::nullopt);
  // Without the HotSync Manager key the file is copied but not flagged.
  ASSERT_TRUE(platform::RegDeleteKey(HotSyncKey(kPalmComputing)));
  EXPECT_FALSE(data.Install(2, source));
  EXPECT_TRUE(
      platform::FileExists(JoinPath(JoinPath(JoinPath(palm_, "ZoeK"), "Install"), "abc.pdb")));
  EXPECT_FALSE(platform::RegKeyExists(HotSyncKey(kPalmComputing)));
}

}  // namespace
}  // namespace vesko
