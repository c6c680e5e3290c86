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
  // Again with new contents: the queued file is replaced.
  platform::WriteWholeFile(source, "newer");
  ASSERT_TRUE(data.Install(0, source));
  EXPECT_EQ(platform::ReadWholeFile(queued), "newer");
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
