// The listing on the "Listing" page: one row per slot with its positions or,
// after a double click, its velocities. A read-only view of the ensemble.
#include <QString>

#include "model/Global.h"
#include "model/NumberText.h"
#include "ui/Main.h"
#include "ui/StringGrid.h"
#include "ui/WindowState.h"

namespace vorun {

void TMainForm::FillListing() {
  const bool velocities = Display.ListVelocities != 0;
  const SlotReals& first = velocities ? Ensemble.VelU : Ensemble.PosX;
  const SlotReals& second = velocities ? Ensemble.VelV : Ensemble.PosY;
  const SlotReals& third = velocities ? Ensemble.VelW : Ensemble.PosZ;
  DaonsTable->SetCell(1, 0, velocities ? "u(x)" : "X");
  DaonsTable->SetCell(2, 0, velocities ? "u(y)" : "Y");
  DaonsTable->SetCell(3, 0, velocities ? "u(z)" : "Z");
  for (int n = 1; n <= Ensemble.SlotCount; ++n) DaonsTable->SetCell(0, n, QString::number(n));
  for (int n = 1; n <= Ensemble.SlotCount; ++n) {
    if (Ensemble.Exists[n] == 0) {
      for (int c = 1; c <= 3; ++c) DaonsTable->SetCell(c, n, QString());
    } else {
      DaonsTable->SetCell(1, n, QString::fromStdString(FloatToStr(first[n])));
      DaonsTable->SetCell(2, n, QString::fromStdString(FloatToStr(second[n])));
      DaonsTable->SetCell(3, n, QString::fromStdString(FloatToStr(third[n])));
    }
  }
}

void TMainForm::DaonsTableDblClick() {
  Display.ListVelocities ^= 1;
  FillListing();
}

}  // namespace vorun
