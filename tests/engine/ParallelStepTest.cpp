// The one-pass step gives the values, the fault message, the step of the
// fault and the arrays after it of the three-pass step, on one thread and
// shared out over any number of threads, more threads than cores included.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "StepCases.h"
#include "engine/Step.h"
#include "engine/WorkerPool.h"
#include "model/Transcendental.h"

namespace vorun {
namespace {

using cases::Config;
using cases::FaultCase;
using cases::Outcome;

constexpr int ThreadCounts[] = {1, 2, 3, 8};

Outcome RunOn(int threads, const EnsembleState& start, const StepSettings& settings, int steps) {
  StepWorkspace workspace;
  workspace.threads = threads;
  return cases::Run([&](EnsembleState& e, const StepSettings& s) { AdvanceStep(e, s, workspace); }, start,
                    settings, steps);
}

void ExpectSame(const Outcome& a, const Outcome& b, const std::string& what) {
  EXPECT_EQ(a.error, b.error) << what;
  EXPECT_EQ(a.step, b.step) << what;
  std::string where;
  EXPECT_TRUE(SameState(a.state, b.state, &where)) << what << ": " << where;
}

// Runs start on every thread count and compares each with one thread and
// with the three-pass step.
void ExpectSameOnAllThreadCounts(const EnsembleState& start, const StepSettings& settings, int steps,
                                 Outcome* result) {
  const Outcome reference = cases::Run(AdvanceStepReference, start, settings, steps);
  const Outcome serial = RunOn(1, start, settings, steps);
  ExpectSame(serial, reference, "one thread against three passes");
  for (int threads : ThreadCounts) {
    if (threads == 1) continue;
    const Outcome parallel = RunOn(threads, start, settings, steps);
    ExpectSame(parallel, serial, std::to_string(threads) + " threads against one");
    ExpectSame(parallel, reference, std::to_string(threads) + " threads against three passes");
  }
  *result = serial;
}

class ParallelStep : public testing::TestWithParam<Config> {};

TEST_P(ParallelStep, MatchesOneThreadAndThreePassOverAThousandSteps) {
  const StepSettings s = cases::SettingsOf(GetParam());
  const EnsembleState start = cases::MixedEnsemble();
  Outcome outcome;
  ExpectSameOnAllThreadCounts(start, s, 1000, &outcome);
  EXPECT_EQ(outcome.error, "");
  EXPECT_NE(outcome.state.PosX[31], start.PosX[31]);
}

INSTANTIATE_TEST_SUITE_P(Settings, ParallelStep, testing::ValuesIn(cases::AllConfigs()), cases::ConfigName);

// A full cloud of 60 taons within +-2.5, no two closer than 0.4, moving.
EnsembleState FullCloud() {
  EnsembleState e =
      SeededCloud({.seed = 777, .width = 5, .closestSquared = 0.16L, .movingComponents = 3, .speed = 0.2L});
  SetTwoDifferentSets(e);
  return e;
}

// Every formula on the full cloud, where every thread gets many rows, with
// the settings that change which rows and sets a step computes.
class ParallelCloud : public testing::TestWithParam<Formula> {};

TEST_P(ParallelCloud, MatchesOneThreadAndThreePass) {
  const EnsembleState start = FullCloud();
  StepSettings plain;
  plain.law.formula = GetParam();
  StepSettings varied = plain;
  varied.law.colourSplit = ColourSplit::Ck;
  varied.law.scope = Scope::Taoscope;
  varied.blockade = true;
  varied.heater = true;
  varied.wall = WallMode::Thermos3X3;
  for (const StepSettings& s : {plain, varied}) {
    Outcome outcome;
    ExpectSameOnAllThreadCounts(start, s, 25, &outcome);
    EXPECT_EQ(outcome.error, "");
  }
}

// Every row of the pair table and every slot's sums are taken by some
// thread, whatever the thread count. A row left out would leave entries of
// an earlier step, or zeros whose flags send its slots the three-pass way;
// that gives the right values, so only the phases' counts show it.
TEST_P(ParallelCloud, EveryThreadCountCompletesTheOnePassStep) {
  const EnsembleState start = FullCloud();
  for (const bool blockade : {false, true}) {
    for (int threads : ThreadCounts) {
      StepWorkspace workspace;
      workspace.threads = threads;
      StepPhases phases;
      workspace.phases = &phases;
      StepSettings s;
      s.law.formula = GetParam();
      s.blockade = blockade;
      EnsembleState e = start;
      for (int n = 0; n < 5; ++n) AdvanceStep(e, s, workspace);
      EXPECT_EQ(phases.steps, 5) << threads << " threads, blockade " << blockade;
      EXPECT_EQ(phases.replayedSlots, 0) << threads << " threads, blockade " << blockade;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formulas, ParallelCloud, testing::ValuesIn(AllFormulas),
                         [](const testing::TestParamInfo<Formula>& info) { return FormulaName(info.param); });

// The pair table's exponentials and logarithms on every batch path of this
// processor, on one thread and on two: the three-pass step with its single
// calls, bit for bit, and the faults of the cases with their steps.
class ParallelStepOnBatchPaths : public testing::TestWithParam<BatchPath> {
 protected:
  void SetUp() override {
    if (!BatchPathAvailable(GetParam()))
      GTEST_SKIP() << BatchPathName(GetParam()) << " not on this processor";
    saved_ = CurrentBatchPath();
    SetBatchPath(GetParam());
  }
  void TearDown() override { SetBatchPath(saved_); }

 private:
  BatchPath saved_ = BatchPath::Scalar;
};

TEST_P(ParallelStepOnBatchPaths, EveryFormulaMatchesThreePass) {
  const EnsembleState start = FullCloud();
  for (Formula formula : AllFormulas) {
    StepSettings s;
    s.law.formula = formula;
    s.law.colourSplit = ColourSplit::Bk;
    const Outcome reference = cases::Run(AdvanceStepReference, start, s, 10);
    for (int threads : {1, 2}) {
      const Outcome outcome = RunOn(threads, start, s, 10);
      ExpectSame(outcome, reference, std::string(FormulaName(formula)) + " on " + std::to_string(threads));
    }
  }
}

TEST_P(ParallelStepOnBatchPaths, FaultsMatchThreePass) {
  for (const FaultCase& c : cases::AllFaults()) {
    EnsembleState start = cases::MixedEnsemble();
    c.spoil(start);
    StepSettings s;
    s.law.formula = c.formula;
    s.heater = true;
    const Outcome reference = cases::Run(AdvanceStepReference, start, s, c.step + 1);
    EXPECT_EQ(reference.error, c.message);
    ExpectSame(RunOn(2, start, s, c.step + 1), reference, c.message);
  }
}

std::string PathName(const testing::TestParamInfo<BatchPath>& info) {
  constexpr const char* names[] = {"Scalar", "Avx2", "Avx512"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Paths, ParallelStepOnBatchPaths, testing::ValuesIn(AllBatchPaths), PathName);

class ParallelStepFault : public testing::TestWithParam<FaultCase> {};

TEST_P(ParallelStepFault, SameMessageStepAndArrays) {
  const FaultCase& c = GetParam();
  EnsembleState start = cases::MixedEnsemble();
  c.spoil(start);
  StepSettings s;
  s.law.formula = c.formula;
  s.heater = true;
  Outcome outcome;
  ExpectSameOnAllThreadCounts(start, s, 2000, &outcome);
  EXPECT_EQ(outcome.error, c.message);
  EXPECT_EQ(outcome.step, c.step);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParallelStepFault, testing::ValuesIn(cases::AllFaults()), cases::FaultName);

// A fault in the sums of the full cloud, found by whichever worker sums that
// slot: the slots before it are integrated, the faulting slot up to its fault.
TEST(ParallelStepFault, InTheSumsOfTheCloud) {
  EnsembleState start = FullCloud();
  start.A2 = 1e4931L;
  StepSettings s;
  s.law.formula = Formula::EPESminus;
  Outcome outcome;
  ExpectSameOnAllThreadCounts(start, s, 3, &outcome);
  EXPECT_EQ(outcome.error, "Floating point overflow");
  EXPECT_EQ(outcome.step, 1);
}

#if defined(__x86_64__) || defined(__i386__)
unsigned short ControlWord() {
  unsigned short word = 0;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}

void SetControlWord(unsigned short word) { asm volatile("fldcw %0" : : "m"(word)); }

// Workers compute with the caller's precision: with a 53-bit significand
// set on the calling thread the shared step still matches the one-thread
// step, and both differ from the 64-bit result, so the setting did reach
// every thread.
TEST(ParallelStepThreads, WorkersTakeTheCallersPrecision) {
  const EnsembleState start = FullCloud();
  StepSettings s;
  s.law.formula = Formula::ExpoPolyExpSum;
  const Outcome full = RunOn(2, start, s, 3);
  const unsigned short saved = ControlWord();
  SetControlWord(static_cast<unsigned short>((saved & ~0x0300) | 0x0200));
  const Outcome serial = RunOn(1, start, s, 3);
  const Outcome parallel = RunOn(3, start, s, 3);
  SetControlWord(saved);
  ASSERT_EQ(serial.error, "");
  ExpectSame(parallel, serial, "53-bit precision, 3 threads against one");
  EXPECT_FALSE(SameState(serial.state, full.state));
}
#endif

// The pool runs every job once on each of its threads, the caller being
// worker 0, for many jobs in a row and for pools made and dropped again.
TEST(WorkerPoolThreads, RunsEachJobOnEveryWorkerOnce) {
  for (int threads : {1, 2, 3, 8}) {
    WorkerPool pool(threads);
    ASSERT_EQ(pool.Threads(), threads);
    struct Tally {
      std::atomic<int> calls[8];
      std::atomic<int> total{0};
    } tally;
    for (auto& c : tally.calls) c = 0;
    for (int job = 0; job < 500; ++job) {
      pool.Run(
          [](void* context, int worker) {
            auto& t = *static_cast<Tally*>(context);
            ++t.calls[worker];
            ++t.total;
          },
          &tally);
      ASSERT_EQ(tally.total, (job + 1) * threads);
    }
    for (int n = 0; n < threads; ++n) EXPECT_EQ(tally.calls[n], 500) << n;
  }
}

TEST(WorkerPoolThreads, ThreadCountText) {
  EXPECT_EQ(ParseThreadCount("4"), 4);
  EXPECT_EQ(ParseThreadCount("1"), 1);
  EXPECT_EQ(ParseThreadCount("64"), 64);
  for (const char* bad : {"0", "65", "-2", "", "3x", "x3", " ", "2.5"})
    EXPECT_EQ(ParseThreadCount(bad), 0) << bad;
  EXPECT_EQ(ParseThreadCount(nullptr), 0);
}

TEST(WorkerPoolThreads, SettingTakesEffectAndZeroMeansTheDefault) {
  const int saved = StepThreadsSetting();
  SetStepThreads(3);
  EXPECT_EQ(StepThreads(), 3);
  SetStepThreads(1000);
  EXPECT_EQ(StepThreads(), MaxStepThreads);
  SetStepThreads(0);
  EXPECT_EQ(StepThreads(), DefaultStepThreads());
  EXPECT_GE(DefaultStepThreads(), 1);
  SetStepThreads(saved);
}

}  // namespace
}  // namespace vorun
