// The whole export of a big folder, as the user waits for it: 10,000 generated mails of
// mixed content (bench/gen_mails.py) through the real pipeline (MIME parsing, decoding,
// every clean-up, the MeDoc index, Doc compression, the copy into the save folder), served
// by the unit tests' in-process fake host, whose converters pass text through. The argument
// switches the body decodings of section "Options" (DecodeTransfer, HtmlToText,
// MoreCharsets, Forwarded, KeepUndecoded): 0 all off, 1 all on.
//
// The mails are read from $VESKO_BENCH_MAILS, or generated into a temporary folder.
// Reports mails per second of wall-clock time, the export text's size, the process's peak
// memory and the part of it above what the loaded mails already took (export_peak_MB; the
// process's peak, so a later run shows at least an earlier one's). Runs with one packing
// thread and with two, and checks that both write the same book. BM_VeskoExportProcess
// times the same export as the whole `vesko export` process, with the real mail host.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "bench/support/Process.h"
#include "export/ExportCommand.h"
#include "host/Settings.h"
#include "mailhost/MailStore.h"
#include "palm/DocPack.h"
#include "palm/DocReader.h"
#include "platform/files.h"
#include "tests/support/FakeHost.h"

// The fake host is compiled into the benchmark, which doesn't link the test support.
#include "tests/support/FakeHost.cpp"

namespace vesko {
namespace {

namespace fs = std::filesystem;

std::string MailFolder() {
  if (const char* folder = std::getenv("VESKO_BENCH_MAILS")) return folder;
  // Named for the generator's mix: a folder of an older mix is not reused.
  const std::string folder = (fs::temp_directory_path() / "vesko-bench-mails-2").string();
  if (!fs::exists(fs::path(folder) / "10000.eml")) {
    const std::string command =
        "python3 '" VESKO_SOURCE_DIR "/bench/gen_mails.py' '" + folder + "' 10000 >&2";
    if (std::system(command.c_str()) != 0) std::abort();
  }
  return folder;
}

void LoadMails(fake::TFakeHost& host, const std::string& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".eml") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    return std::stoi(a.stem().string()) < std::stoi(b.stem().string());
  });
  for (const fs::path& file : files) {
    host.AddMail(file.stem().string(), platform::ReadWholeFile(file.string()));
  }
}

// The process's resident memory now, from /proc/self/statm.
double ResidentMegabytes() {
  std::FILE* file = std::fopen("/proc/self/statm", "r");
  long pages = 0, resident = 0;
  if (file != nullptr) {
    if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(file);
  }
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

void BM_ExportFolder(benchmark::State& state) {
  SetDefaultDocThreads(static_cast<int>(state.range(1)));
  const fs::path root = fs::temp_directory_path() / "vesko-bench-export";
  fs::remove_all(root);
  fs::create_directory(root);
  fake::TFakeHost host(root.string());
  LoadMails(host, MailFolder());
  for (const char* option :
       {"DelSpace", "DelDBSpace", "DelCRLF", "ZentoHan", "ZentoHanKana", "SaveMeDoc"}) {
    host.SetOption("Options", option, "1");
  }
  for (const char* key :
       {kDecodeTransferKey, kHtmlToTextKey, kMoreCharsetsKey, kForwardedKey, kKeepUndecodedKey}) {
    host.SetOption("Options", key, state.range(0) != 0 ? "1" : "0");
  }
  host.SetOption("Options", kDocBookmarksKey, state.range(2) != 0 ? "1" : "0");
  host.SetOption("Options", kUtf8TextKey, state.range(2) != 0 ? "1" : "0");
  host.SetOption("Options", kFileNameKey, "");  // the book keeps the temporary file's name
  host.SetOption("Settings", "Target", "1");
  // Each export delivers its e-book into a folder of its own, emptied before every run.
  const fs::path saved = root / "saved";
  host.SetOption("Options", "SavePath", saved.string() + "/");
  const double before_mb = ResidentMegabytes();  // the host's mails are loaded by now
  std::string book;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(saved);
    fs::create_directory(saved);
    host.messages.clear();
    state.ResumeTiming();
    RunExportCommand();
    if (host.messages.size() != 1 || host.messages[0].caption != "Information") {
      state.SkipWithError("the export failed");
      break;
    }
  }
  for (const auto& entry : fs::directory_iterator(saved)) book = entry.path().string();
  const std::size_t mails = host.mails.size();
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * mails));
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["mails"] = static_cast<double>(mails);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["export_peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0 - before_mb;
  if (!book.empty()) {
    state.counters["text_MB"] = static_cast<double>(TDocReader(book).ReadText().size()) / 1e6;
    state.counters["pdb_MB"] = static_cast<double>(platform::FileSizeOf(book)) / 1e6;
    // Every thread count must write the one-thread book (the header dates aside).
    static std::string one_thread;
    std::string bytes = platform::ReadWholeFile(book);
    bytes.replace(36, 8, 8, '\0');
    if (state.range(0) == 0 || state.range(2) != 0) {
      // Other decodings, or bookmarks and UTF-8: another book.
    } else if (state.range(1) == 1) {
      one_thread = std::move(bytes);
    } else if (!one_thread.empty() && bytes != one_thread) {
      state.SkipWithError("the book differs from the one-thread book");
    }
  }
  fs::remove_all(root);
}
// The new body decodings off and on, the Doc records packed by one thread and by two, and
// a bookmark per mail with the text in UTF-8.
BENCHMARK(BM_ExportFolder)
    ->ArgNames({"decodings", "threads", "marks_utf8"})
    ->Args({0, 1, 0})
    ->Args({1, 1, 0})
    ->Args({1, 2, 0})
    ->Args({1, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()  // the whole export as the user waits for it, packing threads included
    ->Iterations(3);

// The whole `vesko export` process on the same mails, as a user runs it: the folder of
// .eml files as the store, every clean-up on, all mails taken and marked read, the e-book
// saved into a folder. Reports mails per second of wall-clock time (mean, and the best
// run), the process's peak memory beside the export text's size, and checks that every
// thread count writes the one-thread book.
void BM_VeskoExportProcess(benchmark::State& state, const std::string& program, int threads) {
  const std::string mails = MailFolder();
  const fs::path root = fs::temp_directory_path() / "vesko-bench-export-process";
  fs::remove_all(root);
  const fs::path data = root / "data", saved = root / "saved";
  fs::create_directories(saved);
  const std::string vesko = "'" + program + "' --data '" + data.string() + "' ";
  for (const char* option :
       {"DelSpace", "DelDBSpace", "DelCRLF", "ZentoHan", "ZentoHanKana", "SaveMeDoc"}) {
    if (!bench::RunProcess(vesko + "config set Options " + option + " 1 >/dev/null").ok) {
      state.SkipWithError("vesko config set failed");
      return;
    }
  }
  const std::string command = vesko + "export --store '" + mails + "' --target all --output '" +
                              saved.string() + "' --threads " + std::to_string(threads) +
                              " >/dev/null";
  const std::size_t count = static_cast<std::size_t>(std::count_if(
      fs::directory_iterator(mails), fs::directory_iterator(),
      [](const fs::directory_entry& e) { return e.path().extension() == ".eml"; }));
  double best = 1e9;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(saved);
    fs::create_directory(saved);
    fs::remove(fs::path(mails) / mailhost::kEmlReadListName);  // every run marks every mail read
    state.ResumeTiming();
    const bench::TProcessRun run = bench::RunProcess(command);
    if (!run.ok) {
      state.SkipWithError("vesko export failed");
      break;
    }
    best = std::min(best, run.seconds);
    state.SetIterationTime(run.seconds);
  }
  std::string book;
  for (const auto& entry : fs::directory_iterator(saved)) book = entry.path().string();
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
  state.counters["best_mails/s"] = static_cast<double>(count) / best;
  if (!book.empty()) {
    const double text_mb = static_cast<double>(TDocReader(book).ReadText().size()) / 1048576.0;
    state.counters["text_MB"] = text_mb;
    state.counters["peak_limit_MB"] = 3 * text_mb + 64;  // what the peak must stay under
    static std::string one_thread;
    std::string bytes = platform::ReadWholeFile(book);
    bytes.replace(36, 8, 8, '\0');
    if (threads == 1) {
      one_thread = std::move(bytes);
    } else if (!one_thread.empty() && bytes != one_thread) {
      state.SkipWithError("the book differs from the one-thread book");
    }
  }
  fs::remove_all(saved);
  fs::create_directory(saved);
  fs::remove(fs::path(mails) / mailhost::kEmlReadListName);
  state.counters["peak_MB"] = bench::PeakMegabytes(command);
  fs::remove(fs::path(mails) / mailhost::kEmlReadListName);
  fs::remove_all(root);
}

const bool kProcessBenchmarks = [] {
  bench::RegisterVeskoBenchmarks("BM_VeskoExportProcess", BM_VeskoExportProcess, 5);
  return true;
}();

}  // namespace
}  // namespace vesko
