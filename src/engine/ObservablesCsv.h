// The observables of a run as CSV text, one row a measured step: the form the
// window's readouts save and a headless run exports, so that a spreadsheet
// or script reads both alike. The text does not depend on the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Observables.h"

namespace vorun {

// How a real is written: 21 significant digits (enough for every 64-bit
// significand), or the hexadecimal form of printf's %La
// ("0x8.3126e978d4fdf3bp-13"). Both read back with strtold to the same value.
enum class Notation { Decimal, Hex };

void AppendCsvReal(std::string& out, Extended80 value, Notation notation);

// A real in decimal: 21 significant digits in the shortest of fixed and
// scientific notation, '.' as the decimal point.
std::string CsvReal(Extended80 value);

// The columns of vorun-run --observables, with the line break.
constexpr std::string_view ObservablesCsvColumns =
    "step,time,taons,kinetic_energy,mean_kinetic_energy,momentum_x,momentum_y,momentum_z,centre_x,centre_y,"
    "centre_z,smallest_distance,closest_a,closest_b,largest_radius\n";

std::string ObservablesCsvHeader();

// One row and its line break. With fewer than two taons there is no pair:
// its three cells stay empty. Any other value that is not finite is written
// "inf", "-inf" or "nan".
void AppendObservablesCsvRow(std::string& out, std::int64_t step, Extended80 time, const Observables& o,
                             Notation notation);
std::string ObservablesCsvRow(std::int64_t step, Extended80 time, const Observables& o);

}  // namespace vorun
