#include "platform/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace vesko {
namespace {

// Writes the test paths with '/' and turns them into the system's delimiter.
std::string P(std::string path) {
  for (char& c : path) {
    if (c == '/') c = platform::PathDelimiter();
  }
  return path;
}

struct TPathCase {
  const char* name;
  std::string path, file_name, folder;
};

TEST(Paths, SplitsFolderAndFileName) {
  const TPathCase cases[] = {
      {"plain", P("a/b/c.pdb"), "c.pdb", P("a/b/")},
      {"no folder", "c.pdb", "c.pdb", ""},
      {"folder only", P("a/b/"), "", P("a/b/")},
      {"empty", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExtractFileName(c.path), c.file_name);
    EXPECT_EQ(ExtractFilePath(c.path), c.folder);
  }
}

TEST(Paths, ShiftJisTrailByteIsNotADelimiter) {
  if (platform::PathDelimiter() != '\\') GTEST_SKIP() << "only Windows uses 0x5C";
  // 0x95 0x5C is one kanji whose second byte is the backslash code.
  const std::string path = "C:\\\x95\\dir\\\x95\\";
  EXPECT_EQ(ExtractFilePath(path), "C:\\\x95\\dir\\");
  EXPECT_EQ(ExtractFileName(path), "\x95\\");
}

TEST(Paths, TrailingDelimiterRules) {
  EXPECT_EQ(IncludeTrailingDelimiter(P("a/b")), P("a/b/"));
  EXPECT_EQ(IncludeTrailingDelimiter(P("a/b/")), P("a/b/"));
  EXPECT_EQ(IncludeTrailingDelimiter(""), "");
  EXPECT_EQ(ExcludeTrailingDelimiter(P("a/b/")), P("a/b"));
  EXPECT_EQ(ExcludeTrailingDelimiter(P("/")), P("/"));
  EXPECT_EQ(JoinPath(P("a/b"), "c"), P("a/b/c"));
  EXPECT_EQ(JoinPath(P("a/b/"), "c"), P("a/b/c"));
  EXPECT_EQ(JoinPath("", "c"), "c");
}

TEST(Paths, UniqueFileOwnerReadsOnlyOwnNames) {
  struct {
    const char* name;
    std::optional<unsigned long> owner;
  } const cases[] = {
      {"~vesko4242-a1B2c3.tmp", 4242},
      {"~vesko7-x.tmp", 7},
      {"~veskoa1B2c3.tmp", 0},  // the older form, without a process
      {"~vesko4242-.tmp", std::nullopt},
      {"~vesko-a1B2c3.tmp", std::nullopt},
      {"~vesko4242-a1B2c3.pdb", std::nullopt},
      {"~Vesko4242-a1B2c3.tmp", std::nullopt},
      {"~vesko4242.tmp", std::nullopt},
      {"~vesko.tmp", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UniqueFileOwner(c.name, "~vesko", ".tmp"), c.owner);
  }
  EXPECT_EQ(UniqueFileOwner("Vesko.ini.99-Zz9Yy8", "Vesko.ini.", ""), 99u);
  EXPECT_EQ(UniqueFileOwner("veskoAb12Cd.pdb", "vesko", ""), 0u);
  EXPECT_EQ(UniqueFileOwner("Vesko.ini", "Vesko.ini.", ""), std::nullopt);
}

TEST(Files, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
  const std::string folder = platform::CreateUniqueFile(".", "vtest", ".dir");
  platform::RemoveFile(folder);
  ASSERT_TRUE(platform::MakeDirectory(folder));
  const std::string path = JoinPath(folder, "f.txt");
  platform::WriteFileAtomic(path, "first");
  platform::WriteFileAtomic(path, "second");
  EXPECT_EQ(platform::ReadWholeFile(path), "second");
  EXPECT_TRUE(platform::RemoveFile(path));
  EXPECT_FALSE(platform::RemoveFile(path));
  EXPECT_TRUE(platform::RemoveFolder(folder));
}

// Files written in parts (the records of a PDB) and read back whole, around the sizes where
// the writers gather parts or split their system calls.
TEST(Files, PartsAreWrittenInOrderAndReadBackWhole) {
  const std::string folder = platform::CreateUniqueFile(".", "vtest", ".dir");
  platform::RemoveFile(folder);
  ASSERT_TRUE(platform::MakeDirectory(folder));
  const std::string path = JoinPath(folder, "parts.bin");
  struct TCase {
    const char* name;
    std::size_t parts, part_size;
  };
  const TCase cases[] = {{"nothing", 0, 0},         {"one empty part", 1, 0},
                         {"one byte", 1, 1},        {"many short parts", 3000, 7},
                         {"parts of a record", 2500, 2400}, {"one big part", 1, 3 << 20},
                         {"empty parts between", 2051, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> texts;
    std::string whole;
    for (std::size_t i = 0; i < c.parts; ++i) {
      // Every other part is empty in the last case; the others carry their own number.
      std::string text = c.parts == 2051 && i % 2 == 1 ? "" : std::to_string(i);
      text.resize(std::max(text.size(), c.part_size), static_cast<char>('a' + i % 26));
      if (c.part_size == 0) text.clear();
      whole += text;
      texts.push_back(std::move(text));
    }
    const std::vector<std::string_view> parts(texts.begin(), texts.end());
    platform::WriteFileAtomic(path, parts);
    EXPECT_TRUE(platform::ReadWholeFile(path) == whole);
    EXPECT_EQ(platform::FileSizeOf(path), static_cast<std::int64_t>(whole.size()));
  }
  EXPECT_TRUE(platform::RemoveFile(path));
  EXPECT_TRUE(platform::RemoveFolder(folder));
}

}  // namespace
}  // namespace vesko
