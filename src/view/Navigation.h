// The commands that turn, zoom and move the scene, as plain routines over the
// view state. The window translates its events into these calls and hands in
// the Scene to redraw on; nothing here changes the ensemble itself.
#pragma once

#include <cstdint>

#include "view/Renderer.h"

namespace vorun {

// The six rotation buttons: change one increment by AngleStep and apply it,
// turning the spiral in place or adding to the taon view's orientation; the
// increment is 0 again afterwards, the other two keep their values.
void DaoTetaClick(const Scene& scene);   // Teta - AngleStep
void DaoTeta1Click(const Scene& scene);  // Teta + AngleStep
void DaoPsiClick(const Scene& scene);    // Psi - AngleStep
void DaoPsi1Click(const Scene& scene);   // Psi + AngleStep
void DaoPhiClick(const Scene& scene);    // Phi + AngleStep
void DaoPhi1Click(const Scene& scene);   // Phi - AngleStep

// Clears all three increments, which ends a spin, and redraws.
void DaoStopClick(const Scene& scene);

// Zoom in by 3 ZoomSteps; zoom out by 3 ZoomSteps while that leaves at least
// 6 of them, else divide by ZoomStep so that the scale never reaches 0.
void DaoForvardClick(const Scene& scene);
void DaoBackClick(const Scene& scene);

// Sets AngleStep and ZoomStep from a track bar position 0..10; other
// positions change nothing. Draws nothing.
void TrackBarChange(ViewState& view, int position);

enum class MouseButton { Left, Middle, Right };

// Remembers the press point: the right button apart from left and middle.
void FormMouseDown(ViewState& view, MouseButton button, int x, int y);
// A drag turns the view (and with the right button zooms it), then redraws.
// With showSpinChecked the increments outlive the drag, which in the spiral
// view makes the timer keep turning the figure.
void FormMouseUp(const Scene& scene, MouseButton button, int x, int y, bool showSpinChecked);

// The periodic timer: redraws in the current mode while spinOn is set, which
// turns the spiral by any pending increments once more.
void SpinTimerTick(const Scene& scene, bool spinOn);

// The hidden keyboard moves, PanStep pixels each, and the way back.
void Left1Click(const Scene& scene);
void Right1Click(const Scene& scene);
void Up1Click(const Scene& scene);
void Down1Click(const Scene& scene);
// Zoom 120 and no pan; the orientation, the increments and the figure stay.
void MoveToCenterClick(const Scene& scene);

// The model origin's pixel without pan: half the window's outer width and
// half the top edge of the bottom panel, ties to even. The window calls it on
// every resize and paint before it redraws.
void UpdateCenter(ViewState& view, std::int32_t width, std::int32_t panTop);

}  // namespace vorun
