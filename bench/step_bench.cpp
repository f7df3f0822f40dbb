// Steps per second of the one-pass AdvanceStep, on one thread and on all
// cores, and of the three-pass AdvanceStepReference on a full ensemble: 60 taons in a fixed
// pseudo-random cloud within +-3, no two closer than 0.3, split Ak. The state
// is put back every RestoreEvery steps so that the cloud never collapses or
// flies apart, whatever the formula does to it; the copy is a few kilobytes
// against a step's 10800 pair terms. Wall time, since a step on several
// threads spends CPU time outside the timed one. Scaling/<formula>/<n> steps
// on n threads, for the table of steps per second against the thread count;
// Phases/<formula>/<n> the share of each phase of such a step, so that a
// machine on which the threads do not scale can be diagnosed from one run.
// Transcendental* the single calls and the batches on each path.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "BenchCloud.h"
#include "engine/Step.h"
#include "engine/WorkerPool.h"
#include "model/Transcendental.h"

namespace vorun {
namespace {

constexpr int RestoreEvery = 64;

// The share of each phase in the steps' wall time, in per cent: the
// caller's prepare, store and its wait for the other threads at the end
// (waitEnd), and each thread's wake, fill (with exp/ln, the batches within
// it), waitFill and sums, averaged over the threads.
void ReportPhases(benchmark::State& state, const StepPhases& p, int threads) {
  const double total = static_cast<double>(p.total);
  if (p.steps == 0 || total <= 0) return;
  auto share = [&](double v) { return 100 * v / total; };
  StepPhases::Thread sum;
  for (int n = 0; n < threads; ++n) {
    sum.wake += p.threads[n].wake, sum.fill += p.threads[n].fill;
    sum.transcendental += p.threads[n].transcendental, sum.waitFill += p.threads[n].waitFill;
    sum.sums += p.threads[n].sums;
  }
  const StepPhases::Thread& caller = p.threads[0];
  state.counters["prepare%"] = share(p.prepare);
  state.counters["wake%"] = share(sum.wake / static_cast<double>(threads));
  state.counters["fill%"] = share(sum.fill / static_cast<double>(threads));
  state.counters["exp/ln%"] = share(sum.transcendental / static_cast<double>(threads));
  state.counters["waitFill%"] = share(sum.waitFill / static_cast<double>(threads));
  state.counters["sums%"] = share(sum.sums / static_cast<double>(threads));
  state.counters["waitEnd%"] = share(p.shared - caller.wake - caller.fill - caller.waitFill - caller.sums);
  state.counters["store%"] = share(p.store);
}

// threads 0: the three-pass reference. The batches of the pair table go on
// path; with timed, the step records and reports its phases.
void StepBench(benchmark::State& state, int threads, Formula formula, BatchPath path, bool timed) {
  const EnsembleState cloud = bench::MakeCloud();
  EnsembleState e = cloud;
  StepSettings settings;
  settings.law.formula = formula;
  StepWorkspace workspace;
  workspace.threads = threads;
  StepPhases phases;
  if (timed) workspace.phases = &phases;
  const BatchPath before = CurrentBatchPath();
  SetBatchPath(path);
  int count = 0;
  for (auto _ : state) {
    if (count++ % RestoreEvery == 0) e = cloud;
    if (threads == 0)
      AdvanceStepReference(e, settings);
    else
      AdvanceStep(e, settings, workspace);
    benchmark::DoNotOptimize(e.NextPosX[MaxSlots]);
  }
  SetBatchPath(before);
  state.SetItemsProcessed(state.iterations());
  state.counters["threads"] = threads;
  if (timed) ReportPhases(state, phases, threads);
}

constexpr std::pair<const char*, Formula> Formulas[] = {{"Exponential", Formula::Exponential},
                                                        {"PolyExpon", Formula::PolyExpon},
                                                        {"PolyExpSum", Formula::PolyExpSum},
                                                        {"ExpoPolyExpSum", Formula::ExpoPolyExpSum},
                                                        {"EPESminus", Formula::EPESminus}};

// Each formula with the step variants, in the order of the README's table;
// then the scaling runs, 1 to 4 threads and the cores if there are more.
// "scalar batches" is the same step with every exponential computed by the
// single call, for the gain of the vector path in one run. Phases/<formula>/<n>
// reports where the time of a step on n threads goes.
const bool registered = [] {
  const int cores = AvailableCores();
  const BatchPath widest = CurrentBatchPath();
  const auto add = [](const std::string& name, int threads, Formula formula, BatchPath path, bool timed) {
    benchmark::RegisterBenchmark(name.c_str(), StepBench, threads, formula, path, timed)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
  };
  for (const auto& [name, formula] : Formulas) {
    const std::string base = std::string("StepBench/") + name;
    add(base + " / OnePass 1 thread", 1, formula, widest, false);
    add(base + " / OnePass 1 thread, scalar batches", 1, formula, BatchPath::Scalar, false);
    add(base + " / OnePass all cores", cores, formula, widest, false);
    add(base + " / ThreePass", 0, formula, widest, false);
  }
  for (const auto& [name, formula] : Formulas) {
    for (int threads = 1; threads <= std::max(4, cores); ++threads) {
      if (threads > 4 && threads != cores) continue;
      add(std::string("Scaling/") + name + "/" + std::to_string(threads), threads, formula, widest, false);
    }
  }
  for (const auto& [name, formula] : Formulas) {
    add(std::string("Phases/") + name + "/1", 1, formula, widest, true);
    if (cores > 1)
      add(std::string("Phases/") + name + "/" + std::to_string(cores), cores, formula, widest, true);
  }
  return true;
}();

// The floor under every formula: one ln or exp of Extended80, the correctly
// rounded Exp and Ln beside the C library's expl and logl, on arguments of the
// sizes the law takes (distances around 0.3 to 11, exponents of a few). The
// underflow case takes exponents far below -11400, as the shells do for
// partners far from their bump.
enum class Function { Exp, Ln, Expl, Logl, ExpUnderflow, ExplUnderflow };

void Transcendental(benchmark::State& state, Function f) {
  Extended80 arguments[64];
  for (int n = 0; n < 64; ++n) arguments[n] = 0.3L + n * 0.17L;
  if (f == Function::ExpUnderflow || f == Function::ExplUnderflow) {
    for (Extended80& a : arguments) a = -20000 * a;
  }
  int n = 0;
  for (auto _ : state) {
    Extended80 x = arguments[n++ & 63];
    benchmark::DoNotOptimize(x);
    switch (f) {
      case Function::Exp:
        benchmark::DoNotOptimize(Exp(-x));
        break;
      case Function::Ln:
        benchmark::DoNotOptimize(Ln(x));
        break;
      case Function::Expl:
        benchmark::DoNotOptimize(expl(-x));
        break;
      case Function::Logl:
        benchmark::DoNotOptimize(logl(x));
        break;
      case Function::ExpUnderflow:
        benchmark::DoNotOptimize(Exp(x));
        break;
      case Function::ExplUnderflow:
        benchmark::DoNotOptimize(expl(x));
        break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

// The batches on each path of this processor, 64 arguments of the law's
// sizes per call; time per argument.
void TranscendentalBatch(benchmark::State& state, bool exp, BatchPath path) {
  if (!BatchPathAvailable(path)) {
    state.SkipWithError("path not available on this processor");
    return;
  }
  Extended80 arguments[64], results[64];
  for (int n = 0; n < 64; ++n) arguments[n] = exp ? -(0.3L + n * 0.17L) : 0.3L + n * 0.17L;
  for (auto _ : state) {
    benchmark::DoNotOptimize(arguments);
    if (exp)
      transcendental::ExpBatchOn(path, arguments, results, 64);
    else
      transcendental::LnBatchOn(path, arguments, results, 64);
    benchmark::DoNotOptimize(results);
  }
  state.SetItemsProcessed(state.iterations() * 64);
}

const bool registeredBatches = [] {
  for (BatchPath path : AllBatchPaths) {
    for (bool exp : {true, false}) {
      benchmark::RegisterBenchmark(
          (std::string("TranscendentalBatch/") + (exp ? "Exp/" : "Ln/") + BatchPathName(path)).c_str(),
          TranscendentalBatch, exp, path);
    }
  }
  return true;
}();

BENCHMARK_CAPTURE(Transcendental, Exp, Function::Exp);
BENCHMARK_CAPTURE(Transcendental, expl, Function::Expl);
BENCHMARK_CAPTURE(Transcendental, Ln, Function::Ln);
BENCHMARK_CAPTURE(Transcendental, logl, Function::Logl);
BENCHMARK_CAPTURE(Transcendental, Exp_underflow, Function::ExpUnderflow);
BENCHMARK_CAPTURE(Transcendental, expl_underflow, Function::ExplUnderflow);

}  // namespace
}  // namespace vorun

BENCHMARK_MAIN();
