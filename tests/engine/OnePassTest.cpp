#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "EngineFixture.h"
#include "StepCases.h"
#include "engine/Step.h"

// Counts every allocation of the test program, to show that a step makes none.
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// The pair of the counting operator new; GCC cannot see that they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace vorun {
namespace {

using cases::Config;
using cases::FaultCase;
using cases::MixedEnsemble;
using cases::Outcome;
using cases::Run;

// The one-pass step on one thread against the three-pass step.
void ExpectSameRun(const EnsembleState& start, const StepSettings& settings, int steps, Outcome* onePass) {
  StepWorkspace serial;
  serial.threads = 1;
  const Outcome fast = Run([&](EnsembleState& e, const StepSettings& s) { AdvanceStep(e, s, serial); }, start,
                           settings, steps);
  const Outcome reference = Run(AdvanceStepReference, start, settings, steps);
  EXPECT_EQ(fast.error, reference.error);
  EXPECT_EQ(fast.step, reference.step);
  std::string where;
  EXPECT_TRUE(SameState(fast.state, reference.state, &where)) << where;
  *onePass = fast;
}

class OnePass : public testing::TestWithParam<Config> {};

TEST_P(OnePass, MatchesThreePassBitForBitOverAThousandSteps) {
  const StepSettings s = cases::SettingsOf(GetParam());
  const EnsembleState start = MixedEnsemble();
  Outcome fast;
  ExpectSameRun(start, s, 1000, &fast);
  EXPECT_EQ(fast.error, "");
  EXPECT_NE(fast.state.PosX[31], start.PosX[31]);
}

INSTANTIATE_TEST_SUITE_P(Settings, OnePass, testing::ValuesIn(cases::AllConfigs()), cases::ConfigName);

// On one thread and on three: the pool, once made, allocates nothing either.
TEST(OnePassStep, AllocatesNothing) {
  TestEnsemble = MixedEnsemble();
  StepSettings s;
  s.law.formula = Formula::PolyExpSum;
  s.wall = WallMode::Thermos3X3;
  StepWorkspace serial, parallel;
  serial.threads = 1;
  parallel.threads = 3;
  AdvanceStep(TestEnsemble, s, serial);
  AdvanceStep(TestEnsemble, s, parallel);
  AdvanceStep(TestEnsemble, s);
  const long before = allocations;
  for (int n = 0; n < 20; ++n) {
    AdvanceStep(TestEnsemble, s, serial);
    AdvanceStep(TestEnsemble, s, parallel);
    AdvanceStep(TestEnsemble, s);
  }
  EXPECT_EQ(allocations, before);
  // The counter does count.
  int* volatile probe = new int(1);
  EXPECT_GT(allocations, before);
  delete probe;
}

class OnePassFault : public testing::TestWithParam<FaultCase> {};

TEST_P(OnePassFault, SameMessageStepAndArrays) {
  const FaultCase& c = GetParam();
  EnsembleState start = MixedEnsemble();
  c.spoil(start);
  StepSettings s;
  s.law.formula = c.formula;
  s.heater = true;
  Outcome fast;
  ExpectSameRun(start, s, 2000, &fast);
  EXPECT_EQ(fast.error, c.message);
  EXPECT_EQ(fast.step, c.step);
}

INSTANTIATE_TEST_SUITE_P(Cases, OnePassFault, testing::ValuesIn(cases::AllFaults()), cases::FaultName);

}  // namespace
}  // namespace vorun
