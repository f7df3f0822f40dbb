#include "model/Figures.h"

#include <cmath>

#include "model/Transcendental.h"

namespace vorun {
namespace {

// The Extended80 nearest pi/3; the literal carries more digits than the format
// holds so that the compiler rounds it once, correctly.
constexpr Extended80 PiOverThree = 1.047197551196597746154214461093167628065723133125035273658L;

void SetViewPoint(int n, const Point3& p) {
  Ensemble.ViewX[n] = p.x;
  Ensemble.ViewY[n] = p.y;
  Ensemble.ViewZ[n] = p.z;
}

Point3 ViewPoint(int n) { return {Ensemble.ViewX[n], Ensemble.ViewY[n], Ensemble.ViewZ[n]}; }

void BuildTetraSpiral() {
  // The C library's sine is not correctly rounded on every machine (today the
  // compiler happens to fold this call); the spiral is stored, so it must not
  // depend on either.
  const Extended80 R = 0.5L / SinCorrectlyRounded(PiOverThree);
  const Extended80 h = std::sqrt(1 - 0.5L * 0.5L);
  const Extended80 s = std::sqrt(h * h - 0.5L * 0.5L);
  const Extended80 w = (h - R) / R;

  SetViewPoint(1, {0, 0, 0});
  SetViewPoint(2, {1, 0, 0});
  SetViewPoint(3, {0.5L, 0, h});
  SetViewPoint(4, {0.5L, s, h - R});
  SetViewPoint(5, {0.5L, -s, h - R});

  for (int n = 6; n <= SpiralPointCount; ++n) {
    const SpiralStep& step = SpiralConstruction[n];
    const Point3 m = WeightedPoint(1, ViewPoint(step.a), ViewPoint(step.b));
    const Point3 g = WeightedPoint(static_cast<double>(w), m, ViewPoint(step.c));
    const Point3 d = ViewPoint(step.d);
    SetViewPoint(n, {2 * g.x - d.x, 2 * g.y - d.y, 2 * g.z - d.z});
  }
}

void BuildEasySquare() {
  const Extended80 c = 0.212L;
  const Point3 corners[5] = {{}, {c, c, -c}, {c, c, c}, {-c, c, c}, {-c, c, -c}};
  for (int n = 1; n <= 4; ++n) SetViewPoint(n, corners[n]);

  Ensemble.A1 = Ensemble.A2 = 1;
  Ensemble.B1 = Ensemble.B2 = 2.718L;
  Ensemble.C1 = Ensemble.C2 = 5;
  Ensemble.D1 = Ensemble.D2 = 10;
  Ensemble.F1 = Ensemble.F2 = 20;

  for (int n = 1; n <= 4; ++n) {
    Ensemble.Exists[n] = 1;
    Ensemble.VelU[n] = Ensemble.VelV[n] = Ensemble.VelW[n] = 0;
    Ensemble.NextVelU[n] = Ensemble.VelU[n];
    Ensemble.NextVelV[n] = Ensemble.VelV[n];
    Ensemble.NextVelW[n] = Ensemble.VelW[n];
    Ensemble.PosX[n] = Ensemble.ViewX[n];
    Ensemble.PosY[n] = Ensemble.ViewY[n];
    Ensemble.PosZ[n] = Ensemble.ViewZ[n];
    Ensemble.NextPosX[n] = Ensemble.PosX[n];
    Ensemble.NextPosY[n] = Ensemble.PosY[n];
    Ensemble.NextPosZ[n] = Ensemble.PosZ[n];
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

void MakeStartFigure() {
  // All 60, not SlotCount: a figure must never show leftovers of an ensemble.
  for (int n = 1; n <= MaxSlots; ++n) SetViewPoint(n, {0, 0, 0});

  if (Run.SpiralMode != 0) {
    if (Run.SpiralVariant == 1) BuildTetraSpiral();
    return;
  }
  BuildEasySquare();
}

}  // namespace vorun
