#include "model/Figures.h"

#include <cmath>

#include "model/Transcendental.h"

namespace vorun {
namespace {

// The Extended80 nearest pi/3; the literal carries more digits than the format
// holds so that the compiler rounds it once, correctly.
constexpr Extended80 PiOverThree = 1.047197551196597746154214461093167628065723133125035273658L;

void SetViewPoint(EnsembleState& e, int n, const Point3& p) {
  e.ViewX[n] = p.x;
  e.ViewY[n] = p.y;
  e.ViewZ[n] = p.z;
}

Point3 ViewPoint(const EnsembleState& e, int n) { return {e.ViewX[n], e.ViewY[n], e.ViewZ[n]}; }

void BuildTetraSpiral(EnsembleState& e) {
  // The C library's sine is not correctly rounded on every machine (today the
  // compiler happens to fold this call); the spiral is stored, so it must not
  // depend on either.
  const Extended80 R = 0.5L / SinCorrectlyRounded(PiOverThree);
  const Extended80 h = std::sqrt(1 - 0.5L * 0.5L);
  const Extended80 s = std::sqrt(h * h - 0.5L * 0.5L);
  const Extended80 w = (h - R) / R;

  SetViewPoint(e, 1, {0, 0, 0});
  SetViewPoint(e, 2, {1, 0, 0});
  SetViewPoint(e, 3, {0.5L, 0, h});
  SetViewPoint(e, 4, {0.5L, s, h - R});
  SetViewPoint(e, 5, {0.5L, -s, h - R});

  for (int n = 6; n <= SpiralPointCount; ++n) {
    const SpiralStep& step = SpiralConstruction[n];
    const Point3 m = WeightedPoint(1, ViewPoint(e, step.a), ViewPoint(e, step.b));
    const Point3 g = WeightedPoint(static_cast<double>(w), m, ViewPoint(e, step.c));
    const Point3 d = ViewPoint(e, step.d);
    SetViewPoint(e, n, {2 * g.x - d.x, 2 * g.y - d.y, 2 * g.z - d.z});
  }
}

void BuildEasySquare(EnsembleState& e) {
  const Extended80 c = 0.212L;
  const Point3 corners[5] = {{}, {c, c, -c}, {c, c, c}, {-c, c, c}, {-c, c, -c}};
  for (int n = 1; n <= 4; ++n) SetViewPoint(e, n, corners[n]);

  e.A1 = e.A2 = 1;
  e.B1 = e.B2 = 2.718L;
  e.C1 = e.C2 = 5;
  e.D1 = e.D2 = 10;
  e.F1 = e.F2 = 20;

  for (int n = 1; n <= 4; ++n) {
    e.Exists[n] = 1;
    e.VelU[n] = e.VelV[n] = e.VelW[n] = 0;
    e.NextVelU[n] = e.VelU[n];
    e.NextVelV[n] = e.VelV[n];
    e.NextVelW[n] = e.VelW[n];
    e.PosX[n] = e.ViewX[n];
    e.PosY[n] = e.ViewY[n];
    e.PosZ[n] = e.ViewZ[n];
    e.NextPosX[n] = e.PosX[n];
    e.NextPosY[n] = e.PosY[n];
    e.NextPosZ[n] = e.PosZ[n];
  }
}

}  // namespace

Point3 WeightedPoint(double a, const Point3& p, const Point3& q) {
  const Extended80 weight = a;
  return {(p.x + weight * q.x) / (1 + weight), (p.y + weight * q.y) / (1 + weight),
          (p.z + weight * q.z) / (1 + weight)};
}

std::array<int, 3> SpiralFacePoints(int k) {
  if (k == 4 || k == 5) return {1, 2, 3};
  const SpiralStep& step = SpiralConstruction.at(k);
  return {step.a, step.b, step.c};
}

void MakeStartFigure(EnsembleState& e, bool spiral, std::int32_t spiralVariant) {
  // All 60, not SlotCount: a figure must never show leftovers of an ensemble.
  for (int n = 1; n <= MaxSlots; ++n) SetViewPoint(e, n, {0, 0, 0});

  if (spiral) {
    if (spiralVariant == 1) BuildTetraSpiral(e);
    return;
  }
  BuildEasySquare(e);
}

}  // namespace vorun
