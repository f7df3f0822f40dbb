#include "run/RunJob.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <new>

#include "engine/RunCheck.h"
#include "engine/Step.h"
#include "model/EnsembleFile.h"
#include "model/Error.h"
#include "model/FileAccess.h"
#include "run/CsvFile.h"
#include "run/Export.h"
#include "run/StopSignal.h"
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

// The file that a failure concerns and what was being done with it, so
// that every message names both.
struct Doing {
  std::string file;
  const char* action = "";
  void operator()(const std::string& f, const char* a) {
    file = f;
    action = a;
  }
  std::string Message(const std::string& cause) const {
    // The safe replace names the file in some of its messages already.
    const std::string named = "Cannot save to " + file + ": ";
    return file + ": cannot " + action + ": " +
           (cause.starts_with(named) ? cause.substr(named.size()) : cause);
  }
};

// One budget for the buffers of all CSV files of a batch, so that a
// thousand jobs do not hold a gigabyte of rows between them.
std::size_t CsvBufferBytes(int jobs) {
  constexpr std::size_t budget = std::size_t{16} << 20;
  return std::clamp<std::size_t>(budget / (2 * static_cast<std::size_t>(std::max(jobs, 1))),
                                 std::size_t{16} << 10, std::size_t{1} << 20);
}

// The first size bytes of the file, as the start of the new one.
void CopyPrefix(const std::string& name, std::uint64_t size, CsvFile& out) {
  const int fd = OpenForReading(name);
  if (fd < 0) ThrowFileError(-fd);
  Descriptor file(fd);
  char chunk[65536];
  while (size > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof chunk));
    const std::size_t n = ReadUpTo(file.get(), chunk, want);
    if (n < want) throw Error("the file is shorter than its checkpoint says");
    out.WriteRaw({chunk, n});
    size -= n;
  }
}

// The checkpoint of an earlier run of the same job, if there is one.
std::optional<Checkpoint> FindCheckpoint(const JobFiles& files, const SummaryFacts& facts) {
  const int fd = OpenForReading(files.checkpoint);
  if (fd == -ENOENT) return std::nullopt;
  if (fd < 0) ThrowFileError(-fd);
  Descriptor file(fd);
  std::string text;
  if (!ReadAtMost(file, std::size_t{1} << 20, text)) throw Error("it is larger than any checkpoint");
  return ReadCheckpoint(text, facts);
}

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
  if (options.checkpointEvery > 0 || options.resume) files.checkpoint = files.output + ".checkpoint";
  return files;
}

std::optional<std::string> FindClash(const std::vector<JobFiles>& jobs) {
  // An existing file is known by its device and inode, whatever it is
  // called; a new one by its absolute path with "..", "." and the links of
  // its folders resolved.
  const auto identity = [](const std::string& name) {
    struct stat info;
    if (::stat(name.c_str(), &info) == 0)
      return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(name, ec);
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return "path " + (ec ? path.lexically_normal() : resolved).string();
  };
  struct Seen {
    std::string name;
    std::string role;
  };
  std::vector<std::pair<std::string, Seen>> seen;
  const auto role = [&](const char* what, const JobFiles& job) {
    return jobs.size() > 1 ? std::string(what) + " of " + job.input : std::string(what);
  };
  for (const JobFiles& job : jobs) seen.push_back({identity(job.input), {job.input, "input"}});
  const std::size_t inputs = seen.size();
  for (const JobFiles& job : jobs) {
    const std::pair<const char*, const std::string*> outputs[] = {{"record", &job.output},
                                                                  {"trajectory", &job.trajectory},
                                                                  {"observables", &job.observables},
                                                                  {"summary", &job.summary},
                                                                  {"checkpoint", &job.checkpoint}};
    for (const auto& [what, name] : outputs) {
      if (name->empty()) continue;
      const std::string id = identity(*name);
      for (std::size_t n = 0; n < seen.size(); ++n) {
        if (seen[n].first != id) continue;
        if (n < inputs)
          return *name + " is the input " + seen[n].second.name + "; the " + role(what, job) +
                 " would replace it";
        return *name + " would be written twice, as the " + seen[n].second.role + " and as the " +
               role(what, job);
      }
      seen.push_back({id, {*name, role(what, job)}});
    }
  }
  return std::nullopt;
}

JobResult RunJob(const RunOptions& options, const JobFiles& files, JobProgress& progress,
                 const std::function<void(std::int64_t)>& afterStep) {
  const auto started = std::chrono::steady_clock::now();
  JobResult result;
  Doing doing;
  doing(files.input, "read");
  try {
    EnsembleRecord record{};
    ReadEnsembleFile(files.input, record);
    const bool hashed = !files.summary.empty() || !files.checkpoint.empty();
    const std::string sha = hashed ? FileSha256(files.input) : std::string();

    // As the window holds a loaded file: all 60 slots, the record's time
    // step until one is given.
    EnsembleState state;
    state.SlotCount = MaxSlots;
    ApplyRecord(record, state);
    if (options.timeStep) state.TimeStep = *options.timeStep;
    for (const Override& o : options.overrides) state.*o.parameter->state = o.value;

    SummaryFacts facts;
    facts.options = &options;
    facts.files = &files;
    facts.inputSha256 = sha;
    facts.timeStep = state.TimeStep;

    // Every step is exact, so the record of a checkpoint and its step count
    // are all that the rest of the run depends on.
    std::optional<Checkpoint> resumed;
    if (options.resume) {
      doing(files.checkpoint, "resume from");
      resumed = FindCheckpoint(files, facts);
      if (resumed && resumed->step > options.steps)
        throw Error("it is at step " + std::to_string(resumed->step) + ", beyond --steps " +
                    std::to_string(options.steps));
      if (resumed) {
        record = resumed->record;
        ApplyRecord(record, state);
        facts.resumedFrom = resumed->step;
      }
    }
    const std::int64_t first = resumed ? resumed->step : 0;

    // Every target is checked before the first step, so that an output that
    // cannot be written is found before any work is done; the CSV files
    // grow during the run beside their targets.
    for (const std::string* name : {&files.output, &files.summary, &files.checkpoint}) {
      doing(*name, "write");
      if (!name->empty() && (name != &files.checkpoint || options.checkpointEvery > 0))
        CheckReplaceable(*name);
    }
    const std::size_t bufferBytes = CsvBufferBytes(options.jobs);
    std::unique_ptr<CsvFile> trajectory, observables;
    const auto open = [&](std::unique_ptr<CsvFile>& file, const std::string& name,
                          const std::optional<std::uint64_t>& kept) {
      if (name.empty()) return;
      doing(name, "write");
      file = std::make_unique<CsvFile>(name, bufferBytes);
      doing(name, "resume from");
      if (resumed) CopyPrefix(name, kept.value_or(0), *file);
    };
    open(trajectory, files.trajectory, resumed ? resumed->trajectorySize : std::nullopt);
    open(observables, files.observables, resumed ? resumed->observablesSize : std::nullopt);
    const auto csvBytes = [&] {
      return (trajectory ? trajectory->Size() : 0) + (observables ? observables->Size() : 0);
    };
    std::uint64_t reported = 0;
    const auto reportBytes = [&] {
      const std::uint64_t now = csvBytes();
      progress.bytes.fetch_add(static_cast<std::int64_t>(now - reported), std::memory_order_relaxed);
      reported = now;
    };

    const ColourSplit split = options.settings.law.colourSplit;
    std::string rows;
    // A resumed file ends with the row of its checkpoint's step only when
    // that step was one of the rows.
    std::int64_t lastRow = first % options.every == 0 ? first : -1;
    const auto writeRows = [&](std::int64_t step) {
      if (trajectory) {
        rows.clear();
        AppendTrajectoryRows(rows, state, step, split, options.notation);
        doing(files.trajectory, "write");
        trajectory->Write(rows);
      }
      if (observables) {
        rows.clear();
        AppendObservablesRow(rows, state, step, options.notation);
        doing(files.observables, "write");
        observables->Write(rows);
      }
      lastRow = step;
    };
    if (!resumed) {
      if (trajectory) trajectory->Write(TrajectoryHeader);
      if (observables) observables->Write(ObservablesHeader);
      writeRows(0);
    }

    // The CSV files reach their targets first, then the checkpoint that
    // says how much of them belongs to it: a kill between the two leaves
    // the older checkpoint, whose sizes still hold.
    const auto writeCheckpoint = [&](std::int64_t step) {
      Checkpoint c;
      c.step = step;
      c.record = record;
      CopyToRecord(state, c.record);
      if (trajectory) {
        doing(files.trajectory, "write");
        trajectory->Publish();
        c.trajectorySize = trajectory->Size();
      }
      if (observables) {
        doing(files.observables, "write");
        observables->Publish();
        c.observablesSize = observables->Size();
      }
      doing(files.checkpoint, "write");
      ReplaceFile(files.checkpoint, CheckpointJson(facts, c));
    };

    // Several jobs already keep the cores busy, one step each; a single job
    // splits its steps over the cores the step takes by default. Either way
    // the values are those of one thread.
    StepWorkspace workspace;
    if (options.jobs > 1) workspace.threads = 1;
    result.stepsDone = first;
    progress.steps.fetch_add(first, std::memory_order_relaxed);
    // A NaN raises no fault and would spread through every taon; as the
    // window does, the run does not start, and the state stays as read.
    std::optional<std::string> fault =
        options.steps > first ? FindNaN(state, options.settings) : std::nullopt;
    if (fault) result.message = "step " + std::to_string(first + 1) + ": " + *fault;
    int interrupted = 0;
    // 64 bits: the counter passes the largest step count without wrapping.
    for (std::int64_t step = first + 1; step <= options.steps && !fault; ++step) {
      doing(files.input, "run");
      if ((interrupted = StopRequested()) != 0) break;
      try {
        AdvanceStep(state, options.settings, workspace);
      } catch (const Error& e) {
        fault = e.what();
        result.message = "step " + std::to_string(step) + ": " + e.what();
        break;
      }
      result.stepsDone = step;
      progress.steps.fetch_add(1, std::memory_order_relaxed);
      if (step % options.every == 0) writeRows(step);
      if (options.checkpointEvery > 0 && step % options.checkpointEvery == 0 && step < options.steps)
        writeCheckpoint(step);
      reportBytes();
      doing(files.input, "run");
      if (afterStep) afterStep(step);
    }
    if (interrupted) result.message = "interrupted at step " + std::to_string(result.stepsDone);
    // The state a fault or a stop leaves is the last completed step; the
    // files end with it.
    if ((fault || interrupted) && lastRow != result.stepsDone) writeRows(result.stepsDone);

    // Everything on the disk first, every target checked again, and only
    // then the renames, the summary last: it vouches for the others.
    CopyToRecord(state, record);
    doing(files.output, "write");
    FileReplacement recordFile(files.output);
    recordFile.Write(std::string_view(reinterpret_cast<const char*>(&record), sizeof record));
    recordFile.Finish();
    for (const auto& [file, name] :
         {std::pair{trajectory.get(), &files.trajectory}, {observables.get(), &files.observables}}) {
      doing(*name, "write");
      if (file) file->Finish();
    }
    std::unique_ptr<FileReplacement> summary;
    if (!files.summary.empty()) {
      facts.stepsDone = result.stepsDone;
      facts.fault = fault;
      facts.interruptedBy = interrupted;
      facts.outputSha256 = RecordSha256(record);
      if (trajectory) facts.trajectorySize = trajectory->Size();
      if (observables) facts.observablesSize = observables->Size();
      facts.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      doing(files.summary, "write");
      summary = std::make_unique<FileReplacement>(files.summary);
      summary->Write(SummaryJson(facts, state));
      summary->Finish();
    }
    for (const std::string* name : {&files.output, &files.trajectory, &files.observables, &files.summary}) {
      doing(*name, "replace");
      if (!name->empty()) CheckReplaceable(*name);
    }
    doing(files.output, "replace");
    recordFile.Commit();
    for (const auto& [file, name] :
         {std::pair{trajectory.get(), &files.trajectory}, {observables.get(), &files.observables}}) {
      doing(*name, "replace");
      if (file) file->Commit();
    }
    doing(files.summary, "replace");
    if (summary) summary->Commit();
    reportBytes();
    result.exitCode = interrupted ? 128 + interrupted : fault ? 4 : 0;
  } catch (const Error& e) {
    result.exitCode = 3;
    result.message = doing.Message(e.what());
  } catch (const std::bad_alloc&) {
    // Whatever fails in one job stops that job alone: the others of the
    // batch go on, and this one reports like a file error.
    result.exitCode = 3;
    result.message = doing.Message("Out of memory");
  } catch (const std::exception& e) {
    result.exitCode = 3;
    result.message = doing.Message(e.what());
  } catch (...) {
    result.exitCode = 3;
    result.message = doing.Message("Unexpected failure");
  }
  return result;
}

}  // namespace vorun::run
