#include "model/FloatFault.h"

#include "model/Error.h"

namespace vorun {

void ThrowPendingFloatFault() {
  const int flags = std::fetestexcept(FloatFaultFlags);
  if (flags == 0) return;
  ClearFloatFaults();
  if (flags & FE_INVALID) throw Error("Invalid floating point operation");
  if (flags & FE_DIVBYZERO) throw Error("Floating point division by zero");
  throw Error("Floating point overflow");
}

}  // namespace vorun
