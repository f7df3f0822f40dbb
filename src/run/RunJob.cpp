#include "run/RunJob.h"

#include <chrono>
#include <memory>

#include "engine/RunCheck.h"
#include "engine/Step.h"
#include "model/EnsembleFile.h"
#include "model/Error.h"
#include "model/FileAccess.h"
#include "run/Export.h"
#include "run/Summary.h"

namespace vorun::run {

namespace {

std::string Replaced(std::string pattern, const std::string& by) {
  for (std::size_t at = pattern.find("{}"); at != std::string::npos; at = pattern.find("{}", at + by.size()))
    pattern.replace(at, 2, by);
  return pattern;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty() || name[0] == '/') return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// What a job writes. Every target is checked before the first step, so that
// an output that cannot be written is found before any work is done; the
// CSV files grow during the run beside their targets.
struct Outputs {
  std::unique_ptr<FileReplacement> trajectory, observables, summary;

  void Open(const JobFiles& files, std::string& failing) {
    for (const std::string* name : {&files.output, &files.summary}) {
      failing = *name;
      if (!name->empty()) CheckReplaceable(*name);
    }
    const auto open = [&](std::unique_ptr<FileReplacement>& file, const std::string& name) {
      failing = name;
      if (!name.empty()) file = std::make_unique<FileReplacement>(name);
    };
    open(trajectory, files.trajectory);
    open(observables, files.observables);
  }

  // All on disk first, then the record by the window's own save, then the
  // rest renamed into place: a full disk leaves every target as it was.
  void Commit(const JobFiles& files, const EnsembleState& state, EnsembleRecord& record,
              const std::string& summaryText, std::string& failing) {
    const std::pair<std::unique_ptr<FileReplacement>*, const std::string*> csv[] = {
        {&trajectory, &files.trajectory}, {&observables, &files.observables}, {&summary, &files.summary}};
    if (!files.summary.empty()) {
      failing = files.summary;
      summary = std::make_unique<FileReplacement>(files.summary);
      summary->Write(summaryText);
    }
    for (const auto& [file, name] : csv) {
      failing = *name;
      if (*file) (*file)->Finish();
    }
    failing = files.output;
    WriteEnsembleFile(files.output, state, record);
    for (const auto& [file, name] : csv) {
      failing = *name;
      if (*file) (*file)->Commit();
    }
  }
};

}  // namespace

JobFiles FilesFor(const RunOptions& options, const std::string& input) {
  const std::string name = input.substr(input.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const auto place = [&](const std::string& pattern) {
    return pattern.empty() ? pattern : InFolder(options.outDir, Replaced(pattern, stem));
  };
  JobFiles files;
  files.input = input;
  files.output = options.outDir.empty() ? options.output : InFolder(options.outDir, name);
  files.trajectory = place(options.trajectory);
  files.observables = place(options.observables);
  files.summary = place(options.summary);
  return files;
}

JobResult RunJob(const RunOptions& options, const JobFiles& files, std::atomic<std::int64_t>& progress,
                 const std::function<void(std::int64_t)>& afterStep) {
  const auto started = std::chrono::steady_clock::now();
  JobResult result;
  std::string failing = files.input;
  try {
    EnsembleRecord record{};
    ReadEnsembleFile(files.input, record);
    const std::string sha = files.summary.empty() ? std::string() : FileSha256(files.input);

    // As the window holds a loaded file: all 60 slots, the record's time
    // step until one is given.
    EnsembleState state;
    state.SlotCount = MaxSlots;
    ApplyRecord(record, state);
    if (options.timeStep) state.TimeStep = *options.timeStep;
    for (const Override& o : options.overrides) state.*o.parameter->state = o.value;

    Outputs out;
    out.Open(files, failing);

    const ColourSplit split = options.settings.law.colourSplit;
    std::string rows;
    std::int64_t lastRow = -1;
    const auto writeRows = [&](std::int64_t step) {
      if (out.trajectory) {
        rows.clear();
        AppendTrajectoryRows(rows, state, step, split, options.notation);
        failing = files.trajectory;
        out.trajectory->Write(rows);
      }
      if (out.observables) {
        rows.clear();
        AppendObservablesRow(rows, state, step, options.notation);
        failing = files.observables;
        out.observables->Write(rows);
      }
      failing = files.input;
      lastRow = step;
    };
    if (out.trajectory) out.trajectory->Write(TrajectoryHeader);
    if (out.observables) out.observables->Write(ObservablesHeader);
    writeRows(0);

    // Several jobs already keep the cores busy, one step each; a single job
    // splits its steps over the cores the step takes by default. Either way
    // the values are those of one thread.
    StepWorkspace workspace;
    if (options.jobs > 1) workspace.threads = 1;
    // A NaN raises no fault and would spread through every taon; as the
    // window does, the run does not start, and the state stays as read.
    std::optional<std::string> fault = options.steps > 0 ? FindNaN(state, options.settings) : std::nullopt;
    if (fault) result.message = "step 1: " + *fault;
    // 64 bits: the counter passes the largest step count without wrapping.
    for (std::int64_t step = 1; step <= options.steps && !fault; ++step) {
      try {
        AdvanceStep(state, options.settings, workspace);
      } catch (const Error& e) {
        fault = e.what();
        result.message = "step " + std::to_string(step) + ": " + e.what();
        break;
      }
      result.stepsDone = step;
      progress.fetch_add(1, std::memory_order_relaxed);
      if (afterStep) afterStep(step);
      if (step % options.every == 0) writeRows(step);
    }
    // The state a fault leaves is the last completed step; the files end with it.
    if (fault && lastRow != result.stepsDone) writeRows(result.stepsDone);

    std::string summaryText;
    if (!files.summary.empty()) {
      SummaryFacts facts;
      facts.options = &options;
      facts.files = &files;
      facts.inputSha256 = sha;
      facts.timeStep = state.TimeStep;
      facts.stepsDone = result.stepsDone;
      facts.fault = fault;
      facts.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      summaryText = SummaryJson(facts, state);
    }
    out.Commit(files, state, record, summaryText, failing);
    result.exitCode = fault ? 4 : 0;
  } catch (const Error& e) {
    result.exitCode = 3;
    result.message = failing + ": " + e.what();
  } catch (const std::bad_alloc&) {
    // Whatever fails in one job stops that job alone: the others of the
    // batch go on, and this one reports like a file error, writing nothing.
    result.exitCode = 3;
    result.message = failing + ": Out of memory";
  } catch (const std::exception& e) {
    result.exitCode = 3;
    result.message = failing + ": " + e.what();
  } catch (...) {
    result.exitCode = 3;
    result.message = failing + ": Unexpected failure";
  }
  return result;
}

}  // namespace vorun::run
