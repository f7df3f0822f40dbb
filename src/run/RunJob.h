// One run of one input: read the record, step it, write the record and the
// files asked for. Jobs share nothing but the options, so several run on
// threads of their own and each gives what a run of its input alone gives.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/RunOptions.h"

namespace vorun::run {

// The files of one job, names resolved.
struct JobFiles {
  std::string input;
  std::string output;
  std::string trajectory;   // empty: not asked for
  std::string observables;  // empty: not asked for
  std::string summary;      // empty: not asked for
  std::string checkpoint;   // empty: neither checkpoints nor a resume
};

struct JobResult {
  int exitCode = 0;     // 0 done, 3 file error, 4 fault, 128 + signal interrupted
  std::string message;  // for stderr: "step K: <fault>" or "<file>: <error>"
  std::int64_t stepsDone = 0;
};

// The names of one input's files: the output is DIR/<input's name> with an
// out-dir, else --output; in the other names "{}" is the input's name
// without its extension, and with an out-dir a relative name lies in it.
JobFiles FilesFor(const RunOptions& options, const std::string& input);

// The first clash among the files of all jobs, as the user's message: two
// outputs that are the same file, or an output that is an input. Names that
// differ may still be one file (a link, "a/../b", a folder given twice).
std::optional<std::string> FindClash(const std::vector<JobFiles>& jobs);

// What the jobs report while they run, for the progress line.
struct JobProgress {
  std::atomic<std::int64_t> steps{0};
  std::atomic<std::int64_t> bytes{0};  // of the CSV files
};

// Runs one job. progress counts the steps completed, for the progress line;
// afterStep, when given, is called after each completed step. A file error
// writes nothing; a fault writes the last completed step. Nothing a job
// meets escapes it: any failure comes back as exit code 3 and its message.
JobResult RunJob(const RunOptions& options, const JobFiles& files, JobProgress& progress,
                 const std::function<void(std::int64_t)>& afterStep = {});

}  // namespace vorun::run
