#include "bench/support/Process.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

extern char** environ;

namespace vesko::bench {

TProcessRun RunProcess(const std::string& command) {
  TProcessRun run;
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    return run;
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) return run;
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  // The largest of the shell and the programs it waited for.
  run.peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return run;
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
