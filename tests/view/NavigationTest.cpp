#include "view/Navigation.h"

#include <gtest/gtest.h>

#include "view/ViewFixture.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "model/Figures.h"
#include "view/Projection.h"
#include "view/RecordingCanvas.h"

namespace vorun {
namespace {

bool SameBits(Extended80 a, Extended80 b) { return std::memcmp(&a, &b, 10) == 0; }

// The view state as start-up leaves it, with the designed window size.
class Navigation : public testing::Test {
 protected:
  void SetUp() override {
    ResetViewTestState();
    TestEnsemble.SlotCount = MaxSlots;
    TestRun.SpiralVariant = 1;
    TestView.Zoom = 120;
    TestView.CenterX = 302;
    TestView.CenterY = 88;
    TestView.PanStep = 5;
    TestView.ZoomStep = 3;
    TestView.AngleStep = 0.01L;
  }

  void ShowSpiral() {
    TestRun.SpiralMode = 1;
    MakeStartFigure(TestEnsemble, TestRun.SpiralMode != 0, TestRun.SpiralVariant);
  }

  // One taon at the model origin and one at (1, 0, 1), off every axis of rotation.
  void ShowTaons() {
    TestRun.SpiralMode = 0;
    TestEnsemble.Exists[1] = TestEnsemble.Exists[2] = 1;
    TestEnsemble.ViewX[2] = 1;
    TestEnsemble.ViewZ[2] = 1;
  }

  bool Redrawn() const { return canvas.fills.size() == 1; }

  Scene MakeScene() { return MakeTestScene(canvas); }

  RecordingCanvas canvas;
};

struct RotationButton {
  const char* name;
  void (*click)(const Scene&);
  Extended80 ViewState::*increment;
  Extended80 ViewState::*orientation;
  int sign;
  friend void PrintTo(const RotationButton& b, std::ostream* os) { *os << b.name; }
};

class RotationButtons : public Navigation, public testing::WithParamInterface<RotationButton> {};

TEST_P(RotationButtons, TaonViewAddsTheStepToTheOrientationAndClearsTheIncrement) {
  const RotationButton& b = GetParam();
  ShowTaons();
  TestView.*b.orientation = 1;
  b.click(MakeScene());
  EXPECT_TRUE(SameBits(TestView.*b.orientation, 1 + b.sign * 0.01L));
  EXPECT_EQ(TestView.*b.increment, 0);
  EXPECT_TRUE(Redrawn());
  EXPECT_TRUE(canvas.lines.empty());  // the taon renderer, not the spiral's
  // The drawing already used the new orientation: taon 2 has left (362, 148).
  EXPECT_NE(TestView.ScreenX[2] * 1000 + TestView.ScreenY[2], 362 * 1000 + 148);
  b.click(MakeScene());
  EXPECT_NEAR(TestView.*b.orientation, 1 + b.sign * 0.02L, 1e-18L);
}

TEST_P(RotationButtons, TaonViewLeavesTheOtherIncrementsAlone) {
  const RotationButton& b = GetParam();
  ShowTaons();
  TestView.Teta = TestView.Psi = TestView.Phi = 0.25L;
  b.click(MakeScene());
  for (auto angle : {&ViewState::Teta, &ViewState::Psi, &ViewState::Phi})
    EXPECT_EQ(TestView.*angle, angle == b.increment ? 0 : 0.25L);
  // A pending value of the pressed increment is applied along with the step.
  EXPECT_TRUE(SameBits(TestView.*b.orientation, 0.25L + b.sign * 0.01L));
}

TEST_P(RotationButtons, SpiralViewTurnsTheFigureInPlaceAndKeepsTheOrientation) {
  const RotationButton& b = GetParam();
  ShowSpiral();
  b.click(MakeScene());
  EXPECT_EQ(TestView.*b.increment, 0);
  EXPECT_EQ(TestView.*b.orientation, 0);
  EXPECT_EQ(canvas.lines.size(), 51u);
  // Turning point 3 = (0.5, 0, h) by the step about the button's axis.
  const Extended80 a = b.sign * 0.01L, h = std::sqrt(0.75L);
  Extended80 x = 0.5L, y = 0, z = h;
  if (b.increment == &ViewState::Teta) {
    y = -std::sin(a) * h, z = std::cos(a) * h;
  } else if (b.increment == &ViewState::Psi) {
    x = std::cos(a) * 0.5L + std::sin(a) * h, z = -std::sin(a) * 0.5L + std::cos(a) * h;
  } else {
    x = std::cos(a) * 0.5L, y = std::sin(a) * 0.5L;
  }
  EXPECT_NEAR(TestEnsemble.ViewX[3], x, 1e-18L);
  EXPECT_NEAR(TestEnsemble.ViewY[3], y, 1e-18L);
  EXPECT_NEAR(TestEnsemble.ViewZ[3], z, 1e-18L);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, RotationButtons,
    testing::Values(RotationButton{"DaoTeta", DaoTetaClick, &ViewState::Teta, &ViewState::SpinTeta, -1},
                    RotationButton{"DaoTeta1", DaoTeta1Click, &ViewState::Teta, &ViewState::SpinTeta, 1},
                    RotationButton{"DaoPsi", DaoPsiClick, &ViewState::Psi, &ViewState::SpinPsi, -1},
                    RotationButton{"DaoPsi1", DaoPsi1Click, &ViewState::Psi, &ViewState::SpinPsi, 1},
                    RotationButton{"DaoPhi", DaoPhiClick, &ViewState::Phi, &ViewState::SpinPhi, 1},
                    RotationButton{"DaoPhi1", DaoPhi1Click, &ViewState::Phi, &ViewState::SpinPhi, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Navigation, ASpinningSpiralTurnsByAllIncrementsWhenAButtonIsPressed) {
  ShowSpiral();
  TestView.Phi = 0.5L;  // left by a drag with "ShowSpin" checked
  DaoTeta1Click(MakeScene());
  // Point 2 = (1, 0, 0) turned by Rx(0.01) Rz(0.5): the spin took part.
  EXPECT_NEAR(TestEnsemble.ViewX[2], std::cos(0.5L), 1e-18L);
  EXPECT_EQ(TestView.Phi, 0.5L);
  EXPECT_EQ(TestView.Teta, 0);
}

TEST_F(Navigation, OrientationIsAPlainSumNeverReducedToOneTurn) {
  ShowTaons();
  for (int i = 0; i < 629; ++i) DaoTeta1Click(MakeScene());
  EXPECT_NEAR(TestView.SpinTeta, 6.29L, 1e-15L);
  EXPECT_GT(TestView.SpinTeta, 2 * std::numbers::pi_v<Extended80>);
}

TEST_F(Navigation, StopEndsASpinAndLeavesFigureAndOrientation) {
  ShowSpiral();
  const EnsembleState before = TestEnsemble;
  TestView.Teta = 0.1L, TestView.Psi = 0.2L, TestView.Phi = 0.3L;
  TestView.SpinPsi = 4;
  DaoStopClick(MakeScene());
  EXPECT_EQ(TestView.Teta, 0);
  EXPECT_EQ(TestView.Psi, 0);
  EXPECT_EQ(TestView.Phi, 0);
  EXPECT_EQ(TestView.SpinPsi, 4);
  EXPECT_TRUE(Redrawn());
  // Cleared before the drawing, so the figure did not turn once more.
  for (int k = 1; k <= SpiralPointCount; ++k)
    EXPECT_TRUE(SameBits(TestEnsemble.ViewX[k], before.ViewX[k])) << k;
}

struct ZoomCase {
  const char* name;
  Extended80 step, from, to;
  bool zoomIn;
  friend void PrintTo(const ZoomCase& c, std::ostream* os) { *os << c.name; }
};

class ZoomButtons : public Navigation, public testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomButtons, ChangeZoomByTheStepAndRedraw) {
  const ZoomCase& c = GetParam();
  ShowTaons();
  TestView.ZoomStep = c.step;
  TestView.Zoom = c.from;
  (c.zoomIn ? DaoForvardClick : DaoBackClick)(MakeScene());
  EXPECT_TRUE(SameBits(TestView.Zoom, c.to)) << static_cast<double>(TestView.Zoom);
  EXPECT_TRUE(Redrawn());
}

INSTANTIATE_TEST_SUITE_P(Zoom, ZoomButtons,
                         testing::Values(ZoomCase{"InByThreeSteps", 3, 120, 129, true},
                                         ZoomCase{"OutByThreeSteps", 3, 120, 111, false},
                                         // Exactly nine steps still subtracts.
                                         ZoomCase{"OutAtNineSteps", 3, 27, 18, false},
                                         ZoomCase{"OutBelowNineStepsDivides", 3, 21, 7, false},
                                         ZoomCase{"OutJustBelowNineSteps", 3, 26.5L, 26.5L / 3, false},
                                         ZoomCase{"StepOneStopsChanging", 1, 8, 8, false},
                                         ZoomCase{"StepHalfDoubles", 0.5L, 4, 8, false},
                                         ZoomCase{"StepHalfAboveLimitSubtracts", 0.5L, 4.5L, 3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Navigation, ZoomingOutFromTheStartNeverReachesZero) {
  ShowTaons();
  for (int i = 0; i < 11; ++i) DaoBackClick(MakeScene());
  EXPECT_EQ(TestView.Zoom, 21);
  DaoBackClick(MakeScene());
  EXPECT_EQ(TestView.Zoom, 7);
  DaoBackClick(MakeScene());
  EXPECT_EQ(TestView.Zoom, 7.0L / 3);
  for (int i = 0; i < 100; ++i) DaoBackClick(MakeScene());
  EXPECT_GT(TestView.Zoom, 0);
}

struct TrackCase {
  int position;
  Extended80 angle, zoom;
  friend void PrintTo(const TrackCase& c, std::ostream* os) { *os << "position " << c.position; }
};

class TrackBar : public Navigation, public testing::WithParamInterface<TrackCase> {};

TEST_P(TrackBar, SetsBothStepsFromThePosition) {
  TrackBarChange(TestView, GetParam().position);
  EXPECT_TRUE(SameBits(TestView.AngleStep, GetParam().angle));
  EXPECT_TRUE(SameBits(TestView.ZoomStep, GetParam().zoom));
}

INSTANTIATE_TEST_SUITE_P(Table, TrackBar,
                         testing::Values(TrackCase{0, 0.0005L, 0.5L}, TrackCase{1, 0.001L, 1},
                                         TrackCase{2, 0.002L, 2}, TrackCase{3, 0.003L, 3},
                                         TrackCase{4, 0.005L, 5}, TrackCase{5, 0.01L, 7},
                                         TrackCase{6, 0.05L, 10}, TrackCase{7, 0.1L, 15},
                                         TrackCase{8, 0.5L, 20}, TrackCase{9, 1, 30}, TrackCase{10, 2, 50}));

TEST_F(Navigation, TrackBarOutsideItsRangeChangesNothing) {
  for (int position : {-1, 11}) {
    TrackBarChange(TestView, position);
    EXPECT_EQ(TestView.AngleStep, 0.01L);
    EXPECT_EQ(TestView.ZoomStep, 3);
  }
}

TEST_F(Navigation, LeftDragTurnsAboutZAndX) {
  ShowSpiral();
  FormMouseDown(TestView, MouseButton::Left, 100, 50);
  FormMouseUp(MakeScene(), MouseButton::Left, 110, 55, true);
  EXPECT_TRUE(SameBits(TestView.Phi, -10 * 0.01L));
  EXPECT_TRUE(SameBits(TestView.Teta, 5 * 0.01L));
  EXPECT_EQ(TestView.Psi, 0);
  EXPECT_EQ(TestView.Zoom, 120);
}

TEST_F(Navigation, MiddleButtonDragsLikeTheLeftAndRightPressIsKeptApart) {
  ShowTaons();
  FormMouseDown(TestView, MouseButton::Right, 0, 0);
  FormMouseDown(TestView, MouseButton::Middle, 100, 50);
  FormMouseUp(MakeScene(), MouseButton::Middle, 110, 55, false);
  EXPECT_NEAR(TestView.SpinPhi, -0.1L, 1e-18L);
  EXPECT_NEAR(TestView.SpinTeta, 0.05L, 1e-18L);
  EXPECT_EQ(TestView.SpinPsi, 0);
  EXPECT_EQ(TestView.RightDownX, 0);
}

TEST_F(Navigation, RightDragDownShrinksThroughZeroAndTurnsAboutY) {
  ShowTaons();
  FormMouseDown(TestView, MouseButton::Left, 1, 1);
  FormMouseDown(TestView, MouseButton::Right, 200, 20);
  FormMouseUp(MakeScene(), MouseButton::Right, 207, 120, false);
  // Nothing keeps Zoom positive: 120 - 100 * 3.
  EXPECT_EQ(TestView.Zoom, -180);
  EXPECT_TRUE(SameBits(TestView.SpinPsi, -7 * 0.01L));
  EXPECT_EQ(TestView.SpinPhi, 0);
  EXPECT_EQ(TestView.SpinTeta, 0);
  // Mirrored through the centre at 1.5 times the start size: taon 2 = (1, 0, 1) turned
  // by -0.07 about y lands at rotated (cos - sin, cos + sin) times -90 pixels.
  const Extended80 c = std::cos(-0.07L), s = std::sin(-0.07L);
  EXPECT_EQ(TestView.ScreenX[2], RoundToPixel(302 - 90 * (c + s)));
  EXPECT_EQ(TestView.ScreenY[2], RoundToPixel(88 - 90 * (c - s)));
}

TEST_F(Navigation, AClickWithoutMovementRedrawsAndTurnsASpinningSpiralOnce) {
  ShowSpiral();
  TestView.Psi = 0.5L;
  FormMouseDown(TestView, MouseButton::Left, 40, 40);
  FormMouseUp(MakeScene(), MouseButton::Left, 40, 40, true);
  EXPECT_TRUE(Redrawn());
  EXPECT_EQ(TestView.Psi, 0.5L);
  EXPECT_NEAR(TestEnsemble.ViewX[2], std::cos(0.5L), 1e-18L);  // (1, 0, 0) turned once
}

TEST_F(Navigation, ADragWithShowSpinKeepsTheSpiralSpinningOnTheTimer) {
  ShowSpiral();
  TestSpinOn = true;
  FormMouseDown(TestView, MouseButton::Left, 0, 0);
  FormMouseUp(MakeScene(), MouseButton::Left, -20, 0, true);  // Phi = +0.2
  const Extended80 afterDrag = TestEnsemble.ViewX[2];
  EXPECT_NEAR(afterDrag, std::cos(0.2L), 1e-18L);
  SpinTimerTick(MakeScene(), TestSpinOn);
  SpinTimerTick(MakeScene(), TestSpinOn);
  EXPECT_NEAR(TestEnsemble.ViewX[2], std::cos(0.6L), 1e-18L);
  EXPECT_EQ(canvas.fills.size(), 3u);
}

TEST_F(Navigation, ADragWithoutShowSpinLeavesNoSpin) {
  ShowSpiral();
  FormMouseDown(TestView, MouseButton::Left, 0, 0);
  FormMouseUp(MakeScene(), MouseButton::Left, -20, 7, false);
  EXPECT_EQ(TestView.Phi, 0);
  EXPECT_EQ(TestView.Teta, 0);
  // The drag itself turned the figure once.
  EXPECT_NE(TestEnsemble.ViewX[2], 1);
}

TEST_F(Navigation, TheTaonViewNeverSpins) {
  ShowTaons();
  TestSpinOn = true;
  FormMouseDown(TestView, MouseButton::Left, 0, 0);
  FormMouseUp(MakeScene(), MouseButton::Left, -20, 7, true);
  EXPECT_EQ(TestView.Phi, 0);
  EXPECT_EQ(TestView.Teta, 0);
  const Extended80 spinPhi = TestView.SpinPhi;
  SpinTimerTick(MakeScene(), TestSpinOn);
  EXPECT_EQ(TestView.SpinPhi, spinPhi);
  EXPECT_EQ(canvas.fills.size(), 2u);  // the tick only redraws
}

TEST_F(Navigation, TimerDoesNothingWithoutSpinOn) {
  ShowSpiral();
  TestView.Phi = 0.2L;
  SpinTimerTick(MakeScene(), TestSpinOn);
  EXPECT_TRUE(canvas.calls.empty());
  EXPECT_EQ(TestEnsemble.ViewX[2], 1);
}

TEST_F(Navigation, FourRightMovesShiftTwentyPixelsAndMoveToCenterComesBack) {
  ShowTaons();
  TestView.SpinTeta = 0.3L;
  TestView.Zoom = 60;
  for (int i = 0; i < 4; ++i) Right1Click(MakeScene());
  EXPECT_EQ(TestView.PanX, 20);
  EXPECT_EQ(TestView.ScreenX[1], 322);  // the origin taon
  EXPECT_EQ(canvas.fills.size(), 4u);
  Up1Click(MakeScene());
  Down1Click(MakeScene());
  Down1Click(MakeScene());
  Left1Click(MakeScene());
  EXPECT_EQ(TestView.PanX, 15);
  EXPECT_EQ(TestView.PanY, 5);
  MoveToCenterClick(MakeScene());
  EXPECT_EQ(TestView.PanX, 0);
  EXPECT_EQ(TestView.PanY, 0);
  EXPECT_EQ(TestView.Zoom, 120);
  EXPECT_EQ(TestView.SpinTeta, 0.3L);
  EXPECT_EQ(TestView.ScreenX[1], 302);
  EXPECT_EQ(TestView.ScreenY[1], 88);
}

TEST_F(Navigation, CentreIsHalfTheWidthAndHalfThePanelTopTiesToEven) {
  UpdateCenter(TestView, 604, 176);
  EXPECT_EQ(TestView.CenterX, 302);
  EXPECT_EQ(TestView.CenterY, 88);
  UpdateCenter(TestView, 605, 177);  // 302.5 and 88.5
  EXPECT_EQ(TestView.CenterX, 302);
  EXPECT_EQ(TestView.CenterY, 88);
  UpdateCenter(TestView, 607, 179);  // 303.5 and 89.5
  EXPECT_EQ(TestView.CenterX, 304);
  EXPECT_EQ(TestView.CenterY, 90);
}

}  // namespace
}  // namespace vorun
