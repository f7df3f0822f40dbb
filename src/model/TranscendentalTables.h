// The multiple-precision side of the correctly rounded Exp and Ln: the tables
// of the fast paths, computed once with MPFR, and the fallback for the rare
// result that the fast path cannot round safely.
#pragma once

#include <mpfr.h>

#include <cstdint>

#include "model/TranscendentalArithmetic.h"

namespace vorun::transcendental {

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
  // For the vector path: 2^(i/256) as the double nearest it plus the double
  // nearest the rest (together within 2^-105 of it, relative).
  double exp2Hi[ExpSteps], exp2Lo[ExpSteps];
  // ln 2 / 256 as L1 + L2 + L3: L1 and L2 of 30 significant bits, so that
  // their products with any reduction index below 2^23 are exact; L3 the
  // double nearest the rest. And 256 / ln 2 to the nearest double.
  double lnStepParts[3];
  double stepsPerUnit;
};

// The tables, built at the first call by any thread.
Tables BuildTables();

[[gnu::always_inline]] inline const Tables& TheTables() {
  static const Tables tables = BuildTables();
  return tables;
}

// The exact reduction of ln for a 64-bit significand m (top bit set) and its
// exponent e: x = 2^e m / 2^63 = 2^exponent / (c1[i1] / 2^16) / (c2[j] / 2^24)
// * (1 + z / 2^104), |z| < 2^90.
struct LnReduced {
  int i1, j, exponent;
  i128 z;
};

[[gnu::always_inline]] inline LnReduced ReduceForLn(const Tables& t, std::uint64_t m, int e) {
  LnReduced r;
  r.i1 = static_cast<int>((m >> 56) & (C1Count - 1));
  const bool upper = r.i1 >= C1Upper;
  r.exponent = e + (upper ? 1 : 0);
  u128 t1 = u128{m} * t.c1[r.i1];
  if (!upper) t1 <<= 1;
  const auto i2 = static_cast<int>(static_cast<i128>(t1 - (u128{1} << 80)) >> 66);
  r.j = i2 - C2Low;
  r.z = static_cast<i128>(t1 * t.c2[r.j] - (u128{1} << 104));
  return r;
}

using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// f(x) rounded to Extended80 by MPFR; tiny tells whether the 64-bit result
// with an unbounded exponent lies below the smallest normal. Leaves the flags
// as they were.
Extended80 ByMpfr(MpfrFunction f, Extended80 x, bool* tiny = nullptr);

// A result that the fast path could not round safely; only finite, inexact
// results come here. Raises the flags of the correctly rounded result.
Extended80 Fallback(MpfrFunction f, Extended80 x);

}  // namespace vorun::transcendental
