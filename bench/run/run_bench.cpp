// vorun-run on the 60-taon cloud of step_bench (formula E, split 30), as the
// program runs it: read the file, run the steps, write the record and the
// files asked for. Beside it the bare one-pass step on the same cloud, and
// two inputs on two jobs against one. Each iteration is one whole run of
// RunSteps steps, so the file work is part of the figure.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BenchCloud.h"
#include "engine/Step.h"
#include "model/EnsembleFile.h"
#include "run/RunMain.h"

namespace vorun {
namespace {

constexpr int RunSteps = 1000;

// A folder with the cloud in two files, removed at the end.
struct Folder {
  Folder() {
    char pattern[] = "/tmp/vorun-run-bench-XXXXXX";
    path = ::mkdtemp(pattern);
    EnsembleRecord record{};
    const EnsembleState cloud = bench::MakeCloud();
    WriteEnsembleFile(path + "/a.tvx", cloud, record);
    WriteEnsembleFile(path + "/b.tvx", cloud, record);
  }
  ~Folder() { std::filesystem::remove_all(path); }
  std::string path;
};

Folder& Files() {
  static Folder folder;
  return folder;
}

void OnePassStep(benchmark::State& state) {
  const EnsembleState cloud = bench::MakeCloud();
  const StepSettings settings;
  for (auto _ : state) {
    EnsembleState e = cloud;
    for (int n = 0; n < RunSteps; ++n) AdvanceStep(e, settings);
    benchmark::DoNotOptimize(e.NextPosX[MaxSlots]);
  }
  state.SetItemsProcessed(state.iterations() * RunSteps);
}

void VorunRun(benchmark::State& state, std::vector<std::string> extra, int inputs) {
  const std::string& dir = Files().path;
  std::vector<std::string> args = {"vorun-run", dir + "/a.tvx"};
  if (inputs == 2) args.push_back(dir + "/b.tvx");
  args.insert(args.end(), {"-n", std::to_string(RunSteps), "-q"});
  if (inputs == 1) args.insert(args.end(), {"-o", dir + "/out.tvx"});
  for (const std::string& a : extra) args.push_back(a.rfind("DIR", 0) == 0 ? dir + a.substr(3) : a);
  for (auto _ : state) {
    std::ostringstream out, err;
    if (run::RunMain(args, out, err, false) != 0) state.SkipWithError(err.str().c_str());
  }
  state.SetItemsProcessed(state.iterations() * RunSteps * inputs);
}

BENCHMARK(OnePassStep)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(VorunRun, NoExport, std::vector<std::string>{}, 1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(VorunRun, TrajectoryEveryStep, std::vector<std::string>{"--trajectory", "DIR/t.csv"}, 1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(VorunRun, TrajectoryEveryStepHex,
                  std::vector<std::string>{"--trajectory", "DIR/t.csv", "--exact", "hex"}, 1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
// Throughput over wall time: what two jobs gain on two cores.
BENCHMARK_CAPTURE(VorunRun, OneInputOneJob, std::vector<std::string>{}, 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(VorunRun, TwoInputsTwoJobs, std::vector<std::string>{"--jobs", "2", "--out-dir", "DIR/out"},
                  2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace vorun

BENCHMARK_MAIN();
