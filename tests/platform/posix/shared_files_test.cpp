// Files that several processes share or that a crash leaves behind: the delivered copy,
// the leftovers of dead processes, and the settings file and registry stand-in written by
// several vesko processes at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/IniText.h"
#include "platform/environment.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/posix/ChildProcess.h"

namespace vesko::platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

void MakeOld(const std::string& path, int seconds) {
  const utimbuf times{::time(nullptr) - seconds, ::time(nullptr) - seconds};
  ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

TEST(CopyFileAtomic, DeliversWithTheUmasksPermissions) {
  struct {
    mode_t umask;
    mode_t mode;
  } const cases[] = {{022, 0644}, {002, 0664}, {077, 0600}};
  test::TScratchFolder root;
  WriteWholeFile(root / "src", "bytes");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.umask);
    const mode_t saved = ::umask(c.umask);
    CopyFileAtomic(root / "src", root / "book.pdb");
    ::umask(saved);
    struct stat st {};
    ASSERT_EQ(::stat((root / "book.pdb").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.mode);
    EXPECT_EQ(ReadWholeFile(root / "book.pdb"), "bytes");
  }
  EXPECT_EQ(Names(root.path()), (std::vector<std::string>{"book.pdb", "src"}));
}

TEST(CopyFileAtomic, AFailedCopyLeavesTheOldFileAndNoPartOfTheNew) {
  struct {
    const char* name;
    const char* dest;
    int code;
  } const cases[] = {
      {"missing folder", "missing/book.pdb", ENOENT},
      {"a file where the folder should be", "file/book.pdb", ENOTDIR},
      {"full disk", "out/book.pdb", EFBIG},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    WriteWholeFile(root / "src", std::string(100000, 'x'));
    WriteWholeFile(root / "file", "f");
    fs::create_directory(root / "out");
    WriteWholeFile(root / "out/book.pdb", "old");
    const int code = test::RunWithFileSizeLimit(50000, [&] {
      try {
        CopyFileAtomic(root / "src", root / c.dest);
      } catch (const EOSError& e) {
        return e.code();
      }
      return 0;
    });
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(ReadWholeFile(root / "out/book.pdb"), "old");
    EXPECT_EQ(Names(root / "out"), std::vector<std::string>{"book.pdb"});
  }
}

// Folders (a trailing "/" in the rows) go as files do, with their files.
TEST(RemoveLeftovers, RemovesOnlyOldFilesOfDeadProcesses) {
  const int dead = test::StartChild([] { return 0; });
  test::WaitChild(dead);
  const std::string me = std::to_string(::getpid());
  const std::string parent = std::to_string(::getppid());
  struct {
    const char* name;
    std::string file;
    int age;
    bool removed;
  } const cases[] = {
      {"a dead process's old file", "~vesko" + std::to_string(dead) + "-abc.tmp", 7200, true},
      {"a dead process's fresh file", "~vesko" + std::to_string(dead) + "-abd.tmp", 60, false},
      {"a running process's old file", "~vesko" + parent + "-abc.tmp", 7200, false},
      {"this process's old file", "~vesko" + me + "-abc.tmp", 7200, false},
      {"another name", "~veskoX-abc.tmp", 7200, false},
      {"another extension", "~vesko" + std::to_string(dead) + "-abc.pdb", 7200, false},
      {"no unique part", "~vesko" + std::to_string(dead) + "-.tmp", 7200, false},
      {"a dead process's old folder", "~vesko" + std::to_string(dead) + "-f.tmp/", 7200, true},
      {"a dead process's fresh folder", "~vesko" + std::to_string(dead) + "-g.tmp/", 60, false},
      {"this process's old folder", "~vesko" + me + "-h.tmp/", 7200, false},
  };
  test::TScratchFolder root;
  std::vector<std::string> paths;
  for (const auto& c : cases) {
    std::string path = root / c.file;
    if (path.back() == '/') {
      path.pop_back();
      std::filesystem::create_directory(path);
      WriteWholeFile(path + "/Vesko.ini", "x");
    } else {
      WriteWholeFile(path, "x");
    }
    MakeOld(path, c.age);
    paths.push_back(path);
  }
  RemoveLeftovers(root.path(), kPartialCopyPrefix, kPartialCopyExtension);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(std::filesystem::exists(paths[i]), !cases[i].removed);
  }
}

// Several processes each set their own keys at once; every key must survive.
class ConcurrentWriters : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_home_ = GetEnvironment("VESKO_HOME");
    SetEnvironment("VESKO_HOME", root_.path());
  }
  void TearDown() override { SetEnvironment("VESKO_HOME", saved_home_.value_or("")); }

  template <typename Write>
  void RunWriters(Write write) {
    std::vector<int> children;
    for (int writer = 0; writer < kWriters; ++writer) {
      children.push_back(test::StartChild([&, writer] {
        for (int i = 0; i < kKeys; ++i) {
          if (!write(writer, i)) return 1;
        }
        return 0;
      }));
    }
    for (int child : children) EXPECT_EQ(test::WaitChild(child), 0);
  }
  static std::string Key(int writer, int i) {
    return "W" + std::to_string(writer) + "K" + std::to_string(i);
  }

  static constexpr int kWriters = 4;
  static constexpr int kKeys = 25;
  test::TScratchFolder root_;
  std::optional<std::string> saved_home_;
};

TEST_F(ConcurrentWriters, SettingsFileKeepsEveryUpdate) {
  const std::string ini = root_ / "Vesko.ini";
  RunWriters([&](int writer, int i) {
    WriteProfileEntry(ini, "S", Key(writer, i), "1");
    return true;
  });
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int i = 0; i < kKeys; ++i) {
      EXPECT_EQ(ReadProfileString(ini, "S", Key(writer, i), "lost"), "1") << Key(writer, i);
    }
  }
  EXPECT_EQ(Names(root_.path()), std::vector<std::string>{"Vesko.ini"});
}

TEST_F(ConcurrentWriters, RegistryStandInKeepsEveryUpdate) {
  ASSERT_TRUE(RegCreateKey("Software\\K"));
  RunWriters([&](int writer, int i) { return RegWriteDword("Software\\K", Key(writer, i), 1); });
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int i = 0; i < kKeys; ++i) {
      EXPECT_EQ(RegReadDword("Software\\K", Key(writer, i)), 1u) << Key(writer, i);
    }
  }
}

TEST(UnsoundSettingsFiles, WarnNamingTheFile) {
  struct {
    const char* name;
    std::string text;
    const char* problem;
  } const cases[] = {
      {"byte order mark before the first section", "\xEF\xBB\xBF[Options]\r\nDate=0\r\n",
       "line 1 lies before the first [section]"},
      {"UTF-16", std::string("[\0O\0]\0", 6), "NUL bytes"},
      {"keys without a section", "Date=0\n", "line 1 lies before the first [section]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder root;
    const std::string ini = root / "Vesko.ini";
    WriteWholeFile(ini, c.text);
    ::testing::internal::CaptureStderr();
    ReadProfileInt(ini, "Options", "Date", 1);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(ini + ": "), std::string::npos) << said;
    EXPECT_NE(said.find(c.problem), std::string::npos) << said;
  }
  // Sound files say nothing: comments and blank lines may come first.
  EXPECT_EQ(IniProblem("; Vesko\r\n\r\n[Options]\r\nDate=0\r\nno value here\r\n"), std::nullopt);
}

TEST_F(ConcurrentWriters, UnreadableRegistryStandInWarnsNamingTheFile) {
  WriteWholeFile(root_ / "registry.reg", "REGEDIT4 is not this format\r\n");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(RegKeyExists("Software"));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(root_ / "registry.reg"), std::string::npos) << said;
}

}  // namespace
}  // namespace vesko::platform
