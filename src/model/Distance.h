// The distance calculators of the particle editor. They read the editor's grid
// as text, not the ensemble: in positions mode the result is the distance of
// two taons, in velocities mode the magnitude of their relative velocity, in
// both cases from values already rounded to the 15 digits the grid shows.
#pragma once

#include <functional>
#include <string>

#include "model/Global.h"

namespace vorun {

// Text of the grid cell in a column and row; an index error is the reader's to raise.
using CellReader = std::function<std::string(int column, int row)>;

// Slot numbers are grid rows given as integer text. Columns 1, 2, 3 of each row
// are read as x, y, z, the first row completely before the second slot number
// is converted, so the first bad text met is the one reported. Throws Error for
// text that is no integer or no number, and for a result too large to hold.
Extended80 RowDistance(const std::string& firstRow, const std::string& secondRow, const CellReader& cell);

}  // namespace vorun
