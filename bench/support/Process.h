// Whole processes as a user runs them, for the benchmarks that time a program from start
// to exit.
#pragma once

#include <string>

namespace vesko::bench {

struct TProcessRun {
  bool ok = false;         // it ran and exited with 0
  double seconds = 0;      // from start to exit, wall-clock
  double peak_mb = 0;      // its largest resident memory
};

// Runs command through /bin/sh and waits for it.
TProcessRun RunProcess(const std::string& command);

}  // namespace vesko::bench
