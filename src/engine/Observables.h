// What a user measures of an ensemble besides its slots: energy, momentum,
// centre of mass, the closest pair and the farthest taon. One routine for the
// headless runner's export and the window's readouts, so both show the same
// numbers. Unit mass throughout, as in the step.
#pragma once

#include "model/Global.h"

namespace vorun {

struct Observables {
  int taonCount = 0;
  // 1/2 * sum of u^2 + v^2 + w^2, and that divided by the number of taons.
  Extended80 kineticEnergy = 0, meanKineticEnergy = 0;
  // Sum of the velocities.
  Extended80 momentumX = 0, momentumY = 0, momentumZ = 0;
  // Mean of the positions.
  Extended80 centreX = 0, centreY = 0, centreZ = 0;
  // The smallest distance of two taons and their slots (closestA < closestB);
  // +infinity and slots 0 with fewer than two taons.
  Extended80 smallestDistance = 0;
  int closestA = 0, closestB = 0;
  // The largest distance of a taon from the origin; 0 without taons.
  Extended80 largestRadius = 0;
};

// Measures the committed positions and velocities of the occupied slots among
// the first SlotCount, in ascending slot order, in 80 bits. Sums are formed
// component by component in slot order, so the result is defined bit for bit.
// Leaves the floating-point flags as they were: a measurement must never be
// taken for a fault of the next step, nor hide one.
Observables MeasureObservables(const EnsembleState& e);

}  // namespace vorun
