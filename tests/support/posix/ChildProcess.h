// Runs a piece of a test in a child process, for what a test must not do to itself: a
// file size limit that stands in for a full disk, several writers at once, a process
// that dies.
#pragma once

#include <functional>

namespace vesko::test {

// Forks, runs body in the child and ends the child with body's result as its exit code
// (an exception ends it with 99). Returns the pid without waiting.
int StartChild(const std::function<int()>& body);
// Waits for a child; its exit code, or -1 when it did not exit by itself.
int WaitChild(int pid);
// StartChild and WaitChild in one.
int RunInChild(const std::function<int()>& body);
// Runs body in a child whose files can grow to at most max_bytes: writes beyond that
// fail as on a full disk.
int RunWithFileSizeLimit(long max_bytes, const std::function<int()>& body);

}  // namespace vesko::test
