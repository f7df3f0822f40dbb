// Pseudo-random clouds of taons that are the same on every machine and with
// every compiler, for the tests and the benchmarks. No test framework here:
// the benchmarks build their cloud with it too.
#pragma once

#include <cstdint>

#include "model/Ensemble.h"
#include "model/Global.h"

namespace vorun {

// A small linear congruential generator: each call gives the next value,
// spread evenly over [-width / 2, width / 2). The golden runs and the
// benchmarks' cloud (which bench/python rebuilds value for value) depend on
// every operation here.
class Scatter {
 public:
  explicit Scatter(std::uint64_t seed) : seed_(seed) {}
  Extended80 operator()(Extended80 width) {
    seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<Extended80>(seed_ >> 11) / static_cast<Extended80>(1ULL << 53) * width - width / 2;
  }

 private:
  std::uint64_t seed_;
};

struct CloudRecipe {
  std::uint64_t seed = 1;
  int taons = MaxSlots;  // in slots 1 .. taons
  Extended80 width = 4;  // every coordinate within +-width / 2
  // The square of the least distance between two taons, written out rather
  // than squared here, so that the rejections stay those of the literal.
  Extended80 closestSquared = 0.16L;
  // After each position that is kept, this many velocity components (0, 1:
  // u only, or 3: w, v, u in that order) are drawn, each times speed.
  int movingComponents = 0;
  Extended80 speed = 0;
};

// Positions are drawn x, y, z and dropped when closer than allowed to a taon
// already placed. The ensemble has a time step of 0.001, all 60 slots and
// zero parameters; working and view copies are in line with the positions.
inline EnsembleState SeededCloud(const CloudRecipe& recipe) {
  EnsembleState e{};
  e.SlotCount = MaxSlots;
  e.TimeStep = 0.001L;
  Scatter scatter(recipe.seed);
  const auto next = [&] { return scatter(recipe.width); };
  for (int n = 1; n <= recipe.taons;) {
    const Extended80 x = next(), y = next(), z = next();
    bool apart = true;
    for (int m = 1; m < n && apart; ++m) {
      const Extended80 dx = x - e.PosX[m], dy = y - e.PosY[m], dz = z - e.PosZ[m];
      apart = dx * dx + dy * dy + dz * dz >= recipe.closestSquared;
    }
    if (!apart) continue;
    e.Exists[n] = 1;
    e.PosX[n] = x, e.PosY[n] = y, e.PosZ[n] = z;
    if (recipe.movingComponents == 1) e.VelU[n] = next() * recipe.speed;
    if (recipe.movingComponents == 3) {
      e.VelW[n] = next() * recipe.speed;
      e.VelV[n] = next() * recipe.speed;
      e.VelU[n] = next() * recipe.speed;
    }
    ++n;
  }
  SyncWorkingCopies(e, false);
  return e;
}

}  // namespace vorun
