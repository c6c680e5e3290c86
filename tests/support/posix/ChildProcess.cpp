#include "tests/support/posix/ChildProcess.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace vesko::test {

int StartChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  int code = 99;
  try {
    code = body();
  } catch (...) {
  }
  std::fflush(nullptr);
  ::_exit(code);
}

int WaitChild(int pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunInChild(const std::function<int()>& body) { return WaitChild(StartChild(body)); }

int RunWithFileSizeLimit(long max_bytes, const std::function<int()>& body) {
  return RunInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
    const rlimit limit{static_cast<rlim_t>(max_bytes), static_cast<rlim_t>(max_bytes)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return body();
  });
}

}  // namespace vesko::test
