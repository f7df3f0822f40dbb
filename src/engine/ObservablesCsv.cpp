#include "engine/ObservablesCsv.h"

#include <charconv>

namespace vorun {

std::string ObservablesCsvHeader() {
  return "step,time,taons,kinetic_energy,mean_kinetic_energy,momentum_x,momentum_y,momentum_z,centre_x,"
         "centre_y,"
         "centre_z,smallest_distance,closest_a,closest_b,largest_radius\n";
}

std::string CsvReal(Extended80 value) {
  // to_chars, unlike printf, never takes the decimal point from the locale the
  // window has set.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 21);
  return std::string(buffer, result.ptr);
}

std::string ObservablesCsvRow(std::int64_t step, Extended80 time, const Observables& o) {
  std::string row = std::to_string(step) + ',' + CsvReal(time) + ',' + std::to_string(o.taonCount);
  for (const Extended80 value : {o.kineticEnergy, o.meanKineticEnergy, o.momentumX, o.momentumY, o.momentumZ,
                                 o.centreX, o.centreY, o.centreZ})
    row += ',' + CsvReal(value);
  if (o.closestA != 0)
    row += ',' + CsvReal(o.smallestDistance) + ',' + std::to_string(o.closestA) + ',' +
           std::to_string(o.closestB);
  else
    row += ",,,";
  row += ',' + CsvReal(o.largestRadius) + '\n';
  return row;
}

}  // namespace vorun
