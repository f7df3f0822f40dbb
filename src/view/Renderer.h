// The scene renderers: a full redraw each time, from the view copy of the
// ensemble or from the tetra spiral, onto any Canvas.
#pragma once

#include <cstdint>

#include "model/Choices.h"
#include "view/Canvas.h"
#include "view/ViewState.h"

namespace vorun {

// What the renderers read from the window at the moment of drawing.
struct Scene {
  Canvas& canvas;
  std::int32_t width;       // the window's outer width
  std::int32_t panTop;      // top edge of the bottom panel: the height of the scene
  Scope scope;              // colour scheme: Taoscope red/lime by parity,
  ColourSplit split;        // Gravoscope lime/yellow by the split
  EnsembleState& ensemble;  // whose view copy is drawn (and turned, for the spiral)
  ViewState& view;
  bool spiralMode;   // the tetra spiral instead of the taons
  bool showNumbers;  // slot numbers beside the points
};

// Black from (0, 0) to (width, panTop), right and bottom exclusive.
void ClearScene(const Scene& scene);
// The taon view: projects every occupied slot, clears, draws 2 x 2 dots and,
// when showNumbers is set, the slot numbers.
void DrawTaons(const Scene& scene);
// The spiral view: turns the figure by the pending increments and draws its 51 edges.
void DrawSpiral(const Scene& scene);
// Turns the first n view points by the current matrix and projects them.
void TurnFigure(EnsembleState& ensemble, ViewState& view, int n);
// DrawSpiral while spiralMode is set, else DrawTaons.
void Redraw(const Scene& scene);

}  // namespace vorun
