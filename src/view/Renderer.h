// The scene renderers: a full redraw each time, from the view copy of the
// ensemble or from the tetra spiral, onto any Canvas.
#pragma once

#include <cstdint>

#include "engine/Settings.h"
#include "view/Canvas.h"

namespace vorun {

// What the renderers read from the window at the moment of drawing.
struct Scene {
  Canvas& canvas;
  std::int32_t width;   // the window's outer width
  std::int32_t panTop;  // top edge of the bottom panel: the height of the scene
  Scope scope;          // colour scheme: Taoscope red/lime by parity,
  ColourSplit split;    // Gravoscope lime/yellow by the split
};

// Black from (0, 0) to (width, panTop), right and bottom exclusive.
void ClearScene(const Scene& scene);
// The taon view: projects every occupied slot, clears, draws 2 x 2 dots and,
// when Display.ShowNumbers is set, the slot numbers.
void DrawTaons(const Scene& scene);
// The spiral view: turns the figure by the pending increments and draws its 51 edges.
void DrawSpiral(const Scene& scene);
// Turns the first n view points by the current matrix and projects them.
void TurnFigure(int n);
// DrawSpiral while Run.SpiralMode is set, else DrawTaons.
void Redraw(const Scene& scene);

}  // namespace vorun
