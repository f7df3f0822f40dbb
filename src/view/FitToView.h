// Fit to view: the zoom and pan that bring every point of the picture into a
// given part of the scene, with a small margin, whatever the orientation. The
// orientation itself is never changed.
#pragma once

#include <cstdint>

#include "view/Renderer.h"

namespace vorun {

// A part of the scene in pixels, right and bottom exclusive.
struct FitArea {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The margin kept free on each side of an area: a twentieth of its size, at
// least 4 pixels.
std::int32_t FitMargin(std::int32_t size);

// Sets Zoom, PanX and PanY so that every occupied slot (in the spiral view the
// 19 points of the figure as they stand) has its screen point and the whole of
// its 2 x 2 dot inside the area, less the margin, and the picture is centred
// there. The spread of the points decides the zoom; a single point, or points
// that fall on one pixel, keep a positive zoom and are only centred. Points
// with a coordinate that is not finite cannot be placed and are left out.
// Returns false and changes nothing when no point is left, when the area is too
// small, or when the points lie so far from the origin that the projection's
// precision cannot hold them in the area. Draws nothing; sets the matrix of
// the taon view as a renderer would.
bool FitZoomAndPan(const EnsembleState& ensemble, ViewState& view, bool spiralMode, FitArea area);

// The command: fits into the scene below `top` (the controls along the top
// edge of the scene hide what lies under them) and redraws in the current
// mode. A fit that is not possible changes nothing and still redraws.
void FitToViewClick(const Scene& scene, std::int32_t top);

}  // namespace vorun
