// The rows of a grid of slots, as the main window's listing and the editor's
// grid both show them.
#pragma once

#include "model/Global.h"

namespace vorun {

class StringGrid;

// Row 0 names the three columns, column 0 numbers the slots; an occupied
// slot's row holds its positions or, with velocities, its velocities, and an
// empty slot's row is blank. Cell (0, 0) is the caller's. Values go in as
// numbers, formatted only when a cell is shown, and cells that already hold
// their text are left alone: in the steady state a refill allocates nothing.
void FillSlotGrid(StringGrid& grid, const EnsembleState& e, bool velocities);

}  // namespace vorun
