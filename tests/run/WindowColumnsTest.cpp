// The window's readouts save their measurements in the form of
// vorun-run --observables, so that one script reads both. Pinned here, where
// both forms are in reach.
#include <gtest/gtest.h>

#include <random>

#include "engine/ObservablesCsv.h"
#include "run/Export.h"

namespace vorun {
namespace {

// No taon, one taon (no pair), and a cloud with moving taons, at steps that
// make the time inexact.
TEST(WindowColumns, ReadoutsCsvEqualsTheRunnersObservablesRows) {
  EXPECT_EQ(ObservablesCsvHeader(), std::string(run::ObservablesHeader));
  EnsembleState e;
  e.SlotCount = MaxSlots;
  e.TimeStep = 0.001L;
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (const int taons : {0, 1, 60}) {
    for (int n = 1; n <= taons; ++n) {
      e.Exists[n] = 1;
      e.PosX[n] = unit(random) / 3;
      e.PosY[n] = unit(random);
      e.PosZ[n] = unit(random) * 7;
      e.VelU[n] = unit(random);
      e.VelW[n] = unit(random) / 7;
    }
    for (const std::int64_t step : {std::int64_t{0}, std::int64_t{3}, std::int64_t{4000000001}}) {
      std::string runner;
      run::AppendObservablesRow(runner, e, step, run::Notation::Decimal);
      EXPECT_EQ(ObservablesCsvRow(step, run::TimeAt(step, e.TimeStep), MeasureObservables(e)), runner)
          << taons << " taons, step " << step;
    }
  }
}

}  // namespace
}  // namespace vorun
