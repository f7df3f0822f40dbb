#include "engine/Observables.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/FloatFault.h"

namespace vorun {

Observables MeasureObservables(const EnsembleState& e) {
  const PreservedFlags flags;
  Observables o;
  o.smallestDistance = std::numeric_limits<Extended80>::infinity();
  const int last = ClampedSlotCount(e);
  Extended80 twiceEnergy = 0;
  for (int i = 1; i <= last; ++i) {
    if (e.Exists[i] == 0) continue;
    ++o.taonCount;
    const Extended80 u = e.VelU[i], v = e.VelV[i], w = e.VelW[i];
    twiceEnergy += u * u + v * v + w * w;
    o.momentumX += u;
    o.momentumY += v;
    o.momentumZ += w;
    const Extended80 x = e.PosX[i], y = e.PosY[i], z = e.PosZ[i];
    o.centreX += x;
    o.centreY += y;
    o.centreZ += z;
    o.largestRadius = std::max(o.largestRadius, std::sqrt(x * x + y * y + z * z));
    for (int j = i + 1; j <= last; ++j) {
      if (e.Exists[j] == 0) continue;
      // The differences as the law forms them, lower slot first.
      const Extended80 dx = x - e.PosX[j], dy = y - e.PosY[j], dz = z - e.PosZ[j];
      const Extended80 r = std::sqrt(dx * dx + dy * dy + dz * dz);
      // Strictly smaller: the first pair in slot order keeps a tie.
      if (r < o.smallestDistance) {
        o.smallestDistance = r;
        o.closestA = i;
        o.closestB = j;
      }
    }
  }
  o.kineticEnergy = twiceEnergy / 2;
  if (o.taonCount > 0) {
    const Extended80 n = o.taonCount;
    o.meanKineticEnergy = o.kineticEnergy / n;
    o.centreX /= n;
    o.centreY /= n;
    o.centreZ /= n;
  }
  return o;
}

}  // namespace vorun
