#include "run/Export.h"

#include <charconv>
#include <cmath>

#include "engine/Observables.h"

namespace vorun::run {

void AppendReal(std::string& out, Extended80 value, Notation notation) {
  char text[64];
  char* p = text;
  std::to_chars_result r;
  if (notation == Notation::Hex && std::isfinite(value)) {
    if (std::signbit(value)) *p++ = '-';
    *p++ = '0';
    *p++ = 'x';
    r = std::to_chars(p, std::end(text), std::fabs(value), std::chars_format::hex);
  } else {
    r = std::to_chars(p, std::end(text), value, std::chars_format::general, 21);
  }
  out.append(text, r.ptr);
}

std::string FormatReal(Extended80 value, Notation notation) {
  std::string s;
  AppendReal(s, value, notation);
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
  AppendReal(prefix, TimeAt(step, e.TimeStep), notation);
  prefix += ',';
  for (int n = 1; n <= e.SlotCount; ++n) {
    if (e.Exists[n] == 0) continue;
    out += prefix;
    out += std::to_string(n);
    out += ',';
    out += static_cast<char>('0' + ParameterSetOf(n, e.SlotCount, split));
    for (const SlotReals* a : {&e.PosX, &e.PosY, &e.PosZ, &e.VelU, &e.VelV, &e.VelW}) {
      out += ',';
      AppendReal(out, (*a)[n], notation);
    }
    out += '\n';
  }
}

void AppendObservablesRow(std::string& out, const EnsembleState& e, std::int64_t step, Notation notation) {
  const Observables m = MeasureObservables(e);
  const auto real = [&](Extended80 v) {
    out += ',';
    AppendReal(out, v, notation);
  };
  out += std::to_string(step);
  real(TimeAt(step, e.TimeStep));
  out += ',';
  out += std::to_string(m.taonCount);
  for (const Extended80 v : {m.kineticEnergy, m.meanKineticEnergy, m.momentumX, m.momentumY, m.momentumZ,
                             m.centreX, m.centreY, m.centreZ})
    real(v);
  if (m.closestA != 0) {
    real(m.smallestDistance);
    out += ',' + std::to_string(m.closestA) + ',' + std::to_string(m.closestB);
  } else {
    out += ",,,";
  }
  real(m.largestRadius);
  out += '\n';
}

}  // namespace vorun::run
