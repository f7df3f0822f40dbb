// The exact arithmetic under the correctly rounded Exp and Ln: 128-bit fixed
// point, rounding to nearest with gradual
// underflow, the test that an approximation with a known error bound rounds
// safely, and the IEEE flags of the result. Integer arithmetic is the same on
// every processor, so everything here is.
//
// Fixed-point numbers are written "at 2^-n": the integer v stands for v * 2^-n.
#pragma once

#include <cfloat>
#include <cstdint>

#include "model/Float80Bits.h"
#include "model/FloatFault.h"
#include "model/Global.h"

namespace vorun::transcendental {

using u128 = unsigned __int128;
using i128 = __int128;

inline int Clz128(u128 v) {
  const auto hi = static_cast<std::uint64_t>(v >> 64);
  return hi != 0 ? __builtin_clzll(hi) : 64 + __builtin_clzll(static_cast<std::uint64_t>(v));
}

// High part of a * b shifted right by 126, for a < 2^127 and b < 2^127; the
// dropped product of the low halves and the two truncations make it at most
// 6 units too small.
inline u128 MulShift126(u128 a, u128 b) {
  const auto ah = static_cast<std::uint64_t>(a >> 64), al = static_cast<std::uint64_t>(a);
  const auto bh = static_cast<std::uint64_t>(b >> 64), bl = static_cast<std::uint64_t>(b);
  return ((u128{ah} * bh) << 2) + ((u128{ah} * bl) >> 62) + ((u128{al} * bh) >> 62);
}

// --- Flags -----------------------------------------------------------------

// Inexact, and underflow with inexact, raised by SSE operations on doubles:
// they cost about a cycle, where the x87 takes a slow microcode path for an
// underflow.
inline void RaiseInexact() {
  double one = 1.0, small = 0x1p-60;
  asm volatile("" : "+x"(one), "+x"(small));
  const double sum = one + small;
  asm volatile("" : : "x"(sum));
}

inline void RaiseUnderflow() {
  double tiny = DBL_MIN;
  asm volatile("" : "+x"(tiny));
  const double product = tiny * tiny;
  asm volatile("" : : "x"(product));
}

// +inf with overflow and inexact.
inline Extended80 Overflowed() { return Settled(Settled(LDBL_MAX) * Settled(2.0L)); }

// NaN with invalid.
inline Extended80 InvalidResult() { return Settled(Settled(0.0L) / Settled(0.0L)); }

// --- Rounding --------------------------------------------------------------

struct Rounded {
  std::uint64_t mant;
  int biased;  // 0: subnormal or zero; MaxBiased: overflow to infinity
  bool tiny;   // below the smallest normal after rounding to 64 bits with an unbounded exponent
  bool operator==(const Rounded&) const = default;
};

// v * 2^scale (v > 0) rounded to nearest, ties to even, with gradual underflow.
inline Rounded RoundTo80(u128 v, int scale) {
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

}  // namespace vorun::transcendental
