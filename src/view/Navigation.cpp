#include "view/Navigation.h"

#include <array>
#include <cstdint>

#include "view/Projection.h"

namespace vorun {
namespace {

using Angle = Extended80 ViewState::*;

// The spiral has no orientation: the renderer turns the figure by all three
// increments. The taon view keeps the orientation as a plain sum, never
// reduced to one turn.
void ApplyIncrement(const Scene& scene, Angle increment, Angle orientation) {
  ViewState& view = scene.view;
  if (scene.spiralMode) {
    DrawSpiral(scene);
  } else {
    view.*orientation += view.*increment;
    DrawTaons(scene);
  }
  view.*increment = 0;
}

void ClearIncrements(ViewState& view) { view.Teta = view.Psi = view.Phi = 0; }

// One rotation button: the increment one AngleStep down or up, then applied.
void Turn(const Scene& scene, Angle increment, Angle orientation, bool up) {
  ViewState& view = scene.view;
  view.*increment = up ? view.*increment + view.AngleStep : view.*increment - view.AngleStep;
  ApplyIncrement(scene, increment, orientation);
}

// One keyboard move: the pan one PanStep down or up, then redrawn.
void Pan(const Scene& scene, Extended80 ViewState::*pan, bool up) {
  ViewState& view = scene.view;
  view.*pan = up ? view.*pan + view.PanStep : view.*pan - view.PanStep;
  Redraw(scene);
}

}  // namespace

void DaoTetaClick(const Scene& scene) { Turn(scene, &ViewState::Teta, &ViewState::SpinTeta, false); }
void DaoTeta1Click(const Scene& scene) { Turn(scene, &ViewState::Teta, &ViewState::SpinTeta, true); }
void DaoPsiClick(const Scene& scene) { Turn(scene, &ViewState::Psi, &ViewState::SpinPsi, false); }
void DaoPsi1Click(const Scene& scene) { Turn(scene, &ViewState::Psi, &ViewState::SpinPsi, true); }
void DaoPhiClick(const Scene& scene) { Turn(scene, &ViewState::Phi, &ViewState::SpinPhi, true); }
void DaoPhi1Click(const Scene& scene) { Turn(scene, &ViewState::Phi, &ViewState::SpinPhi, false); }

void DaoStopClick(const Scene& scene) {
  ClearIncrements(scene.view);
  Redraw(scene);
}

void DaoForvardClick(const Scene& scene) {
  ViewState& view = scene.view;
  view.Zoom = view.Zoom + 3 * view.ZoomStep;
  Redraw(scene);
}

void DaoBackClick(const Scene& scene) {
  ViewState& view = scene.view;
  if (view.Zoom >= 9 * view.ZoomStep)
    view.Zoom = view.Zoom - 3 * view.ZoomStep;
  else
    view.Zoom = view.Zoom / view.ZoomStep;
  Redraw(scene);
}

void TrackBarChange(ViewState& view, int position) {
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
  view.AngleStep = table[position].angle;
  view.ZoomStep = table[position].zoom;
}

void FormMouseDown(ViewState& view, MouseButton button, int x, int y) {
  if (button == MouseButton::Right) {
    view.RightDownX = x;
    view.RightDownY = y;
  } else {
    view.MouseDownX = x;
    view.MouseDownY = y;
  }
}

void FormMouseUp(const Scene& scene, MouseButton button, int x, int y, bool showSpinChecked) {
  ViewState& view = scene.view;
  const bool right = button == MouseButton::Right;
  // In 64 bits: two far-apart 32-bit pixels must not overflow their difference.
  const std::int64_t dx = std::int64_t{x} - (right ? view.RightDownX : view.MouseDownX);
  const std::int64_t dy = std::int64_t{y} - (right ? view.RightDownY : view.MouseDownY);
  if (dx != 0 || dy != 0) {
    const Extended80 ex = static_cast<Extended80>(dx), ey = static_cast<Extended80>(dy);
    if (right) {
      view.Psi = view.Psi - ex * view.AngleStep;
      view.Zoom = view.Zoom - ey * view.ZoomStep;
    } else {
      view.Phi = view.Phi - ex * view.AngleStep;
      view.Teta = view.Teta + ey * view.AngleStep;
    }
  }

  if (scene.spiralMode) {
    DrawSpiral(scene);
  } else {
    if (right) {
      view.SpinPsi += view.Psi;
    } else {
      view.SpinPhi += view.Phi;
      view.SpinTeta += view.Teta;
    }
    DrawTaons(scene);
    // Applied to the orientation once; a taon view never spins.
    ClearIncrements(scene.view);
  }

  if (!showSpinChecked) ClearIncrements(scene.view);
}

void SpinTimerTick(const Scene& scene, bool spinOn) {
  if (spinOn) Redraw(scene);
}

void Left1Click(const Scene& scene) { Pan(scene, &ViewState::PanX, false); }
void Right1Click(const Scene& scene) { Pan(scene, &ViewState::PanX, true); }
void Up1Click(const Scene& scene) { Pan(scene, &ViewState::PanY, false); }
void Down1Click(const Scene& scene) { Pan(scene, &ViewState::PanY, true); }

void MoveToCenterClick(const Scene& scene) {
  ViewState& view = scene.view;
  view.Zoom = 120;
  view.PanX = 0;
  view.PanY = 0;
  Redraw(scene);
}

void UpdateCenter(ViewState& view, std::int32_t width, std::int32_t panTop) {
  view.CenterX = RoundToPixel(static_cast<Extended80>(width) / 2);
  view.CenterY = RoundToPixel(static_cast<Extended80>(panTop) / 2);
}

}  // namespace vorun
