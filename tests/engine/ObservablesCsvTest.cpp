#include "engine/ObservablesCsv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>

#include "DecimalCommaLocale.h"

namespace vorun {
namespace {

TEST(ObservablesCsv, HeaderNamesFifteenColumns) {
  const std::string header = ObservablesCsvHeader();
  EXPECT_EQ(
      header,
      "step,time,taons,kinetic_energy,mean_kinetic_energy,momentum_x,momentum_y,momentum_z,centre_x,centre_y,"
      "centre_z,smallest_distance,closest_a,closest_b,largest_radius\n");
}

// Each column at its place: every value distinct, the slots as integers.
TEST(ObservablesCsv, RowHoldsEveryValueAtItsColumn) {
  Observables o;
  o.taonCount = 3;
  o.kineticEnergy = 0.5L;
  o.meanKineticEnergy = 0.25L;
  o.momentumX = 1;
  o.momentumY = -2;
  o.momentumZ = 3;
  o.centreX = 0.125L;
  o.centreY = -0.0625L;
  o.centreZ = 0x1p-20L;  // exact in binary, so its decimal text is short
  o.smallestDistance = 0x1p80L;
  o.closestA = 7;
  o.closestB = 31;
  o.largestRadius = 6.5L;
  EXPECT_EQ(
      ObservablesCsvRow(12, 0.75L, o),
      "12,0.75,3,0.5,0.25,1,-2,3,0.125,-0.0625,9.5367431640625e-07,1.20892581961462917471e+24,7,31,6.5\n");
}

// One taon: no pair, so its three cells are empty rather than "inf,0,0".
TEST(ObservablesCsv, NoPairLeavesItsCellsEmpty) {
  Observables o;
  o.taonCount = 1;
  o.smallestDistance = std::numeric_limits<Extended80>::infinity();
  o.largestRadius = 2;
  EXPECT_EQ(ObservablesCsvRow(0, 0, o), "0,0,1,0,0,0,0,0,0,0,0,,,,2\n");
}

// Twenty-one digits give back the exact 80-bit value, also for values with a
// long expansion and at the ends of the range.
TEST(ObservablesCsv, RealsReadBackBitForBit) {
  for (const Extended80 v : {1.0L / 3, -2.0L / 7, 0.001L, std::numeric_limits<Extended80>::max(),
                             std::numeric_limits<Extended80>::denorm_min(), 123456789.123456789L}) {
    const std::string text = CsvReal(v);
    const Extended80 back = std::strtold(text.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&v, &back, 10), 0) << text;
  }
  EXPECT_EQ(CsvReal(1.0L / 3), "0.333333333333333333342");
  EXPECT_EQ(CsvReal(std::numeric_limits<Extended80>::infinity()), "inf");
}

// The window sets the user's locale; a decimal comma there must not reach
// the file, where it would split a column in two.
TEST(ObservablesCsv, DecimalPointWhateverTheLocale) {
  std::string text;
  {
    const test::DecimalCommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be built here";
    text = CsvReal(2.5L);
  }
  EXPECT_EQ(text, "2.5");
}

}  // namespace
}  // namespace vorun
