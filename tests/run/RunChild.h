// vorun-run as a process of its own, for what only a real process shows: a
// signal from outside, a limit set on it, its exit status.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vorun::test {

// Starts the program with args; its stderr goes to errFile. prepare runs in
// the child before the program starts (limits, another user). The leak
// check is off in the child: under a process limit it could not start the
// thread it needs and would fail the run for a reason of its own.
inline pid_t StartRun(const std::vector<std::string>& args, const std::string& errFile,
                      const std::function<void()>& prepare = {}) {
  std::vector<std::string> all{VORUN_RUN_PROGRAM};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (err >= 0) ::dup2(err, STDERR_FILENO);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (prepare) prepare();
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

// The wait status of the child.
inline int WaitForRun(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  return status;
}

// Waits until ready() holds or the seconds have passed.
inline bool WaitUntil(const std::function<bool()>& ready, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace vorun::test
