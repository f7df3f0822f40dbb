// Random inputs for Exp and Ln and the comparison of one result with MPFR,
// shared by the CI test and the long check in bench/.
//
// The reference is MPFR at 64 bits with the exponent range of Extended80 and
// subnormalisation, rounded to nearest. Besides the value, the flags of the
// call must be those of a correctly rounded operation.
#pragma once

#include <mpfr.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "model/Transcendental.h"

namespace vorun::check {

enum class Region {
  ExpWhole,         // every exponent up to beyond the overflow threshold, both signs
  ExpNearZero,      // |x| from 2^-80 to 1
  ExpNearOverflow,  // [11355, 11358]: the last normal results and the overflow threshold
  ExpUnderflow,     // [-11402, -11353]: subnormal results and the threshold to 0
  LnWhole,          // every binade of the positive numbers, subnormals included
  LnNearOne,        // 1 +- m 2^-k for k up to 64
  LnModerate,       // 2^-40 to 2^40, where the law's distances lie
  LnSubnormal,      // subnormals of every length
};

inline bool IsExp(Region r) { return r <= Region::ExpUnderflow; }

inline const char* RegionName(Region r) {
  constexpr const char* names[] = {"ExpWhole", "ExpNearZero", "ExpNearOverflow", "ExpUnderflow",
                                   "LnWhole",  "LnNearOne",   "LnModerate",      "LnSubnormal"};
  return names[static_cast<int>(r)];
}

inline Extended80 FromBits(std::uint64_t mant, int biased) {
  Extended80 x = 0;
  const auto se = static_cast<std::uint16_t>(biased);
  std::memcpy(&x, &mant, 8);
  std::memcpy(reinterpret_cast<char*>(&x) + 8, &se, 2);
  return x;
}

class Sampler {
 public:
  explicit Sampler(std::uint64_t seed) : g_(seed) {}

  Extended80 Next(Region r) {
    switch (r) {
      case Region::ExpWhole:
        return Signed(Normal(Uniform(Bias - 70, Bias + 14)));
      case Region::ExpNearZero:
        return Signed(Normal(Uniform(Bias - 80, Bias)));
      case Region::ExpNearOverflow:
        return 11355 + 3 * Fraction();
      case Region::ExpUnderflow:
        return -11402 + 49 * Fraction();
      case Region::LnWhole:
        return g_() % 64 == 0 ? Subnormal() : Normal(Uniform(1, 0x7ffe));
      case Region::LnNearOne: {
        const Extended80 step = std::ldexp(Fraction(), -Uniform(0, 64));
        return (g_() & 1) ? 1 + step : 1 - step / 2;
      }
      case Region::LnModerate:
        return Normal(Uniform(Bias - 40, Bias + 40));
      case Region::LnSubnormal:
        return Subnormal();
    }
    return 0;
  }

 private:
  static constexpr int Bias = 16383;
  int Uniform(int lo, int hi) {
    return lo + static_cast<int>(g_() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  Extended80 Normal(int biased) { return FromBits(g_() | (std::uint64_t{1} << 63), biased); }
  Extended80 Subnormal() { return FromBits((g_() >> (1 + g_() % 63)) | 1, 0); }
  Extended80 Signed(Extended80 x) { return (g_() & 1) ? -x : x; }
  // In [0, 1), with 64 random bits.
  Extended80 Fraction() { return std::ldexp(static_cast<Extended80>(g_()), -64); }

  std::mt19937_64 g_;
};

inline bool SameValue(Extended80 a, Extended80 b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, 10) == 0;
}

// Whether f(x) rounded to 64 bits with an unbounded exponent lies below the
// smallest normal number: the tininess that decides the underflow flag.
inline bool Tiny(bool exp, Extended80 x) {
  mpfr_t a, y;
  mpfr_init2(a, 64);
  mpfr_init2(y, 64);
  mpfr_set_ld(a, x, MPFR_RNDN);
  if (exp) {
    mpfr_exp(y, a, MPFR_RNDN);
  } else {
    mpfr_log(y, a, MPFR_RNDN);
  }
  const bool tiny = mpfr_regular_p(y) && mpfr_get_exp(y) < -16381;
  mpfr_clear(a);
  mpfr_clear(y);
  return tiny;
}

// "" when Exp(x) or Ln(x) equals MPFR's value and raises exactly the flags of
// a correctly rounded operation with a finite, inexact result; else what is
// wrong.
inline std::string CheckOne(bool exp, Extended80 x) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const Extended80 got = exp ? Exp(x) : Ln(x);
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  const Extended80 want = exp ? transcendental::ExpByMpfr(x) : transcendental::LnByMpfr(x);
  char text[160];
  if (!SameValue(got, want)) {
    std::snprintf(text, sizeof text, "%s(%La) = %La, correctly rounded %La", exp ? "Exp" : "Ln", x, got,
                  want);
    return text;
  }
  int expected = FE_INEXACT;
  if ((exp && x == 0) || (!exp && x == 1)) expected = 0;  // exp 0 = 1 and ln 1 = 0 are exact
  if (std::isinf(want)) expected |= FE_OVERFLOW;
  if (std::fabs(want) < 0x1p-16381L && Tiny(exp, x)) expected |= FE_UNDERFLOW;
  if (flags != expected) {
    std::snprintf(text, sizeof text, "%s(%La): flags %#x, expected %#x", exp ? "Exp" : "Ln", x, flags,
                  expected);
    return text;
  }
  return "";
}

}  // namespace vorun::check
