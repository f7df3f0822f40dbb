#include "ui/widgets/SlotListing.h"

#include <QString>
#include <array>

#include "ui/widgets/StringGrid.h"

namespace vorun {

void FillSlotGrid(StringGrid& grid, const EnsembleState& e, bool velocities) {
  static const QString positionHeaders[] = {"X", "Y", "Z"};
  static const QString velocityHeaders[] = {"u(x)", "u(y)", "u(z)"};
  static const QString empty;
  static const auto slotNumbers = [] {
    std::array<QString, MaxSlots + 1> numbers;
    for (int n = 1; n <= MaxSlots; ++n) numbers[n] = QString::number(n);
    return numbers;
  }();
  const SlotReals& first = velocities ? e.VelU : e.PosX;
  const SlotReals& second = velocities ? e.VelV : e.PosY;
  const SlotReals& third = velocities ? e.VelW : e.PosZ;
  const QString* headers = velocities ? velocityHeaders : positionHeaders;
  for (int c = 1; c <= 3; ++c) grid.SetCell(c, 0, headers[c - 1]);
  const int last = ClampedSlotCount(e);
  for (int n = 1; n <= last; ++n) grid.SetCell(0, n, slotNumbers[n]);
  for (int n = 1; n <= last; ++n) {
    if (e.Exists[n] == 0) {
      for (int c = 1; c <= 3; ++c) grid.SetCell(c, n, empty);
    } else {
      grid.SetNumber(1, n, first[n]);
      grid.SetNumber(2, n, second[n]);
      grid.SetNumber(3, n, third[n]);
    }
  }
  grid.ShowChangedNumbers();
}

}  // namespace vorun
