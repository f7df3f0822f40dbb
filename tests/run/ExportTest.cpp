#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "run/Export.h"
#include "run/RunFixture.h"

namespace vorun {
namespace {

using namespace test;
using run::Notation;

Extended80 FromBits(std::uint64_t significand, std::uint16_t signAndExponent) {
  Extended80 v = 0;
  std::memcpy(&v, &significand, 8);
  std::memcpy(reinterpret_cast<char*>(&v) + 8, &signAndExponent, 2);
  return v;
}

// Every finite value, normal or subnormal, at the extremes and at random
// bit patterns, reads back through strtold to the same ten bytes.
class RealText : public ::testing::TestWithParam<Notation> {};

TEST_P(RealText, ReadsBackToTheSameBits) {
  std::vector<Extended80> values = {0.0L,
                                    -0.0L,
                                    1.0L,
                                    0.1L,
                                    -0.001L,
                                    1.029L,
                                    std::numeric_limits<Extended80>::max(),
                                    -std::numeric_limits<Extended80>::max(),
                                    std::numeric_limits<Extended80>::min(),
                                    std::numeric_limits<Extended80>::denorm_min(),
                                    std::nextafter(1.0L, 2.0L),
                                    std::nextafter(1.0L, 0.0L)};
  std::mt19937_64 random(20261208);
  for (int n = 0; n < 20000; ++n) {
    const std::uint16_t exponent = static_cast<std::uint16_t>(random() % 0x7FFF);  // not inf or NaN
    std::uint64_t significand = random();
    // The integer bit is set exactly for normal numbers; other patterns are
    // not values the x87 produces.
    significand = exponent == 0 ? significand >> 1 : significand | (1ULL << 63);
    values.push_back(FromBits(significand, static_cast<std::uint16_t>(exponent | (random() & 0x8000))));
  }
  for (const Extended80 v : values) {
    const std::string text = run::FormatReal(v, GetParam());
    char* end = nullptr;
    const Extended80 back = std::strtold(text.c_str(), &end);
    ASSERT_EQ(*end, '\0') << text;
    ASSERT_EQ(Bits(back), Bits(v)) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Notations, RealText, ::testing::Values(Notation::Decimal, Notation::Hex));

TEST(RealText, DecimalHas21SignificantDigitsAndHexIsPrintfsForm) {
  EXPECT_EQ(run::FormatReal(0.001L, Notation::Decimal), "0.000999999999999999999958");
  EXPECT_EQ(run::FormatReal(-2.5L, Notation::Decimal), "-2.5");
  EXPECT_EQ(run::FormatReal(0.001L, Notation::Hex), "0x8.3126e978d4fdf3bp-13");
  EXPECT_EQ(run::FormatReal(-1.0L, Notation::Hex), "-0x8p-3");
  EXPECT_EQ(run::FormatReal(0.0L, Notation::Hex), "0x0p+0");
  // The same text as the C library's own conversions (this test runs in the C locale).
  for (const Extended80 v : {1e-30L, -123456.789L, 6.02214076e23L, 1.0L / 3, 0.1L}) {
    char text[64];
    std::snprintf(text, sizeof text, "%.21Lg", v);
    EXPECT_EQ(run::FormatReal(v, Notation::Decimal), text);
    std::snprintf(text, sizeof text, "%La", v);
    EXPECT_EQ(run::FormatReal(v, Notation::Hex), text);
  }
}

TEST(TrajectoryRows, OneRowPerOccupiedSlotWithItsSetUnderTheSplit) {
  EnsembleState e = MakeEnsemble(0.5L, 1, 1, 1, 1, 1);
  Place(e, 3, 1, 2, 3, 4, 5, 6);
  Place(e, 46, -1, -2, -3, -4, -5, -6);
  std::string rows;
  run::AppendTrajectoryRows(rows, e, 3, ColourSplit::Ak, Notation::Decimal);
  EXPECT_EQ(rows, "3,1.5,3,1,1,2,3,4,5,6\n3,1.5,46,2,-1,-2,-3,-4,-5,-6\n");
  rows.clear();
  // Under the split of 15 set 2 begins at slot 46; under 10 at 51.
  run::AppendTrajectoryRows(rows, e, 0, ColourSplit::Bk, Notation::Decimal);
  EXPECT_NE(rows.find("\n0,0,46,2,"), std::string::npos);
  rows.clear();
  run::AppendTrajectoryRows(rows, e, 0, ColourSplit::Ck, Notation::Decimal);
  EXPECT_NE(rows.find("\n0,0,46,1,"), std::string::npos);
}

}  // namespace
}  // namespace vorun
