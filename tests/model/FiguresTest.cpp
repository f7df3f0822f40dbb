#include "model/Figures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vorun {
namespace {

// Exact comparison of the ten value bytes, so that -0 and NaN count too.
bool SameBits(Extended80 a, Extended80 b) { return std::memcmp(&a, &b, 10) == 0; }

struct NamedArray {
  const char* name;
  SlotReals EnsembleState::*field;
};

const NamedArray kTaonArrays[] = {
    {"PosX", &EnsembleState::PosX},         {"PosY", &EnsembleState::PosY},
    {"PosZ", &EnsembleState::PosZ},         {"VelU", &EnsembleState::VelU},
    {"VelV", &EnsembleState::VelV},         {"VelW", &EnsembleState::VelW},
    {"NextPosX", &EnsembleState::NextPosX}, {"NextPosY", &EnsembleState::NextPosY},
    {"NextPosZ", &EnsembleState::NextPosZ}, {"NextVelU", &EnsembleState::NextVelU},
    {"NextVelV", &EnsembleState::NextVelV}, {"NextVelW", &EnsembleState::NextVelW},
};

Extended80 EnsembleState::*const kParams[] = {
    &EnsembleState::A1, &EnsembleState::B1, &EnsembleState::C1, &EnsembleState::D1, &EnsembleState::F1,
    &EnsembleState::A2, &EnsembleState::B2, &EnsembleState::C2, &EnsembleState::D2, &EnsembleState::F2};

TEST(WeightedPoint, DividesTheSegmentInTheRatioOfTheWeight) {
  const Point3 p{1, -2, 4}, q{4, 7, -8};
  EXPECT_EQ(WeightedPoint(1, p, q), (Point3{2.5L, 2.5L, -2}));
  // Weight 2: two thirds of the way; 0 gives P itself.
  EXPECT_EQ(WeightedPoint(2, p, q), (Point3{3, 4, -4}));
  EXPECT_EQ(WeightedPoint(0, p, q), p);
}

TEST(WeightedPoint, KeepsExtendedPrecisionInThePoints) {
  // 1 + 2^-60 does not survive a trip through double; the midpoint with itself must keep it.
  const Extended80 fine = 1 + 0x1p-60L;
  const Point3 p{fine, fine, fine};
  EXPECT_TRUE(SameBits(WeightedPoint(1, p, p).x, fine));
}

// The figure as it is documented, to six decimals.
const double kSpiral[20][3] = {
    {0, 0, 0},
    {0.000000, 0.000000, 0.000000},
    {1.000000, 0.000000, 0.000000},
    {0.500000, 0.000000, 0.866025},
    {0.500000, 0.707107, 0.288675},
    {0.500000, -0.707107, 0.288675},
    {0.500000, -0.471405, -0.673575},
    {0.500000, 0.392837, -0.737725},
    {1.333333, -0.052378, -0.940867},
    {1.388889, -0.742026, -0.338570},
    {1.981481, -0.058198, -0.179382},
    {1.487654, 0.668308, -0.408263},
    {1.646091, 0.459118, 0.549103},
    {1.597394, -0.401028, 0.654744},
    {2.483310, -0.000072, 0.682976},
    {2.476528, 0.668260, 0.047054},
    {2.981456, -0.052458, -0.182004},
    {2.487637, -0.742079, 0.167339},
    {2.483739, -0.568418, -0.812342},
    {2.476814, 0.289363, -0.949825},
};

// A figure is built into the test's own ensemble.
class Figure : public testing::Test {
 protected:
  // Fills every field with distinct values, as if an ensemble had been loaded and
  // shown, so that any stray write shows up.
  void FillWithPattern() {
    Ensemble = EnsembleState{};
    Ensemble.SlotCount = MaxSlots;
    Ensemble.TimeStep = 0.05L;
    Extended80* params[] = {&Ensemble.A1, &Ensemble.B1, &Ensemble.C1, &Ensemble.D1, &Ensemble.F1,
                            &Ensemble.A2, &Ensemble.B2, &Ensemble.C2, &Ensemble.D2, &Ensemble.F2};
    for (int i = 0; i < 10; ++i) *params[i] = 0.125L * (i + 3);
    SlotReals* arrays[] = {&Ensemble.PosX,     &Ensemble.PosY,     &Ensemble.PosZ,     &Ensemble.VelU,
                           &Ensemble.VelV,     &Ensemble.VelW,     &Ensemble.NextPosX, &Ensemble.NextPosY,
                           &Ensemble.NextPosZ, &Ensemble.NextVelU, &Ensemble.NextVelV, &Ensemble.NextVelW,
                           &Ensemble.ViewX,    &Ensemble.ViewY,    &Ensemble.ViewZ};
    for (int a = 0; a < 15; ++a)
      for (int n = 1; n <= MaxSlots; ++n) (*arrays[a])[n] = 1000 * (a + 1) + n + 0.5L;
    for (int n = 1; n <= MaxSlots; ++n) Ensemble.Exists[n] = n % 3 == 0 ? 0 : (n % 7 == 0 ? 255 : 1);
  }

  EnsembleState Ensemble;
};

class Spiral : public Figure {
 protected:
  void SetUp() override {
    FillWithPattern();
    spiral = true;
  }
  bool spiral = false;
};

TEST_F(Spiral, MatchesTheDocumentedFigureToSixDecimals) {
  MakeStartFigure(Ensemble, spiral, 1);
  // Half a unit in the sixth decimal, plus room for the decimal table itself.
  const long double tolerance = 0.5e-6 + 1e-12;
  for (int n = 1; n <= SpiralPointCount; ++n) {
    EXPECT_NEAR(Ensemble.ViewX[n], kSpiral[n][0], tolerance) << "point " << n;
    EXPECT_NEAR(Ensemble.ViewY[n], kSpiral[n][1], tolerance) << "point " << n;
    EXPECT_NEAR(Ensemble.ViewZ[n], kSpiral[n][2], tolerance) << "point " << n;
  }
}

TEST_F(Spiral, BuildsTheSameBitsTwiceAndClearsTheRestOfTheViewCopy) {
  MakeStartFigure(Ensemble, spiral, 1);
  const EnsembleState first = Ensemble;
  // Turn the figure away as the spiral renderer would, then build again.
  for (int n = 1; n <= MaxSlots; ++n) Ensemble.ViewX[n] += 3;
  MakeStartFigure(Ensemble, spiral, 1);
  for (int n = 1; n <= SpiralPointCount; ++n) {
    EXPECT_TRUE(SameBits(Ensemble.ViewX[n], first.ViewX[n])) << n;
    EXPECT_TRUE(SameBits(Ensemble.ViewY[n], first.ViewY[n])) << n;
    EXPECT_TRUE(SameBits(Ensemble.ViewZ[n], first.ViewZ[n])) << n;
  }
  for (int n = SpiralPointCount + 1; n <= MaxSlots; ++n) {
    EXPECT_TRUE(SameBits(Ensemble.ViewX[n], 0)) << n;
    EXPECT_TRUE(SameBits(Ensemble.ViewY[n], 0)) << n;
    EXPECT_TRUE(SameBits(Ensemble.ViewZ[n], 0)) << n;
  }
}

TEST_F(Spiral, LeavesTheEnsembleAlone) {
  const EnsembleState before = Ensemble;
  MakeStartFigure(Ensemble, spiral, 1);
  for (const NamedArray& a : kTaonArrays)
    for (int n = 1; n <= MaxSlots; ++n)
      EXPECT_TRUE(SameBits((Ensemble.*a.field)[n], (before.*a.field)[n])) << a.name << "[" << n << "]";
  EXPECT_EQ(Ensemble.Exists, before.Exists);
  for (auto param : kParams) EXPECT_TRUE(SameBits(Ensemble.*param, before.*param));
  EXPECT_TRUE(SameBits(Ensemble.TimeStep, before.TimeStep));
}

TEST(SpiralFacePoints, FollowTheConstructionAndJoinTheApexesToTheFirstTriangle) {
  EXPECT_EQ(SpiralFacePoints(4), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(SpiralFacePoints(5), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(SpiralFacePoints(6), (std::array<int, 3>{1, 2, 5}));
  EXPECT_EQ(SpiralFacePoints(14), (std::array<int, 3>{10, 12, 13}));
  EXPECT_EQ(SpiralFacePoints(19), (std::array<int, 3>{10, 16, 18}));
}

class EasySquare : public Figure {
 protected:
  void SetUp() override {
    FillWithPattern();
    spiral = false;
  }
  bool spiral = false;
};

TEST_F(EasySquare, PlacesFourTaonsAtRestAtTheCornersOfTheSquare) {
  MakeStartFigure(Ensemble, spiral, 1);
  const Extended80 c = 0.212L;
  const Point3 corners[5] = {{}, {c, c, -c}, {c, c, c}, {-c, c, c}, {-c, c, -c}};
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Ensemble.Exists[n], 1);
    const Point3& p = corners[n];
    EXPECT_EQ((Point3{Ensemble.ViewX[n], Ensemble.ViewY[n], Ensemble.ViewZ[n]}), p);
    EXPECT_EQ((Point3{Ensemble.PosX[n], Ensemble.PosY[n], Ensemble.PosZ[n]}), p);
    EXPECT_EQ((Point3{Ensemble.NextPosX[n], Ensemble.NextPosY[n], Ensemble.NextPosZ[n]}), p);
    for (SlotReals* vel : {&Ensemble.VelU, &Ensemble.VelV, &Ensemble.VelW, &Ensemble.NextVelU,
                           &Ensemble.NextVelV, &Ensemble.NextVelW})
      EXPECT_TRUE(SameBits((*vel)[n], 0));
  }
}

TEST_F(EasySquare, SetsBothParameterSetsAlike) {
  MakeStartFigure(Ensemble, spiral, 1);
  const Extended80 want[10] = {1, 2.718L, 5, 10, 20, 1, 2.718L, 5, 10, 20};
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(SameBits(Ensemble.*kParams[i], want[i])) << i;
}

TEST_F(EasySquare, LeavesSlotsFiveToSixtyAndTheTimeStepAsTheyWere) {
  const EnsembleState before = Ensemble;
  MakeStartFigure(Ensemble, spiral, 1);
  for (const NamedArray& a : kTaonArrays)
    for (int n = 5; n <= MaxSlots; ++n)
      EXPECT_TRUE(SameBits((Ensemble.*a.field)[n], (before.*a.field)[n])) << a.name << "[" << n << "]";
  for (int n = 5; n <= MaxSlots; ++n) {
    EXPECT_EQ(Ensemble.Exists[n], before.Exists[n]) << n;
    // The view copy is cleared all the same: only the square is on show.
    EXPECT_TRUE(SameBits(Ensemble.ViewX[n], 0)) << n;
  }
  EXPECT_TRUE(SameBits(Ensemble.TimeStep, before.TimeStep));
}

}  // namespace
}  // namespace vorun
