// The benchmarks' ensemble: 60 taons in a fixed pseudo-random cloud within
// +-3, no two closer than 0.3, two different parameter sets. Every benchmark
// builds the same cloud, so their figures compare.
#pragma once

#include <cstdint>

#include "model/Ensemble.h"
#include "model/Global.h"

namespace vorun::bench {

// A small linear congruential generator, so the cloud is the same everywhere.
inline Extended80 NextCoordinate(std::uint64_t& seed) {
  seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<Extended80>(seed >> 11) / static_cast<Extended80>(1ULL << 53) * 6 - 3;
}

// Replaces the ensemble by the cloud, with working and view copies in line.
inline EnsembleState MakeCloud() {
  EnsembleState e;
  e.SlotCount = MaxSlots;
  e.TimeStep = 0.001L;
  e.A1 = 0.1L, e.B1 = 0.5L, e.C1 = 1, e.D1 = 1.5L, e.F1 = 2;
  e.A2 = 0.12L, e.B2 = 0.6L, e.C2 = 1.1L, e.D2 = 1.6L, e.F2 = 2.1L;
  std::uint64_t seed = 20261208;
  for (int n = 1; n <= MaxSlots;) {
    const Extended80 x = NextCoordinate(seed), y = NextCoordinate(seed), z = NextCoordinate(seed);
    bool apart = true;
    for (int m = 1; m < n && apart; ++m) {
      const Extended80 dx = x - e.PosX[m], dy = y - e.PosY[m], dz = z - e.PosZ[m];
      apart = dx * dx + dy * dy + dz * dz >= 0.09L;
    }
    if (!apart) continue;
    e.PosX[n] = x, e.PosY[n] = y, e.PosZ[n] = z;
    e.Exists[n] = 1;
    ++n;
  }
  SyncWorkingCopies(e, false);
  return e;
}

}  // namespace vorun::bench
