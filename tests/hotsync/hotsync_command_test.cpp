// vesko hotsync setup and install, driven through the command line as a user types them.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "hotsync/AutoInst.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/support/ScratchFolder.h"
#include "tools/commands.h"

namespace vesko {
namespace {

class HotSyncCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_home_ = platform::GetEnvironment("VESKO_HOME");
    platform::SetEnvironment("VESKO_HOME", folder_.path());
    for (const char* root : TUserData::kRootKeys) platform::RegDeleteKey(root);
  }
  void TearDown() override {
    for (const char* root : TUserData::kRootKeys) platform::RegDeleteKey(root);
    platform::SetEnvironment("VESKO_HOME", saved_home_.value_or(""));
  }
  static void Run(std::vector<std::string> args) {
    CLI::App app;
    tools::RegisterHotSyncCommands(app);
    args.insert(args.begin(), "vesko");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    app.parse(static_cast<int>(argv.size()), argv.data());
  }

  test::TScratchFolder folder_;
  std::optional<std::string> saved_home_;
};

TEST_F(HotSyncCommandTest, SetupThenInstall) {
  const std::string palm = folder_ / "Palm";
  Run({"hotsync", "setup", "--path", palm, "--user", "Ann Lee:12", "--user", "Bob::BobF", "--user",
       "Cy", "--last", "Bob"});
  TUserData data;
  ASSERT_EQ(data.GetCount(), 3);
  EXPECT_EQ(data.GetLastUserIndex(), 1);
  const struct {
    unsigned id;
    const char* name;
    const char* folder;
  } expected[] = {{12, "Ann Lee", "AnnLee"}, {1002, "Bob", "BobF"}, {1003, "Cy", "Cy"}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(data.GetUserID(i), expected[i].id);
    EXPECT_EQ(data.GetUserName(i), expected[i].name);
    EXPECT_EQ(data.GetUserFolder(i), expected[i].folder);
  }
  const std::string file = folder_ / "book.pdb";
  platform::WriteWholeFile(file, "pdb");
  Run({"hotsync", "install", file, "--user", "1"});
  EXPECT_TRUE(
      platform::FileExists(JoinPath(JoinPath(JoinPath(palm, "BobF"), "Install"), "book.pdb")));
  EXPECT_EQ(
      platform::RegReadDword(std::string(TUserData::kRootKeys[1]) + "\\" + TUserData::kHotSyncKey,
                             "Install1002"),
      1u);
}

TEST_F(HotSyncCommandTest, BadInputIsRefused) {
  const std::string palm = folder_ / "Palm";
  const std::vector<std::string> bad_users = {"Ann:x", "Ann:70000", ":1", std::string(32, 'n')};
  for (const std::string& user : bad_users) {
    SCOPED_TRACE(user);
    try {
      Run({"hotsync", "setup", "--path", palm, "--user", user});
      ADD_FAILURE() << "accepted";
    } catch (const tools::TCommandError& e) {
      EXPECT_EQ(e.exit_code(), tools::kExitBadInput);
    }
  }
  EXPECT_FALSE(platform::RegKeyExists(TUserData::kRootKeys[1]));  // nothing half written
  Run({"hotsync", "setup", "--path", palm, "--user", "Ann"});
  const std::string file = folder_ / "book.pdb";
  platform::WriteWholeFile(file, "pdb");
  EXPECT_THROW(Run({"hotsync", "install", file, "--user", "1"}), tools::TCommandError);
  EXPECT_THROW(Run({"hotsync", "install", folder_ / "none.pdb", "--user", "0"}),
               tools::TCommandError);
}

}  // namespace
}  // namespace vesko
