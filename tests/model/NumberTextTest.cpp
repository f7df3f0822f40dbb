#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "DecimalCommaLocale.h"
#include "model/Error.h"

namespace vorun {
namespace {

// Compares the ten bytes that carry an 80-bit value; the other six are padding.
bool SameBits(Extended80 a, Extended80 b) { return std::memcmp(&a, &b, 10) == 0; }

std::string WithSeparator(std::string text, char separator) {
  for (char& c : text)
    if (c == '.') c = separator;
  return text;
}

std::string ErrorOf(const std::string& text) {
  try {
    StrToFloat(text);
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

class SeparatorTest : public testing::TestWithParam<char> {
 protected:
  void SetUp() override { DecimalSeparator = GetParam(); }
  void TearDown() override { DecimalSeparator = '.'; }
  std::string Text(const char* dotted) const { return WithSeparator(dotted, GetParam()); }
};

struct Shown {
  Extended80 value;
  const char* text;  // written with '.', the test puts in the separator
};

class FloatToStrExamples : public SeparatorTest {};

TEST_P(FloatToStrExamples, ShowFifteenDigitsInTheRightNotation) {
  const Shown cases[] = {
      {0.0001L, "0.0001"},
      {0.00001L, "1E-5"},
      {1E15L, "1E15"},
      {999999999999999.0L, "999999999999999"},
      {0.1L, "0.1"},
      {1.0L / 3, "0.333333333333333"},
      {2.0L / 3, "0.666666666666667"},
      {-2.5E-7L, "-2.5E-7"},
      {123456.7L, "123456.7"},
      {0, "0"},
      {-0.0L, "0"},
      {100, "100"},
      {-1, "-1"},
      {1E14L, "100000000000000"},
      {0.00012345L, "0.00012345"},
      {123456789012345678.0L, "1.23456789012346E17"},
      // Rounding to 15 digits carries into the exponent, which then decides
      // the notation.
      {999999999999999.5L, "1E15"},
      {0.00009999999999999999L, "0.0001"},
      {0.00009999999999999L, "9.999999999999E-5"},
      // The 16th digit decides the 15th: ...5 followed by more is rounded up.
      {1.0000000000000051L, "1.00000000000001"},
      {1.0000000000000049L, "1"},
      {std::numeric_limits<Extended80>::max(), "1.18973149535723E4932"},
      {std::numeric_limits<Extended80>::min(), "3.36210314311209E-4932"},
      {std::numeric_limits<Extended80>::denorm_min(), "3.64519953188247E-4951"},
      {-1E-300L, "-1E-300"},
      {std::numeric_limits<Extended80>::infinity(), "INF"},
      {-std::numeric_limits<Extended80>::infinity(), "-INF"},
      {std::numeric_limits<Extended80>::quiet_NaN(), "NAN"},
      {-std::numeric_limits<Extended80>::quiet_NaN(), "NAN"},
  };
  for (const Shown& c : cases) EXPECT_EQ(FloatToStr(c.value), Text(c.text)) << c.text;
}

class StrToFloatAccepts : public SeparatorTest {};

TEST_P(StrToFloatAccepts, TheGrammarWithTheCurrentSeparator) {
  const Shown cases[] = {
      {1.5L, "1.5"},
      {1.5L, "  1.5  "},
      {7, "\t7\t"},
      {0.5L, "+.5"},
      {-0.5L, "-.5"},
      {5, "5."},
      {-2.5E-7L, "-2.5e-7"},
      {1000, "1E3"},
      {1000, "1e+3"},
      {0.001L, "1E-3"},
      {0.1L, "0.1"},
      {123456.7L, "123456.7"},
      {1E-4950L, "1E-4950"},  // denormal: still the nearest 80-bit value
      {0, "1E-5000"},         // below half the smallest denormal
      {std::numeric_limits<Extended80>::max(), "1.18973149535723176502e4932"},
      {12345678901234567890.0L, "0012345678901234567890"},
  };
  for (const Shown& c : cases) {
    const std::string text = Text(c.text);
    EXPECT_TRUE(SameBits(StrToFloat(text), c.value)) << text;
  }
  EXPECT_TRUE(std::signbit(StrToFloat("-0")));
}

class StrToFloatRejects : public SeparatorTest {};

TEST_P(StrToFloatRejects, EverythingElseWithTheTextAsGiven) {
  const char other = GetParam() == '.' ? ',' : '.';
  const std::string bad[] = {"",      " ",     ".",      "-",       "1" + Text(".") + "2" + Text(".") + "3",
                             "1e",    "1e+",   "e5",     "inf",     "INF",
                             "nan",   "0x10",  "1 000",  "--1",     "+-1",
                             "1.5x",  "1e5.5", "1e5000", "-1E4933", std::string("1") + other + "5",
                             "1_000", "\n1",   "1\n"};
  for (const std::string& text : bad)
    EXPECT_EQ(ErrorOf(text), "'" + text + "' is not a valid floating point value") << text;
}

class RoundTrip : public SeparatorTest {};

// Values that are the nearest 80-bit value to a decimal of at most 15
// significant digits come back bit for bit.
TEST_P(RoundTrip, FifteenDigitValuesComeBackExactly) {
  std::mt19937_64 random(20261208);
  std::uniform_int_distribution<std::int64_t> mantissa(1, 999999999999999);
  std::uniform_int_distribution<int> exponent(-4940, 4917);
  for (int i = 0; i < 20000; ++i) {
    const std::string decimal =
        (i % 2 ? "-" : "") + std::to_string(mantissa(random)) + "e" + std::to_string(exponent(random));
    const Extended80 value = StrToFloat(decimal);
    const std::string shown = FloatToStr(value);
    ASSERT_TRUE(SameBits(StrToFloat(shown), value)) << decimal << " shown as " << shown;
  }
}

// For any finite bit pattern, what is shown reads back to a value that is
// shown the same way: a field re-entered unchanged keeps its text.
TEST_P(RoundTrip, ShownTextIsStableForAnyBitPattern) {
  std::mt19937_64 random(4932);
  for (int i = 0; i < 20000; ++i) {
    unsigned char bytes[16] = {};
    const std::uint64_t significand = random();
    const auto top = static_cast<std::uint16_t>(random());
    std::memcpy(bytes, &significand, 8);
    std::memcpy(bytes + 8, &top, 2);
    // Keep the integer bit consistent with the exponent, as the FPU makes it.
    if ((top & 0x7FFF) == 0)
      bytes[7] &= 0x7F;
    else
      bytes[7] |= 0x80;
    Extended80 value;
    std::memcpy(&value, bytes, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string shown = FloatToStr(value);
    ASSERT_EQ(FloatToStr(StrToFloat(shown)), shown);
  }
}

INSTANTIATE_TEST_SUITE_P(BothSeparators, FloatToStrExamples, testing::Values('.', ','));
INSTANTIATE_TEST_SUITE_P(BothSeparators, StrToFloatAccepts, testing::Values('.', ','));
INSTANTIATE_TEST_SUITE_P(BothSeparators, StrToFloatRejects, testing::Values('.', ','));
INSTANTIATE_TEST_SUITE_P(BothSeparators, RoundTrip, testing::Values('.', ','));

// A pseudo-denormal from a file: exponent field 0, integer bit set. The x87
// computes with it as 2^-16382 * significand / 2^63; the text must show that
// value, and reading the text back must give it to the fifteen digits shown.
TEST(FloatToStr, PseudoDenormalIsShownAtTheValueTheArithmeticUses) {
  const char* const patterns[] = {
      "\0\0\0\0\0\0\0\x80\0\0",                // 2^-16382, the smallest normal
      "\x01\0\0\0\0\0\0\xC0\0\x80",            // -1.5 * 2^-16382 and a little
      "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\0\0",  // just below 2^-16381
  };
  for (const char* bits : patterns) {
    Extended80 pseudo;
    std::memcpy(&pseudo, bits, 10);
    volatile Extended80 one = 1;
    std::feclearexcept(FE_ALL_EXCEPT);
    const Extended80 computed = pseudo * one;  // the value the FPU uses
    std::feclearexcept(FE_ALL_EXCEPT);
    Extended80 normal = pseudo;  // the same significand with exponent field 1
    reinterpret_cast<unsigned char*>(&normal)[8] = 1;
    ASSERT_TRUE(SameBits(computed, normal));

    const std::string shown = FloatToStr(pseudo);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0) << "showing it raises no flag";
    EXPECT_EQ(shown, FloatToStr(computed));
    const Extended80 back = StrToFloat(shown);
    EXPECT_LE(std::fabs((back - computed) / computed), 5e-15L) << shown;
    EXPECT_EQ(FloatToStr(back), shown);
  }
}

TEST(StrToFloat, OneThousandthIsStoredAsTheFileExampleBytes) {
  const Extended80 value = StrToFloat("0.001");
  const unsigned char expected[10] = {0x3B, 0xDF, 0x4F, 0x8D, 0x97, 0x6E, 0x12, 0x83, 0xF5, 0x3F};
  EXPECT_EQ(std::memcmp(&value, expected, 10), 0);
}

// The engine detects its faults from the sticky flags; converting a field
// between two steps must not raise one for it.
TEST(NumberText, ConversionsLeaveTheFloatingPointFlagsAlone) {
  std::feclearexcept(FE_ALL_EXCEPT);
  StrToFloat("0.1");
  StrToFloat("1E-5000");
  FloatToStr(1.0L / 3);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  EXPECT_THROW(StrToFloat("1E99999"), Error);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);

  // Bit patterns a file may hold that the FPU takes as invalid operands: a
  // signalling NaN and an unnormal.
  for (const char* bits : {"\1\0\0\0\0\0\0\x80\xFF\xFF", "\x34\x12\0\0\0\0\0\0\x01\x40"}) {
    Extended80 odd = 0;
    std::memcpy(&odd, bits, 10);
    EXPECT_EQ(FloatToStr(odd), "NAN");
  }
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);

  std::feraiseexcept(FE_DIVBYZERO);
  StrToFloat("0.1");
  EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
  std::feclearexcept(FE_ALL_EXCEPT);
}

// The program calls setlocale, so the C library's own radix character may be
// ','. The conversions must follow DecimalSeparator and nothing else.
TEST(NumberText, IndependentOfTheCLibraryLocale) {
  const test::DecimalCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be built here";

  DecimalSeparator = '.';
  EXPECT_EQ(FloatToStr(123456.7L), "123456.7");
  EXPECT_TRUE(SameBits(StrToFloat("2.5"), 2.5L));
  EXPECT_THROW(StrToFloat("2,5"), Error);
  DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(-2.5E-7L), "-2,5E-7");
  EXPECT_TRUE(SameBits(StrToFloat("2,5"), 2.5L));
  EXPECT_THROW(StrToFloat("2.5"), Error);
  DecimalSeparator = '.';
}

TEST(StrToInt, ReadsPlainDecimalWithinThirtyTwoBits) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("  -17 "), -17);
  EXPECT_EQ(StrToInt("+5"), 5);
  EXPECT_EQ(StrToInt("007"), 7);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToStr(60), "60");
}

TEST(StrToInt, RejectsEverythingElseWithTheTextAsGiven) {
  for (const std::string text : {"", " ", "-", "2147483648", "-2147483649", "99999999999999999999", "1.0",
                                 "12a", "1 2", "0x10", "$10", "--1"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "'" + text + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace vorun
