#include "platform/crash.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace vesko::platform {
namespace {

const char* program_name = "";

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  const char* reason = record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION
                           ? "access violation"
                           : record->ExceptionCode == EXCEPTION_STACK_OVERFLOW ? "stack overflow"
                                                                               : "exception";
  char line[256];
  std::snprintf(line, sizeof line, "%s: crashed: %s (code 0x%08lX at %p)\n", program_name,
                reason, static_cast<unsigned long>(record->ExceptionCode),
                record->ExceptionAddress);
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(std::strlen(line)),
              &written, nullptr);
  ::ExitProcess(kCrashExitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void ReportCrashes(const char* program) noexcept {
  program_name = program;
  // No crash dialog and no debugger: the line on stderr is the whole report.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  ::SetUnhandledExceptionFilter(OnCrash);
}

}  // namespace vesko::platform
