// The JSON summary of a run, so that a script can collect a sweep: the
// settings, the input's SHA-256, the steps done, the fault, the wall time and
// the final observables. Reals are strings in the notation of the CSV files,
// because a JSON number is read as a double and would lose the 80-bit value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "run/RunJob.h"
#include "run/RunOptions.h"

namespace vorun::run {

// The SHA-256 of the whole file, as 64 lower-case hex digits; failures throw
// Error with the user's text.
std::string FileSha256(const std::string& name);

struct SummaryFacts {
  const RunOptions* options = nullptr;
  const JobFiles* files = nullptr;
  std::string inputSha256;
  Extended80 timeStep = 0;  // the one the run used
  std::int64_t stepsDone = 0;
  std::optional<std::string> fault;  // the message, without "step K: "
  int interruptedBy = 0;             // the signal that stopped the run, or 0
  std::optional<std::int64_t> resumedFrom;
  std::string outputSha256;  // of the record written
  std::optional<std::uint64_t> trajectorySize, observablesSize;
  double wallSeconds = 0;
};

// The summary's text, ending in a line break. state is the last completed
// step.
std::string SummaryJson(const SummaryFacts& facts, const EnsembleState& state);

std::string RecordSha256(const EnsembleRecord& record);

// Where a run stood at a checkpoint: its step, its record, and how much of
// each CSV file belonged to it.
struct Checkpoint {
  std::int64_t step = 0;
  EnsembleRecord record{};
  std::optional<std::uint64_t> trajectorySize, observablesSize;
};

// The checkpoint file's text: the checkpoint with the input's hash and the
// settings, so that only the same run resumes from it.
std::string CheckpointJson(const SummaryFacts& facts, const Checkpoint& checkpoint);

// The checkpoint in text, checked against the run about to resume (facts
// with the options, the files, the input's hash and the time step). Throws
// an Error that says why when it belongs to another run.
Checkpoint ReadCheckpoint(const std::string& text, const SummaryFacts& facts);

}  // namespace vorun::run
