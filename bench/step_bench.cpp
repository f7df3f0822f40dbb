// Steps per second of the one-pass AdvanceStep and of the three-pass
// AdvanceStepReference on a full ensemble: 60 taons in a fixed
// pseudo-random cloud within +-3, no two closer than 0.3, split Ak. The state
// is put back every RestoreEvery steps so that the cloud never collapses or
// flies apart, whatever the formula does to it; the copy is a few kilobytes
// against a step's 10800 pair terms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "BenchCloud.h"
#include "engine/Step.h"

namespace vorun {
namespace {

constexpr int RestoreEvery = 64;

using Advance = void (*)(EnsembleState&, const StepSettings&);

void StepBench(benchmark::State& state, Advance advance, Formula formula) {
  const EnsembleState cloud = bench::MakeCloud();
  EnsembleState e = cloud;
  StepSettings settings;
  settings.law.formula = formula;
  int count = 0;
  for (auto _ : state) {
    if (count++ % RestoreEvery == 0) e = cloud;
    advance(e, settings);
    benchmark::DoNotOptimize(e.NextPosX[MaxSlots]);
  }
  state.SetItemsProcessed(state.iterations());
}

// Each formula with both step variants, in the order of the README's table.
const bool registered = [] {
  const std::pair<const char*, Formula> formulas[] = {{"Exponential", Formula::Exponential},
                                                      {"PolyExpon", Formula::PolyExpon},
                                                      {"PolyExpSum", Formula::PolyExpSum},
                                                      {"ExpoPolyExpSum", Formula::ExpoPolyExpSum},
                                                      {"EPESminus", Formula::EPESminus}};
  for (const auto& [name, formula] : formulas) {
    benchmark::RegisterBenchmark((std::string("StepBench/") + name + " / OnePass").c_str(), StepBench,
                                 static_cast<Advance>(AdvanceStep), formula)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("StepBench/") + name + " / ThreePass").c_str(), StepBench,
                                 AdvanceStepReference, formula)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

// The floor under every formula: one ln or exp of Extended80, on arguments
// of the sizes the law takes (distances around 1 to 10, exponents of a few).
void Transcendental(benchmark::State& state, bool exponential) {
  Extended80 arguments[64];
  for (int n = 0; n < 64; ++n) arguments[n] = 0.3L + n * 0.17L;
  int n = 0;
  for (auto _ : state) {
    Extended80 x = arguments[n++ & 63];
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(exponential ? std::exp(-x) : std::log(x));
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(Transcendental, ln, false);
BENCHMARK_CAPTURE(Transcendental, exp, true);

}  // namespace
}  // namespace vorun

BENCHMARK_MAIN();
