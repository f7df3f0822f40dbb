// Where the scene is looked at from: the pending turn, the orientation and its
// matrix, zoom and pan, and the pixel each slot was last drawn at.
#pragma once

#include "model/Global.h"

namespace vorun {

struct ViewState {
  // Pending rotation increments about x, y, z.
  Extended80 Teta = 0, Psi = 0, Phi = 0;
  // Orientation of the taon view: plain sums of all increments, never reduced.
  Extended80 SpinTeta = 0, SpinPsi = 0, SpinPhi = 0;
  Extended80 M11 = 0, M12 = 0, M13 = 0;
  Extended80 M21 = 0, M22 = 0, M23 = 0;
  Extended80 M31 = 0, M32 = 0, M33 = 0;
  Extended80 Zoom = 0;
  std::int32_t CenterX = 0, CenterY = 0;
  Extended80 PanX = 0, PanY = 0;
  Extended80 PanStep = 0, ZoomStep = 0, AngleStep = 0;
  SlotInts ScreenX{}, ScreenY{};
  std::int32_t MouseDownX = 0, MouseDownY = 0;
  std::int32_t RightDownX = 0, RightDownY = 0;
};

}  // namespace vorun
