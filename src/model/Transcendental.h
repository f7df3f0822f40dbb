// The exponential and the natural logarithm of Extended80, correctly rounded
// to nearest over the whole domain, subnormal results included. A correctly
// rounded result is the one value mathematics defines, so it does not depend
// on the processor, the C library or the compiler: a run that uses only these,
// sqrt and the four basic operations gives the same bits on every machine.
//
// The IEEE flags are those of a correctly rounded operation:
//   Ln(+-0) = -inf, division by zero;  Ln(x < 0), Ln(-inf) = NaN, invalid;
//   Exp(x) too large = +inf, overflow; Exp(x) too small = 0 or a subnormal,
//   underflow and inexact (silent for the engine);
//   a quiet NaN passes quietly, a signalling NaN raises invalid;
//   Exp(+-inf), Ln(+inf), Exp(0) = 1 and Ln(1) = +0 are exact and raise nothing;
//   every other result raises inexact.
#pragma once

#include <cstdint>

#include "model/Global.h"

namespace vorun {

Extended80 Exp(Extended80 x);
Extended80 Ln(Extended80 x);

// y[i] = Exp(x[i]) (or Ln) for 0 <= i < n, the same bits as n single calls,
// with the flags that those calls raise. x and y may be the same array. Many
// independent arguments at once let the exponential run in vector registers.
void ExpBatch(const Extended80* x, Extended80* y, int n);
void LnBatch(const Extended80* x, Extended80* y, int n);

// The ways a batch can be computed. Scalar is the single call for each
// argument; the vector paths need the instruction set in their name.
enum class BatchPath { Scalar, Avx2, Avx512 };
constexpr BatchPath AllBatchPaths[] = {BatchPath::Scalar, BatchPath::Avx2, BatchPath::Avx512};
const char* BatchPathName(BatchPath path);
// Whether this processor (and its operating system) can run the path.
bool BatchPathAvailable(BatchPath path);
// The path ExpBatch and LnBatch take: the widest available at the start;
// SetBatchPath chooses another (an unavailable one falls back to Scalar),
// for measurements and tests.
BatchPath CurrentBatchPath();
void SetBatchPath(BatchPath path);
// How many arguments of vector batches were left to the single call, being
// out of the vector path's range or too close to a rounding boundary for its
// error bound (for measurements and tests).
std::uint64_t BatchSetAside();

// sin(x) correctly rounded, computed the slow way. For the few constants of
// the program that need a sine; nothing in a step calls it.
Extended80 SinCorrectlyRounded(Extended80 x);

// How many calls of Exp and Ln did not round safely on the fast path and were
// settled by the multiple-precision fallback (for measurements).
std::uint64_t TranscendentalFallbacks();

namespace transcendental {

// The multiple-precision results that the fast path must reproduce; tests
// compare against them and the fallback uses them.
Extended80 ExpByMpfr(Extended80 x);
Extended80 LnByMpfr(Extended80 x);

// The batches on a given path, whatever CurrentBatchPath() is; an
// unavailable path runs as Scalar.
void ExpBatchOn(BatchPath path, const Extended80* x, Extended80* y, int n);
void LnBatchOn(BatchPath path, const Extended80* x, Extended80* y, int n);

}  // namespace transcendental

}  // namespace vorun
