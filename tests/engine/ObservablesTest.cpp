#include "engine/Observables.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "engine/EngineFixture.h"
#include "model/FloatFault.h"

namespace vorun {
namespace {

class ObservablesTest : public testing::Test {
 protected:
  void SetUp() override { ClearEnsemble(); }
};

// Two taons at rest three apart along x: nothing moves, the pair distance and
// the radii are exact.
TEST_F(ObservablesTest, TwoTaonsAtRest) {
  Place(4, -1, 0, 0);
  Place(9, 2, 0, 0);
  const Observables o = MeasureObservables(TestEnsemble);
  EXPECT_EQ(o.taonCount, 2);
  EXPECT_EQ(o.kineticEnergy, 0);
  EXPECT_EQ(o.meanKineticEnergy, 0);
  EXPECT_EQ(o.momentumX, 0);
  EXPECT_EQ(o.centreX, 0.5L);
  EXPECT_EQ(o.centreY, 0);
  EXPECT_EQ(o.smallestDistance, 3);
  EXPECT_EQ(o.closestA, 4);
  EXPECT_EQ(o.closestB, 9);
  EXPECT_EQ(o.largestRadius, 2);
}

// Speeds chosen so that every sum is exact: KE = (3^2 + 4^2 + 1^2 + 2^2) / 2 = 15.
TEST_F(ObservablesTest, KnownKineticEnergyMomentumAndClosestPair) {
  Place(1, 0, 0, 0, 3, 4, 0);
  Place(2, 0, 0, 4, 0, 0, 1);
  Place(5, 0, 3, 0, 0, 2, 0);   // 3 from slot 1: the closest pair
  Place(7, 0, -3, 0, 0, 0, 0);  // also 3 from slot 1, later in slot order: the tie stays with 1-5
  TestEnsemble.SlotCount = 6;   // slot 7 lies beyond SlotCount and does not count
  const Observables o = MeasureObservables(TestEnsemble);
  EXPECT_EQ(o.taonCount, 3);
  EXPECT_EQ(o.kineticEnergy, 15);
  EXPECT_EQ(o.meanKineticEnergy, 5);
  EXPECT_EQ(o.momentumX, 3);
  EXPECT_EQ(o.momentumY, 6);
  EXPECT_EQ(o.momentumZ, 1);
  EXPECT_EQ(o.centreY, 1);
  EXPECT_EQ(o.smallestDistance, 3);
  EXPECT_EQ(o.closestA, 1);
  EXPECT_EQ(o.closestB, 5);
  EXPECT_EQ(o.largestRadius, 4);

  TestEnsemble.SlotCount = 7;
  const Observables all = MeasureObservables(TestEnsemble);
  EXPECT_EQ(all.taonCount, 4);
  EXPECT_EQ(all.closestA, 1);
  EXPECT_EQ(all.closestB, 5) << "a tie keeps the first pair in slot order";
}

TEST_F(ObservablesTest, NoPairLeavesTheDistanceInfiniteAndNoSlots) {
  EXPECT_EQ(MeasureObservables(TestEnsemble).taonCount, 0);
  EXPECT_EQ(MeasureObservables(TestEnsemble).meanKineticEnergy, 0);
  Place(3, 1, 1, 1, 2, 0, 0);
  const Observables o = MeasureObservables(TestEnsemble);
  EXPECT_TRUE(std::isinf(o.smallestDistance));
  EXPECT_EQ(o.closestA, 0);
  EXPECT_EQ(o.kineticEnergy, 2);
  EXPECT_EQ(o.centreZ, 1);
}

// A NaN or an overflow in a measurement must neither raise a flag that the next
// step would report as its own fault, nor clear one that is pending.
TEST_F(ObservablesTest, LeavesTheFloatingPointFlagsAsTheyWere) {
  Place(1, std::numeric_limits<Extended80>::max(), 0, 0, std::numeric_limits<Extended80>::max());
  Place(2, std::numeric_limits<Extended80>::quiet_NaN(), 0, 0);
  ClearFloatFaults();
  MeasureObservables(TestEnsemble);
  EXPECT_FALSE(FloatFaultPending());
  std::feraiseexcept(FE_DIVBYZERO);
  MeasureObservables(TestEnsemble);
  EXPECT_TRUE(std::fetestexcept(FE_DIVBYZERO));
  ClearFloatFaults();
}

}  // namespace
}  // namespace vorun
