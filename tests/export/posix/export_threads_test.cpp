// The export of a folder like the benchmark's (mails from bench/gen_mails.py, every clean-up
// on) writes the same e-book whatever the number of threads that pack its records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/ExportCommand.h"
#include "palm/DocPack.h"
#include "platform/files.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

namespace fs = std::filesystem;
using fake::TFakeHost;

constexpr int kMails = 400;

TEST(ExportThreads, BookIsTheSameWithOneThreadOrMore) {
  test::TScratchFolder mails;
  const std::string command = "python3 '" VESKO_SOURCE_DIR "/bench/gen_mails.py' '" +
                              mails.path() + "' " + std::to_string(kMails) + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) {
    GTEST_SKIP() << "bench/gen_mails.py could not run (python3 and manpages-ja are needed)";
  }
  std::string first;
  for (int threads : {1, 2, kMaxDocThreads}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    SetDefaultDocThreads(threads);
    test::TScratchFolder root;
    TFakeHost host(root.path());
    for (int i = 1; i <= kMails; ++i) {
      const std::string id = std::to_string(i);
      host.AddMail(id, platform::ReadWholeFile((fs::path(mails.path()) / (id + ".eml")).string()));
    }
    for (const char* option :
         {"DelSpace", "DelDBSpace", "DelCRLF", "ZentoHan", "ZentoHanKana", "SaveMeDoc"}) {
      host.SetOption("Options", option, "1");
    }
    host.SetOption("Settings", "Target", "1");
    host.SetOption("Options", "FileName", "");  // the temporary file's name
    RunExportCommand();
    ASSERT_EQ(host.messages.size(), 1u);
    ASSERT_EQ(host.messages[0].caption, "Information");
    std::string book = platform::ReadWholeFile(root / "bk1.pdb");
    ASSERT_GT(book.size(), 200u * 1024u);  // many records, so the workers have work
    book.replace(36, 8, 8, '\0');          // the creation and modification dates
    if (first.empty()) first = book;
    EXPECT_TRUE(book == first);
  }
  SetDefaultDocThreads(0);
}

}  // namespace
}  // namespace vesko
