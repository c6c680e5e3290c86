#include "bench/support/Process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>

extern char** environ;

namespace vesko::bench {
namespace {

// Starts argv[0] with argv and waits for it.
TProcessRun Spawn(const char* const argv[]) {
  TProcessRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    return run;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return run;
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

}  // namespace

TProcessRun RunProcess(const std::string& command) {
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  return Spawn(argv);
}

double PeakMegabytes(const std::string& command) {
  char report[] = "/tmp/vesko-bench-peak-XXXXXX";
  const int fd = ::mkstemp(report);
  if (fd < 0) return -1;
  ::close(fd);
  // GNU time starts the shell from its own small image, and reports the largest of the
  // shell and the programs the shell waits for.
  const char* argv[] = {"/usr/bin/time", "-f", "%M", "-o", report, "/bin/sh", "-c",
                        command.c_str(), nullptr};
  double peak = -1;
  if (Spawn(argv).ok) {
    if (std::FILE* file = std::fopen(report, "r")) {
      long kilobytes = 0;
      if (std::fscanf(file, "%ld", &kilobytes) == 1) peak = static_cast<double>(kilobytes) / 1024.0;
      std::fclose(file);
    }
  }
  ::unlink(report);
  return peak;
}

void RegisterVeskoBenchmarks(const std::string& name, TVeskoBenchmark run, int iterations) {
  const std::pair<const char*, std::string> programs[] = {
      {"Release", VESKO_BINARY_DIR "/vesko"},
      {"RelWithDebInfo", VESKO_SOURCE_DIR "/build/linux/vesko"}};
  for (const auto& [build, program] : programs) {
    if (::access(program.c_str(), X_OK) != 0) continue;
    for (int threads : {1, 2}) {
      const std::string full = name + "/" + build + "/threads:" + std::to_string(threads);
      benchmark::RegisterBenchmark(full.c_str(), run, program, threads)
          ->Unit(benchmark::kMillisecond)
          ->UseManualTime()
          ->Iterations(iterations);
    }
  }
}

}  // namespace vesko::bench
