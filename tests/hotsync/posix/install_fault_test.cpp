// The HotSync install copy when the disk fills up under it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hotsync/AutoInst.h"
#include "hotsync/PalmDesktopSetup.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/posix/ChildProcess.h"

namespace vesko {
namespace {

namespace fs = std::filesystem;

TEST(InstallFault, AFullDiskLeavesNoTruncatedFileForHotSync) {
  test::TScratchFolder root;
  const auto saved_home = platform::GetEnvironment("VESKO_HOME");
  platform::SetEnvironment("VESKO_HOME", root.path());
  const std::string palm = root / "Palm";
  WritePalmDesktop(TUserData::kRootKeys[1], palm, {{1234, "John", "SmithJ"}}, "");
  const std::string source = root / "abc.pdb";
  platform::WriteWholeFile(source, std::string(100000, 'd'));
  fs::create_directories(palm + "/SmithJ/Install");
  const int installed =
      test::RunWithFileSizeLimit(50000, [&] { return TUserData().Install(0, source) ? 1 : 0; });
  EXPECT_EQ(installed, 0);
  EXPECT_TRUE(fs::is_empty(palm + "/SmithJ/Install"));
  EXPECT_EQ(test::RunInChild([&] { return TUserData().Install(0, source) ? 1 : 0; }), 1);
  EXPECT_EQ(platform::FileSizeOf(palm + "/SmithJ/Install/abc.pdb"), 100000);
  platform::SetEnvironment("VESKO_HOME", saved_home.value_or(""));
}

}  // namespace
}  // namespace vesko
