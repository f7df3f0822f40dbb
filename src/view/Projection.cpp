#include "view/Projection.h"

#include <cmath>

namespace vorun {

void BuildMatrix(Extended80 theta, Extended80 psi, Extended80 phi) {
  const Extended80 st = std::sin(theta), ct = std::cos(theta);
  const Extended80 sp = std::sin(psi), cp = std::cos(psi);
  const Extended80 sf = std::sin(phi), cf = std::cos(phi);
  View.M11 = cp * cf;
  View.M12 = -cp * sf;
  View.M13 = sp;
  View.M21 = st * sp * cf + ct * sf;
  View.M22 = -st * sp * sf + ct * cf;
  View.M23 = -st * cp;
  View.M31 = -ct * sp * cf + st * sf;
  View.M32 = ct * sp * sf + st * cf;
  View.M33 = ct * cp;
}

void BuildStepMatrix() { BuildMatrix(View.Teta, View.Psi, View.Phi); }

void BuildViewMatrix() { BuildMatrix(View.SpinTeta, View.SpinPsi, View.SpinPhi); }

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

void PlaceRotated(int n, Extended80 rx, Extended80 rz) {
  const Extended80 sx = View.CenterX + rx * View.Zoom / 2 + View.PanX;
  const Extended80 sy = View.CenterY + rz * View.Zoom / 2 + View.PanY;
  View.ScreenX[n] = RoundToPixel(sx);
  View.ScreenY[n] = RoundToPixel(sy);
}

void ProjectPoint(int n, Extended80 x, Extended80 y, Extended80 z) {
  const Extended80 rx = View.M11 * x + View.M12 * y + View.M13 * z;
  // The rotated y is the depth along the line of sight and is not drawn.
  const Extended80 rz = View.M31 * x + View.M32 * y + View.M33 * z;
  PlaceRotated(n, rx, rz);
}

}  // namespace vorun
