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

#include <cstdint>
#include <memory>

#include "engine/Settings.h"
#include "model/Global.h"

namespace vorun::law {

// The table of one step, about 420 KB. Its owner allocates it once and reuses
// it for every step, so a step allocates nothing, and two threads that step
// two ensembles with two tables share nothing.
class PairTable {
 public:
  PairTable();
  ~PairTable();
  PairTable(const PairTable&) = delete;
  PairTable& operator=(const PairTable&) = delete;

  struct Data;
  std::unique_ptr<Data> data;
};

// Fills the table for the committed positions of e, for every pair of
// occupied slots of which at least one is moved (slot >= firstMoved).
// Returns false when a floating-point flag came up on the way.
bool FillPairTable(PairTable& table, const EnsembleState& e, const LawSettings& law, int firstMoved);

// The same in parts, so that several threads can share the work: first the
// values of the whole step (false when a flag came up), then the rows, each
// the pairs (lo, hi > lo), in any order and on any thread. A row leaves its
// flags up in the thread that filled it. With transcendentalNs given, the
// time of the row's exponentials and logarithms is added to it.
bool PreparePairTable(PairTable& table, const EnsembleState& e, const LawSettings& law, int firstMoved);
void FillPairRow(PairTable& table, const EnsembleState& e, int lo, std::int64_t* transcendentalNs = nullptr);

// The three force components on slot i of e from the table filled for e. A
// fault in the sums leaves its flag up for the caller to test.
void PairTableForces(const PairTable& table, const EnsembleState& e, int i, Extended80& x, Extended80& y,
                     Extended80& z);

}  // namespace vorun::law
