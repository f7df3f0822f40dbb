#include "view/Projection.h"

#include <gtest/gtest.h>

#include "view/ViewFixture.h"

#include <cmath>
#include <limits>

namespace vorun {
namespace {

using Matrix = std::array<std::array<Extended80, 3>, 3>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

Matrix CurrentMatrix() {
  return {{{TestView.M11, TestView.M12, TestView.M13},
           {TestView.M21, TestView.M22, TestView.M23},
           {TestView.M31, TestView.M32, TestView.M33}}};
}

class Projection : public testing::Test {
 protected:
  void SetUp() override {
    ResetViewTestState();
    TestView.Zoom = 120;
    TestView.CenterX = 302;
    TestView.CenterY = 88;
  }
};

TEST_F(Projection, ZeroIncrementsGiveTheIdentity) {
  TestView.SpinTeta = 1;  // the step matrix must not look at the orientation
  BuildStepMatrix(TestView);
  const Matrix identity{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  EXPECT_EQ(CurrentMatrix(), identity);
}

TEST_F(Projection, MatrixIsTheProductOfTheThreeAxisRotations) {
  // Angles in every quadrant's sign pattern, none a multiple of a right angle.
  const Extended80 t = 0.3L, p = -1.2L, f = 2.5L;
  const Matrix rx{{{1, 0, 0}, {0, std::cos(t), -std::sin(t)}, {0, std::sin(t), std::cos(t)}}};
  const Matrix ry{{{std::cos(p), 0, std::sin(p)}, {0, 1, 0}, {-std::sin(p), 0, std::cos(p)}}};
  const Matrix rz{{{std::cos(f), -std::sin(f), 0}, {std::sin(f), std::cos(f), 0}, {0, 0, 1}}};
  const Matrix want = Multiply(Multiply(rx, ry), rz);

  for (bool view : {false, true}) {
    SCOPED_TRACE(view ? "view matrix" : "step matrix");
    ResetViewTestState();
    if (view) {
      TestView.SpinTeta = t, TestView.SpinPsi = p, TestView.SpinPhi = f;
      BuildViewMatrix(TestView);
    } else {
      TestView.Teta = t, TestView.Psi = p, TestView.Phi = f;
      BuildStepMatrix(TestView);
    }
    const Matrix got = CurrentMatrix();
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        // A few units in the last place of Extended80: a double matrix would miss by far more.
        EXPECT_NEAR(got[i][j], want[i][j], 1e-18L) << "M" << i + 1 << j + 1;
  }
}

TEST_F(Projection, OriginLandsOnCentrePlusPanWhateverTheAngles) {
  TestView.PanX = 15;
  TestView.PanY = -40;
  for (Extended80 angle : {0.0L, 0.7L, -2.9L, 100.0L}) {
    TestView.SpinTeta = angle, TestView.SpinPsi = 2 * angle, TestView.SpinPhi = -angle;
    BuildViewMatrix(TestView);
    ProjectPoint(TestView, 7, 0, 0, 0);
    EXPECT_EQ(TestView.ScreenX[7], 317) << angle;
    EXPECT_EQ(TestView.ScreenY[7], 48) << angle;
  }
}

TEST_F(Projection, XRunsRightZRunsDownAndDepthIsDropped) {
  BuildViewMatrix(TestView);
  ProjectPoint(TestView, 1, 1, 0, 0);
  ProjectPoint(TestView, 2, 0, 0, 1);
  ProjectPoint(TestView, 3, 0, 5, 0);
  // One model unit is Zoom/2 = 60 pixels.
  EXPECT_EQ(TestView.ScreenX[1], 362);
  EXPECT_EQ(TestView.ScreenY[1], 88);
  EXPECT_EQ(TestView.ScreenX[2], 302);
  EXPECT_EQ(TestView.ScreenY[2], 148);
  EXPECT_EQ(TestView.ScreenX[3], 302);
  EXPECT_EQ(TestView.ScreenY[3], 88);
}

TEST_F(Projection, HalfPixelsRoundToEven) {
  TestView.CenterX = 100;
  TestView.CenterY = 101;
  TestView.Zoom = 1;
  BuildViewMatrix(TestView);
  // 0.5 * 1 / 2 = 0.25 would not be a tie; x = 1 gives half a pixel.
  ProjectPoint(TestView, 1, 1, 0, 1);
  EXPECT_EQ(TestView.ScreenX[1], 100);  // 100.5
  EXPECT_EQ(TestView.ScreenY[1], 102);  // 101.5
}

struct Rounding {
  Extended80 value;
  std::int32_t pixel;
  friend void PrintTo(const Rounding& r, std::ostream* os) { *os << r.value << " -> " << r.pixel; }
};

class RoundToPixelCase : public testing::TestWithParam<Rounding> {};

TEST_P(RoundToPixelCase, NearestTiesToEven) { EXPECT_EQ(RoundToPixel(GetParam().value), GetParam().pixel); }

INSTANTIATE_TEST_SUITE_P(
    Pixels, RoundToPixelCase,
    testing::Values(Rounding{100.5L, 100}, Rounding{101.5L, 102}, Rounding{-2.5L, -2}, Rounding{-3.5L, -4},
                    Rounding{0.5L, 0}, Rounding{-0.5L, 0}, Rounding{2.4999999999999999999L, 2},
                    // Just above a tie: one unit in the last place of Extended80 decides.
                    Rounding{100.5L + 0x1p-56L, 101}, Rounding{-7.25L, -7}, Rounding{-7.75L, -8},
                    // Far-off points are held where the renderers' offsets still fit.
                    Rounding{1e30L, PixelLimit}, Rounding{-1e30L, -PixelLimit},
                    Rounding{std::numeric_limits<Extended80>::infinity(), PixelLimit},
                    Rounding{-std::numeric_limits<Extended80>::infinity(), -PixelLimit},
                    Rounding{std::numeric_limits<Extended80>::quiet_NaN(), PixelLimit}));

}  // namespace
}  // namespace vorun
