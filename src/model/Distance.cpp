#include "model/Distance.h"

#include <array>
#include <cmath>

#include "model/Error.h"
#include "model/NumberText.h"

namespace vorun {

namespace {

std::array<Extended80, 3> RowValues(const CellReader& cell, int row) {
  return {StrToFloat(cell(1, row)), StrToFloat(cell(2, row)), StrToFloat(cell(3, row))};
}

}  // namespace

Extended80 RowDistance(const std::string& firstRow, const std::string& secondRow, const CellReader& cell) {
  const int a = StrToInt(firstRow);
  const auto [xa, ya, za] = RowValues(cell, a);
  const int b = StrToInt(secondRow);
  const auto [xb, yb, zb] = RowValues(cell, b);
  const Extended80 dx = xb - xa;
  const Extended80 dy = yb - ya;
  const Extended80 dz = zb - za;
  // The squares are added in the order x, y, z; another order can differ in the last bit.
  const Extended80 sum = dx * dx + dy * dy + dz * dz;
  // The cells hold finite numbers only, so an infinite sum is an overflow, not an input.
  if (std::isinf(sum)) throw Error("Floating point overflow");
  return std::sqrt(sum);
}

}  // namespace vorun
