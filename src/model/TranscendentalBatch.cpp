// Batches of Exp and Ln. The vector path settles most exponentials with an
// error bound of its own and rounds them with the same safe-rounding test as
// the single call; an argument outside its range, or a result too close to a
// rounding boundary for its bound, is finished by the single call. Both are
// correctly rounded, so the bits agree whoever computes them.
//
// The flags: every result of the vector path is finite, normal and inexact,
// so a batch raises inexact once for all of them; the single calls raise
// their own. The sticky flags then hold what n single calls would leave.
#include <immintrin.h>

#include <atomic>
#include <cstring>

#include "model/OwnLine.h"
#include "model/Transcendental.h"
#include "model/TranscendentalArithmetic.h"
#include "model/TranscendentalTables.h"

// Each kernel is compiled for its own instruction set only; the default
// build stays portable, and the kernels run only where the processor has it.
// GCC takes the target of a region from its own pragma; clang (the fuzz
// build) from an attribute applied to every function of the region.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
#define VORUN_LANES 4
#define VORUN_LANES_NAMESPACE vorun::transcendental::avx2
#include "model/TranscendentalVector.h"
#undef VORUN_LANES
#undef VORUN_LANES_NAMESPACE
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif
#define VORUN_LANES 8
#define VORUN_LANES_NAMESPACE vorun::transcendental::avx512
#include "model/TranscendentalVector.h"
#undef VORUN_LANES
#undef VORUN_LANES_NAMESPACE
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace vorun {

namespace {

using namespace transcendental;

// Found at the first use, which may come from another file's static
// initialisation.
BatchPath Widest() {
  static const BatchPath widest = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return BatchPath::Avx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return BatchPath::Avx2;
    return BatchPath::Scalar;
  }();
  return widest;
}

// -1 until a path is set: then the widest. Every batch of every thread reads
// the path; the count of set-aside arguments is written by whichever thread
// sets some aside. Each has a line of its own, apart from Widest's value too.
OwnLine<std::atomic<int>> chosen{-1};
OwnLine<std::atomic<std::uint64_t>> setAside{0};

// The kernels' error bounds hold for IEEE doubles rounded to nearest, with
// subnormals kept: a caller that changed the SSE control word gets the
// single calls.
bool SseRoundsToNearest() { return (_mm_getcsr() & 0xe040u) == 0; }

// |x| from 2^-60 to 11350: the results are normal and far from overflow.
constexpr int ExpLowestBiased = Bias - 60;
constexpr std::uint64_t ExpHighestSignificand = std::uint64_t{11350} << 50;  // in the binade of 2^13

constexpr int Chunk = 64;

// The arguments of one chunk that go to the kernel, split into doubles.
struct ExpChunk {
  alignas(64) double xh[Chunk];
  alignas(64) double xl[Chunk];
  alignas(64) double yh[Chunk];
  alignas(64) double yl[Chunk];
  alignas(64) long long k[Chunk];
  int index[Chunk];
};

double DoubleOfBits(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

// x = xh + xl with xh the top 53 bits of the significand; built from the
// bits, so that no flag is raised.
void Split(const Bits& b, double& xh, double& xl) {
  const std::uint64_t sign = static_cast<std::uint64_t>(b.se & 0x8000) << 48;
  const int e = (b.se & 0x7fff) - Bias;
  xh = DoubleOfBits(sign | (static_cast<std::uint64_t>(e + 1023) << 52) |
                    ((b.mant >> 11) & ((std::uint64_t{1} << 52) - 1)));
  const auto low = static_cast<int>(b.mant & 0x7ff);
  xl = low == 0 ? 0.0
                : static_cast<double>(low) *
                      DoubleOfBits(sign | (static_cast<std::uint64_t>(e - 63 + 1023) << 52));
}

// y = yh + yl (0.99 < y < 2.01) as an integer at 2^-124, the low part cut
// off below 2^-124.
u128 FixedOf(double yh, double yl) {
  constexpr std::uint64_t Fraction = (std::uint64_t{1} << 52) - 1, Hidden = std::uint64_t{1} << 52;
  std::uint64_t hb, lb;
  std::memcpy(&hb, &yh, 8);
  std::memcpy(&lb, &yl, 8);
  const int he = static_cast<int>((hb >> 52) & 0x7ff) - 1075;
  u128 y = u128{(hb & Fraction) | Hidden} << (he + 124);
  const int lBiased = static_cast<int>((lb >> 52) & 0x7ff);
  if ((lb << 1) == 0) return y;
  const int le = (lBiased == 0 ? 1 : lBiased) - 1075;
  const u128 ml = (lb & Fraction) | (lBiased == 0 ? 0 : Hidden);
  const int sh = le + 124;
  const u128 part = sh >= 0 ? ml << sh : (sh > -128 ? ml >> -sh : 0);
  return (lb >> 63) ? y - part : y + part;
}

using ExpKernel = void (*)(const double*, const double*, double*, double*, long long*, int, const Tables&);

void ExpVector(ExpKernel kernel, int lanes, const Extended80* x, Extended80* y, int n) {
  const Tables& tables = TheTables();
  ExpChunk c;
  bool anyDone = false;
  int single = 0;
  for (int i = 0; i < n;) {
    int m = 0;
    for (; i < n && m < Chunk; ++i) {
      const Bits b = BitsOf(x[i]);
      const int biased = b.se & 0x7fff;
      const bool inRange = (b.mant & TopBit) != 0 && biased >= ExpLowestBiased &&
                           (biased < Bias + 13 || (biased == Bias + 13 && b.mant <= ExpHighestSignificand));
      if (!inRange) {
        y[i] = Exp(x[i]);
        ++single;
        continue;
      }
      Split(b, c.xh[m], c.xl[m]);
      c.index[m++] = i;
    }
    if (m == 0) continue;
    const int padded = (m + lanes - 1) / lanes * lanes;
    for (int p = m; p < padded; ++p) c.xh[p] = c.xl[p] = 0;
    kernel(c.xh, c.xl, c.yh, c.yl, c.k, padded, tables);
    for (int p = 0; p < m; ++p) {
      const int at = c.index[p];
      const u128 fixed = FixedOf(c.yh[p], c.yl[p]);
      Rounded r;
      if (!RoundsSafely(fixed, (fixed >> 80) + 4, static_cast<int>(c.k[p] >> 8) - 124, r)) {
        y[at] = Exp(x[at]);
        ++single;
        continue;
      }
      // Written as bits: loading them into the x87 and storing them again
      // would cost more than the whole vector computation of the lane.
      const auto se = static_cast<std::uint16_t>(r.biased);
      std::memcpy(&y[at], &r.mant, 8);
      std::memcpy(reinterpret_cast<char*>(&y[at]) + 8, &se, 2);
      anyDone = true;
    }
  }
  if (anyDone) RaiseInexact();
  if (single > 0) setAside.value.fetch_add(single, std::memory_order_relaxed);
}

// A double-double value v (|v| < 2^-13) as an integer at 2^-112, cut off
// below 2^-112.
i128 FixedOf112(double vh, double vl) {
  i128 sum = 0;
  for (double v : {vh, vl}) {
    std::uint64_t b;
    std::memcpy(&b, &v, 8);
    if ((b << 1) == 0) continue;
    const int biased = static_cast<int>((b >> 52) & 0x7ff);
    const std::uint64_t m = (b & ((std::uint64_t{1} << 52) - 1)) | (biased == 0 ? 0 : std::uint64_t{1} << 52);
    const int sh = (biased == 0 ? 1 : biased) - 1075 + 112;
    const u128 part = sh >= 0 ? u128{m} << sh : (sh > -64 ? u128{m >> -sh} : 0);
    sum += (b >> 63) ? -static_cast<i128>(part) : static_cast<i128>(part);
  }
  return sum;
}

struct LnChunk {
  alignas(64) double zh[Chunk];
  alignas(64) double zl[Chunk];
  alignas(64) double ph[Chunk];
  alignas(64) double pl[Chunk];
  i128 constant[Chunk];  // exponent ln2 - ln c1 - ln c2 at 2^-112
  int bound[Chunk];      // its error in units of 2^-112
  int index[Chunk];
};

using LnKernel = void (*)(const double*, const double*, double*, double*, int);

// ln x = exponent ln2 - ln c1 - ln c2 + ln(1 + z) with the exact reduction of
// the single call; the kernel gives ln(1 + z) to 2^-93.4 (2^18.6 units at
// 2^-112), the constant part is off by |exponent|/2 + 2 units, the cut-off
// parts by 2 more. Arguments near 1, where the constant part vanishes and the
// result may be small, and subnormals go to the single call; every other
// result is at least 2^-15 in size, so the bound stays below 2^-78 of it.
void LnVector(LnKernel kernel, int lanes, const Extended80* x, Extended80* y, int n) {
  const Tables& tables = TheTables();
  LnChunk c;
  bool anyDone = false;
  int single = 0;
  for (int i = 0; i < n;) {
    int m = 0;
    for (; i < n && m < Chunk; ++i) {
      const Bits b = BitsOf(x[i]);
      const int biased = b.se & 0x7fff;
      if (biased == 0 || biased == MaxBiased || (b.se & 0x8000) != 0 || (b.mant & TopBit) == 0) {
        y[i] = Ln(x[i]);
        ++single;
        continue;
      }
      const LnReduced r = ReduceForLn(tables, b.mant, biased - Bias);
      if (r.exponent == 0 && tables.lnC1[r.i1] == 0 && tables.lnC2[r.j] == 0) {
        y[i] = Ln(x[i]);
        ++single;
        continue;
      }
      // z = zHi 2^40 + zLo exactly, zLo in [0, 2^40), |zHi| < 2^50.
      const auto zHi = static_cast<std::int64_t>(r.z >> 40);
      const auto zLo = static_cast<std::int64_t>(r.z - (static_cast<i128>(zHi) << 40));
      c.zh[m] = static_cast<double>(zHi) * 0x1p-64;
      c.zl[m] = static_cast<double>(zLo) * 0x1p-104;
      c.constant[m] = i128{r.exponent} * tables.ln2 - tables.lnC1[r.i1] - tables.lnC2[r.j];
      c.bound[m] = (r.exponent < 0 ? -r.exponent : r.exponent) / 2 + 4;
      c.index[m++] = i;
    }
    if (m == 0) continue;
    const int padded = (m + lanes - 1) / lanes * lanes;
    for (int p = m; p < padded; ++p) c.zh[p] = c.zl[p] = 0;
    kernel(c.zh, c.zl, c.ph, c.pl, padded);
    for (int p = 0; p < m; ++p) {
      const int at = c.index[p];
      const i128 sum = c.constant[p] + FixedOf112(c.ph[p], c.pl[p]);
      const bool negative = sum < 0;
      const u128 magnitude = negative ? -static_cast<u128>(sum) : static_cast<u128>(sum);
      Rounded r;
      if (!RoundsSafely(magnitude, (u128{1} << 19) + c.bound[p], -112, r)) {
        y[at] = Ln(x[at]);
        ++single;
        continue;
      }
      const auto se = static_cast<std::uint16_t>(r.biased | (negative ? 0x8000 : 0));
      std::memcpy(&y[at], &r.mant, 8);
      std::memcpy(reinterpret_cast<char*>(&y[at]) + 8, &se, 2);
      anyDone = true;
    }
  }
  if (anyDone) RaiseInexact();
  if (single > 0) setAside.value.fetch_add(single, std::memory_order_relaxed);
}

void ExpEach(const Extended80* x, Extended80* y, int n) {
  for (int i = 0; i < n; ++i) y[i] = Exp(x[i]);
}

}  // namespace

const char* BatchPathName(BatchPath path) {
  switch (path) {
    case BatchPath::Scalar:
      return "scalar";
    case BatchPath::Avx2:
      return "AVX2";
    case BatchPath::Avx512:
      return "AVX-512";
  }
  return "?";
}

bool BatchPathAvailable(BatchPath path) {
  switch (path) {
    case BatchPath::Scalar:
      return true;
    case BatchPath::Avx2:
      return Widest() != BatchPath::Scalar;
    case BatchPath::Avx512:
      return Widest() == BatchPath::Avx512;
  }
  return false;
}

std::uint64_t BatchSetAside() { return setAside.value.load(std::memory_order_relaxed); }

BatchPath CurrentBatchPath() {
  const int path = chosen.value.load(std::memory_order_relaxed);
  return path < 0 ? Widest() : static_cast<BatchPath>(path);
}

void SetBatchPath(BatchPath path) {
  chosen.value.store(static_cast<int>(BatchPathAvailable(path) ? path : BatchPath::Scalar),
                     std::memory_order_relaxed);
}

void ExpBatch(const Extended80* x, Extended80* y, int n) { ExpBatchOn(CurrentBatchPath(), x, y, n); }

void LnBatch(const Extended80* x, Extended80* y, int n) { LnBatchOn(CurrentBatchPath(), x, y, n); }

namespace transcendental {

void ExpBatchOn(BatchPath path, const Extended80* x, Extended80* y, int n) {
  if (!BatchPathAvailable(path) || !SseRoundsToNearest()) path = BatchPath::Scalar;
  switch (path) {
    case BatchPath::Avx512:
      ExpVector(avx512::ExpLanes, 8, x, y, n);
      return;
    case BatchPath::Avx2:
      ExpVector(avx2::ExpLanes, 4, x, y, n);
      return;
    case BatchPath::Scalar:
      break;
  }
  ExpEach(x, y, n);
}

void LnBatchOn(BatchPath path, const Extended80* x, Extended80* y, int n) {
  if (!BatchPathAvailable(path) || !SseRoundsToNearest()) path = BatchPath::Scalar;
  switch (path) {
    case BatchPath::Avx512:
      LnVector(avx512::LnLanes, 8, x, y, n);
      return;
    case BatchPath::Avx2:
      LnVector(avx2::LnLanes, 4, x, y, n);
      return;
    case BatchPath::Scalar:
      break;
  }
  for (int i = 0; i < n; ++i) y[i] = Ln(x[i]);
}

}  // namespace transcendental

}  // namespace vorun
