// Two ensembles stepped at the same time by two threads end exactly as the
// same two stepped one after the other: the engine keeps no state of its own
// outside the ensemble and the workspace it is handed, and the floating-point
// flags it tests belong to the calling thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "engine/EngineFixture.h"
#include "engine/Step.h"

namespace vorun {
namespace {

// A cloud of n taons within +-2, no two closer than 0.4, from its own seed.
EnsembleState Cloud(std::uint64_t seed, int n) {
  EnsembleState e = SeededCloud(
      {.seed = seed, .taons = n, .width = 4, .closestSquared = 0.16L, .movingComponents = 1, .speed = 0.1L});
  SetTwoDifferentSets(e);
  return e;
}

// Steps e until it faults or has made steps steps; returns the fault message.
std::string Steps(EnsembleState& e, const StepSettings& settings, int steps, StepWorkspace* workspace) {
  std::string error;
  for (int n = 0; n < steps && error.empty(); ++n)
    error = ErrorOf([&] { workspace ? AdvanceStep(e, settings, *workspace) : AdvanceStep(e, settings); });
  return error;
}

class ConcurrentStep : public testing::TestWithParam<bool> {};

// Forty fault-free steps, then two taons put on one place, so that the next
// step faults: a fault in one thread must stay in that thread.
std::string StepsThenFault(EnsembleState& e, const StepSettings& settings, StepWorkspace* workspace) {
  const std::string clean = Steps(e, settings, 40, workspace);
  if (!clean.empty()) return "early: " + clean;
  e.Exists[41] = 1;
  e.PosX[41] = e.PosX[7], e.PosY[41] = e.PosY[7], e.PosZ[41] = e.PosZ[7];
  SyncWorkingCopies(e, true);
  return Steps(e, settings, 1, workspace);
}

TEST_P(ConcurrentStep, TwoThreadsGiveTheResultsOfOneAfterTheOther) {
  const bool ownWorkspaces = GetParam();
  // Different formulas, so that the two pair tables hold different terms.
  StepSettings exponential;
  exponential.law.formula = Formula::Exponential;
  StepSettings shells;
  shells.law.formula = Formula::EPESminus;
  shells.wall = WallMode::Thermos3X3;
  EnsembleState a = Cloud(1, 60), b = Cloud(2, 40);

  EnsembleState serialA = a, serialB = b;
  StepWorkspace serialWorkspace;
  const std::string serialErrorA =
      Steps(serialA, exponential, 40, ownWorkspaces ? &serialWorkspace : nullptr);
  const std::string serialErrorB =
      StepsThenFault(serialB, shells, ownWorkspaces ? &serialWorkspace : nullptr);
  ASSERT_EQ(serialErrorA, "");
  ASSERT_EQ(serialErrorB, "Floating point division by zero");

  std::string errorA, errorB;
  StepWorkspace workspaceA, workspaceB;
  std::thread first([&] { errorA = Steps(a, exponential, 40, ownWorkspaces ? &workspaceA : nullptr); });
  std::thread second([&] { errorB = StepsThenFault(b, shells, ownWorkspaces ? &workspaceB : nullptr); });
  first.join();
  second.join();

  EXPECT_EQ(errorA, serialErrorA);
  EXPECT_EQ(errorB, serialErrorB);
  std::string where;
  EXPECT_TRUE(SameState(a, serialA, &where)) << where;
  EXPECT_TRUE(SameState(b, serialB, &where)) << where;
}

INSTANTIATE_TEST_SUITE_P(Workspaces, ConcurrentStep, testing::Bool(),
                         [](const auto& info) { return info.param ? "OwnWorkspaces" : "ThreadDefaults"; });

}  // namespace
}  // namespace vorun
