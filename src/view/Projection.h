// The view transform: the rotation matrix built from an angle triple and the
// orthographic projection of a view point to a pixel, all in Extended80.
// The view looks along the rotated y axis; rotated x runs right, rotated z down.
#pragma once

#include <cstdint>

#include "view/ViewState.h"

namespace vorun {

// M = Rx(theta) * Ry(psi) * Rz(phi) into view.M11 .. view.M33.
void BuildMatrix(ViewState& view, Extended80 theta, Extended80 psi, Extended80 phi);
// From the pending increments (Teta, Psi, Phi): the spiral view turns by it.
void BuildStepMatrix(ViewState& view);
// From the taon view's orientation (SpinTeta, SpinPsi, SpinPhi).
void BuildViewMatrix(ViewState& view);

// Coordinates beyond this many pixels from the origin are held at it, so that
// a far-off point, an infinity or a NaN still lands somewhere well off any
// screen with room for the small offsets the renderers add.
constexpr std::int32_t PixelLimit = 1'000'000'000;

// Nearest integer, ties to even, independent of the current rounding mode;
// held to [-PixelLimit, PixelLimit], NaN to PixelLimit.
std::int32_t RoundToPixel(Extended80 value);

// Screen pixel of slot n from an already rotated point: the rotated x and z
// scaled by Zoom/2 about the centre plus pan.
void PlaceRotated(ViewState& view, int n, Extended80 rx, Extended80 rz);

// Rotates (x, y, z) by the current matrix and places it as slot n.
void ProjectPoint(ViewState& view, int n, Extended80 x, Extended80 y, Extended80 z);

}  // namespace vorun
