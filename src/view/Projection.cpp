#include "view/Projection.h"

#include <cmath>

namespace vorun {

void BuildMatrix(ViewState& view, Extended80 theta, Extended80 psi, Extended80 phi) {
  const Extended80 st = std::sin(theta), ct = std::cos(theta);
  const Extended80 sp = std::sin(psi), cp = std::cos(psi);
  const Extended80 sf = std::sin(phi), cf = std::cos(phi);
  view.M11 = cp * cf;
  view.M12 = -cp * sf;
  view.M13 = sp;
  view.M21 = st * sp * cf + ct * sf;
  view.M22 = -st * sp * sf + ct * cf;
  view.M23 = -st * cp;
  view.M31 = -ct * sp * cf + st * sf;
  view.M32 = ct * sp * sf + st * cf;
  view.M33 = ct * cp;
}

void BuildStepMatrix(ViewState& view) { BuildMatrix(view, view.Teta, view.Psi, view.Phi); }

void BuildViewMatrix(ViewState& view) { BuildMatrix(view, view.SpinTeta, view.SpinPsi, view.SpinPhi); }

std::int32_t RoundToPixel(Extended80 value) {
  // Tested before any arithmetic so that an infinity or a NaN raises no
  // floating-point flag here.
  if (!(value < PixelLimit)) return PixelLimit;
  if (value <= -PixelLimit) return -PixelLimit;
  Extended80 lower = std::floor(value);
  const Extended80 fraction = value - lower;  // exact for |value| < 2^63
  if (fraction > 0.5L || (fraction == 0.5L && std::fmod(lower, 2.0L) != 0)) lower += 1;
  return static_cast<std::int32_t>(lower);
}

void PlaceRotated(ViewState& view, int n, Extended80 rx, Extended80 rz) {
  const Extended80 sx = view.CenterX + rx * view.Zoom / 2 + view.PanX;
  const Extended80 sy = view.CenterY + rz * view.Zoom / 2 + view.PanY;
  view.ScreenX[n] = RoundToPixel(sx);
  view.ScreenY[n] = RoundToPixel(sy);
}

void ProjectPoint(ViewState& view, int n, Extended80 x, Extended80 y, Extended80 z) {
  const Extended80 rx = view.M11 * x + view.M12 * y + view.M13 * z;
  // The rotated y is the depth along the line of sight and is not drawn.
  const Extended80 rz = view.M31 * x + view.M32 * y + view.M33 * z;
  PlaceRotated(view, n, rx, rz);
}

}  // namespace vorun
