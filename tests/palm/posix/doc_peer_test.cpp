// Checks against programs outside the test: Debian's txt2pdbdoc must read what the writer
// makes, the vesko program must behave on the command line, and the Windows build of it
// (when built, run under wine) must write the same records.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "palm/DocFile.h"
#include "palm/DocReader.h"
#include "platform/files.h"
#include "tests/palm/palm_test_util.h"

namespace vesko {
namespace {

using testing::TScratchFile;

const std::string kVesko = VESKO_BINARY_DIR "/vesko";
const std::string kSample = VESKO_SOURCE_DIR "/samples/sample.txt";

int Shell(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveProgram(const std::string& name) { return Shell("command -v " + name) == 0; }

std::string Normalised(const std::string& text) {
  std::vector<TDocBookmark> none;
  const std::string out = NormalizeLineEnds(text, none);
  return out.empty() ? " " : out;
}

// Mail-like Shift JIS text long enough for many records.
std::string LongText() {
  std::string text = platform::ReadWholeFile(kSample);
  std::mt19937 rng(11);
  std::string mixed;
  while (mixed.size() < 60000) {
    const std::size_t at = rng() % text.size();
    mixed += text.substr(at, rng() % 700);
    mixed += std::string(rng() % 6, ' ');
    mixed += "\r\n";
  }
  return mixed;
}

TEST(DocPeer, Txt2pdbdocReadsWhatTheWriterMakes) {
  if (!HaveProgram("txt2pdbdoc")) GTEST_SKIP() << "txt2pdbdoc is not installed";
  const std::string texts[] = {platform::ReadWholeFile(kSample), LongText(), "", "x",
                               std::string(4096, 'a'), "lone\rCR and CR CR LF\r\r\n"};
  for (bool compress : {true, false}) {
    for (const std::string& text : texts) {
      // txt2pdbdoc takes every record after record 0 for text, whatever record 0 counts:
      // the bookmark records come after the text, which stays exactly as it was.
      for (int marks : {0, 3}) {
        SCOPED_TRACE(std::to_string(text.size()) + (compress ? " packed, " : " plain, ") +
                     std::to_string(marks) + " bookmarks");
        TScratchFile pdb("peer.pdb"), out("peer.txt");
        TDocFile doc(pdb.path(), "Peer", compress);
        for (int k = 0; k < marks; ++k) {
          doc.AddBookmark("mark " + std::to_string(k) + " \x8A\xBF\x8A\xBF\x8A\xBF\x8A\xBF",
                          static_cast<std::int32_t>(text.size() * k / 3));
        }
        doc.WriteText(text);
        ASSERT_EQ(Shell("txt2pdbdoc -d '" + pdb.path() + "' '" + out.path() + "'"), 0);
        const std::string decoded = platform::ReadWholeFile(out.path());
        const std::string expected = Normalised(text);
        EXPECT_EQ(decoded.substr(0, expected.size()), expected);
        std::string records;  // the bookmark records, stored plain
        const TDocReader reader(pdb.path());
        for (std::size_t r = reader.record0().record_count + 1; r < reader.entries().size(); ++r) {
          records += reader.RecordBytes(static_cast<int>(r));
        }
        EXPECT_EQ(records.size(), 20u * static_cast<std::size_t>(marks));
        if (!compress || marks == 0) {
          EXPECT_EQ(decoded.substr(std::min(expected.size(), decoded.size())), records);
        }
      }
    }
  }
}

TEST(DocPeer, CommandLineWritesReadsAndRejects) {
  if (!platform::FileExists(kVesko)) GTEST_SKIP() << "vesko is not built";
  TScratchFile pdb("cli.pdb"), text("cli.txt"), bad("bad.pdb");
  // The title comes in UTF-8 and is stored as Shift JIS.
  ASSERT_EQ(Shell(kVesko + " doc write 'メール 2024' '" + kSample + "' '" + pdb.path() + "'"), 0);
  const std::string bytes = platform::ReadWholeFile(pdb.path());
  EXPECT_EQ(bytes.substr(0, 12), std::string("\x83\x81\x81\x5B\x83\x8B 2024\0", 12));
  ASSERT_EQ(Shell(kVesko + " doc read '" + pdb.path() + "' '" + text.path() + "'"), 0);
  EXPECT_EQ(platform::ReadWholeFile(text.path()), Normalised(platform::ReadWholeFile(kSample)));
  EXPECT_EQ(Shell(kVesko + " doc info '" + pdb.path() + "'"), 0);

  ASSERT_EQ(Shell(kVesko + " doc write --plain Plain '" + kSample + "' '" + pdb.path() + "'"), 0);
  ASSERT_EQ(Shell(kVesko + " doc read '" + pdb.path() + "' '" + text.path() + "'"), 0);
  EXPECT_EQ(platform::ReadWholeFile(text.path()), Normalised(platform::ReadWholeFile(kSample)));

  // A title that Shift JIS can't hold, and files that aren't Doc e-books: exit code 2.
  EXPECT_EQ(Shell(kVesko + " doc write '\xF0\x9F\x98\x80' '" + kSample + "' '" + pdb.path() + "'"), 2);
  platform::WriteWholeFile(bad.path(), std::string(100, '\x7F'));
  for (const char* command : {" doc read '", " doc info '"}) {
    EXPECT_EQ(Shell(kVesko + command + bad.path() + "'"), 2);
  }
  EXPECT_EQ(Shell(kVesko + " doc read '" + bad.path() + ".missing'"), 2);
}

TEST(DocPeer, WindowsBuildWritesTheSameRecords) {
  // The 32-bit build under wine, or where this system can't run 32-bit programs ("wine
  // --version" fails), the 64-bit build of the same code under 64-bit wine.
  const std::string run = VESKO_SOURCE_DIR "/cmake/wine-run";
  const struct {
    const char* exe;
    std::string wine;
    std::string probe;
  } builds[] = {
      {VESKO_SOURCE_DIR "/build/windows/vesko.exe", run + " ", "wine --version"},
      {VESKO_SOURCE_DIR "/build/windows64/vesko.exe", run + " --64 ",
       "/usr/lib/wine/wine64 --version"},
  };
  std::string wine_exe;
  for (const auto& b : builds) {
    if (wine_exe.empty() && platform::FileExists(b.exe) && Shell(b.probe) == 0) {
      wine_exe = b.wine + "'" + b.exe + "'";
    }
  }
  if (wine_exe.empty() || !platform::FileExists(kVesko)) {
    GTEST_SKIP() << "needs a Windows build's vesko.exe and a wine that runs it here";
  }
  TScratchFile linux_pdb("linux.pdb"), windows_pdb("windows.pdb"), input("long.txt");
  platform::WriteWholeFile(input.path(), LongText());
  for (const char* flags : {"", "--plain "}) {
    SCOPED_TRACE(flags);
    ASSERT_EQ(Shell(kVesko + " doc write " + flags + "Same '" + input.path() + "' '" +
                  linux_pdb.path() + "'"),
              0);
    ASSERT_EQ(Shell(wine_exe + " doc write " + flags + "Same '" + input.path() + "' '" +
                    windows_pdb.path() + "'"),
              0);
    // Only the two dates that come from the clock may differ.
    std::string a = platform::ReadWholeFile(linux_pdb.path());
    std::string b = platform::ReadWholeFile(windows_pdb.path());
    ASSERT_GT(a.size(), 44u);
    a.replace(36, 8, 8, '\0');
    if (b.size() > 44) b.replace(36, 8, 8, '\0');
    EXPECT_TRUE(a == b) << "the Linux and Windows builds wrote different records";
  }
}

}  // namespace
}  // namespace vesko
