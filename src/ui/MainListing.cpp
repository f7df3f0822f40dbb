// The listing on the "Listing" page: one row per slot with its positions or,
// after a double click, its velocities. A read-only view of the ensemble.
#include <QString>
#include <algorithm>
#include <array>

#include "model/Global.h"
#include "ui/Main.h"
#include "ui/StringGrid.h"
#include "ui/WindowState.h"

namespace vorun {

// Refilled after every step of a run: the texts that never change are made
// once, values are handed to the grid as numbers and formatted only when a
// cell is shown, and cells that already hold their text are left alone. In
// the steady state a refill allocates nothing.
void TMainForm::FillListing() {
  static const QString positionHeaders[] = {"X", "Y", "Z"};
  static const QString velocityHeaders[] = {"u(x)", "u(y)", "u(z)"};
  static const QString empty;
  static const auto slotNumbers = [] {
    std::array<QString, MaxSlots + 1> numbers;
    for (int n = 1; n <= MaxSlots; ++n) numbers[n] = QString::number(n);
    return numbers;
  }();
  const bool velocities = Display.ListVelocities != 0;
  const SlotReals& first = velocities ? Ensemble.VelU : Ensemble.PosX;
  const SlotReals& second = velocities ? Ensemble.VelV : Ensemble.PosY;
  const SlotReals& third = velocities ? Ensemble.VelW : Ensemble.PosZ;
  const QString* headers = velocities ? velocityHeaders : positionHeaders;
  for (int c = 1; c <= 3; ++c) DaonsTable->SetCell(c, 0, headers[c - 1]);
  const int last = std::min<int>(Ensemble.SlotCount, MaxSlots);
  for (int n = 1; n <= last; ++n) DaonsTable->SetCell(0, n, slotNumbers[n]);
  for (int n = 1; n <= last; ++n) {
    if (Ensemble.Exists[n] == 0) {
      for (int c = 1; c <= 3; ++c) DaonsTable->SetCell(c, n, empty);
    } else {
      DaonsTable->SetNumber(1, n, first[n]);
      DaonsTable->SetNumber(2, n, second[n]);
      DaonsTable->SetNumber(3, n, third[n]);
    }
  }
  DaonsTable->ShowChangedNumbers();
}

void TMainForm::DaonsTableDblClick() {
  Display.ListVelocities ^= 1;
  FillListing();
}

}  // namespace vorun
