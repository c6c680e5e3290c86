#include "platform/crash.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

namespace vesko::platform {
namespace {

const char* program_name = "";

void Write(const char* text) noexcept {
  const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

// Only async-signal-safe calls: write and _exit.
void OnCrash(int signal) {
  Write(program_name);
  Write(": crashed: ");
  switch (signal) {
    case SIGSEGV: Write("invalid memory access (segmentation fault)"); break;
    case SIGBUS: Write("bus error"); break;
    case SIGILL: Write("illegal instruction"); break;
    default: Write("arithmetic fault"); break;
  }
  Write("\n");
  ::_exit(kCrashExitCode);
}

}  // namespace

void ReportCrashes(const char* program) noexcept {
  program_name = program;
  // A stack of its own, so that a stack overflow is reported too.
  static char stack[64 * 1024];
  stack_t alternate{};
  alternate.ss_sp = stack;
  alternate.ss_size = sizeof stack;
  ::sigaltstack(&alternate, nullptr);
  struct sigaction action {};
  action.sa_handler = OnCrash;
  action.sa_flags = SA_ONSTACK;
  ::sigemptyset(&action.sa_mask);
  for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) ::sigaction(signal, &action, nullptr);
}

}  // namespace vesko::platform
