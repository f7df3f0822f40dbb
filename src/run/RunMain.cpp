#include "run/RunMain.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "engine/WorkerPool.h"
#include "model/Error.h"
#include "model/FileAccess.h"
#include "run/RunJob.h"
#include "run/RunOptions.h"
#include "run/StopSignal.h"

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

// "812 B", "3.4 MB", "10.9 GB": a trajectory may grow by gigabytes.
std::string Size(std::int64_t bytes) {
  const char* units[] = {"B", "kB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1000 && unit < 4) {
    value /= 1000;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
  return text;
}

// One line on a terminal, rewritten in place; the jobs' messages clear it
// first so that they stand on lines of their own.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool shown, std::int64_t total)
      : err_(err), shown_(shown), total_(total), start_(Clock::now()) {}

  void Show(std::int64_t done, std::int64_t bytes) {
    if (!shown_) return;
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    char text[200];
    std::snprintf(text, sizeof text, "\rstep %lld of %lld, %.0f steps/s, %s written, %s left",
                  static_cast<long long>(done), static_cast<long long>(total_), rate, Size(bytes).c_str(),
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

// Why the out-dir cannot hold the outputs, or nothing once it is there.
std::optional<std::string> MakeOutDir(const std::string& dir) {
  struct stat info;
  if (::stat(dir.c_str(), &info) == 0)
    return S_ISDIR(info.st_mode) ? std::nullopt
                                 : std::optional<std::string>("cannot write into it: it is not a folder");
  if (::lstat(dir.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
    return "cannot create the folder: it is a symbolic link to nothing";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!ec) return std::nullopt;
  try {
    ThrowFileError(ec.value());
  } catch (const Error& e) {
    return std::string("cannot create the folder: ") + e.what();
  }
}

}  // namespace

int RunMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const ParsedOptions parsed = ParseRunOptions(args, out, err);
  if (!parsed.options) return parsed.exitCode;
  const RunOptions& options = *parsed.options;
  SetStepThreads(options.threads);

  const std::size_t count = options.inputs.size();
  std::vector<JobFiles> files;
  for (const std::string& input : options.inputs) files.push_back(FilesFor(options, input));
  // Before anything is written: no output may end up in another's place.
  if (const std::optional<std::string> clash = FindClash(files)) {
    err << "vorun-run: " << *clash << "\n";
    return 2;
  }

  // A folder made for a run that writes nothing goes again at the end.
  bool madeOutDir = false;
  if (!options.outDir.empty()) {
    madeOutDir = !std::filesystem::exists(options.outDir);
    if (const std::optional<std::string> problem = MakeOutDir(options.outDir)) {
      err << "vorun-run: " << options.outDir << ": " << *problem << "\n";
      return 3;
    }
  }

  // Named after the input only when there are several.
  const auto prefix = [&](std::size_t job) { return count > 1 ? files[job].input + ": " : std::string(); };

  const StopOnSignal stopOnSignal;
  ClearStopRequest();
  JobProgress progress;
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::condition_variable finished;
  std::size_t done = 0;
  int exitCode = 0;
  ProgressLine line(err, errIsTerminal && !options.quiet, static_cast<std::int64_t>(options.steps) * count);

  // Each worker takes the next input until none is left. The jobs share
  // nothing but the options, so each result is that of a run on its own.
  // After a stop no job starts.
  const auto work = [&] {
    for (std::size_t job = next++; job < count; job = next++) {
      const int stop = StopRequested();
      const JobResult result =
          stop != 0 ? JobResult{128 + stop, "", 0} : RunJob(options, files[job], progress);
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
    line.Show(0, 0);
    while (done < count) {
      finished.wait_for(guard, std::chrono::milliseconds(250));
      if (done < count)
        line.Show(progress.steps.load(std::memory_order_relaxed),
                  progress.bytes.load(std::memory_order_relaxed));
    }
    line.Clear();
  }
  for (std::thread& t : threads) t.join();
  if (madeOutDir) ::rmdir(options.outDir.c_str());  // only when empty
  return exitCode;
}

}  // namespace vorun::run
