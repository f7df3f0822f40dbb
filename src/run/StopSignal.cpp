#include "run/StopSignal.h"

#include <signal.h>

#include <atomic>

namespace vorun::run {

namespace {

std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free flag");

struct sigaction previousInt, previousTerm;

// Only what is safe in a handler: a lock-free store, and for the second
// signal the default action, which ends the process before anything more
// is written (files without a name vanish with it).
extern "C" void OnStopSignal(int signal) {
  int none = 0;
  if (!requested.compare_exchange_strong(none, signal)) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

}  // namespace

StopOnSignal::StopOnSignal() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, &previousInt);
  ::sigaction(SIGTERM, &action, &previousTerm);
}

StopOnSignal::~StopOnSignal() {
  ::sigaction(SIGINT, &previousInt, nullptr);
  ::sigaction(SIGTERM, &previousTerm, nullptr);
}

int StopRequested() { return requested.load(std::memory_order_relaxed); }

void ClearStopRequest() { requested.store(0); }

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return "signal";
  }
}

}  // namespace vorun::run
