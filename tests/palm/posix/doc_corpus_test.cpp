// The Doc writer on the benchmarks' corpus: Shift JIS prose from the Japanese manual pages
// with CR LF line ends, as bench/doc_bench.cpp packs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/Corpus.h"
#include "palm/DocCompress.h"
#include "palm/DocFile.h"
#include "palm/DocPack.h"
#include "palm/DocReader.h"
#include "platform/files.h"
#include "tests/palm/palm_test_util.h"
#include "tests/support/DocCompressReference.h"

namespace vesko {
namespace {

using testing::TScratchFile;

bool HaveManualPages() { return std::system("ls /usr/share/man/ja >/dev/null 2>&1") == 0; }

const std::string& Prose() {
  static const std::string text = bench::ShiftJisProse(std::size_t{3} << 20);
  return text;
}

// Every thread count writes the one-thread file, whose text reads back as the prose with
// LF line ends.
TEST(DocCorpus, EBookBytesDoNotDependOnThreads) {
  if (!HaveManualPages()) GTEST_SKIP() << "needs manpages-ja";
  std::vector<TDocBookmark> none;
  const std::string stored = NormalizeLineEnds(Prose(), none);
  std::string one_thread;
  for (int threads : {1, 2, kMaxDocThreads}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    TScratchFile file("corpus.pdb");
    TDocFile doc(file.path(), "Corpus", true);
    doc.SetThreads(threads);
    doc.WriteText(Prose());
    std::string bytes = platform::ReadWholeFile(file.path());
    bytes.replace(36, 8, 8, '\0');  // the creation and modification dates
    if (threads == 1) {
      one_thread = bytes;
      EXPECT_TRUE(TDocReader(file.path()).ReadText() == stored);
    }
    EXPECT_TRUE(bytes == one_thread);
  }
}

// The fast compressor packs the corpus's pieces as the plain window scan does; a stretch
// of it, since the plain scan is slow.
TEST(DocCorpus, CompressorMatchesThePlainScan) {
  if (!HaveManualPages()) GTEST_SKIP() << "needs manpages-ja";
  const TDocPieces pieces(Prose());
  TDocCompressor compressor;
  std::string piece;
  for (std::size_t k = 0; k < pieces.Count(); k += 16) {
    pieces.Piece(k, piece);
    ASSERT_TRUE(compressor.Compress(piece) == testing::DocCompressReference(piece)) << "piece " << k;
  }
}

}  // namespace
}  // namespace vesko
