// The shortcuts of the shell slope on both sides of each condition: the
// value is that of the full slope (a zero of either sign where the full slope
// gives a zero) and the fault flags are the same, whichever way is taken.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "EngineFixture.h"
#include "engine/ShellTerm.h"

namespace vorun::law {
namespace {

using O = Op<Unchecked>;

int FaultFlags() { return std::fetestexcept(FloatFaultFlags); }

TEST(ShellShortcut, ExpGuardGivesTheValueAndFlagsOfTheCall) {
  constexpr Extended80 inf = std::numeric_limits<Extended80>::infinity();
  const Extended80 arguments[] = {-inf,
                                  -1e4000L,
                                  -67900,
                                  std::nextafter(ExpZeroBelow, -inf),
                                  ExpZeroBelow,
                                  std::nextafter(ExpZeroBelow, Extended80(0)),
                                  -11450,
                                  -11399.6L,
                                  -11398,
                                  -11000,
                                  -1,
                                  0,
                                  std::numeric_limits<Extended80>::quiet_NaN()};
  for (Extended80 x : arguments) {
    ClearFloatFaults();
    const Extended80 called = Settled(O::Exp(x));
    const int calledFlags = FaultFlags();
    ClearFloatFaults();
    const Extended80 guarded = Settled(ShellExp<Unchecked>(x));
    const int guardedFlags = FaultFlags();
    ClearFloatFaults();
    if (std::isnan(called)) {
      EXPECT_TRUE(std::isnan(guarded)) << static_cast<double>(x);
    } else {
      EXPECT_TRUE(SameBits(called, guarded)) << static_cast<double>(x);
    }
    EXPECT_EQ(calledFlags, guardedFlags) << static_cast<double>(x);
    EXPECT_EQ(calledFlags, 0) << static_cast<double>(x);
  }
  // The guard's premise: at and below the border the call gives exactly +0.
  EXPECT_TRUE(SameBits(O::Exp(ExpZeroBelow), 0));
}

// One slope both ways; returns the way the shortcut took.
ShellWay ExpectSameSlope(Extended80 k, Extended80 r) {
  const std::string where =
      "k " + std::to_string(static_cast<double>(k)) + " r " + std::to_string(static_cast<double>(r));
  ClearFloatFaults();
  const Extended80 full = Settled(ShellSlopeK<Unchecked>(k, r));
  const int fullFlags = FaultFlags();
  ClearFloatFaults();
  const ShellConstants c = MakeShell<Unchecked>(k);
  const Extended80 r2 = O::Power(r, -2);
  ShellWay way = ShellWay::Full;
  const Extended80 fast = Settled(FastShellSlope<Unchecked>(c, r, r2, R2Bounded(r2), &way));
  const int fastFlags = FaultFlags();
  ClearFloatFaults();
  if (full == 0) {
    EXPECT_EQ(fast, 0) << where;
  } else if (std::isnan(full)) {
    EXPECT_TRUE(std::isnan(fast)) << where;
  } else {
    EXPECT_TRUE(SameBits(full, fast)) << where << " full " << static_cast<double>(full);
  }
  EXPECT_EQ(fullFlags, fastFlags) << where;
  if (way != ShellWay::Full) {
    EXPECT_EQ(fast, 0) << where;
  }
  return way;
}

struct Sweep {
  Extended80 fromU, toU;
  std::set<ShellWay> ways;  // each must be taken somewhere in the sweep
};

// Sweeps u = k * r over a range with each shell length and finds every way
// there, each with the full slope's value and flags.
class ShellShortcutSweep : public testing::TestWithParam<Sweep> {};

TEST_P(ShellShortcutSweep, EveryWayMatchesTheFullSlope) {
  const Sweep& sweep = GetParam();
  for (Extended80 P : {0.5L, 1.0L, 2.6L}) {
    const Extended80 k = O::Div(ShellScale, P);
    std::set<ShellWay> seen;
    for (int n = 0; n <= 400; ++n) {
      const Extended80 u = sweep.fromU + (sweep.toU - sweep.fromU) * n / 400;
      seen.insert(ExpectSameSlope(k, u / k));
    }
    EXPECT_EQ(seen, sweep.ways) << static_cast<double>(P);
  }
}

INSTANTIATE_TEST_SUITE_P(Ranges, ShellShortcutSweep,
                         testing::Values(
                             // Near the shell, where W is not 0; and W underflowing for small u.
                             Sweep{0.005L, 0.0125L, {ShellWay::ZeroW, ShellWay::Full}},
                             Sweep{0.5L, 1.4L, {ShellWay::Full}},
                             // W reaches 0 at u of about 1.515; the far way starts at FarFrom.
                             Sweep{1.45L, 1.75L, {ShellWay::Full, ShellWay::ZeroW, ShellWay::Far}},
                             Sweep{1e20L, 2e21L, {ShellWay::Far, ShellWay::ZeroW}}),
                         [](const testing::TestParamInfo<Sweep>& info) {
                           return "Sweep" + std::to_string(info.index);
                         });

// Right at the borders of the far way, to the last bit.
TEST(ShellShortcut, FarBordersToTheBit) {
  const Extended80 k = O::Div(ShellScale, 1.3L);
  for (Extended80 border : {FarFrom, FarTo}) {
    Extended80 r = border / k;
    while (O::Mul(k, r) < border) r = std::nextafter(r, Extended80(1e4000L));
    while (O::Mul(k, std::nextafter(r, Extended80(0))) >= border) r = std::nextafter(r, Extended80(0));
    const Extended80 below = std::nextafter(r, Extended80(0));
    if (border == FarFrom) {
      EXPECT_EQ(ExpectSameSlope(k, r), ShellWay::Far);
      EXPECT_EQ(ExpectSameSlope(k, below), ShellWay::ZeroW);
    } else {
      EXPECT_EQ(ExpectSameSlope(k, below), ShellWay::Far);
      EXPECT_EQ(ExpectSameSlope(k, std::nextafter(r, Extended80(1e4000L))), ShellWay::ZeroW);
    }
  }
}

// Factors of q beyond their bound turn the shortcuts off; the slope and its
// flags stay those of the full way.
TEST(ShellShortcut, UnboundedFactorsTakeTheFullWay) {
  // r^-2 beyond the bound at u = 2.
  const Extended80 tiny = 0x1p-1001L;
  EXPECT_EQ(ExpectSameSlope(2 / tiny, tiny), ShellWay::Full);
  // 1 / (0.1 * k) beyond the bound at u = 2.
  const Extended80 small = 0x1p-2000L;
  EXPECT_EQ(ExpectSameSlope(small, 2 / small), ShellWay::Full);
  // A NaN distance passes quietly, as in the full slope.
  EXPECT_EQ(ExpectSameSlope(2, std::numeric_limits<Extended80>::quiet_NaN()), ShellWay::Full);
  // Just inside both bounds the far way is taken.
  EXPECT_EQ(ExpectSameSlope(2 / 0x1p-990L, 0x1p-990L), ShellWay::Far);
}

// The faults of a zero, a negative and an overflowing shell length are those
// of the full slope: the division 1.029 / P itself faults outside the slope.
TEST(ShellShortcut, FaultsOfZeroNegativeAndOverflowingShellLengths) {
  struct Case {
    const char* name;
    Extended80 P;
    Extended80 r;
    int slopeFlags;  // what the slope raises besides the division
    int divisionFlags;
  };
  const Case cases[] = {
      {"zero", 0, 1, FE_INVALID, FE_DIVBYZERO},
      {"negative, far from the shell in size", -0.1L, 1, FE_INVALID, 0},
      {"negative, near the shell in size", -1, 1, FE_INVALID, 0},
      {"huge: 1 / (0.1 * k) overflows", 1e4932L, 1, FE_OVERFLOW, 0},
      {"subnormal: k overflows", 1e-4940L, 1, FE_INVALID | FE_OVERFLOW, FE_OVERFLOW},
  };
  for (const Case& c : cases) {
    ClearFloatFaults();
    const Extended80 k = Settled(O::Div(ShellScale, c.P));
    EXPECT_EQ(FaultFlags(), c.divisionFlags) << c.name;
    ClearFloatFaults();
    const Extended80 slope = Settled(ShellSlopeK<Unchecked>(k, c.r));
    EXPECT_NE(FaultFlags() & c.slopeFlags, 0) << c.name << " " << static_cast<double>(slope);
    ClearFloatFaults();
    EXPECT_EQ(ExpectSameSlope(k, c.r), ShellWay::Full) << c.name;
  }
}

}  // namespace
}  // namespace vorun::law
