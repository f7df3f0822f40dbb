// The observables of a run as CSV text, one row a measured step: the form the
// window's readouts save and a headless run exports, so that a spreadsheet
// or script reads both alike. Reals carry 21 significant digits, enough to
// give back the 80-bit value exactly; the text does not depend on the locale.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Observables.h"

namespace vorun {

// step,time,taons,kinetic_energy,mean_kinetic_energy,momentum_x,momentum_y,
// momentum_z,centre_x,centre_y,centre_z,smallest_distance,closest_a,
// closest_b,largest_radius and a line break: the columns of
// vorun-run --observables.
std::string ObservablesCsvHeader();

// One row and its line break. With fewer than two taons there is no pair:
// its three cells stay empty. Any other value that is not finite is written
// "inf", "-inf" or "nan".
std::string ObservablesCsvRow(std::int64_t step, Extended80 time, const Observables& o);

// A real with 21 significant digits in the shortest of fixed and scientific
// notation, '.' as the decimal point.
std::string CsvReal(Extended80 value);

}  // namespace vorun
