#include "engine/WorkerPool.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace vorun {

namespace {

// The x87 control word holds the precision (64-bit significand for
// Extended80) and the rounding mode. A new thread starts from the default
// word, not from its creator's, so each job takes the caller's.
unsigned short ControlWord() {
  unsigned short word = 0;
#if defined(__x86_64__) || defined(__i386__)
  asm volatile("fnstcw %0" : "=m"(word));
#endif
  return word;
}

void SetControlWord(unsigned short word) {
#if defined(__x86_64__) || defined(__i386__)
  if (ControlWord() != word) asm volatile("fldcw %0" : : "m"(word));
#else
  (void)word;
#endif
}

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// How long a worker or the caller spins before it sleeps: longer than the
// gap between the parts of a step and the window's drawing between steps,
// far shorter than anything a user would notice as load.
constexpr auto SpinTime = std::chrono::microseconds(200);

template <class Ready>
bool SpinUntil(Ready ready) {
  const auto end = std::chrono::steady_clock::now() + SpinTime;
  for (;;) {
    for (int n = 0; n < 64; ++n) {
      if (ready()) return true;
      Pause();
    }
    if (std::chrono::steady_clock::now() >= end) return ready();
    // With more threads than cores the one that would make ready() true may
    // be waiting for this core.
    std::this_thread::yield();
  }
}

std::atomic<int> threadSetting{0};

}  // namespace

void WaitUntilImpl(bool (*ready)(const void*), const void* context) {
  for (int n = 0; !ready(context); ++n) {
    if (n < 256)
      Pause();
    else
      std::this_thread::yield();
  }
}

int AvailableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? static_cast<int>(hardware) : 1;
}

int ParseThreadCount(const char* text) {
  if (text == nullptr) return 0;
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < 1 || n > MaxStepThreads) return 0;
  return static_cast<int>(n);
}

int DefaultStepThreads() {
  static const int threads = [] {
    const int fromEnvironment = ParseThreadCount(std::getenv("VORUN_THREADS"));
    return fromEnvironment > 0 ? fromEnvironment : std::clamp(AvailableCores(), 1, MaxStepThreads);
  }();
  return threads;
}

void SetStepThreads(int threads) { threadSetting = std::clamp(threads, 0, MaxStepThreads); }

int StepThreadsSetting() { return threadSetting; }

int StepThreads() {
  const int setting = threadSetting;
  return setting > 0 ? setting : DefaultStepThreads();
}

WorkerPool::WorkerPool(int threads)
    : requested_(std::clamp(threads, 1, MaxStepThreads)), threads_(requested_) {
  workers_.reserve(threads_ - 1);
  for (int n = 1; n < threads_; ++n) {
    // A process limit (a container, a batch job) may allow no more threads.
    // The step gives the same values on any count, so the pool makes do
    // with the threads it got rather than ending the program.
    try {
      workers_.emplace_back([this, n] { Work(n); });
    } catch (const std::system_error&) {
      threads_ = n;
      break;
    }
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::Run(Job job, void* context) {
  if (threads_ == 1) {
    job(context, 0);
    return;
  }
  {
    // Published under the lock, so that a worker that is about to sleep
    // either sees the new generation or is counted among the sleepers.
    std::lock_guard lock(mutex_);
    job_ = job;
    context_ = context;
    controlWord_ = ControlWord();
    pending_.store(threads_ - 1, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    if (sleepers_ > 0) wake_.notify_all();
  }
  job(context, 0);
  if (SpinUntil([this] { return pending_.load(std::memory_order_acquire) == 0; })) return;
  std::unique_lock lock(mutex_);
  callerAsleep_ = true;
  done_.wait(lock, [this] { return pending_.load(std::memory_order_acquire) == 0; });
  callerAsleep_ = false;
}

void WorkerPool::Work(int worker) {
  std::uint64_t seen = 0;
  for (;;) {
    if (!SpinUntil([&] { return generation_.load(std::memory_order_acquire) != seen; })) {
      std::unique_lock lock(mutex_);
      ++sleepers_;
      wake_.wait(lock, [&] { return stop_ || generation_.load(std::memory_order_acquire) != seen; });
      --sleepers_;
      if (stop_) return;
    }
    Job job;
    void* context;
    unsigned short word;
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
      seen = generation_.load(std::memory_order_acquire);
      job = job_;
      context = context_;
      word = controlWord_;
    }
    SetControlWord(word);
    job(context, worker);
    if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      std::lock_guard lock(mutex_);
      if (callerAsleep_) done_.notify_one();
    }
  }
}

}  // namespace vorun
