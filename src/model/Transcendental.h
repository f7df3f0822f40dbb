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

}  // namespace transcendental

}  // namespace vorun
