#include "engine/ObservablesCsv.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace vorun {

void AppendCsvReal(std::string& out, Extended80 value, Notation notation) {
  // to_chars, unlike printf, never takes the decimal point from the locale the
  // window has set.
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

std::string CsvReal(Extended80 value) {
  std::string text;
  AppendCsvReal(text, value, Notation::Decimal);
  return text;
}

std::string ObservablesCsvHeader() { return std::string(ObservablesCsvColumns); }

void AppendObservablesCsvRow(std::string& out, std::int64_t step, Extended80 time, const Observables& o,
                             Notation notation) {
  const auto real = [&](Extended80 v) {
    out += ',';
    AppendCsvReal(out, v, notation);
  };
  out += std::to_string(step);
  real(time);
  out += ',';
  out += std::to_string(o.taonCount);
  for (const Extended80 v : {o.kineticEnergy, o.meanKineticEnergy, o.momentumX, o.momentumY, o.momentumZ,
                             o.centreX, o.centreY, o.centreZ})
    real(v);
  if (o.closestA != 0) {
    real(o.smallestDistance);
    out += ',' + std::to_string(o.closestA) + ',' + std::to_string(o.closestB);
  } else {
    out += ",,,";
  }
  real(o.largestRadius);
  out += '\n';
}

std::string ObservablesCsvRow(std::int64_t step, Extended80 time, const Observables& o) {
  std::string row;
  AppendObservablesCsvRow(row, step, time, o, Notation::Decimal);
  return row;
}

}  // namespace vorun
