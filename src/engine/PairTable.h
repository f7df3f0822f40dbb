// The one-pass form of the law for a whole step. Everything that the three
// component sums of ForceX, ForceY and ForceZ compute more than once is
// computed once per step here: the distance of a pair and every logarithm,
// power and exponential that depends only on the distance and on the partner's
// parameter set, including the shell terms. The distance is symmetric bit for
// bit (x_i - x_j is the exact negation of x_j - x_i), so one entry serves both
// taons of a pair, and taons of the same set share the set's terms.
//
// Each force sum is then formed from these values with exactly the operations,
// operands and order of ForceX/ForceY/ForceZ, so the results are the same
// Extended80 values. The table only finds that a flag came up; the caller
// replays the three-pass law to learn the first fault and where it stops.
#pragma once

#include "engine/Settings.h"
#include "model/Global.h"

namespace vorun::law {

// Fills the table for the committed positions of the Ensemble, for every pair
// of occupied slots of which at least one is moved (slot >= firstMoved).
// Returns false when a floating-point flag came up on the way.
bool FillPairTable(const LawSettings& law, int firstMoved);

// The three force components on slot i from the filled table. A fault in the
// sums leaves its flag up for the caller to test.
void PairTableForces(int i, Extended80& x, Extended80& y, Extended80& z);

}  // namespace vorun::law
