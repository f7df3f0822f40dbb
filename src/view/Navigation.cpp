#include "view/Navigation.h"

#include <array>
#include <cstdint>

#include "model/Global.h"
#include "view/Projection.h"

namespace vorun {
namespace {

using Angle = Extended80 ViewState::*;

// The spiral has no orientation: the renderer turns the figure by all three
// increments. The taon view keeps the orientation as a plain sum, never
// reduced to one turn.
void ApplyIncrement(const Scene& scene, Angle increment, Angle orientation) {
  if (Run.SpiralMode != 0) {
    DrawSpiral(scene);
  } else {
    View.*orientation += View.*increment;
    DrawTaons(scene);
  }
  View.*increment = 0;
}

void ClearIncrements() { View.Teta = View.Psi = View.Phi = 0; }

}  // namespace

void DaoTetaClick(const Scene& scene) {
  View.Teta = View.Teta - View.AngleStep;
  ApplyIncrement(scene, &ViewState::Teta, &ViewState::SpinTeta);
}

void DaoTeta1Click(const Scene& scene) {
  View.Teta = View.Teta + View.AngleStep;
  ApplyIncrement(scene, &ViewState::Teta, &ViewState::SpinTeta);
}

void DaoPsiClick(const Scene& scene) {
  View.Psi = View.Psi - View.AngleStep;
  ApplyIncrement(scene, &ViewState::Psi, &ViewState::SpinPsi);
}

void DaoPsi1Click(const Scene& scene) {
  View.Psi = View.Psi + View.AngleStep;
  ApplyIncrement(scene, &ViewState::Psi, &ViewState::SpinPsi);
}

void DaoPhiClick(const Scene& scene) {
  View.Phi = View.Phi + View.AngleStep;
  ApplyIncrement(scene, &ViewState::Phi, &ViewState::SpinPhi);
}

void DaoPhi1Click(const Scene& scene) {
  View.Phi = View.Phi - View.AngleStep;
  ApplyIncrement(scene, &ViewState::Phi, &ViewState::SpinPhi);
}

void DaoStopClick(const Scene& scene) {
  ClearIncrements();
  Redraw(scene);
}

void DaoForvardClick(const Scene& scene) {
  View.Zoom = View.Zoom + 3 * View.ZoomStep;
  Redraw(scene);
}

void DaoBackClick(const Scene& scene) {
  if (View.Zoom >= 9 * View.ZoomStep)
    View.Zoom = View.Zoom - 3 * View.ZoomStep;
  else
    View.Zoom = View.Zoom / View.ZoomStep;
  Redraw(scene);
}

void TrackBarChange(int position) {
  struct Steps {
    Extended80 angle, zoom;
  };
  static constexpr std::array<Steps, 11> table{{
      {0.0005L, 0.5L},
      {0.001L, 1},
      {0.002L, 2},
      {0.003L, 3},
      {0.005L, 5},
      {0.01L, 7},
      {0.05L, 10},
      {0.1L, 15},
      {0.5L, 20},
      {1, 30},
      {2, 50},
  }};
  if (position < 0 || position >= static_cast<int>(table.size())) return;
  View.AngleStep = table[position].angle;
  View.ZoomStep = table[position].zoom;
}

void FormMouseDown(MouseButton button, int x, int y) {
  if (button == MouseButton::Right) {
    View.RightDownX = x;
    View.RightDownY = y;
  } else {
    View.MouseDownX = x;
    View.MouseDownY = y;
  }
}

void FormMouseUp(const Scene& scene, MouseButton button, int x, int y, bool showSpinChecked) {
  const bool right = button == MouseButton::Right;
  // In 64 bits: two far-apart 32-bit pixels must not overflow their difference.
  const std::int64_t dx = std::int64_t{x} - (right ? View.RightDownX : View.MouseDownX);
  const std::int64_t dy = std::int64_t{y} - (right ? View.RightDownY : View.MouseDownY);
  if (dx != 0 || dy != 0) {
    const Extended80 ex = static_cast<Extended80>(dx), ey = static_cast<Extended80>(dy);
    if (right) {
      View.Psi = View.Psi - ex * View.AngleStep;
      View.Zoom = View.Zoom - ey * View.ZoomStep;
    } else {
      View.Phi = View.Phi - ex * View.AngleStep;
      View.Teta = View.Teta + ey * View.AngleStep;
    }
  }

  if (Run.SpiralMode != 0) {
    DrawSpiral(scene);
  } else {
    if (right) {
      View.SpinPsi += View.Psi;
    } else {
      View.SpinPhi += View.Phi;
      View.SpinTeta += View.Teta;
    }
    DrawTaons(scene);
    // Applied to the orientation once; a taon view never spins.
    ClearIncrements();
  }

  if (!showSpinChecked) ClearIncrements();
}

void SpinTimerTick(const Scene& scene) {
  if (Display.SpinOn != 0) Redraw(scene);
}

void Left1Click(const Scene& scene) {
  View.PanX = View.PanX - View.PanStep;
  Redraw(scene);
}

void Right1Click(const Scene& scene) {
  View.PanX = View.PanX + View.PanStep;
  Redraw(scene);
}

void Up1Click(const Scene& scene) {
  View.PanY = View.PanY - View.PanStep;
  Redraw(scene);
}

void Down1Click(const Scene& scene) {
  View.PanY = View.PanY + View.PanStep;
  Redraw(scene);
}

void MoveToCenterClick(const Scene& scene) {
  View.Zoom = 120;
  View.PanX = 0;
  View.PanY = 0;
  Redraw(scene);
}

void UpdateCenter(std::int32_t width, std::int32_t panTop) {
  View.CenterX = RoundToPixel(static_cast<Extended80>(width) / 2);
  View.CenterY = RoundToPixel(static_cast<Extended80>(panTop) / 2);
}

}  // namespace vorun
