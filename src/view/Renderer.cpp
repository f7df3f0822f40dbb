#include "view/Renderer.h"

#include <algorithm>
#include <cfenv>
#include <string>

#include "model/Figures.h"
#include "model/FloatFault.h"
#include "model/Global.h"
#include "view/Projection.h"

namespace vorun {
namespace {

// Lime marks parameter set 1 and yellow set 2, the same split the law uses.
Colour TaonColour(const Scene& scene, int n) {
  if (scene.scope == Scope::Taoscope) return n % 2 != 0 ? Red : Lime;
  return n <= scene.ensemble.SlotCount - SetTwoSize(scene.split) ? Lime : Yellow;
}

void Edge(Canvas& canvas, const ViewState& view, int from, int to) {
  // The axis of the spiral, 1-2-10-16, stands out in white.
  const bool axis = (from == 1 && to == 2) || (from == 10 && to == 2) || (from == 16 && to == 10);
  canvas.SetPenColour(axis ? White : Red);
  canvas.MoveTo(view.ScreenX[from], view.ScreenY[from]);
  canvas.LineTo(view.ScreenX[to], view.ScreenY[to]);
}

}  // namespace

void ClearScene(const Scene& scene) {
  scene.canvas.SetPenColour(Black);
  scene.canvas.SetBrushColour(Black);
  scene.canvas.FillRect(0, 0, scene.width, scene.panTop);
}

void DrawTaons(const Scene& scene) {
  const PreservedFlags flags;
  const EnsembleState& e = scene.ensemble;
  ViewState& view = scene.view;
  BuildViewMatrix(view);
  const int last = ClampedSlotCount(e);
  for (int n = 1; n <= last; ++n)
    if (e.Exists[n] != 0) ProjectPoint(view, n, e.ViewX[n], e.ViewY[n], e.ViewZ[n]);

  ClearScene(scene);
  // In slot order, so that a higher number covers a lower one on the same pixel.
  for (int n = 1; n <= last; ++n) {
    if (e.Exists[n] == 0) continue;
    const Colour colour = TaonColour(scene, n);
    scene.canvas.Dot(view.ScreenX[n], view.ScreenY[n], colour);
  }
  if (!scene.showNumbers) return;
  // After all dots, so that no dot hides a number.
  for (int n = 1; n <= last; ++n) {
    if (e.Exists[n] == 0) continue;
    scene.canvas.SetTextColour(TaonColour(scene, n));
    scene.canvas.TextOut(view.ScreenX[n] + 2, view.ScreenY[n] + 2, std::to_string(n));
  }
}

void TurnFigure(EnsembleState& e, ViewState& view, int n) {
  n = std::clamp(n, 0, MaxSlots);
  for (int k = 1; k <= n; ++k) {
    const Extended80 x = e.ViewX[k], y = e.ViewY[k], z = e.ViewZ[k];
    e.ViewX[k] = view.M11 * x + view.M12 * y + view.M13 * z;
    e.ViewY[k] = view.M21 * x + view.M22 * y + view.M23 * z;
    e.ViewZ[k] = view.M31 * x + view.M32 * y + view.M33 * z;
    PlaceRotated(view, k, e.ViewX[k], e.ViewZ[k]);
  }
}

void DrawSpiral(const Scene& scene) {
  const PreservedFlags flags;
  ViewState& view = scene.view;
  BuildStepMatrix(view);
  ClearScene(scene);
  TurnFigure(scene.ensemble, view, SpiralPointCount);

  Edge(scene.canvas, view, 1, 2);
  Edge(scene.canvas, view, 2, 3);
  Edge(scene.canvas, view, 3, 1);
  for (int k = 4; k <= SpiralPointCount; ++k)
    for (int face : SpiralFacePoints(k)) Edge(scene.canvas, view, k, face);

  if (!scene.showNumbers) return;
  scene.canvas.SetTextColour(Lime);
  for (int k = 1; k <= SpiralPointCount; ++k)
    scene.canvas.TextOut(view.ScreenX[k], view.ScreenY[k], std::to_string(k));
}

void Redraw(const Scene& scene) {
  if (scene.spiralMode)
    DrawSpiral(scene);
  else
    DrawTaons(scene);
}

}  // namespace vorun
