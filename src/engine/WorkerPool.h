// A fixed set of worker threads that run one job together with the calling
// thread and then wait for the next. Between jobs a worker spins for a
// moment, so that the parts of one step follow each other without a wake-up,
// and then sleeps on a condition variable: a pool with no work uses no CPU.
//
// Each job runs with the x87 control word of the caller (precision and
// rounding), so a worker computes exactly what the caller would. The
// floating-point flags stay per thread: the job tests its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vorun {

// The most threads a step is split over.
constexpr int MaxStepThreads = 64;

// The cores this process may run on.
int AvailableCores();

// A thread count as VORUN_THREADS or a command line gives it: a whole number
// from 1 to MaxStepThreads, or 0 when the text is anything else.
int ParseThreadCount(const char* text);

// Threads a step uses: VORUN_THREADS when it holds a whole number from 1 to
// MaxStepThreads, else AvailableCores(), read once.
int DefaultStepThreads();

// The process-wide thread count of AdvanceStep: 0 (the start) means
// DefaultStepThreads(). Values are clamped to 0..MaxStepThreads.
void SetStepThreads(int threads);
int StepThreadsSetting();
// The count in effect: the setting, or the default when it is 0.
int StepThreads();

// Spins, then yields, until ready() is true: for the short waits inside a
// job, while all threads of the pool are at work. A thread that is not
// scheduled holds the others up, not out.
void WaitUntilImpl(bool (*ready)(const void*), const void* context);
template <class Ready>
void WaitUntil(const Ready& ready) {
  WaitUntilImpl([](const void* c) { return (*static_cast<const Ready*>(c))(); }, &ready);
}

class WorkerPool {
 public:
  // threads counts the caller: threads - 1 workers are started.
  explicit WorkerPool(int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // The threads at work, fewer than asked for when the system would not
  // start more.
  int Threads() const { return threads_; }
  int Requested() const { return requested_; }

  // Runs job(context, n) for n = 0 .. Threads() - 1, n = 0 on the calling
  // thread, and returns when all have returned. The job must not throw.
  using Job = void (*)(void* context, int worker);
  void Run(Job job, void* context);

 private:
  void Work(int worker);

  const int requested_;
  int threads_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::atomic<std::uint64_t> generation_{0};
  std::atomic<int> pending_{0};
  int sleepers_ = 0;           // workers waiting on wake_, guarded by mutex_
  bool callerAsleep_ = false;  // guarded by mutex_
  bool stop_ = false;          // guarded by mutex_
  Job job_ = nullptr;
  void* context_ = nullptr;
  unsigned short controlWord_ = 0;
};

}  // namespace vorun
