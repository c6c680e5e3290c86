// Doc compression on about 10 MB of Shift JIS prose: the fast compressor, the plain window
// scan it must match byte for byte, and Debian's txt2pdbdoc as a whole process on the same
// text. Also the whole writer (normalising, packing, saving) for the export's view, and the
// whole `vesko doc write` process as a user runs it, each with one packing thread and with
// two: this build's program (Release) and the demo's (build/linux, RelWithDebInfo) when it
// has been built. Every file written with more threads must equal the one-thread file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/Corpus.h"
#include "bench/support/Process.h"
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
  vesko::TDocCompressor compressor;
  CompressAll(state, [&](const std::string& p) { return compressor.Compress(p); });
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

// The whole txt2pdbdoc process: start, read, pack and write the file. As for vesko below,
// each run writes a new file: the one before is removed first, outside the timing.
void BM_Txt2pdbdocProcess(benchmark::State& state) {
  if (std::system("command -v txt2pdbdoc >/dev/null 2>&1") != 0) {
    state.SkipWithError("txt2pdbdoc is not installed");
    return;
  }
  const std::string in = ScratchFile("in.txt"), out = ScratchFile("out.pdb");
  vesko::platform::WriteWholeFile(in, Prose());
  const std::string command = "txt2pdbdoc Bench '" + in + "' '" + out + "' >/dev/null 2>&1";
  for (auto _ : state) {
    state.PauseTiming();
    vesko::platform::RemoveFile(out);
    state.ResumeTiming();
    const vesko::bench::TProcessRun run = vesko::bench::RunProcess(command);
    if (!run.ok) {
      state.SkipWithError("txt2pdbdoc failed");
      break;
    }
    state.SetIterationTime(run.seconds);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Prose().size()));
  state.counters["ratio"] = static_cast<double>(vesko::platform::FileSizeOf(out)) /
                            static_cast<double>(Prose().size());
  vesko::platform::RemoveFile(in);
  vesko::platform::RemoveFile(out);
}
BENCHMARK(BM_Txt2pdbdocProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

// The file's bytes without the two header dates that Save takes from the clock.
std::string WithoutDates(std::string bytes) {
  if (bytes.size() >= 44) bytes.replace(36, 8, 8, '\0');
  return bytes;
}

// The e-book that one packing thread makes of the prose, dates cleared.
const std::string& OneThreadBook() {
  static const std::string book = [] {
    const std::string out = ScratchFile("one-thread.pdb");
    vesko::TDocFile doc(out, "Bench", true);
    doc.SetThreads(1);
    doc.WriteText(Prose());
    std::string bytes = WithoutDates(vesko::platform::ReadWholeFile(out));
    vesko::platform::RemoveFile(out);
    return bytes;
  }();
  return book;
}

// Vesko's whole writer on the same text: normalising, packing and saving the file.
void BM_DocFileWriteText(benchmark::State& state) {
  const std::string out = ScratchFile("writer.pdb");
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    vesko::TDocFile doc(out, "Bench", true);
    doc.SetThreads(threads);
    doc.WriteText(Prose());
  }
  if (WithoutDates(vesko::platform::ReadWholeFile(out)) != OneThreadBook()) {
    state.SkipWithError("the file differs from the one-thread file");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Prose().size()));
  vesko::platform::RemoveFile(out);
}
BENCHMARK(BM_DocFileWriteText)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)
    ->UseRealTime()  // the packing threads' work counts too
    ->MinTime(2.0);

// The whole `vesko doc write` process: start, read the file, write the e-book, exit, into a
// new file each time (replacing a file adds the system's work of freeing the old one).
// Reports the mean and the best run, since other work on the machine slows single runs.
void BM_VeskoDocWriteProcess(benchmark::State& state, const std::string& program, int threads) {
  const std::string in = ScratchFile("process-in.txt"), out = ScratchFile("process-out.pdb");
  vesko::platform::WriteWholeFile(in, Prose());
  // As a user runs it, so the input's encoding is told by looking; the line that says so
  // goes to stderr.
  const std::string command = "'" + program + "' doc write --threads " +
                              std::to_string(threads) + " Bench '" + in + "' '" + out +
                              "' >/dev/null 2>&1";
  double best = 1e9;
  for (auto _ : state) {
    state.PauseTiming();
    vesko::platform::RemoveFile(out);
    state.ResumeTiming();
    const vesko::bench::TProcessRun run = vesko::bench::RunProcess(command);
    if (!run.ok) {
      state.SkipWithError("vesko doc write failed");
      break;
    }
    best = std::min(best, run.seconds);
    state.SetIterationTime(run.seconds);
  }
  if (WithoutDates(vesko::platform::ReadWholeFile(out)) != OneThreadBook()) {
    state.SkipWithError("the file differs from the one-thread file");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Prose().size()));
  state.counters["best_MB/s"] = static_cast<double>(Prose().size()) / best / 1048576.0;
  vesko::platform::RemoveFile(out);
  state.counters["peak_MB"] = vesko::bench::PeakMegabytes(command);
  vesko::platform::RemoveFile(in);
  vesko::platform::RemoveFile(out);
}

const bool kProcessBenchmarks = [] {
  vesko::bench::RegisterVeskoBenchmarks("BM_VeskoDocWriteProcess", BM_VeskoDocWriteProcess, 7);
  return true;
}();

}  // namespace
