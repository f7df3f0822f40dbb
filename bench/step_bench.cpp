// Steps per second of the one-pass AdvanceStep, on one thread and on all
// cores, and of the three-pass AdvanceStepReference on a full ensemble: 60 taons in a fixed
// pseudo-random cloud within +-3, no two closer than 0.3, split Ak. The state
// is put back every RestoreEvery steps so that the cloud never collapses or
// flies apart, whatever the formula does to it; the copy is a few kilobytes
// against a step's 10800 pair terms. Wall time, since a step on several
// threads spends CPU time outside the timed one. Scaling/<formula>/<n> steps
// on n threads, for the table of steps per second against the thread count.
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

// threads 0: the three-pass reference.
void StepBench(benchmark::State& state, int threads, Formula formula) {
  const EnsembleState cloud = bench::MakeCloud();
  EnsembleState e = cloud;
  StepSettings settings;
  settings.law.formula = formula;
  StepWorkspace workspace;
  workspace.threads = threads;
  int count = 0;
  for (auto _ : state) {
    if (count++ % RestoreEvery == 0) e = cloud;
    if (threads == 0)
      AdvanceStepReference(e, settings);
    else
      AdvanceStep(e, settings, workspace);
    benchmark::DoNotOptimize(e.NextPosX[MaxSlots]);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["threads"] = threads;
}

constexpr std::pair<const char*, Formula> Formulas[] = {{"Exponential", Formula::Exponential},
                                                        {"PolyExpon", Formula::PolyExpon},
                                                        {"PolyExpSum", Formula::PolyExpSum},
                                                        {"ExpoPolyExpSum", Formula::ExpoPolyExpSum},
                                                        {"EPESminus", Formula::EPESminus}};

// Each formula with the step variants, in the order of the README's table;
// then the scaling runs, 1 to 4 threads and the cores if there are more.
const bool registered = [] {
  const int cores = AvailableCores();
  for (const auto& [name, formula] : Formulas) {
    const std::string base = std::string("StepBench/") + name;
    benchmark::RegisterBenchmark((base + " / OnePass 1 thread").c_str(), StepBench, 1, formula)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark((base + " / OnePass all cores").c_str(), StepBench, cores, formula)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark((base + " / ThreePass").c_str(), StepBench, 0, formula)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
  }
  for (const auto& [name, formula] : Formulas) {
    for (int threads = 1; threads <= std::max(4, cores); ++threads) {
      if (threads > 4 && threads != cores) continue;
      benchmark::RegisterBenchmark((std::string("Scaling/") + name + "/" + std::to_string(threads)).c_str(),
                                   StepBench, threads, formula)
          ->Unit(benchmark::kMicrosecond)
          ->UseRealTime();
    }
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

BENCHMARK_CAPTURE(Transcendental, Exp, Function::Exp);
BENCHMARK_CAPTURE(Transcendental, expl, Function::Expl);
BENCHMARK_CAPTURE(Transcendental, Ln, Function::Ln);
BENCHMARK_CAPTURE(Transcendental, logl, Function::Logl);
BENCHMARK_CAPTURE(Transcendental, Exp_underflow, Function::ExpUnderflow);
BENCHMARK_CAPTURE(Transcendental, expl_underflow, Function::ExplUnderflow);

}  // namespace
}  // namespace vorun

BENCHMARK_MAIN();
