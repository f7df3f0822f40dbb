#include "view/FitToView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "model/Figures.h"
#include "view/RecordingCanvas.h"
#include "view/ViewFixture.h"

namespace vorun {
namespace {

// The designed scene with the top controls' strip left out.
constexpr FitArea Area{0, 33, 604, 176};

struct CloudCase {
  const char* name;
  Extended80 spread;  // half-width of the cloud
  Extended80 offset;  // distance of its middle from the origin, along (1, 1, 1)
  Extended80 teta, psi, phi;
  int count;
  bool flat;  // all in the plane z = 0: no spread in one screen direction at the start orientation
};

void PrintTo(const CloudCase& c, std::ostream* os) { *os << c.name; }

class FitCloud : public testing::TestWithParam<CloudCase> {
 protected:
  void SetUp() override {
    ResetViewTestState();
    TestEnsemble.SlotCount = MaxSlots;
    TestView.Zoom = 120;
    TestView.CenterX = 302;
    TestView.CenterY = 88;
    // A picture that starts out of sight: the case a user reaches for the command.
    TestView.PanX = 5000;
    TestView.PanY = -700;
  }
  RecordingCanvas canvas;
};

// Every dot of the redrawn picture lies in the area less its margin, and the
// picture fills it: the extremes on one axis touch the bounds within a pixel,
// so a zoom that merely shrinks everything to a speck fails.
TEST_P(FitCloud, EveryDotInsideAndThePictureFillsTheArea) {
  const CloudCase& c = GetParam();
  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int n = 1; n <= c.count; ++n) {
    const int slot = 61 - n;  // the last slots, so slot 1 stays empty
    TestEnsemble.Exists[slot] = 1;
    TestEnsemble.ViewX[slot] = c.offset + c.spread * unit(random);
    TestEnsemble.ViewY[slot] = c.offset + c.spread * unit(random);
    TestEnsemble.ViewZ[slot] = c.flat ? 0 : c.offset + c.spread * unit(random);
  }
  TestView.SpinTeta = c.teta;
  TestView.SpinPsi = c.psi;
  TestView.SpinPhi = c.phi;

  ASSERT_TRUE(FitZoomAndPan(TestEnsemble, TestView, false, Area));
  EXPECT_GT(TestView.Zoom, 0);
  DrawTaons(MakeTestScene(canvas));
  ASSERT_EQ(canvas.pixels.size(), 4u * c.count);
  const int mx = FitMargin(604), my = FitMargin(176 - 33);
  int left = 1 << 30, right = -left, top = left, bottom = -left;
  for (const auto& p : canvas.pixels) {
    EXPECT_GE(p.x, Area.left + mx);
    EXPECT_LT(p.x, Area.right - mx);
    EXPECT_GE(p.y, Area.top + my);
    EXPECT_LT(p.y, Area.bottom - my);
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  const bool fillsWidth = left <= Area.left + mx + 1 && right >= Area.right - mx - 2;
  const bool fillsHeight = top <= Area.top + my + 1 && bottom >= Area.bottom - my - 2;
  EXPECT_TRUE(fillsWidth || fillsHeight) << left << ".." << right << " x " << top << ".." << bottom;
}

INSTANTIATE_TEST_SUITE_P(
    Clouds, FitCloud,
    testing::Values(CloudCase{"UnitCloud", 1, 0, 0, 0, 0, 60, false},
                    CloudCase{"WideCloudTurned", 500, 0, 0.3L, 1.1L, -2.0L, 60, false},
                    CloudCase{"TinyCloudFarOut", 1e-6L, 40, 0.7L, 0, 0.2L, 12, false},
                    CloudCase{"TwoTaons", 3, -7, 0, 0, 0, 2, false},
                    CloudCase{"FlatCloudSeenEdgeOn", 2, 0, 0, 0, 0, 30, true},
                    CloudCase{"HugeCoordinates", 1e300L, 1e300L, 0.1L, 0.2L, 0.3L, 60, false}),
    [](const testing::TestParamInfo<CloudCase>& info) { return std::string(info.param.name); });

class Fit : public FitCloud {};

bool SameBits(Extended80 a, Extended80 b) { return std::memcmp(&a, &b, 10) == 0; }

TEST_F(Fit, OneTaonIsCentredAtTheZoomItHad) {
  TestEnsemble.Exists[5] = 1;
  TestEnsemble.ViewX[5] = 3;
  TestEnsemble.ViewZ[5] = -2;
  ASSERT_TRUE(FitZoomAndPan(TestEnsemble, TestView, false, Area));
  EXPECT_EQ(TestView.Zoom, 120);
  DrawTaons(MakeTestScene(canvas));
  // The middle of the allowed points [mx, 604 - 2 - mx] x [33 + my, 176 - 2 - my],
  // 301 and 103.5, which rounds to the even 104.
  EXPECT_EQ(canvas.pixels.front().x, 301);
  EXPECT_EQ(canvas.pixels.front().y, 104);
}

TEST_F(Fit, NoTaonOrNoRoomChangesNothing) {
  const ViewState before = TestView;
  EXPECT_FALSE(FitZoomAndPan(TestEnsemble, TestView, false, Area));
  TestEnsemble.Exists[1] = 1;
  EXPECT_FALSE(FitZoomAndPan(TestEnsemble, TestView, false, FitArea{0, 0, 9, 176}));
  EXPECT_TRUE(SameBits(TestView.Zoom, before.Zoom));
  EXPECT_TRUE(SameBits(TestView.PanX, before.PanX));
  EXPECT_TRUE(SameBits(TestView.PanY, before.PanY));
}

// A taon flown off to infinity cannot be shown; the others are still fitted,
// and the measurement leaves no floating-point flag for the next step.
TEST_F(Fit, TaonsAtInfinityAreLeftOutWithoutAFlag) {
  TestEnsemble.Exists[1] = TestEnsemble.Exists[2] = TestEnsemble.Exists[3] = 1;
  TestEnsemble.ViewX[1] = -1;
  TestEnsemble.ViewX[2] = 1;
  TestEnsemble.ViewX[3] = std::numeric_limits<Extended80>::infinity();
  TestEnsemble.ViewZ[3] = std::numeric_limits<Extended80>::quiet_NaN();
  std::feclearexcept(FE_ALL_EXCEPT);
  ASSERT_TRUE(FitZoomAndPan(TestEnsemble, TestView, false, Area));
  EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO), 0);
  // Two points 2 units apart across the width less both margins and the dot.
  EXPECT_EQ(TestView.Zoom, static_cast<Extended80>(602 - 2 * FitMargin(604)));
}

// Two taons one unit in the last place apart at 1e25 from the origin: spread
// over the width, each lands hundreds of pixels from where it should, beyond
// what the 64-bit significand of the projection resolves, so the view stays.
TEST_F(Fit, BeyondThePrecisionOfTheProjectionNothingChanges) {
  TestEnsemble.Exists[1] = TestEnsemble.Exists[2] = 1;
  TestEnsemble.ViewX[1] = 1e25L;
  TestEnsemble.ViewX[2] = std::nextafter(1e25L, 2e25L);
  const ViewState before = TestView;
  EXPECT_FALSE(FitZoomAndPan(TestEnsemble, TestView, false, Area));
  EXPECT_TRUE(SameBits(TestView.Zoom, before.Zoom));
  EXPECT_TRUE(SameBits(TestView.PanX, before.PanX));
}

TEST_F(Fit, TheSpiralFitsAsItStands) {
  TestRun.SpiralMode = 1;
  TestRun.SpiralVariant = 1;
  MakeStartFigure(TestEnsemble, TestRun.SpiralMode != 0, TestRun.SpiralVariant);
  FitToViewClick(MakeTestScene(canvas), 33);
  ASSERT_EQ(canvas.fills.size(), 1u);
  const int mx = FitMargin(604), my = FitMargin(143);
  for (int k = 1; k <= SpiralPointCount; ++k) {
    EXPECT_GE(TestView.ScreenX[k], mx);
    EXPECT_LE(TestView.ScreenX[k], 602 - mx);
    EXPECT_GE(TestView.ScreenY[k], 33 + my);
    EXPECT_LE(TestView.ScreenY[k], 174 - my);
  }
}

}  // namespace
}  // namespace vorun
