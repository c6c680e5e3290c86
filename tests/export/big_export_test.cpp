// An export of 300 MB of text with a bookmark per mail, more than one e-book holds: it
// becomes several e-books, every mail is in exactly one of them and each e-book has a
// bookmark for each of its mails. It takes up to a minute and 1 GB of memory, so it runs
// only when VESKO_BIG_EXPORT is set (see the README):
//   VESKO_BIG_EXPORT=1 build/linux/tests/export_tests --gtest_filter='BigExport.*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "export/ExportCommand.h"
#include "palm/DocReader.h"
#include "platform/files.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

TEST(BigExport, ThreeHundredMegabytesInSeveralBooksEachMailOnce) {
  if (std::getenv("VESKO_BIG_EXPORT") == nullptr) GTEST_SKIP() << "set VESKO_BIG_EXPORT to run";
  constexpr int kMails = 3000;
  constexpr std::size_t kBodyBytes = 100 * 1024;  // 3,000 of them: 300 MB
  test::TScratchFolder root;
  fake::TFakeHost host(root.path());
  host.SetOption("Settings", "Target", "1");
  host.SetOption("Options", "FileName", "big");
  host.SetOption("Options", "DocBookmarks", "1");  // a record per mail beside the text
  // Prose-like lines from a fixed generator, so that the e-books pack as real mail does.
  static const char* const kWords[] = {"mail", "export", "the ", "palm", "doc", "record",
                                       "\x93\xfa\x96\x7b", "\x83\x81\x81\x5b\x83\x8b", "e-book"};
  unsigned seed = 1;
  for (int m = 0; m < kMails; ++m) {
    std::string body;
    body.reserve(kBodyBytes + 80);
    while (body.size() < kBodyBytes) {
      for (int w = 0; w < 12; ++w) {
        seed = seed * 1103515245u + 12345u;
        body += kWords[(seed >> 16) % std::size(kWords)];
        body += (seed >> 8) % 5 == 0 ? ", " : " ";
      }
      body += "\r\n";
    }
    host.AddMail(std::to_string(m), "From: a@example.jp\r\nSubject: mail " + std::to_string(m) +
                                        "\r\n\r\n" + body);
  }
  RunExportCommand();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].icon, TMessageIcon::kInformation) << host.messages[0].text;
  host.mails.clear();

  std::vector<int> seen(kMails, 0);
  int books = 0;
  for (int k = 1;; ++k) {
    const std::string path = root / ("big-" + std::to_string(k) + ".pdb");
    if (!platform::FileExists(path)) break;
    ++books;
    const TDocReader reader(path);
    const std::string text = reader.ReadText();
    int in_book = 0;
    for (std::size_t at = text.find("\nSubject:mail "); at != std::string::npos;
         at = text.find("\nSubject:mail ", at + 1)) {
      const int m = std::atoi(text.c_str() + at + 14);
      ASSERT_TRUE(m >= 0 && m < kMails);
      ++seen[static_cast<std::size_t>(m)];
      ++in_book;
    }
    EXPECT_EQ(text.rfind("#!Medoc index " + std::to_string(in_book) + "\n", 0), 0u);
    EXPECT_EQ(reader.Bookmarks().size(), static_cast<std::size_t>(in_book));
  }
  EXPECT_GE(books, 2);
  EXPECT_EQ(seen, std::vector<int>(kMails, 1));
  EXPECT_EQ(host.selections.size(), static_cast<std::size_t>(kMails));
}

}  // namespace
}  // namespace vesko
