// For tests that a file operation does not hang on a named pipe: the body runs
// on the calling thread while a watchdog waits. Past the deadline the watchdog
// opens the pipe from the other side (for reading and writing at once, which
// never blocks), so that a blocked open, read or write comes back, and the
// test fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace vorun::test {

// True when body returned within the deadline without the watchdog's help.
inline bool FinishesWithoutHelp(const std::string& fifo, const std::function<void()>& body,
                                std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
  std::atomic<bool> done{false};
  std::atomic<bool> helped{false};
  // A writer released this way may find its reader gone.
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  std::thread watchdog([&] {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!done) {
      if (std::chrono::steady_clock::now() >= until) {
        helped = true;
        const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (fd >= 0) ::close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  body();
  done = true;
  watchdog.join();
  sigaction(SIGPIPE, &previous, nullptr);
  return !helped;
}

}  // namespace vorun::test
