// What the program does when it crashes, for example on an access violation inside the
// plug-in it loaded: one line on stderr, "<program>: crashed: <reason>", and the exit code
// kCrashExitCode at once, instead of a core dump or a crash dialog that would hold up an
// unattended run.
#pragma once

namespace vesko::platform {

inline constexpr int kCrashExitCode = 4;

// Installs the crash report for the whole process; program names it in the line.
void ReportCrashes(const char* program) noexcept;

}  // namespace vesko::platform
