#include "platform/files.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

using platform::TRenameResult;

// The rename is the only check a delivery makes: a name that was free when it was looked
// at and is taken by the time of the rename is refused, and both files stay as they were.
TEST(RenameNoReplace, TakesOnlyAFreeName) {
  struct {
    const char* name;
    void (*occupy)(const std::string& path);  // null: the name stays free
    TRenameResult result;
  } const cases[] = {
      {"a free name", nullptr, TRenameResult::kRenamed},
      {"a file appeared after the look",
       [](const std::string& path) { platform::WriteWholeFile(path, "newcomer"); },
       TRenameResult::kTaken},
      {"an empty file", [](const std::string& path) { platform::WriteWholeFile(path, ""); },
       TRenameResult::kTaken},
      {"a folder", [](const std::string& path) { ASSERT_TRUE(platform::MakeDirectory(path)); },
       TRenameResult::kTaken},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    const std::string src = root / "staged.tmp", dst = root / "book.pdb";
    platform::WriteWholeFile(src, "book");
    ASSERT_FALSE(platform::FileExists(dst));  // the look: free
    if (c.occupy != nullptr) c.occupy(dst);
    int error = 0;
    EXPECT_EQ(platform::RenameNoReplace(src, dst, &error), c.result);
    if (c.result == TRenameResult::kRenamed) {
      EXPECT_FALSE(platform::FileExists(src));
      EXPECT_EQ(platform::ReadWholeFile(dst), "book");
    } else {
      EXPECT_NE(error, 0);
      EXPECT_EQ(platform::ReadWholeFile(src), "book");
      if (platform::FileExists(dst)) {
        EXPECT_NE(platform::ReadWholeFile(dst), "book");
      }
    }
  }
}

}  // namespace
}  // namespace vesko
