#include "model/Transcendental.h"

#include <gmp.h>
#include <mpfr.h>

#include <atomic>
#include <cfloat>
#include <cstring>

#include <emmintrin.h>

#include "model/FloatFault.h"

// Both functions work the same way. A fast path in 128-bit integer arithmetic
// computes the result to about 88 bits together with a proven bound on its
// error. If the approximation minus the bound and the approximation plus the
// bound round to the same Extended80 value, that value is the correctly
// rounded result, because the exact result lies between them. Otherwise (about
// one call in four million) MPFR computes the result exactly rounded.
//
// Integer arithmetic is exact and the same on every processor; only the few
// x87 operations at the edges (forming the reduction index, raising flags) are
// floating point, and those are correctly rounded basic operations. The tables
// are computed with MPFR at the first call.
//
// Fixed-point numbers are written "at 2^-n": the integer v stands for v * 2^-n.

namespace vorun {
namespace {

using u128 = unsigned __int128;
using i128 = __int128;

constexpr std::uint64_t TopBit = std::uint64_t{1} << 63;
constexpr int Bias = 16383;
constexpr int MaxBiased = 0x7fff;

struct Bits {
  std::uint64_t mant;
  std::uint16_t se;  // sign and biased exponent
};

Bits BitsOf(Extended80 x) {
  Bits b;
  std::memcpy(&b.mant, &x, 8);
  std::memcpy(&b.se, reinterpret_cast<const char*>(&x) + 8, 2);
  return b;
}

// The ten bytes go out in one 16-byte store, from which the x87 load can be
// forwarded; two separate stores would stall it.
Extended80 FromBits(std::uint64_t mant, int biased, bool negative) {
  const std::uint64_t se = static_cast<std::uint64_t>(biased) | (negative ? 0x8000 : 0);
  alignas(16) unsigned char bytes[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes),
                  _mm_set_epi64x(static_cast<long long>(se), static_cast<long long>(mant)));
  Extended80 x;
  std::memcpy(&x, bytes, sizeof x);
  return x;
}

int Clz128(u128 v) {
  const auto hi = static_cast<std::uint64_t>(v >> 64);
  return hi != 0 ? __builtin_clzll(hi) : 64 + __builtin_clzll(static_cast<std::uint64_t>(v));
}

// High part of a * b shifted right by 126, for a < 2^127 and b < 2^127; the
// dropped product of the low halves and the two truncations make it at most
// 6 units too small.
u128 MulShift126(u128 a, u128 b) {
  const auto ah = static_cast<std::uint64_t>(a >> 64), al = static_cast<std::uint64_t>(a);
  const auto bh = static_cast<std::uint64_t>(b >> 64), bl = static_cast<std::uint64_t>(b);
  return ((u128{ah} * bh) << 2) + ((u128{ah} * bl) >> 62) + ((u128{al} * bh) >> 62);
}

// --- Flags -----------------------------------------------------------------

// Inexact, and underflow with inexact, raised by SSE operations on doubles:
// they cost about a cycle, where the x87 takes a slow microcode path for an
// underflow.
void RaiseInexact() {
  double one = 1.0, small = 0x1p-60;
  asm volatile("" : "+x"(one), "+x"(small));
  const double sum = one + small;
  asm volatile("" : : "x"(sum));
}

void RaiseUnderflow() {
  double tiny = DBL_MIN;
  asm volatile("" : "+x"(tiny));
  const double product = tiny * tiny;
  asm volatile("" : : "x"(product));
}

// +inf with overflow and inexact.
Extended80 Overflowed() { return Settled(Settled(LDBL_MAX) * Settled(2.0L)); }

// NaN with invalid.
Extended80 InvalidResult() { return Settled(Settled(0.0L) / Settled(0.0L)); }

// --- Rounding --------------------------------------------------------------

struct Rounded {
  std::uint64_t mant;
  int biased;  // 0: subnormal or zero; MaxBiased: overflow to infinity
  bool tiny;   // below the smallest normal after rounding to 64 bits with an unbounded exponent
  bool operator==(const Rounded&) const = default;
};

// v * 2^scale (v > 0) rounded to nearest, ties to even, with gradual underflow.
Rounded RoundTo80(u128 v, int scale) {
  const int lz = Clz128(v);
  v <<= lz;
  const int biased = 127 - lz + scale + Bias;
  auto hi = static_cast<std::uint64_t>(v >> 64);
  const auto lo = static_cast<std::uint64_t>(v);
  if (biased >= 1) {
    int b = biased;
    if (lo > TopBit || (lo == TopBit && (hi & 1))) {
      if (++hi == 0) {
        hi = TopBit;
        ++b;
      }
    }
    if (b >= MaxBiased) return {TopBit, MaxBiased, false};
    return {hi, b, false};
  }
  // In [2^-16383, 2^-16382) only values that round up at 64 bits are not tiny.
  const bool tiny = !(biased == 0 && hi == ~std::uint64_t{0} && lo >= TopBit);
  const int sh = 65 - biased;  // the subnormal mantissa is v >> sh
  if (sh > 128) return {0, 0, true};
  const u128 m = sh == 128 ? 0 : v >> sh;
  const u128 rest = sh == 128 ? v : v - (m << sh);
  const u128 half = u128{1} << (sh - 1);
  const u128 r = (rest > half || (rest == half && (m & 1))) ? m + 1 : m;
  // A carry into bit 63 gives the smallest normal number.
  return {static_cast<std::uint64_t>(r), (r >> 63) != 0 ? 1 : 0, tiny};
}

// The rounding test: both ends of [v - bound, v + bound] round alike. For a
// normal result it is enough that the bits below the last place of v stay
// farther than the bound from one half: crossing a whole ulp does not change
// the nearest value, and at the bottom of a binade the finer grid below is
// still far coarser than the bound. Near the subnormal range, or when the
// bound is not small against an ulp, both ends are rounded.
[[gnu::always_inline]] inline bool RoundsSafely(u128 v, u128 bound, int scale, Rounded& out) {
  const int lz = Clz128(v);
  const int biased = 127 - lz + scale + Bias;
  if (biased >= 2 && biased < MaxBiased - 1 && lz < 64 && (bound >> (62 - lz)) == 0) {
    const u128 w = v << lz;
    auto hi = static_cast<std::uint64_t>(w >> 64);
    const auto lo = static_cast<std::uint64_t>(w);
    const std::uint64_t b = static_cast<std::uint64_t>(bound) << lz;
    const std::uint64_t distance = lo >= TopBit ? lo - TopBit : TopBit - lo;
    if (distance <= b) return false;
    int e = biased;
    if (lo > TopBit && ++hi == 0) {
      hi = TopBit;
      ++e;
    }
    out = {hi, e, false};
    return true;
  }
  out = RoundTo80(v - bound, scale);
  return RoundTo80(v + bound, scale) == out;
}

[[gnu::always_inline]] inline Extended80 Finish(const Rounded& r, bool negative) {
  if (r.biased == MaxBiased) return Overflowed();
  if (r.tiny) {
    RaiseUnderflow();
  } else {
    RaiseInexact();
  }
  return FromBits(r.mant, r.biased, negative);
}

// --- Multiple precision ----------------------------------------------------

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
  void Arm() {}
};

using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// f(x) rounded to Extended80 by MPFR; tiny tells whether the 64-bit result
// with an unbounded exponent lies below the smallest normal. Leaves the flags
// as they were.
Extended80 ByMpfr(MpfrFunction f, Extended80 x, bool* tiny = nullptr) {
  thread_local ThreadCachesRelease release;
  release.Arm();
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

std::atomic<std::uint64_t> fallbacks{0};

// A result that the fast path could not round safely; only finite, inexact
// results come here.
Extended80 Fallback(MpfrFunction f, Extended80 x) {
  fallbacks.fetch_add(1, std::memory_order_relaxed);
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

// --- Tables ----------------------------------------------------------------

constexpr int ExpSteps = 256;  // exp reduces by ln 2 / 256
constexpr int C1Count = 128;
constexpr int C1Upper = 53;  // t >= 1 + 53/128 is taken as t/2 in [0.707, 1)
constexpr int C2Low = -65;
constexpr int C2Count = 193;

struct Tables {
  u128 exp2[ExpSteps];  // 2^(i/256) at 2^-126
  u128 lnStep;          // ln 2 / 256 at 2^-136
  i128 ln2;             // ln 2 at 2^-112
  std::uint32_t c1[C1Count];
  i128 lnC1[C1Count];  // ln(c1 / 2^16) at 2^-112
  std::uint32_t c2[C2Count];
  i128 lnC2[C2Count];  // ln(c2 / 2^24) at 2^-112
};

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
  }
  mpfr_const_log2(v, MPFR_RNDN);
  t.lnStep = ToFixed(v, 128);
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

[[gnu::always_inline]] inline const Tables& TheTables() {
  static const Tables tables = BuildTables();
  return tables;
}

// --- Exp -------------------------------------------------------------------

// round(2^65 / j!) for j = 3..7.
constexpr std::int64_t ExpCoefficient[8] = {0,
                                            0,
                                            0,
                                            6148914691236517205,
                                            1537228672809129301,
                                            307445734561825860,
                                            51240955760304310,
                                            7320136537186330};

// round(256/ln2 * 2^54).
constexpr std::uint64_t StepsPerUnit = 6653256548922161246u;

// exp(x) for finite x with 2^-66 <= |x| and -11400 <= x <= 11357.
//
// Reduction: x = k * ln2/256 + r with k = round(x * 256/ln2), the product
// formed from the 64-bit significand and 256/ln2 rounded to 2^-54 (relative
// error 2^-63.5, so at most 2^-41 off before rounding); |x| < 2^-10 takes
// k = 0. So |r| <= (1/2 + 2^-41) * ln2/256 < 2^-9.52. With x at 2^-136 (an exact integer, because
// |x| >= 2^-66 and x has 64 bits) and ln2/256 at 2^-136 rounded (error 2^-137),
// r = x - k * ln2/256 is formed modulo 2^128; the true value fits, so the
// wrap-around is harmless. Its error is |k| * 2^-137 <= 2^22 * 2^-137 = 2^-115.
// Then exp(x) = 2^(k >> 8) * 2^((k & 255)/256) * exp(r).
//
// exp(r) at 2^-126, with A = |r| at 2^-136 and a = A >> 64 its top 64 bits
// (|a - |r| * 2^72| < 1):
//   1 + r                     exact but for the shift of r: 1 unit;
//   r^2/2 = a^2/2^19 + a*al/2^82 (al the low half of A): 3 units;
//   r^3 * P(r), P = 1/6 + r/24 + r^2/120 + r^3/720 + r^4/5040:
//     r^2 at 2^-80 from a^2: |error| <= 2|r| 2^-72 + 2^-80 < 2^-79.2;
//     r^3 at 2^-91 from r^2 * a: <= 2^-79.2 |r| + r^2 2^-72 + 2^-91 < 2^-88;
//     P at 2^-65 by Horner in a, coefficients rounded: |error| < 2^-63;
//     r^3 * P: < 2^-88 / 5.9 + 2^-28.5 * 2^-63 < 2^-90.
//   The series stops after r^7/7!; the rest is below r^8/8! * 1.01 < 2^-91.
// So exp(r) is known to 2^-90 + 2^-91 + 2^-115 + 5 * 2^-126 < 2^-89.4, relative
// (exp(r) > 0.998). The table value 2^(i/256) at 2^-126 is rounded (2^-127)
// and the product loses at most 6 units at 2^-126, so the result Y at 2^-126
// (2^126 <= Y < 2^127.01) is off by less than 2^-89.3 * Y + 8 < 2^38 units.
// The test uses 2^40.
constexpr u128 ExpBound = u128{1} << 40;

Extended80 ExpFinite(Extended80 x, const Bits& b) {
  const Tables& t = TheTables();
  const bool negative = (b.se & 0x8000) != 0;
  const int exponent = (b.se & 0x7fff) - Bias;
  std::int64_t k = 0;
  if (exponent >= -10) {
    const int sh = 117 - exponent;
    const u128 scaled = u128{b.mant} * StepsPerUnit;
    k = static_cast<std::int64_t>((scaled + (u128{1} << (sh - 1))) >> sh);
    if (negative) k = -k;
  }
  const int shift = exponent - 63 + 136;
  u128 X = u128{b.mant} << shift;
  if (negative) X = -X;
  const auto R = static_cast<i128>(X - static_cast<u128>(static_cast<i128>(k)) * t.lnStep);

  const bool rNegative = R < 0;
  const u128 A = rNegative ? -static_cast<u128>(R) : static_cast<u128>(R);
  const auto a = static_cast<std::uint64_t>(A >> 64);
  const auto al = static_cast<std::uint64_t>(A);
  const u128 halfSquare = ((u128{a} * a) >> 19) + ((u128{a} * al) >> 82);

  const std::int64_t q = rNegative ? -static_cast<std::int64_t>(a) : static_cast<std::int64_t>(a);
  std::int64_t p = ExpCoefficient[7];
  for (int j = 6; j >= 3; --j) p = ExpCoefficient[j] + static_cast<std::int64_t>((i128{p} * q) >> 72);
  const auto square = static_cast<std::uint64_t>((u128{a} * a) >> 64);
  auto cube = static_cast<std::int64_t>((u128{square} * a) >> 61);
  if (rNegative) cube = -cube;
  const i128 tail = (i128{cube} * p) >> 30;

  const i128 linear = static_cast<i128>(A >> 10);
  const i128 e = (i128{1} << 126) + (rNegative ? -linear : linear) + static_cast<i128>(halfSquare) + tail;
  const u128 y = MulShift126(t.exp2[k & (ExpSteps - 1)], static_cast<u128>(e));

  Rounded r;
  if (!RoundsSafely(y, ExpBound, static_cast<int>(k >> 8) - 126, r)) return Fallback(mpfr_exp, x);
  return Finish(r, false);
}

// --- Ln --------------------------------------------------------------------

// (-1)^(j+1) round(2^64 / j) for j = 3..7.
constexpr std::int64_t LnCoefficient[8] = {0,
                                           0,
                                           0,
                                           6148914691236517205,
                                           -4611686018427387904,
                                           3689348814741910323,
                                           -3074457345618258603,
                                           2635249153387078802};

// ln(x) for finite x > 0, x != 1, written x = t * 2^e with t = m / 2^63 in
// [1, 2).
//
// Reduction, all exact: t1 = t * c1 (or t/2 * c1 with e + 1 when t >= 1.414)
// at 2^-80, with |t1 - 1| < 2^-7; then t2 = t1 * c2 at 2^-104 and z = t2 - 1,
// |z| < 2^-14 (the c2 interval is 2^-14 wide and c2 has 24 fractional bits:
// |z| <= 2^-15 * 1.004 + 2^-25 * 1.01; where c2 = 1 the interval itself keeps
// |z| < 2^-14). Then
//   ln x = e ln2 - ln c1 - ln c2 + ln(1 + z),  ln(1 + z) = z Q(z),
//   Q = 1 - z/2 + z^2 G,  G = 1/3 - z/4 + z^2/5 - z^3/6 + z^4/7.
// Q at 2^-126: z/2 exact; z^2 at 2^-90 from zh = z at 2^-77 (|error| <=
// 2 |z| 2^-77 + 2^-90 < 2^-89.9); G at 2^-64 by Horner in zh, |error| < 2^-62;
// z^2 G: < 2^-89.9 / 2.9 + 2^-28 2^-62 + 2^-126 < 2^-89.5; the series rest is
// below z^7 / 8 < 2^-101. So Q is off by less than 2^-89.4, relative, and
// z Q, formed from z normalised to 127 bits, by less than 2^-89.3 relative.
// The bound used is 2^-86 of it plus 8 units.
//
// Near 1 (e = 0, c1 = c2 = 1) the constant part is exactly 0 and z Q is
// rounded as it is, with its relative bound. Elsewhere the sum goes at 2^-112:
// ln2 and the table values are rounded (|e|/2 + 1 units), z Q is truncated
// (1 unit) on top of its relative bound. The result is then at least 2^-15 in
// size (c1 != 1 or c2 != 1 means |t - 1| > 2^-14.1, else e != 0 and
// |ln x| > 0.34), so the bound is at most 2^-82 of it, relative.
Extended80 LnFinite(Extended80 x, std::uint64_t m, int e) {
  const Tables& t = TheTables();
  const int i1 = static_cast<int>((m >> 56) & (C1Count - 1));
  const bool upper = i1 >= C1Upper;
  const int exponent = e + (upper ? 1 : 0);
  u128 t1 = u128{m} * t.c1[i1];
  if (!upper) t1 <<= 1;
  const auto i2 = static_cast<int>(static_cast<i128>(t1 - (u128{1} << 80)) >> 66);
  const int j = i2 - C2Low;
  const auto z = static_cast<i128>(t1 * t.c2[j] - (u128{1} << 104));

  const auto zh = static_cast<std::int64_t>(z >> 27);
  std::int64_t g = LnCoefficient[7];
  for (int k = 6; k >= 3; --k) g = LnCoefficient[k] + static_cast<std::int64_t>((i128{g} * zh) >> 77);
  const std::uint64_t zhAbs = zh < 0 ? -static_cast<std::uint64_t>(zh) : static_cast<std::uint64_t>(zh);
  const auto square = static_cast<std::int64_t>((u128{zhAbs} * zhAbs) >> 64);
  const i128 q = (i128{1} << 126) - (z << 21) + ((i128{square} * g) >> 28);

  const bool zNegative = z < 0;
  const u128 zAbs = zNegative ? -static_cast<u128>(z) : static_cast<u128>(z);
  // z = 0 only for x a power of two, where the sum below is e ln2 alone.
  const int s = zAbs == 0 ? 8 : Clz128(zAbs) - 1;
  const u128 product = MulShift126(zAbs << s, static_cast<u128>(q));

  Rounded r;
  if (exponent == 0 && t.lnC1[i1] == 0 && t.lnC2[j] == 0) {
    if (zAbs < (u128{1} << 61)) {
      // |z| < 2^-43, z = x - 1 a multiple of 2^-64. Here z - z^2/2 is exact at
      // 2^-129 and may be a midpoint itself (z = -2^-63 for one), which no
      // bound can settle; but the rest, z^3/3 - z^4/4 + ..., has the sign of z
      // and is below 2^-129. So |ln x| lies strictly between |z - z^2/2| and
      // that plus 2^-129, an interval without any midpoint or Extended80 value
      // inside (ln x > 2^-65, so those are multiples of 2^-129), and its
      // centre rounds as ln x does.
      const u128 w = zAbs >> 40;
      const u128 a = zNegative ? (w << 65) + w * w : (w << 65) - w * w;
      return Finish(RoundTo80(2 * a + 1, -130), zNegative);
    }
    if (!RoundsSafely(product, (product >> 86) + 8, -(104 + s), r)) return Fallback(mpfr_log, x);
    return Finish(r, zNegative);
  }
  const u128 near = product >> (s - 8);
  const i128 sum = i128{exponent} * t.ln2 - t.lnC1[i1] - t.lnC2[j] +
                   (zNegative ? -static_cast<i128>(near) : static_cast<i128>(near));
  const bool negative = sum < 0;
  const u128 magnitude = negative ? -static_cast<u128>(sum) : static_cast<u128>(sum);
  const u128 bound = static_cast<u128>((exponent < 0 ? -exponent : exponent) / 2 + 2) + (near >> 86) + 8;
  if (!RoundsSafely(magnitude, bound, -112, r)) return Fallback(mpfr_log, x);
  return Finish(r, negative);
}

}  // namespace

// |x| > 11357 overflows for certain, x < -11400 rounds to 0 (exp(x) is then
// below half the smallest subnormal, 2^-16446 = e^-11399.5); in the binade
// [8192, 16384) these are significands above 11357 * 2^50 and 11400 * 2^50.
constexpr std::uint64_t GuardSignificand = std::uint64_t{11357} << 50;
constexpr std::uint64_t UnderflowSignificand = std::uint64_t{11400} << 50;

Extended80 Exp(Extended80 x) {
  const Bits b = BitsOf(x);
  const int biased = b.se & 0x7fff;
  if (biased == MaxBiased || (biased != 0 && (b.mant & TopBit) == 0)) {
    // Infinities are exact; NaNs and the encodings the x87 rejects go through
    // one addition, which quiets a NaN and raises invalid where it must.
    if (biased == MaxBiased && b.mant == TopBit) return (b.se & 0x8000) ? 0.0L : x;
    return x + x;
  }
  if (biased < Bias - 66) {
    // |x| < 2^-66: exp(x) lies within half an ulp of 1 on either side.
    if (b.mant == 0) return 1.0L;
    RaiseInexact();
    return 1.0L;
  }
  // Beyond these the result overflows or rounds to 0 for certain; the guard
  // keeps the hopeless cases as cheap as any other call.
  const bool large = biased > Bias + 13 || (biased == Bias + 13 && b.mant > GuardSignificand);
  if (large && !(b.se & 0x8000)) return Overflowed();
  if (biased > Bias + 13 || (biased == Bias + 13 && b.mant > UnderflowSignificand)) {
    RaiseUnderflow();
    return 0.0L;
  }
  return ExpFinite(x, b);
}

Extended80 Ln(Extended80 x) {
  const Bits b = BitsOf(x);
  const int biased = b.se & 0x7fff;
  const bool negative = (b.se & 0x8000) != 0;
  if (biased == MaxBiased) {
    if (b.mant == TopBit) return negative ? InvalidResult() : x;
    return x + x;
  }
  if (biased != 0 && (b.mant & TopBit) == 0) return x + x;
  if (b.mant == 0) return Settled(-1.0L) / Settled(0.0L);
  if (negative) return InvalidResult();
  std::uint64_t m = b.mant;
  int e = biased - Bias;
  if (biased == 0) {
    // Subnormal, or a pseudo-denormal, which the x87 reads with exponent 1.
    const int lz = __builtin_clzll(m);
    m <<= lz;
    e = 1 - Bias - lz;
  }
  if (e == 0 && m == TopBit) return 0.0L;
  return LnFinite(x, m, e);
}

Extended80 SinCorrectlyRounded(Extended80 x) { return ByMpfr(mpfr_sin, x); }

std::uint64_t TranscendentalFallbacks() { return fallbacks.load(std::memory_order_relaxed); }

namespace transcendental {

Extended80 ExpByMpfr(Extended80 x) { return ByMpfr(mpfr_exp, x); }
Extended80 LnByMpfr(Extended80 x) { return ByMpfr(mpfr_log, x); }

}  // namespace transcendental

}  // namespace vorun
