#include "palm/DocPack.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "palm/DocCompress.h"
#include "palm/DocFile.h"
#include "platform/files.h"
#include "tests/palm/palm_test_util.h"

namespace vesko {
namespace {

using testing::TScratchFile;

// Mail-like Shift JIS text: pieces of the bundled sample at random places, runs of blanks,
// CR LF line ends, as the export text holds it.
std::string MailLikeText(std::size_t size, unsigned seed) {
  const std::string sample = platform::ReadWholeFile(VESKO_SOURCE_DIR "/samples/sample.txt");
  std::mt19937 rng(seed);
  std::string text;
  while (text.size() < size) {
    text += sample.substr(rng() % sample.size(), rng() % 900);
    text += std::string(rng() % 5, ' ');
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

// What one thread packs: each piece of the text without its CRs through one compressor,
// in order.
std::vector<std::string> PackedAlone(const std::string& raw) {
  std::vector<TDocBookmark> none;
  const std::string text = NormalizeLineEnds(raw, none);
  TDocCompressor compressor;
  std::vector<std::string> out;
  for (std::size_t at = 0; at < text.size(); at += kDocRecordSize) {
    out.push_back(compressor.Compress(std::string_view(text).substr(at, kDocRecordSize)));
  }
  return out;
}

TEST(DocPack, HandsOnEveryPieceInOrderOnTheCallingThread) {
  struct TCase {
    const char* name;
    std::size_t size;
  };
  const TCase cases[] = {{"empty", 0},          {"one byte", 1},
                         {"one short piece", 4095}, {"one whole piece", 4096},
                         {"a byte past one piece", 4097}, {"two pieces", 8192},
                         {"many pieces", 300 * 1024 + 17}};
  for (const auto& c : cases) {
    const std::string text = MailLikeText(c.size, static_cast<unsigned>(c.size));
    const std::vector<std::string> expected = PackedAlone(text);
    for (int threads : {0, 1, 2, 3, kMaxDocThreads}) {
      SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
      std::vector<std::string> got;
      bool on_caller = true;
      const auto caller = std::this_thread::get_id();
      PackDocPieces(TDocPieces(text), threads, [&](std::size_t index, std::string packed) {
        on_caller = on_caller && std::this_thread::get_id() == caller;
        EXPECT_EQ(index, got.size());
        got.push_back(std::move(packed));
      });
      EXPECT_TRUE(on_caller);
      ASSERT_EQ(got.size(), expected.size());
      for (std::size_t k = 0; k < got.size(); ++k) {
        ASSERT_EQ(got[k], expected[k]) << "piece " << k;
      }
    }
  }
}

TEST(DocPack, AFailureInTakeStopsTheWorkersAndPropagates) {
  const std::string text = MailLikeText(200 * kDocRecordSize, 5);
  const std::size_t last = TDocPieces(text).Count() - 1;
  for (std::size_t failing : {std::size_t{0}, std::size_t{1}, std::size_t{150}, last}) {
    for (int threads : {1, 2, kMaxDocThreads}) {
      SCOPED_TRACE("fails at " + std::to_string(failing) + ", threads " + std::to_string(threads));
      std::size_t taken = 0;
      EXPECT_THROW(PackDocPieces(TDocPieces(text), threads,
                                 [&](std::size_t index, const std::string&) {
                                   ++taken;
                                   if (index == failing) throw std::runtime_error("cancelled");
                                 }),
                   std::runtime_error);
      EXPECT_EQ(taken, failing + 1);
    }
  }
}

// The e-book of a benchmark-sized text is the same file whatever the thread count.
TEST(DocPack, DocFileBytesDoNotDependOnThreads) {
  const std::string text = MailLikeText(3 << 20, 9);
  std::string first;
  for (int threads : {1, 2, kMaxDocThreads}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    TScratchFile file("threads.pdb");
    TDocFile doc(file.path(), "Threads", true);
    doc.SetThreads(threads);
    std::vector<int> progress;
    doc.WriteText(text, [&](int percent) { progress.push_back(percent); });
    std::string bytes = platform::ReadWholeFile(file.path());
    bytes.replace(36, 8, 8, '\0');  // the creation and modification dates
    if (first.empty()) first = bytes;
    EXPECT_TRUE(bytes == first);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.size(), doc.RecordCount() - 1u);
    EXPECT_EQ(progress.back(), 100);
  }
}

TEST(DocPack, DefaultThreadsCanBeChosen) {
  const int automatic = DefaultDocThreads();
  EXPECT_GE(automatic, 1);
  EXPECT_LE(automatic, kMaxDocThreads);
  const struct {
    int set, expected;
  } cases[] = {{1, 1}, {2, 2}, {kMaxDocThreads + 5, kMaxDocThreads}, {0, automatic}, {-3, automatic}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    SetDefaultDocThreads(c.set);
    EXPECT_EQ(DefaultDocThreads(), c.expected);
    EXPECT_EQ(TDocFile("unused.pdb", "t", true).Threads(), c.expected);
  }
  SetDefaultDocThreads(0);
}

}  // namespace
}  // namespace vesko
