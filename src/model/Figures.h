// The two built-in start configurations that need no file: the tetra spiral,
// a fixed figure that is only shown, and the easy square, a small ensemble at
// rest. The spiral's construction table lives here so that the figure and its
// wire frame can never disagree.
#pragma once

#include <array>
#include <cstdint>

#include "model/Global.h"

namespace vorun {

struct Point3 {
  Extended80 x = 0, y = 0, z = 0;
  friend bool operator==(const Point3&, const Point3&) = default;
};

// (P + a*Q) / (1 + a): divides the segment from P to Q in the ratio a : 1.
// The weight is a double because that is how it has always travelled; the
// points keep full precision.
Point3 WeightedPoint(double a, const Point3& p, const Point3& q);

constexpr int SpiralPointCount = 19;

// Point n of the spiral (n = 6..19) lies opposite point d across the face
// (a, b, c), the face's centroid mirroring d.
struct SpiralStep {
  int a, b, c, d;
};

// Indexed by the new point; entries 0..5 are unused (points 1..5 are given).
inline constexpr std::array<SpiralStep, SpiralPointCount + 1> SpiralConstruction{{
    {0, 0, 0, 0},      // 0: no point
    {0, 0, 0, 0},      // 1: given
    {0, 0, 0, 0},      // 2: given
    {0, 0, 0, 0},      // 3: given
    {0, 0, 0, 0},      // 4: given
    {0, 0, 0, 0},      // 5: given
    {1, 2, 5, 3},      // 6
    {1, 2, 6, 5},      // 7
    {2, 6, 7, 1},      // 8
    {2, 6, 8, 7},      // 9
    {2, 8, 9, 6},      // 10
    {2, 8, 10, 9},     // 11
    {2, 10, 11, 8},    // 12
    {2, 10, 12, 11},   // 13
    {10, 12, 13, 2},   // 14
    {10, 12, 14, 13},  // 15
    {10, 14, 15, 12},  // 16
    {10, 14, 16, 15},  // 17
    {10, 16, 17, 14},  // 18
    {10, 16, 18, 17},  // 19
}};

// The three points that point k (4..19) is joined to in the wire frame: the
// face it was built on. Points 4 and 5 are the two apexes over the first
// triangle 1, 2, 3.
std::array<int, 3> SpiralFacePoints(int k);

// Builds the spiral (variant 1, the only one there is) into the view copy of
// e when spiral is set, else the easy square into e. Clears all 60 view slots
// first either way.
void MakeStartFigure(EnsembleState& e, bool spiral, std::int32_t spiralVariant);

}  // namespace vorun
