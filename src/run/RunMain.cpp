#include "run/RunMain.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/WorkerPool.h"
#include "model/Error.h"
#include "model/FileAccess.h"
#include "run/RunJob.h"
#include "run/RunOptions.h"

namespace vorun::run {

namespace {

using Clock = std::chrono::steady_clock;

// "1:05:07" or "3:09": hours only when there are any.
std::string Duration(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  char text[32];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

// One line on a terminal, rewritten in place; the jobs' messages clear it
// first so that they stand on lines of their own.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool shown, std::int64_t total)
      : err_(err), shown_(shown), total_(total), start_(Clock::now()) {}

  void Show(std::int64_t done) {
    if (!shown_) return;
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    char text[160];
    std::snprintf(text, sizeof text, "\rstep %lld of %lld, %.0f steps/s, %s left",
                  static_cast<long long>(done), static_cast<long long>(total_), rate,
                  rate > 0 ? Duration(static_cast<double>(total_ - done) / rate).c_str() : "?:??");
    err_ << text << "\x1b[K" << std::flush;
    drawn_ = true;
  }

  void Clear() {
    if (drawn_) err_ << "\r\x1b[K" << std::flush;
    drawn_ = false;
  }

 private:
  std::ostream& err_;
  bool shown_;
  std::int64_t total_;
  Clock::time_point start_;
  bool drawn_ = false;
};

}  // namespace

int RunMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const ParsedOptions parsed = ParseRunOptions(args, out, err);
  if (!parsed.options) return parsed.exitCode;
  const RunOptions& options = *parsed.options;
  SetStepThreads(options.threads);

  if (!options.outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (ec) {
      try {
        ThrowFileError(ec.value());
      } catch (const Error& e) {
        err << "vorun-run: " << options.outDir << ": " << e.what() << "\n";
        return 3;
      }
    }
  }

  const std::size_t count = options.inputs.size();
  std::vector<JobFiles> files;
  for (const std::string& input : options.inputs) files.push_back(FilesFor(options, input));
  // Named after the input only when there are several.
  const auto prefix = [&](std::size_t job) { return count > 1 ? files[job].input + ": " : std::string(); };

  std::atomic<std::int64_t> progress{0};
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::condition_variable finished;
  std::size_t done = 0;
  int exitCode = 0;
  ProgressLine line(err, errIsTerminal && !options.quiet, static_cast<std::int64_t>(options.steps) * count);

  // Each worker takes the next input until none is left. The jobs share
  // nothing but the options, so each result is that of a run on its own.
  const auto work = [&] {
    for (std::size_t job = next++; job < count; job = next++) {
      const JobResult result = RunJob(options, files[job], progress);
      const std::lock_guard<std::mutex> guard(lock);
      if (!result.message.empty()) {
        line.Clear();
        err << "vorun-run: " << prefix(job) << result.message << "\n";
      }
      exitCode = std::max(exitCode, result.exitCode);
      ++done;
      finished.notify_all();
    }
  };
  const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(options.jobs), count);
  std::vector<std::thread> threads;
  for (std::size_t n = 0; n < workers; ++n) {
    // Under a process limit fewer threads may start, or none: the jobs then
    // share the ones there are, or run one after another on this thread.
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  if (threads.empty()) work();
  {
    std::unique_lock<std::mutex> guard(lock);
    line.Show(0);
    while (done < count) {
      finished.wait_for(guard, std::chrono::milliseconds(250));
      if (done < count) line.Show(progress.load(std::memory_order_relaxed));
    }
    line.Clear();
  }
  for (std::thread& t : threads) t.join();
  return exitCode;
}

}  // namespace vorun::run
