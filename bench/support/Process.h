// Whole processes as a user runs them, for the benchmarks that time a program from start
// to exit.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

namespace vesko::bench {

struct TProcessRun {
  bool ok = false;     // it ran and exited with 0
  double seconds = 0;  // from start to exit, wall-clock
};

// Runs command through /bin/sh and waits for it.
TProcessRun RunProcess(const std::string& command);

// The largest resident memory of command's programs, in MB, from one more run under GNU
// time; -1 when that fails. (A program started from this process would report this
// process's memory as its own: the system keeps the peak of the image it replaced.)
double PeakMegabytes(const std::string& command);

// A benchmark of the vesko program, run with one or two packing threads.
using TVeskoBenchmark = void (*)(benchmark::State& state, const std::string& program, int threads);
// Registers run as name/<build>/threads:<1|2> for this build's vesko (Release) and the
// demo's (build/linux, RelWithDebInfo) when that has been built, each timed over
// `iterations` runs of the whole process.
void RegisterVeskoBenchmarks(const std::string& name, TVeskoBenchmark run, int iterations);

}  // namespace vesko::bench
