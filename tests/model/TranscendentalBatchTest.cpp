// Every batch path that this processor has gives the bits and the flags of
// the single calls: on the random sample of the MPFR test, on the hard cases
// near rounding boundaries and on the special values, mixed into batches of
// every length so that each path's set-aside arguments and partial vectors
// are met.
#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <cfloat>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "model/Transcendental.h"
#include "model/TranscendentalCheck.h"

namespace vorun {
namespace {

using check::Region;

struct Result {
  std::vector<Extended80> values;
  int flags = 0;
};

Result Singles(bool exp, const std::vector<Extended80>& x) {
  Result r;
  std::feclearexcept(FE_ALL_EXCEPT);
  for (Extended80 v : x) r.values.push_back(exp ? Exp(v) : Ln(v));
  r.flags = std::fetestexcept(FE_ALL_EXCEPT);
  return r;
}

Result Batch(BatchPath path, bool exp, const std::vector<Extended80>& x) {
  Result r;
  r.values.assign(x.size(), 0);
  std::feclearexcept(FE_ALL_EXCEPT);
  (exp ? transcendental::ExpBatchOn : transcendental::LnBatchOn)(path, x.data(), r.values.data(),
                                                                 static_cast<int>(x.size()));
  r.flags = std::fetestexcept(FE_ALL_EXCEPT);
  return r;
}

// "" when the batch equals the single calls bit for bit (any NaN for a NaN)
// and raised the same flags.
std::string Compare(BatchPath path, bool exp, const std::vector<Extended80>& x) {
  const Result single = Singles(exp, x);
  const Result batch = Batch(path, exp, x);
  for (std::size_t n = 0; n < x.size(); ++n) {
    if (!check::SameValue(single.values[n], batch.values[n])) {
      char text[200];
      std::snprintf(text, sizeof text, "%s %s(%La): batch %La, single %La", BatchPathName(path),
                    exp ? "Exp" : "Ln", x[n], batch.values[n], single.values[n]);
      return text;
    }
  }
  if (single.flags != batch.flags)
    return std::string(BatchPathName(path)) + ": flags " + std::to_string(batch.flags) + ", single calls " +
           std::to_string(single.flags);
  return "";
}

class BatchPaths : public testing::TestWithParam<BatchPath> {
 protected:
  void SetUp() override {
    if (!BatchPathAvailable(GetParam()))
      GTEST_SKIP() << BatchPathName(GetParam()) << " not on this processor";
  }
};

// The sample of the MPFR test, 10^6 per function, cut into batches of
// random lengths from 1 to 300.
TEST_P(BatchPaths, RandomSampleMatchesTheSingleCalls) {
  std::mt19937 lengths(7);
  for (Region region : {Region::ExpWhole, Region::ExpNearZero, Region::ExpNearOverflow, Region::ExpUnderflow,
                        Region::LnWhole, Region::LnNearOne, Region::LnModerate, Region::LnSubnormal}) {
    check::Sampler sampler(0x5eed0000u + static_cast<unsigned>(region));
    int failures = 0;
    for (int done = 0; done < 250000;) {
      const int length = std::min(250000 - done, static_cast<int>(lengths() % 300) + 1);
      std::vector<Extended80> x(length);
      for (Extended80& v : x) v = sampler.Next(region);
      const std::string wrong = Compare(GetParam(), check::IsExp(region), x);
      if (!wrong.empty() && ++failures <= 5) ADD_FAILURE() << check::RegionName(region) << ": " << wrong;
      done += length;
    }
    EXPECT_EQ(failures, 0) << check::RegionName(region);
  }
}

// The law's arguments: exponents of a few units, where the vector path
// settles nearly everything itself.
TEST_P(BatchPaths, ArgumentsOfTheLawMatchTheSingleCalls) {
  std::mt19937_64 g(11);
  const std::uint64_t before = BatchSetAside();
  int exps = 0;
  for (int round = 0; round < 2000; ++round) {
    std::vector<Extended80> x(1 + round % 97);
    for (Extended80& v : x) v = (static_cast<Extended80>(g()) * 0x1p-64L - 0.5L) * 24;
    EXPECT_EQ(Compare(GetParam(), true, x), "");
    exps += static_cast<int>(x.size());
    for (Extended80& v : x) v = 0.3L + (static_cast<Extended80>(g()) * 0x1p-64L) * 11;
    EXPECT_EQ(Compare(GetParam(), false, x), "");
  }
  // Else the comparison above would mostly compare the single call with itself.
  if (GetParam() != BatchPath::Scalar) EXPECT_LT(BatchSetAside() - before, exps / 1000u);
}

constexpr Extended80 Inf = std::numeric_limits<Extended80>::infinity();
constexpr Extended80 QNaN = std::numeric_limits<Extended80>::quiet_NaN();

// Special values and the edges of the vector path's range, each alone and
// among ordinary arguments: the flags of one must not leak into or out of
// the batch, and a set-aside argument must land in its own place.
TEST_P(BatchPaths, SpecialValuesAndRangeEdgesKeepTheirFlags) {
  const Extended80 specials[] = {0.0L,
                                 -0.0L,
                                 Inf,
                                 -Inf,
                                 QNaN,
                                 std::numeric_limits<Extended80>::signaling_NaN(),
                                 check::FromBits(1, 1),
                                 LDBL_MAX,
                                 -LDBL_MAX,
                                 LDBL_TRUE_MIN,
                                 LDBL_MIN,
                                 1,
                                 -1,
                                 0x1p-60L,
                                 0x1.fffffffffffffffep-61L,
                                 -0x1p-60L,
                                 11350,
                                 11350.000000000000001L,
                                 -11350,
                                 -11350.000000000000001L,
                                 11356.5L,
                                 -11355.2L,
                                 -11399.6L,
                                 1 - 0x1p-63L,
                                 0x1p-64L,
                                 12345 * 0x1p-64L,
                                 -0x3039p-65L};
  for (bool exp : {true, false}) {
    for (Extended80 s : specials) {
      EXPECT_EQ(Compare(GetParam(), exp, {s}), "");
      EXPECT_EQ(Compare(GetParam(), exp, {0.5L, -1.25L, s, 2.5L, 3.75L, -0.125L, 7, 1.5L, s}), "");
    }
  }
}

// A batch may write its results over its arguments.
TEST_P(BatchPaths, ResultsOverTheArguments) {
  std::vector<Extended80> x;
  for (int n = 0; n < 150; ++n) x.push_back(-7.5L + n * 0.1L);
  x[17] = -20000;  // set aside
  x[40] = 1e-30L;  // set aside
  for (bool exp : {true, false}) {
    const Result single = Singles(exp, x);
    std::vector<Extended80> inPlace = x;
    (exp ? transcendental::ExpBatchOn : transcendental::LnBatchOn)(GetParam(), inPlace.data(), inPlace.data(),
                                                                   static_cast<int>(inPlace.size()));
    for (std::size_t n = 0; n < x.size(); ++n)
      EXPECT_TRUE(check::SameValue(inPlace[n], single.values[n])) << n;
  }
}

// Threads that set arguments aside at the same time each have them counted:
// the count lives apart from what the batches read, not per thread, and no
// increment is lost (a batch of one such argument bumps it at every call).
TEST_P(BatchPaths, SetAsideArgumentsOfEveryThreadAreCounted) {
  constexpr int Calls = 200000;
  const Extended80 tiny = 1e-30L;  // below the vector path's range
  const Extended80 expected = Exp(tiny);
  std::atomic<int> ready{0};
  std::atomic<bool> wrong{false};
  const auto work = [&] {
    ready.fetch_add(1);
    while (ready.load() < 2) {
    }
    for (int n = 0; n < Calls; ++n) {
      Extended80 y[1];
      transcendental::ExpBatchOn(GetParam(), &tiny, y, 1);
      if (!check::SameValue(y[0], expected)) wrong = true;
    }
  };
  const std::uint64_t before = BatchSetAside();
  std::thread other(work);
  work();
  other.join();
  EXPECT_FALSE(wrong);
  // The scalar path sets nothing aside: every argument is a single call.
  EXPECT_EQ(BatchSetAside() - before, GetParam() == BatchPath::Scalar ? 0u : 2u * Calls);
}

std::string PathTestName(const testing::TestParamInfo<BatchPath>& info) {
  constexpr const char* names[] = {"Scalar", "Avx2", "Avx512"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Paths, BatchPaths, testing::ValuesIn(AllBatchPaths), PathTestName);

// The vector path must not change its results when the SSE control word
// no longer rounds to nearest: it then leaves everything to the single calls.
TEST(BatchPathsControlWord, AnotherSseRoundingModeChangesNothing) {
  std::vector<Extended80> x;
  for (int n = 0; n < 64; ++n) x.push_back(-3 + n * 0.093L);
  const Result single = Singles(true, x);
  const unsigned saved = __builtin_ia32_stmxcsr();
  __builtin_ia32_ldmxcsr((saved & ~0x6000u) | 0x6000u);  // toward zero
  std::vector<Extended80> y(x.size());
  ExpBatch(x.data(), y.data(), static_cast<int>(x.size()));
  __builtin_ia32_ldmxcsr(saved);
  for (std::size_t n = 0; n < x.size(); ++n) EXPECT_TRUE(check::SameValue(y[n], single.values[n])) << n;
}

}  // namespace
}  // namespace vorun
