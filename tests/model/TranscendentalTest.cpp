#include "model/Transcendental.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <atomic>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <tuple>

#include "model/TranscendentalCheck.h"

namespace vorun {
namespace {

using check::Region;

// 10^6 random inputs per function in CI, a quarter in each region.
constexpr int PerRegion = 250000;

class AgainstMpfr : public testing::TestWithParam<Region> {};

TEST_P(AgainstMpfr, EveryRandomInputIsCorrectlyRoundedWithItsFlags) {
  const Region region = GetParam();
  check::Sampler sampler(0x5eed0000u + static_cast<unsigned>(region));
  int failures = 0;
  for (int n = 0; n < PerRegion; ++n) {
    const Extended80 x = sampler.Next(region);
    const std::string wrong = check::CheckOne(check::IsExp(region), x);
    if (!wrong.empty() && ++failures <= 5) ADD_FAILURE() << wrong;
  }
  EXPECT_EQ(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(Regions, AgainstMpfr,
                         testing::Values(Region::ExpWhole, Region::ExpNearZero, Region::ExpNearOverflow,
                                         Region::ExpUnderflow, Region::LnWhole, Region::LnNearOne,
                                         Region::LnModerate, Region::LnSubnormal),
                         [](const auto& info) { return std::string(check::RegionName(info.param)); });

// Inputs whose exact result lies within 2^-20 of an ulp of a midpoint between
// two Extended80 values, where a result good to a few ulps of 2^-64 would
// round the wrong way. How they were found:
//  - exp at x = j 2^-64 (j odd, x < 2^-42) and x = -j 2^-65: 1 + x is then a
//    midpoint and exp(x) lies x^2/2 beyond it (Taylor series);
//  - ln at x = 1 - 2^-63: z - z^2/2 with z = x - 1 is a midpoint, and ln(x)
//    lies z^3/3 = 2^-190/3 beyond it;
//  - ln at x = 1 +- j 2^-55 (j odd, 2^8 < j < 2^9): z - z^2/2 with z = x - 1 is
//    then a midpoint and ln(x) lies about z^3/3 beyond it;
//  - ln at x = the Extended80 nearest exp(y), y a midpoint in [2^12, 2^13.5):
//    ln(x) is y plus the relative rounding error of x; the closest of 2 10^5
//    such y, measured with MPFR at 300 bits;
//  - exp at the random inputs where the fast path could not decide (a search
//    over 6 10^7 random inputs), each within 2^-23 ulp of a midpoint.
struct HardCase {
  bool exp;
  Extended80 x;
};

const HardCase HardCases[] = {
    {true, 0x1p-64L},
    {true, 0x3p-64L},
    {true, 12345 * 0x1p-64L},
    {true, 0x200001p-64L},
    {true, -0x1p-65L},
    {true, -0x3039p-65L},
    {true, -0x1fffffp-65L},
    {true, -0xa.13a830002ac8185p+4L},
    {true, 0x8.601e7a1f04dce1bp+3L},
    {true, -0xf.95aa0b1c8b7ecfbp-3L},
    {true, 0xa.93265c0d7e38902p-17L},
    {true, 0xb.29ecde0033a4f0ep-15L},
    {true, -0xf.4510e4280699cdcp+2L},
    {true, -0x9.4e2aed66d365be5p-10L},
    {false, 1 - 0x1p-63L},
    {false, 1 + 0x101p-55L},
    {false, 1 + 0x1ffp-55L},
    {false, 1 - 0x101p-55L},
    {false, 1 - 0x1a5p-55L},
    {false, 0xd.90cc36dcae6d1bep+13235L},
    {false, 0x8.a0c5303b3bf5981p+13037L},
    {false, 0xb.991516bc244a7efp+15211L},
    {false, 0xc.a7b862509a44948p+15636L},
    {false, 0xd.3ba95d737c997eap+10394L},
};

// Distance of the exact f(x) from the nearest midpoint, in ulps of the result.
double MidpointDistance(bool exp, Extended80 x) {
  mpfr_t a, y;
  mpfr_init2(a, 300);
  mpfr_init2(y, 300);
  mpfr_set_ld(a, x, MPFR_RNDN);
  if (exp) {
    mpfr_exp(y, a, MPFR_RNDN);
  } else {
    mpfr_log(y, a, MPFR_RNDN);
  }
  mpfr_abs(y, y, MPFR_RNDN);
  mpfr_mul_2si(y, y, 64 - mpfr_get_exp(y), MPFR_RNDN);  // in ulps
  mpfr_frac(y, y, MPFR_RNDN);
  const double d = std::fabs(mpfr_get_d(y, MPFR_RNDN) - 0.5);
  mpfr_clear(a);
  mpfr_clear(y);
  return d;
}

class HardToRound : public testing::TestWithParam<HardCase> {};

TEST_P(HardToRound, IsCorrectlyRounded) {
  const HardCase c = GetParam();
  EXPECT_LT(MidpointDistance(c.exp, c.x), 0x1p-20) << "not a hard case";
  EXPECT_EQ(check::CheckOne(c.exp, c.x), "");
}

INSTANTIATE_TEST_SUITE_P(Found, HardToRound, testing::ValuesIn(HardCases));

TEST(HardToRound, TheFastPathHandsTheClosestToTheFallback) {
  const std::uint64_t before = TranscendentalFallbacks();
  for (const HardCase& c : HardCases) c.exp ? Exp(c.x) : Ln(c.x);
  EXPECT_GE(TranscendentalFallbacks() - before, 10u);
}

// Two threads in the fallback at once each have their calls counted.
TEST(HardToRound, TheFallbacksOfEveryThreadAreCounted) {
  std::uint64_t before = TranscendentalFallbacks();
  for (const HardCase& c : HardCases) c.exp ? Exp(c.x) : Ln(c.x);
  const std::uint64_t perPass = TranscendentalFallbacks() - before;
  ASSERT_GT(perPass, 0u);
  constexpr int Passes = 20;
  const auto work = [] {
    for (int n = 0; n < Passes; ++n)
      for (const HardCase& c : HardCases) c.exp ? Exp(c.x) : Ln(c.x);
  };
  before = TranscendentalFallbacks();
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(TranscendentalFallbacks() - before, 2 * Passes * perPass);
}

// Special values: the result and every flag raised.
struct Special {
  const char* name;
  bool exp;
  Extended80 x;
  Extended80 result;  // NaN: any quiet NaN
  int flags;
  bool byMpfr = false;  // the result is MPFR's, not written here
};

constexpr Extended80 Inf = std::numeric_limits<Extended80>::infinity();
constexpr Extended80 QNaN = std::numeric_limits<Extended80>::quiet_NaN();
const Extended80 SNaN = std::numeric_limits<Extended80>::signaling_NaN();
constexpr Extended80 Max = LDBL_MAX;
constexpr Extended80 Smallest = LDBL_TRUE_MIN;
constexpr int Inexact = FE_INEXACT;

// 0x0000 8000 0000 0000 0001: an unnormal (exponent 1, integer bit clear),
// which the x87 refuses as an operand.
const Extended80 Unnormal = check::FromBits(1, 1);

const Special Specials[] = {
    {"ExpPlusZero", true, 0.0L, 1, 0},
    {"ExpMinusZero", true, -0.0L, 1, 0},
    {"ExpPlusInf", true, Inf, Inf, 0},
    {"ExpMinusInf", true, -Inf, 0, 0},
    {"ExpQuietNaN", true, QNaN, QNaN, 0},
    {"ExpSignallingNaN", true, SNaN, QNaN, FE_INVALID},
    {"ExpUnnormal", true, Unnormal, QNaN, FE_INVALID},
    {"ExpMax", true, Max, Inf, FE_OVERFLOW | Inexact},
    {"ExpJustOverflows", true, 11356.5235L, Inf, FE_OVERFLOW | Inexact},
    {"ExpMinusMax", true, -Max, 0, FE_UNDERFLOW | Inexact},
    {"ExpToZero", true, -11399.51L, 0, FE_UNDERFLOW | Inexact},
    {"ExpToSmallestSubnormal", true, -11399.49L, Smallest, FE_UNDERFLOW | Inexact},
    {"ExpSmallest", true, Smallest, 1, Inexact},
    {"ExpMinusSmallest", true, -Smallest, 1, Inexact},
    {"ExpTiny", true, 0x1p-66L, 1, Inexact},
    {"ExpOne", true, 1, 2.718281828459045235360287471352662497757L, Inexact},
    {"ExpLastFinite", true, 11356.5234L, 0, Inexact, true},
    {"ExpLastNormal", true, -11355.137L, 0, Inexact, true},
    {"ExpFirstSubnormal", true, -11355.138L, 0, FE_UNDERFLOW | Inexact, true},
    {"LnOne", false, 1, 0, 0},
    {"LnPlusZero", false, 0.0L, -Inf, FE_DIVBYZERO},
    {"LnMinusZero", false, -0.0L, -Inf, FE_DIVBYZERO},
    {"LnMinusOne", false, -1, QNaN, FE_INVALID},
    {"LnMinusSmallest", false, -Smallest, QNaN, FE_INVALID},
    {"LnMinusInf", false, -Inf, QNaN, FE_INVALID},
    {"LnPlusInf", false, Inf, Inf, 0},
    {"LnQuietNaN", false, QNaN, QNaN, 0},
    {"LnSignallingNaN", false, SNaN, QNaN, FE_INVALID},
    {"LnUnnormal", false, Unnormal, QNaN, FE_INVALID},
    {"LnTwo", false, 2, 0.6931471805599453094172321214581765680755L, Inexact},
    {"LnMax", false, Max, 0, Inexact, true},
    {"LnSmallest", false, Smallest, 0, Inexact, true},
    {"LnSmallestNormal", false, LDBL_MIN, 0, Inexact, true},
    {"LnPowerOfTwo", false, 0x1p-1000L, 0, Inexact, true},
};

class SpecialValues : public testing::TestWithParam<Special> {};

TEST_P(SpecialValues, GiveTheIeeeResultAndFlags) {
  const Special s = GetParam();
  std::feclearexcept(FE_ALL_EXCEPT);
  const Extended80 got = s.exp ? Exp(s.x) : Ln(s.x);
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  const Extended80 want = !s.byMpfr ? s.result
                          : s.exp   ? transcendental::ExpByMpfr(s.x)
                                    : transcendental::LnByMpfr(s.x);
  if (std::isnan(want)) {
    ASSERT_TRUE(std::isnan(got));
    std::uint64_t mant;
    std::memcpy(&mant, &got, 8);
    EXPECT_NE(mant & (std::uint64_t{1} << 62), 0u) << "a signalling NaN came out";
  } else {
    EXPECT_TRUE(check::SameValue(got, want)) << got << " vs " << want;
  }
  EXPECT_EQ(flags, s.flags);
}

INSTANTIATE_TEST_SUITE_P(All, SpecialValues, testing::ValuesIn(Specials),
                         [](const auto& info) { return std::string(info.param.name); });

// The multiple-precision call must not disturb a caller's MPFR settings.
TEST(Fallback, LeavesTheExponentRangeOfMpfrAsItWas) {
  const mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
  transcendental::ExpByMpfr(-11380);
  Exp(HardCases[0].x);
  EXPECT_EQ(mpfr_get_emin(), emin);
  EXPECT_EQ(mpfr_get_emax(), emax);
}

// Counts the blocks that GMP (and so MPFR) holds, to see what a thread leaves.
std::atomic<long> gmpBlocks{0};
void* CountedAllocate(std::size_t n) {
  ++gmpBlocks;
  return std::malloc(n);
}
void* CountedReallocate(void* p, std::size_t, std::size_t n) { return std::realloc(p, n); }
void CountedFree(void* p, std::size_t) {
  --gmpBlocks;
  std::free(p);
}

// The parallel step's workers may need the fallback and end with their pool.
TEST(Fallback, AThreadThatEndsLeavesNoMpfrMemoryBehind) {
  Exp(HardCases[0].x);  // the tables are built once, outside the count
  void* (*allocate)(std::size_t);
  void* (*reallocate)(void*, std::size_t, std::size_t);
  void (*release)(void*, std::size_t);
  mp_get_memory_functions(&allocate, &reallocate, &release);
  mp_set_memory_functions(CountedAllocate, CountedReallocate, CountedFree);
  gmpBlocks = 0;
  Extended80 onThread = 0;
  std::thread([&] {
    for (const HardCase& c : HardCases) c.exp ? Exp(c.x) : Ln(c.x);
    onThread = transcendental::ExpByMpfr(-11380);
  }).join();
  const long left = gmpBlocks;
  mp_set_memory_functions(allocate, reallocate, release);
  EXPECT_EQ(left, 0);
  EXPECT_TRUE(check::SameValue(onThread, transcendental::ExpByMpfr(-11380)));
}

TEST(SinCorrectlyRounded, MatchesKnownValues) {
  EXPECT_EQ(SinCorrectlyRounded(0), 0);
  EXPECT_TRUE(check::SameValue(SinCorrectlyRounded(1), 0.8414709848078965066525023216302989996226L));
}

}  // namespace
}  // namespace vorun
