// Doc compression on about 10 MB of Shift JIS prose: the fast compressor, the plain window
// scan it must match byte for byte, and Debian's txt2pdbdoc as a whole process on the same
// text. Also the whole writer (normalising, packing, saving) for the export's view.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/Corpus.h"
#include "palm/DocCompress.h"
#include "palm/DocFile.h"
#include "platform/files.h"
// The reference is kept with the tests; the benchmark build compiles its own copy.
#include "tests/support/DocCompressReference.cpp"

namespace {

constexpr std::size_t kProseBytes = 10 << 20;

const std::string& Prose() {
  static const std::string text = vesko::bench::ShiftJisProse(kProseBytes);
  return text;
}

// The text as the writer packs it: line ends normalised, cut into 4,096-byte pieces.
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = [] {
    std::vector<vesko::TDocBookmark> none;
    const std::string text = vesko::NormalizeLineEnds(Prose(), none);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size(); i += vesko::kDocRecordSize) {
      out.push_back(text.substr(i, vesko::kDocRecordSize));
    }
    return out;
  }();
  return pieces;
}

std::int64_t PiecesBytes() {
  std::int64_t total = 0;
  for (const auto& p : Pieces()) total += static_cast<std::int64_t>(p.size());
  return total;
}

template <typename Compressor>
void CompressAll(benchmark::State& state, Compressor compress) {
  std::int64_t packed = 0;
  for (auto _ : state) {
    packed = 0;
    for (const auto& piece : Pieces()) packed += static_cast<std::int64_t>(compress(piece).size());
  }
  state.SetBytesProcessed(state.iterations() * PiecesBytes());
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(PiecesBytes());
}

void BM_DocCompressFast(benchmark::State& state) {
  CompressAll(state, [](const std::string& p) { return vesko::DocCompress(p); });
}
BENCHMARK(BM_DocCompressFast)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DocCompressReference(benchmark::State& state) {
  CompressAll(state, [](const std::string& p) { return vesko::testing::DocCompressReference(p); });
}
BENCHMARK(BM_DocCompressReference)->Unit(benchmark::kMillisecond)->Iterations(1);

std::string ScratchFile(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/vesko_doc_bench_" + name;
}

// The whole txt2pdbdoc process: start, read, pack and write the file.
void BM_Txt2pdbdocProcess(benchmark::State& state) {
  if (std::system("command -v txt2pdbdoc >/dev/null 2>&1") != 0) {
    state.SkipWithError("txt2pdbdoc is not installed");
    return;
  }
  const std::string in = ScratchFile("in.txt"), out = ScratchFile("out.pdb");
  vesko::platform::WriteWholeFile(in, Prose());
  const std::string command = "txt2pdbdoc Bench '" + in + "' '" + out + "' >/dev/null 2>&1";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("txt2pdbdoc failed");
      break;
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Prose().size()));
  state.counters["ratio"] = static_cast<double>(vesko::platform::FileSizeOf(out)) /
                            static_cast<double>(Prose().size());
  vesko::platform::RemoveFile(in);
  vesko::platform::RemoveFile(out);
}
BENCHMARK(BM_Txt2pdbdocProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

// Vesko's whole writer on the same text: normalising, packing and saving the file.
void BM_DocFileWriteText(benchmark::State& state) {
  const std::string out = ScratchFile("writer.pdb");
  for (auto _ : state) vesko::TDocFile(out, "Bench", true).WriteText(Prose());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Prose().size()));
  vesko::platform::RemoveFile(out);
}
BENCHMARK(BM_DocFileWriteText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
