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
  int setTwoSize = 30;
  if (scene.split == ColourSplit::Bk) setTwoSize = 15;
  if (scene.split == ColourSplit::Ck) setTwoSize = 10;
  return n <= Ensemble.SlotCount - setTwoSize ? Lime : Yellow;
}

int SlotLimit() { return std::clamp(Ensemble.SlotCount, 0, MaxSlots); }

void Edge(Canvas& canvas, int from, int to) {
  // The axis of the spiral, 1-2-10-16, stands out in white.
  const bool axis = (from == 1 && to == 2) || (from == 10 && to == 2) || (from == 16 && to == 10);
  canvas.SetPenColour(axis ? White : Red);
  canvas.MoveTo(View.ScreenX[from], View.ScreenY[from]);
  canvas.LineTo(View.ScreenX[to], View.ScreenY[to]);
}

}  // namespace

void ClearScene(const Scene& scene) {
  scene.canvas.SetPenColour(Black);
  scene.canvas.SetBrushColour(Black);
  scene.canvas.FillRect(0, 0, scene.width, scene.panTop);
}

void DrawTaons(const Scene& scene) {
  const PreservedFlags flags;
  BuildViewMatrix();
  const int last = SlotLimit();
  for (int n = 1; n <= last; ++n)
    if (Ensemble.Exists[n] != 0) ProjectPoint(n, Ensemble.ViewX[n], Ensemble.ViewY[n], Ensemble.ViewZ[n]);

  ClearScene(scene);
  // In slot order, so that a higher number covers a lower one on the same pixel.
  for (int n = 1; n <= last; ++n) {
    if (Ensemble.Exists[n] == 0) continue;
    const Colour colour = TaonColour(scene, n);
    const int x = View.ScreenX[n], y = View.ScreenY[n];
    scene.canvas.SetPixel(x, y, colour);
    scene.canvas.SetPixel(x + 1, y, colour);
    scene.canvas.SetPixel(x, y + 1, colour);
    scene.canvas.SetPixel(x + 1, y + 1, colour);
  }
  if (Display.ShowNumbers == 0) return;
  // After all dots, so that no dot hides a number.
  for (int n = 1; n <= last; ++n) {
    if (Ensemble.Exists[n] == 0) continue;
    scene.canvas.SetTextColour(TaonColour(scene, n));
    scene.canvas.TextOut(View.ScreenX[n] + 2, View.ScreenY[n] + 2, std::to_string(n));
  }
}

void TurnFigure(int n) {
  n = std::clamp(n, 0, MaxSlots);
  for (int k = 1; k <= n; ++k) {
    const Extended80 x = Ensemble.ViewX[k], y = Ensemble.ViewY[k], z = Ensemble.ViewZ[k];
    Ensemble.ViewX[k] = View.M11 * x + View.M12 * y + View.M13 * z;
    Ensemble.ViewY[k] = View.M21 * x + View.M22 * y + View.M23 * z;
    Ensemble.ViewZ[k] = View.M31 * x + View.M32 * y + View.M33 * z;
    PlaceRotated(k, Ensemble.ViewX[k], Ensemble.ViewZ[k]);
  }
}

void DrawSpiral(const Scene& scene) {
  const PreservedFlags flags;
  BuildStepMatrix();
  ClearScene(scene);
  TurnFigure(SpiralPointCount);

  Edge(scene.canvas, 1, 2);
  Edge(scene.canvas, 2, 3);
  Edge(scene.canvas, 3, 1);
  for (int k = 4; k <= SpiralPointCount; ++k)
    for (int face : SpiralFacePoints(k)) Edge(scene.canvas, k, face);

  if (Display.ShowNumbers == 0) return;
  scene.canvas.SetTextColour(Lime);
  for (int k = 1; k <= SpiralPointCount; ++k)
    scene.canvas.TextOut(View.ScreenX[k], View.ScreenY[k], std::to_string(k));
}

void Redraw(const Scene& scene) {
  if (Run.SpiralMode != 0)
    DrawSpiral(scene);
  else
    DrawTaons(scene);
}

}  // namespace vorun
