#include <gmp.h>
#include <mpfr.h>

#include <atomic>

#include "model/OwnLine.h"
#include "model/Transcendental.h"
#include "model/TranscendentalTables.h"

namespace vorun {
namespace transcendental {

namespace {

// The exponent range of Extended80 in MPFR's convention (significand in
// [1/2, 1)), subnormals included, for the scope of one object.
class Extended80Range {
 public:
  Extended80Range() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
    mpfr_set_emin(-16444);
    mpfr_set_emax(16384);
  }
  ~Extended80Range() {
    mpfr_set_emin(emin_);
    mpfr_set_emax(emax_);
  }
  Extended80Range(const Extended80Range&) = delete;
  Extended80Range& operator=(const Extended80Range&) = delete;

 private:
  mpfr_exp_t emin_, emax_;
};

// MPFR keeps caches and a pool of integers per thread. A worker thread of the
// parallel step that once needed the fallback would leak them when it ends, so
// each thread that calls MPFR here frees its own on the way out.
class ThreadCachesRelease {
 public:
  ThreadCachesRelease() = default;
  ~ThreadCachesRelease() { mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE); }
  ThreadCachesRelease(const ThreadCachesRelease&) = delete;
  ThreadCachesRelease& operator=(const ThreadCachesRelease&) = delete;
};

}  // namespace

Extended80 ByMpfr(MpfrFunction f, Extended80 x, bool* tiny) {
  // Built at the first call in each thread, destroyed when the thread ends.
  thread_local ThreadCachesRelease release;
  PreservedFlags keep;
  mpfr_t a, y;
  mpfr_init2(a, 64);
  mpfr_init2(y, 64);
  mpfr_set_ld(a, x, MPFR_RNDN);
  if (tiny) {
    f(y, a, MPFR_RNDN);
    *tiny = mpfr_regular_p(y) && mpfr_get_exp(y) < -16381;
  }
  Extended80 result;
  {
    Extended80Range range;
    int ternary = f(y, a, MPFR_RNDN);
    ternary = mpfr_subnormalize(y, ternary, MPFR_RNDN);
    result = mpfr_get_ld(y, MPFR_RNDN);
  }
  mpfr_clear(a);
  mpfr_clear(y);
  return result;
}

namespace {
// Bumped by any thread whose argument needs the fallback.
OwnLine<std::atomic<std::uint64_t>> fallbacks{0};
}  // namespace

Extended80 Fallback(MpfrFunction f, Extended80 x) {
  fallbacks.value.fetch_add(1, std::memory_order_relaxed);
  bool tiny = false;
  const Extended80 y = ByMpfr(f, x, &tiny);
  const Bits b = BitsOf(y);
  if ((b.se & 0x7fff) == MaxBiased) return Overflowed();
  if (tiny) {
    RaiseUnderflow();
  } else {
    RaiseInexact();
  }
  return y;
}

namespace {

// round(v * 2^scale) for |v * 2^scale| < 2^128.
u128 ToFixed(mpfr_srcptr v, int scale) {
  mpfr_t w;
  mpfr_init2(w, mpfr_get_prec(v));
  mpfr_mul_2si(w, v, scale, MPFR_RNDN);
  mpz_t z;
  mpz_init(z);
  mpfr_get_z(z, w, MPFR_RNDN);
  std::uint64_t words[2] = {0, 0};
  mpz_export(words, nullptr, -1, 8, 0, 0, z);
  const u128 magnitude = (u128{words[1]} << 64) | words[0];
  const bool negative = mpz_sgn(z) < 0;
  mpz_clear(z);
  mpfr_clear(w);
  return negative ? -magnitude : magnitude;
}

// ln(c / 2^bits) at 2^-112.
i128 LnOfFixed(std::uint32_t c, int bits, mpfr_ptr v) {
  mpfr_set_ui(v, c, MPFR_RNDN);
  mpfr_div_2ui(v, v, bits, MPFR_RNDN);
  mpfr_log(v, v, MPFR_RNDN);
  return static_cast<i128>(ToFixed(v, 112));
}

}  // namespace

// c1 and c2 are short (17 and 25 bits) approximations of 1 / t, so that the
// products with the mantissa are exact in 128 bits. Where t is within the
// first or last interval next to 1, c is exactly 1: then the constant part of
// the logarithm vanishes and the result keeps its full relative precision.
Tables BuildTables() {
  PreservedFlags keep;
  Tables t{};
  mpfr_t v;
  mpfr_init2(v, 256);
  for (int i = 0; i < ExpSteps; ++i) {
    mpfr_set_ui(v, i, MPFR_RNDN);
    mpfr_div_2ui(v, v, 8, MPFR_RNDN);
    mpfr_exp2(v, v, MPFR_RNDN);
    t.exp2[i] = ToFixed(v, 126);
    t.exp2Hi[i] = mpfr_get_d(v, MPFR_RNDN);
    mpfr_sub_d(v, v, t.exp2Hi[i], MPFR_RNDN);
    t.exp2Lo[i] = mpfr_get_d(v, MPFR_RNDN);
  }
  mpfr_const_log2(v, MPFR_RNDN);
  t.lnStep = ToFixed(v, 128);
  {
    mpfr_t rest, part;
    mpfr_init2(rest, 256);
    mpfr_init2(part, 30);
    mpfr_div_2ui(rest, v, 8, MPFR_RNDN);
    for (int n = 0; n < 3; ++n) {
      if (n < 2) {
        mpfr_set(part, rest, MPFR_RNDN);
        t.lnStepParts[n] = mpfr_get_d(part, MPFR_RNDN);
      } else {
        t.lnStepParts[n] = mpfr_get_d(rest, MPFR_RNDN);
      }
      mpfr_sub_d(rest, rest, t.lnStepParts[n], MPFR_RNDN);
    }
    mpfr_ui_div(rest, 256, v, MPFR_RNDN);
    t.stepsPerUnit = mpfr_get_d(rest, MPFR_RNDN);
    mpfr_clear(part);
    mpfr_clear(rest);
  }
  t.ln2 = static_cast<i128>(ToFixed(v, 112));
  for (int i = 0; i < C1Count; ++i) {
    // Interval [1 + i/128, 1 + (i+1)/128) of t, centre (257 + 2i) / 256; the
    // upper intervals are taken as t/2 around half that centre.
    const std::uint64_t numerator = i < C1Upper ? std::uint64_t{1} << 24 : std::uint64_t{1} << 25;
    const std::uint64_t centre = 257 + 2 * i;
    t.c1[i] = (i == 0 || i == C1Count - 1) ? 1u << 16
                                           : static_cast<std::uint32_t>((numerator + centre / 2) / centre);
    t.lnC1[i] = LnOfFixed(t.c1[i], 16, v);
  }
  for (int j = 0; j < C2Count; ++j) {
    // Interval [1 + i2/2^14, 1 + (i2+1)/2^14), centre (2^15 + 2 i2 + 1) / 2^15.
    const int i2 = j + C2Low;
    const std::uint64_t centre = (1 << 15) + 2 * i2 + 1;
    t.c2[j] = (i2 == 0 || i2 == -1)
                  ? 1u << 24
                  : static_cast<std::uint32_t>(((std::uint64_t{1} << 39) + centre / 2) / centre);
    t.lnC2[j] = LnOfFixed(t.c2[j], 24, v);
  }
  mpfr_clear(v);
  mpfr_free_cache();
  return t;
}

}  // namespace transcendental

using transcendental::ByMpfr;

Extended80 SinCorrectlyRounded(Extended80 x) { return ByMpfr(mpfr_sin, x); }

std::uint64_t TranscendentalFallbacks() {
  return transcendental::fallbacks.value.load(std::memory_order_relaxed);
}

namespace transcendental {

Extended80 ExpByMpfr(Extended80 x) { return ByMpfr(mpfr_exp, x); }
Extended80 LnByMpfr(Extended80 x) { return ByMpfr(mpfr_log, x); }

}  // namespace transcendental

}  // namespace vorun
