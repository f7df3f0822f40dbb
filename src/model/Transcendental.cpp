#include "model/Transcendental.h"

#include "model/TranscendentalArithmetic.h"
#include "model/TranscendentalTables.h"

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

namespace vorun {
namespace {

using namespace transcendental;

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
  const LnReduced reduced = ReduceForLn(t, m, e);
  const int i1 = reduced.i1, j = reduced.j, exponent = reduced.exponent;
  const i128 z = reduced.z;

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

}  // namespace vorun
