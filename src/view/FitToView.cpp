#include "view/FitToView.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "model/Figures.h"
#include "model/FloatFault.h"
#include "view/Projection.h"

namespace vorun {
namespace {

struct Rotated {
  int n;
  Extended80 rx, rz;
};

// The points as the next drawing places them: rotated x and z before zoom and pan.
std::vector<Rotated> PicturePoints(const EnsembleState& e, ViewState& view, bool spiralMode) {
  std::vector<Rotated> points;
  if (spiralMode) {
    // The figure's view points are already turned; the spiral renderer places
    // them as they are.
    for (int k = 1; k <= SpiralPointCount; ++k) points.push_back({k, e.ViewX[k], e.ViewZ[k]});
  } else {
    BuildViewMatrix(view);
    const int last = ClampedSlotCount(e);
    for (int n = 1; n <= last; ++n) {
      if (e.Exists[n] == 0) continue;
      const Extended80 x = e.ViewX[n], y = e.ViewY[n], z = e.ViewZ[n];
      points.push_back(
          {n, view.M11 * x + view.M12 * y + view.M13 * z, view.M31 * x + view.M32 * y + view.M33 * z});
    }
  }
  std::erase_if(points, [](const Rotated& p) { return !std::isfinite(p.rx) || !std::isfinite(p.rz); });
  return points;
}

}  // namespace

std::int32_t FitMargin(std::int32_t size) { return std::max<std::int32_t>(4, size / 20); }

bool FitZoomAndPan(const EnsembleState& ensemble, ViewState& view, bool spiralMode, FitArea area) {
  const PreservedFlags flags;
  const std::vector<Rotated> points = PicturePoints(ensemble, view, spiralMode);
  if (points.empty()) return false;

  // Screen points may lie in [lo, hi]: the dot reaches one pixel right of and
  // below its point, and the margin stays free.
  const Extended80 loX = area.left + FitMargin(area.right - area.left);
  const Extended80 hiX = area.right - 2 - FitMargin(area.right - area.left);
  const Extended80 loY = area.top + FitMargin(area.bottom - area.top);
  const Extended80 hiY = area.bottom - 2 - FitMargin(area.bottom - area.top);
  if (hiX < loX || hiY < loY) return false;

  Extended80 minX = points[0].rx, maxX = minX, minZ = points[0].rz, maxZ = minZ;
  for (const Rotated& p : points) {
    minX = std::min(minX, p.rx);
    maxX = std::max(maxX, p.rx);
    minZ = std::min(minZ, p.rz);
    maxZ = std::max(maxZ, p.rz);
  }
  // Half the zoom is the pixels per model unit. Each axis allows a scale; the
  // smaller one fits both. An axis without spread (or one too narrow to
  // measure) allows any.
  const Extended80 huge = std::numeric_limits<Extended80>::infinity();
  const Extended80 spanX = maxX - minX, spanZ = maxZ - minZ;
  const Extended80 scaleX = spanX > 0 ? (hiX - loX) / spanX : huge;
  const Extended80 scaleZ = spanZ > 0 ? (hiY - loY) / spanZ : huge;
  Extended80 zoom = 2 * std::min(scaleX, scaleZ);
  if (!std::isfinite(zoom) || !(zoom > 0)) zoom = view.Zoom > 0 && std::isfinite(view.Zoom) ? view.Zoom : 120;

  ViewState fitted = view;
  fitted.Zoom = zoom;
  // Halves first, so that far-apart extremes cannot overflow their sum.
  const Extended80 midX = minX / 2 + maxX / 2, midZ = minZ / 2 + maxZ / 2;
  fitted.PanX = (loX + hiX) / 2 - fitted.CenterX - midX * zoom / 2;
  fitted.PanY = (loY + hiY) / 2 - fitted.CenterY - midZ * zoom / 2;
  if (!std::isfinite(fitted.PanX) || !std::isfinite(fitted.PanY)) return false;

  // Placed exactly as the renderers will place them: only a fit that holds
  // for every point is taken.
  for (const Rotated& p : points) {
    PlaceRotated(fitted, p.n, p.rx, p.rz);
    if (fitted.ScreenX[p.n] < loX || fitted.ScreenX[p.n] > hiX || fitted.ScreenY[p.n] < loY ||
        fitted.ScreenY[p.n] > hiY)
      return false;
  }
  view.Zoom = fitted.Zoom;
  view.PanX = fitted.PanX;
  view.PanY = fitted.PanY;
  return true;
}

void FitToViewClick(const Scene& scene, std::int32_t top) {
  FitZoomAndPan(scene.ensemble, scene.view, scene.spiralMode, {0, top, scene.width, scene.panTop});
  Redraw(scene);
}

}  // namespace vorun
