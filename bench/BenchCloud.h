// The benchmarks' ensemble: 60 taons in a fixed pseudo-random cloud within
// +-3, no two closer than 0.3, at rest, two different parameter sets. Every
// benchmark builds the same cloud, so their figures compare; bench/python
// rebuilds it value for value.
#pragma once

#include "SeededCloud.h"

namespace vorun::bench {

inline EnsembleState MakeCloud() {
  EnsembleState e = SeededCloud({.seed = 20261208, .width = 6, .closestSquared = 0.09L});
  e.A1 = 0.1L, e.B1 = 0.5L, e.C1 = 1, e.D1 = 1.5L, e.F1 = 2;
  e.A2 = 0.12L, e.B2 = 0.6L, e.C2 = 1.1L, e.D2 = 1.6L, e.F2 = 2.1L;
  return e;
}

}  // namespace vorun::bench
