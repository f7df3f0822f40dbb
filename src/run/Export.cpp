#include "run/Export.h"

#include "engine/Observables.h"
#include "engine/ObservablesCsv.h"

namespace vorun::run {

std::string FormatReal(Extended80 value, Notation notation) {
  std::string s;
  AppendCsvReal(s, value, notation);
  return s;
}

int ParameterSetOf(int slot, int slotCount, ColourSplit split) {
  return slot > slotCount - SetTwoSize(split) ? 2 : 1;
}

Extended80 TimeAt(std::int64_t step, Extended80 dt) { return static_cast<Extended80>(step) * dt; }

void AppendTrajectoryRows(std::string& out, const EnsembleState& e, std::int64_t step, ColourSplit split,
                          Notation notation) {
  std::string prefix = std::to_string(step);
  prefix += ',';
  AppendCsvReal(prefix, TimeAt(step, e.TimeStep), notation);
  prefix += ',';
  for (int n = 1; n <= ClampedSlotCount(e); ++n) {
    if (e.Exists[n] == 0) continue;
    out += prefix;
    out += std::to_string(n);
    out += ',';
    out += static_cast<char>('0' + ParameterSetOf(n, e.SlotCount, split));
    for (const SlotReals* a : {&e.PosX, &e.PosY, &e.PosZ, &e.VelU, &e.VelV, &e.VelW}) {
      out += ',';
      AppendCsvReal(out, (*a)[n], notation);
    }
    out += '\n';
  }
}

void AppendObservablesRow(std::string& out, const EnsembleState& e, std::int64_t step, Notation notation) {
  AppendObservablesCsvRow(out, step, TimeAt(step, e.TimeStep), MeasureObservables(e), notation);
}

}  // namespace vorun::run
