// Inputs for the benchmarks, built once per program: Japanese prose in Shift JIS taken from
// the Japanese manual pages on the machine (package manpages-ja), as mail text would carry it.
#pragma once

#include <cstddef>
#include <string>

namespace vesko::bench {

// About `bytes` bytes of Shift JIS prose with CR LF line ends, cut at a line end. The
// manual pages are repeated when they hold less. Aborts when none can be read.
std::string ShiftJisProse(std::size_t bytes);

}  // namespace vesko::bench
