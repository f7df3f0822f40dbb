#include <gtest/gtest.h>

#include <tuple>

#include "EngineFixture.h"
#include "engine/Law.h"
#include "engine/Step.h"
#include "model/FloatFault.h"
#include "model/Transcendental.h"

namespace vorun {
namespace {

constexpr const char* DivByZero = "Floating point division by zero";
constexpr const char* Invalid = "Invalid floating point operation";
constexpr const char* Overflow = "Floating point overflow";

// A small, healthy ensemble in which slot 2 is the first to be moved.
void HealthyPair() {
  ClearEnsemble();
  SetBothSets(1, 1, 2, 3, 4);
  Place(2, 0, 0, 0);
  Place(5, 1.1L, 0.3L, 0);
  Place(40, -0.7L, 1, 0.5L);
}

StepSettings WithFormula(Formula f) {
  StepSettings s;
  s.law.formula = f;
  return s;
}

Extended80* Parameter(int index) {
  auto& e = TestEnsemble;
  Extended80* p[] = {&e.B1, &e.C1, &e.D1, &e.F1, &e.B2, &e.C2, &e.D2, &e.F2};
  return p[index];
}

class ZeroLength : public testing::TestWithParam<std::tuple<Formula, int>> {};

// 1.029 / P is formed on every call, whatever the formula reads.
TEST_P(ZeroLength, FaultsAtTheFirstMovedTaonWithNothingMoved) {
  const auto [formula, which] = GetParam();
  HealthyPair();
  *Parameter(which) = 0;
  const EnsembleState before = TestEnsemble;
  EXPECT_EQ(ErrorOf([&] { AdvanceStep(TestEnsemble, WithFormula(formula)); }), DivByZero);
  EXPECT_TRUE(SameState(TestEnsemble, before));
}

INSTANTIATE_TEST_SUITE_P(AllFormulas, ZeroLength,
                         testing::Combine(testing::ValuesIn(AllFormulas), testing::Range(0, 8)));

class CoincidingTaons : public testing::TestWithParam<Formula> {};

// ln 0 inside Power(r, -2) (or inside the first shell power) comes before the
// 0 / 0 of d / r, so the report is the division by zero.
TEST_P(CoincidingTaons, ReportDivisionByZero) {
  HealthyPair();
  Place(7, 1.1L, 0.3L, 0);
  EXPECT_EQ(ErrorOf([&] { AdvanceStep(TestEnsemble, WithFormula(GetParam())); }), DivByZero);
  LawSettings law;
  law.formula = GetParam();
  for (int i : {5, 7}) {
    EXPECT_EQ(ErrorOf([&] { ForceX(TestEnsemble, i, law); }), DivByZero);
    EXPECT_EQ(ErrorOf([&] { ForceY(TestEnsemble, i, law); }), DivByZero);
    EXPECT_EQ(ErrorOf([&] { ForceZ(TestEnsemble, i, law); }), DivByZero);
  }
  EXPECT_EQ(ErrorOf([&] { ForceX(TestEnsemble, 2, law); }), "");
}

INSTANTIATE_TEST_SUITE_P(AllFormulas, CoincidingTaons, testing::ValuesIn(AllFormulas));

struct NegativeCase {
  Formula formula;
  int parameter;  // index into B1..F2
  bool faults;
  bool checkBox2 = false;
  bool checkBox3 = false;
};

class NegativeLength : public testing::TestWithParam<NegativeCase> {};

TEST_P(NegativeLength, FaultsOnlyWhereTheShellIsUsed) {
  const NegativeCase& c = GetParam();
  HealthyPair();
  *Parameter(c.parameter) = -*Parameter(c.parameter);
  StepSettings s = WithFormula(c.formula);
  s.law.noShellB = c.checkBox2;
  s.law.noShellsCDF = c.checkBox3;
  EXPECT_EQ(ErrorOf([&] { AdvanceStep(TestEnsemble, s); }), c.faults ? Invalid : "");
}

INSTANTIATE_TEST_SUITE_P(Shells, NegativeLength,
                         testing::Values(NegativeCase{Formula::PolyExpSum, 0, true},
                                         NegativeCase{Formula::PolyExpSum, 5, true},
                                         NegativeCase{Formula::PolyExpSum, 0, false, true},
                                         NegativeCase{Formula::PolyExpSum, 7, false, false, true},
                                         NegativeCase{Formula::PolyExpSum, 4, true, false, true},
                                         NegativeCase{Formula::ExpoPolyExpSum, 1, true},
                                         NegativeCase{Formula::ExpoPolyExpSum, 6, true},
                                         NegativeCase{Formula::EPESminus, 3, true},
                                         NegativeCase{Formula::EPESminus, 6, true},
                                         // B is no shell length here, and Exponential uses no shell at all.
                                         NegativeCase{Formula::ExpoPolyExpSum, 0, false},
                                         NegativeCase{Formula::Exponential, 1, false},
                                         NegativeCase{Formula::Exponential, 0, false},
                                         NegativeCase{Formula::PolyExpon, 2, false}));

TEST(Overflow, OfTheExponentialAndOfThePower) {
  HealthyPair();
  TestEnsemble.B2 = 20000;  // exp(B / r) with B / r far above 11356
  EXPECT_EQ(ErrorOf([] { AdvanceStep(TestEnsemble, WithFormula(Formula::Exponential)); }), Overflow);
  HealthyPair();
  TestEnsemble.B1 = TestEnsemble.B2 = -1000;
  Place(9, 0.05L, 0, 0);  // r^(B/r) with negative B at small r
  EXPECT_EQ(ErrorOf([] { AdvanceStep(TestEnsemble, WithFormula(Formula::PolyExpon)); }), Overflow);
}

// A fault in slot 5's y component: slot 2 and slot 5's x component keep their
// new working values, everything from slot 5's y on keeps the old ones, and
// nothing is committed.
TEST(FaultMidStep, KeepsEarlierWorkAndCommitsNothing) {
  HealthyPair();
  Place(9, 2, -1, 0.5L, 0.25L, 0, 0);
  TestEnsemble.NextVelV[5] = std::numeric_limits<Extended80>::max();
  const EnsembleState before = TestEnsemble;
  StepSettings s;
  s.heater = true;
  EXPECT_EQ(ErrorOf([&] { AdvanceStep(TestEnsemble, s); }), Overflow);

  const auto& e = TestEnsemble;
  EXPECT_NE(e.NextPosX[2], before.NextPosX[2]);
  EXPECT_NE(e.NextVelW[2], before.NextVelW[2]);
  EXPECT_NE(e.NextVelU[5], before.NextVelU[5]);
  EXPECT_NE(e.NextPosX[5], before.NextPosX[5]);
  EXPECT_EQ(e.NextVelV[5], before.NextVelV[5]);
  EXPECT_EQ(e.NextPosY[5], before.NextPosY[5]);
  EXPECT_EQ(e.NextVelW[5], before.NextVelW[5]);
  EXPECT_EQ(e.NextPosX[9], before.NextPosX[9]);
  EXPECT_EQ(e.NextVelU[9], before.NextVelU[9]);
  for (auto arrays : {&EnsembleState::PosX, &EnsembleState::PosY, &EnsembleState::PosZ, &EnsembleState::VelU,
                      &EnsembleState::VelV, &EnsembleState::VelW, &EnsembleState::ViewX,
                      &EnsembleState::ViewY, &EnsembleState::ViewZ}) {
    EXPECT_EQ(e.*arrays, before.*arrays);
  }
}

TEST(FaultMidStep, LawFaultAtALaterSlotLeavesEarlierSlotsMoved) {
  HealthyPair();
  Place(12, 3, 3, 3);
  Place(14, 3, 3, 3);
  const EnsembleState before = TestEnsemble;
  EXPECT_EQ(ErrorOf([] { AdvanceStep(TestEnsemble, StepSettings{}); }), DivByZero);
  const auto& e = TestEnsemble;
  for (int n : {2, 5}) EXPECT_NE(e.NextPosZ[n], before.NextPosZ[n]) << n;
  for (int n : {12, 14, 40}) EXPECT_EQ(e.NextPosX[n], before.NextPosX[n]) << n;
  EXPECT_EQ(e.PosX, before.PosX);
  EXPECT_EQ(e.ViewZ, before.ViewZ);
  // The next step goes on from the working arrays and faults again.
  EXPECT_EQ(ErrorOf([] { AdvanceStep(TestEnsemble, StepSettings{}); }), DivByZero);
}

// A NaN position in an empty slot takes part in no arithmetic, but the wall
// pass compares it. The step reports the invalid operation after its commit,
// and the wall pass has run over every slot: a taon beyond the wall was still
// reflected. Both forms of the step agree; without a wall nothing compares it.
class WallPassNaN : public testing::TestWithParam<std::tuple<WallMode, bool>> {};

TEST_P(WallPassNaN, IsReportedAfterTheCommit) {
  const auto [wall, onePass] = GetParam();
  HealthyPair();
  Place(50, 150, 0, 0, 1, 0, 0);  // beyond every wall in x
  auto& e = TestEnsemble;
  e.NextPosY[20] = std::numeric_limits<Extended80>::quiet_NaN();
  const EnsembleState before = e;
  StepSettings s;
  s.wall = wall;
  const std::string error = ErrorOf([&] { onePass ? AdvanceStep(e, s) : AdvanceStepReference(e, s); });
  if (wall == WallMode::Thermosout) {
    EXPECT_EQ(error, "");
    EXPECT_EQ(e.NextVelU[50], e.VelU[50]);
  } else {
    EXPECT_EQ(error, Invalid);
    EXPECT_EQ(e.NextVelU[50], -e.VelU[50]);  // reflected after the committed velocity
  }
  for (int n : {5, 40, 50}) {  // moved and committed
    EXPECT_FALSE(SameBits(e.PosX[n], before.PosX[n])) << n;
    EXPECT_TRUE(SameBits(e.PosX[n], e.NextPosX[n])) << n;
    EXPECT_TRUE(SameBits(e.ViewZ[n], e.NextPosZ[n])) << n;
  }
  EXPECT_FALSE(FloatFaultPending());
}

INSTANTIATE_TEST_SUITE_P(EveryWall, WallPassNaN,
                         testing::Combine(testing::Values(WallMode::Thermos3X3, WallMode::Thermos20X20,
                                                          WallMode::ThermosNXN, WallMode::Thermosout),
                                          testing::Bool()));

TEST(FloatFault, StaleFlagsFromElsewhereDoNotFaultTheLaw) {
  HealthyPair();
  std::feraiseexcept(FE_OVERFLOW | FE_DIVBYZERO);
  EXPECT_EQ(ErrorOf([] { AdvanceStep(TestEnsemble, StepSettings{}); }), "");
  std::feraiseexcept(FE_INVALID);
  EXPECT_EQ(ErrorOf([] { ForceX(TestEnsemble, 2, LawSettings{}); }), "");
}

TEST(FloatFault, UnderflowAndInexactAreSilent) {
  volatile Extended80 tiny = 1e-4000L;
  ClearFloatFaults();
  EXPECT_EQ(ErrorOf([&] { Checked(tiny * tiny); }), "");
  EXPECT_EQ(ErrorOf([&] { Checked(Exp(-tiny / tiny * 20000)); }), "");
  EXPECT_EQ(ErrorOf([&] { Checked(1 / (tiny * 3)); }), "");
}

TEST(FloatFault, EachKindHasItsMessage) {
  volatile Extended80 zero = 0;
  volatile Extended80 huge = std::numeric_limits<Extended80>::max();
  ClearFloatFaults();
  EXPECT_EQ(ErrorOf([&] { Checked(1 / zero); }), DivByZero);
  EXPECT_EQ(ErrorOf([&] { Checked(zero / zero); }), Invalid);
  EXPECT_EQ(ErrorOf([&] { Checked(huge * 2); }), Overflow);
  EXPECT_EQ(ErrorOf([&] { Checked(Ln(-huge)); }), Invalid);
  EXPECT_FALSE(FloatFaultPending());  // the throw clears the flags
}

}  // namespace
}  // namespace vorun
