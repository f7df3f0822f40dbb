#include <gtest/gtest.h>

#include <string>

#include "EngineFixture.h"
#include "StepCases.h"
#include "engine/Step.h"

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
