// A clean stop on SIGINT or SIGTERM (Ctrl+C, timeout, a batch system's time
// limit): the first asks the jobs to stop after their current step and
// write what they have; a second ends the process at once.
#pragma once

namespace vorun::run {

// While one lives, SIGINT and SIGTERM are caught; the handlers before it
// come back when it goes.
class StopOnSignal {
 public:
  StopOnSignal();
  ~StopOnSignal();
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;
};

// The signal that asked for the stop, or 0.
int StopRequested();

// Forgets a stop asked for earlier (a new run in the same process).
void ClearStopRequest();

// "SIGINT", "SIGTERM" or "signal N".
const char* SignalName(int signal);

}  // namespace vorun::run
