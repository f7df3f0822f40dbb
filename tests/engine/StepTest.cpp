#include "engine/Step.h"

#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/Law.h"

namespace vorun {
namespace {

void OneTaon(Extended80 x, Extended80 y, Extended80 z, Extended80 u, Extended80 v, Extended80 w) {
  ClearEnsemble();
  SetBothSets(1, 1, 2, 3, 4);
  Place(7, x, y, z, u, v, w);
}

TEST(Factors, AreTheNearestExtendedValues) {
  StepSettings s;
  EXPECT_EQ(HeaterFactor(s), 1);
  EXPECT_EQ(CoolerFactor(s), 1);
  s.heater = s.cooler = true;
  const Extended80 heater = HeaterFactor(s);
  const Extended80 cooler = CoolerFactor(s);
  const unsigned char h[10] = {0xAE, 0x47, 0xE1, 0x7A, 0x14, 0xAE, 0x47, 0x81, 0xFF, 0x3F};
  const unsigned char c[10] = {0xA4, 0x70, 0x3D, 0x0A, 0xD7, 0xA3, 0x70, 0xFD, 0xFE, 0x3F};
  EXPECT_EQ(std::memcmp(&heater, h, 10), 0);
  EXPECT_EQ(std::memcmp(&cooler, c, 10), 0);
}

TEST(Step, LoneTaonMovesExactlyUdtPerStep) {
  OneTaon(0.25L, -1, 2, 0.7L, 0, 0);
  Extended80 x = 0.25L;
  const Extended80 dt = TestEnsemble.TimeStep;
  for (int n = 0; n < 200; ++n) {
    AdvanceStep(TestEnsemble, StepSettings{});
    x = x + 0.7L * dt;
  }
  EXPECT_EQ(TestEnsemble.PosX[7], x);
  EXPECT_EQ(TestEnsemble.ViewX[7], x);
  EXPECT_EQ(TestEnsemble.PosY[7], -1);
  EXPECT_EQ(TestEnsemble.VelU[7], 0.7L);
}

struct FactorCase {
  bool heater, cooler;
  Extended80 factor;
};

class VelocityFactor : public testing::TestWithParam<FactorCase> {};

TEST_P(VelocityFactor, ScalesVelocityAndStepLengthEveryStep) {
  const FactorCase& c = GetParam();
  OneTaon(0, 0, 0, 1, -2, 3);
  StepSettings s;
  s.heater = c.heater;
  s.cooler = c.cooler;
  Extended80 u = 1, w = 3, x = 0;
  for (int n = 0; n < 50; ++n) {
    AdvanceStep(TestEnsemble, s);
    u = c.factor * u;
    w = c.factor * w;
    x = x + u * TestEnsemble.TimeStep;
  }
  EXPECT_EQ(TestEnsemble.VelU[7], u);
  EXPECT_EQ(TestEnsemble.VelW[7], w);
  EXPECT_EQ(TestEnsemble.PosX[7], x);
  EXPECT_NEAR(static_cast<double>(u), std::pow(static_cast<double>(c.factor), 50), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(HeaterAndCooler, VelocityFactor,
                         testing::Values(FactorCase{false, true, 0.99L}, FactorCase{true, false, 1.01L},
                                         // the product 1.01 * 0.99 is formed first
                                         FactorCase{true, true, 1.01L * 0.99L}));

TEST(Step, ForcesComeFromThePositionsAtTheStartOfTheStep) {
  ClearEnsemble();
  SetBothSets(0.5L, 1, 2, 3, 4);
  Place(1, 0, 0, 0);
  Place(2, 1, 0.2L, 0);
  Place(3, -0.4L, 1, 0.3L);
  LawSettings law;
  const Extended80 f2 = ForceX(TestEnsemble, 2, law);
  const Extended80 f3 = ForceY(TestEnsemble, 3, law);
  AdvanceStep(TestEnsemble, StepSettings{});
  const Extended80 dt = TestEnsemble.TimeStep;
  EXPECT_EQ(TestEnsemble.VelU[2], f2 * dt);
  EXPECT_EQ(TestEnsemble.VelV[3], f3 * dt);
  EXPECT_EQ(TestEnsemble.PosY[3], 1 + (f3 * dt) * dt);
}

TEST(Blockade, HoldsSlotsOneToFourWhileTheOthersFeelThem) {
  ClearEnsemble();
  SetBothSets(0.2L, 1, 2, 3, 4);
  for (int n = 1; n <= 4; ++n) Place(n, n, 0.5L * n, 0, 0.1L, 0, 0);
  Place(5, 2.5L, 0, 0);
  const EnsembleState before = TestEnsemble;
  StepSettings s;
  s.blockade = true;
  for (int n = 0; n < 100; ++n) AdvanceStep(TestEnsemble, s);
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(TestEnsemble.PosX[n], before.PosX[n]);
    EXPECT_EQ(TestEnsemble.NextPosX[n], before.NextPosX[n]);
    EXPECT_EQ(TestEnsemble.VelU[n], before.VelU[n]);
    EXPECT_EQ(TestEnsemble.ViewY[n], before.ViewY[n]);
  }
  EXPECT_NE(TestEnsemble.VelU[5], 0);
  EXPECT_NE(TestEnsemble.PosY[5], 0);
}

TEST(Walls, TaonBeyondWallReversesEveryStep) {
  OneTaon(1.6L, 0, 0, 2, 0, 0);
  StepSettings s;
  s.wall = WallMode::Thermos3X3;
  const Extended80 length = 2 * TestEnsemble.TimeStep;
  for (int n = 0; n < 40; ++n) {
    AdvanceStep(TestEnsemble, s);
    EXPECT_LE(std::fabs(TestEnsemble.PosX[7] - 1.6L), length * 1.0000001L) << n;
    // The listing shows the velocity before the reflection.
    EXPECT_EQ(TestEnsemble.VelU[7], -TestEnsemble.NextVelU[7]);
  }
}

TEST(Walls, TaonCrossingFromInsideComesBack) {
  OneTaon(1.49L, 0, -1.49L, 3, 0, -3);
  StepSettings s;
  s.wall = WallMode::Thermos3X3;
  for (int n = 0; n < 40; ++n) AdvanceStep(TestEnsemble, s);
  EXPECT_LT(TestEnsemble.PosX[7], 1.5L);
  EXPECT_GT(TestEnsemble.PosZ[7], -1.5L);
  EXPECT_LT(TestEnsemble.NextVelU[7], 0);
  EXPECT_GT(TestEnsemble.NextVelW[7], 0);
}

class YCancel : public testing::TestWithParam<WallMode> {};

TEST_P(YCancel, LoneTaonStopsAtTheYOfItsFirstStep) {
  OneTaon(0, 0.5L, 0, 0, 2, 0);
  StepSettings s;
  s.wall = GetParam();
  const Extended80 y = 0.5L + 2 * TestEnsemble.TimeStep;
  for (int n = 0; n < 10; ++n) {
    AdvanceStep(TestEnsemble, s);
    EXPECT_EQ(TestEnsemble.PosY[7], y);
  }
  EXPECT_EQ(TestEnsemble.NextVelV[7], 0);
}

INSTANTIATE_TEST_SUITE_P(EveryWall, YCancel,
                         testing::Values(WallMode::Thermos3X3, WallMode::Thermos20X20, WallMode::ThermosNXN));

TEST(Walls, BoundsAreStrictAndSizedPerMode) {
  for (auto [mode, b] : {std::pair{WallMode::Thermos3X3, 1.5L},
                         {WallMode::Thermos20X20, 10.0L},
                         {WallMode::ThermosNXN, 100.0L}}) {
    StepSettings s;
    s.wall = mode;
    ClearEnsemble();
    SetBothSets(1, 1, 1, 1, 1);
    TestEnsemble.TimeStep = 0;  // nothing moves; only the wall pass acts
    Place(7, b, 0, -b, 1, 0, 1);
    Place(9, b * 1.0001L, 0, -b * 1.0001L, 1, 0, 1);
    TestEnsemble.A1 = TestEnsemble.A2 = 0;
    AdvanceStep(TestEnsemble, s);
    EXPECT_EQ(TestEnsemble.NextVelU[7], 1);
    EXPECT_EQ(TestEnsemble.NextVelW[7], 1);
    EXPECT_EQ(TestEnsemble.NextVelU[9], -1);
    EXPECT_EQ(TestEnsemble.NextVelW[9], -1);
  }
}

TEST(Walls, EmptySlotIsNotMovedButStillReflected) {
  OneTaon(0, 0, 0, 0, 0, 0);
  auto& e = TestEnsemble;
  e.NextPosX[20] = 2;
  e.NextPosY[20] = -0.5L;
  e.NextPosZ[20] = -2;
  e.NextVelU[20] = 1;
  e.NextVelV[20] = 1;
  e.NextVelW[20] = -1;
  StepSettings s;
  s.wall = WallMode::Thermos3X3;
  AdvanceStep(TestEnsemble, s);
  EXPECT_EQ(e.NextPosX[20], 2);
  EXPECT_EQ(e.PosX[20], 0);
  EXPECT_EQ(e.ViewX[20], 0);
  EXPECT_EQ(e.NextVelU[20], -1);
  EXPECT_EQ(e.NextVelV[20], 0);
  EXPECT_EQ(e.NextVelW[20], 1);
  s.wall = WallMode::Thermosout;
  AdvanceStep(TestEnsemble, s);
  EXPECT_EQ(e.NextVelU[20], -1);
}

}  // namespace
}  // namespace vorun
