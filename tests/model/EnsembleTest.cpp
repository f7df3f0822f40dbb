#include "model/Ensemble.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vorun {
namespace {

class EnsembleCopies : public testing::Test {
 protected:
  void SetUp() override {
    Ensemble.SlotCount = MaxSlots;
    for (int n = 1; n <= MaxSlots; ++n) {
      Ensemble.PosX[n] = n;
      Ensemble.PosY[n] = 100 + n;
      Ensemble.PosZ[n] = 200 + n;
      Ensemble.VelU[n] = -n;
      Ensemble.VelV[n] = -100 - n;
      Ensemble.VelW[n] = -200 - n;
      Ensemble.NextVelU[n] = 7;  // stale working state the copy must replace
    }
    Ensemble.Exists[3] = 1;
    Ensemble.Exists[60] = 255;
  }

  EnsembleState Ensemble;
};

TEST_F(EnsembleCopies, OnlyExistingTouchesOccupiedSlotsOnly) {
  SyncWorkingCopies(Ensemble, true);
  for (int n : {3, 60}) {
    EXPECT_EQ(Ensemble.ViewX[n], Ensemble.PosX[n]);
    EXPECT_EQ(Ensemble.NextPosZ[n], Ensemble.PosZ[n]);
    EXPECT_EQ(Ensemble.NextVelU[n], Ensemble.VelU[n]);
    EXPECT_EQ(Ensemble.NextVelW[n], Ensemble.VelW[n]);
  }
  EXPECT_EQ(Ensemble.ViewX[4], 0);
  EXPECT_EQ(Ensemble.NextVelU[4], 7);
}

TEST_F(EnsembleCopies, AllSlotsIncludesEmptyOnes) {
  SyncWorkingCopies(Ensemble, false);
  for (int n = 1; n <= MaxSlots; ++n) {
    EXPECT_EQ(Ensemble.ViewY[n], Ensemble.PosY[n]) << n;
    EXPECT_EQ(Ensemble.NextPosY[n], Ensemble.PosY[n]) << n;
    EXPECT_EQ(Ensemble.NextVelV[n], Ensemble.VelV[n]) << n;
  }
}

TEST_F(EnsembleCopies, ZeroingClearsEveryVelocityButNoPosition) {
  ZeroVelocities(Ensemble);
  for (int n = 1; n <= MaxSlots; ++n) {
    EXPECT_EQ(Ensemble.VelU[n], 0);
    EXPECT_EQ(Ensemble.VelW[n], 0);
    EXPECT_EQ(Ensemble.NextVelU[n], 0);
    EXPECT_EQ(Ensemble.NextVelV[n], 0);
    EXPECT_EQ(Ensemble.PosX[n], n);
  }
}

TEST(DefaultTimeStep, IsTheExtendedValueNearestOneThousandth) {
  // 0.001 in the 80-bit format, as it is stored in files.
  const Extended80 dt = DefaultTimeStep();
  const unsigned char expected[10] = {0x3B, 0xDF, 0x4F, 0x8D, 0x97, 0x6E, 0x12, 0x83, 0xF5, 0x3F};
  EXPECT_EQ(std::memcmp(&dt, expected, 10), 0);
}

}  // namespace
}  // namespace vorun
