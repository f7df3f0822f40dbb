// The view commands of the buttons: the rotation and zoom buttons and the
// track bar.
#include <QSlider>
#include <QToolButton>
#include <numbers>

#include "ui/Controls.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/NavigationFixture.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::Navigation;

// --- rotation buttons ---------------------------------------------------------------------

enum class Axis { X, Y, Z };

struct RotationCase {
  const char* name;  // of the button
  Axis axis;
  int sign;  // of the increment
};

class RotationButton : public Navigation, public ::testing::WithParamInterface<RotationCase> {
 protected:
  Extended80 Orientation(Axis axis) const {
    return axis == Axis::X ? View.SpinTeta : axis == Axis::Y ? View.SpinPsi : View.SpinPhi;
  }
  void Click() { QTest::mouseClick(FindControl<QToolButton>(form, GetParam().name), Qt::LeftButton); }
};

TEST_P(RotationButton, TaonViewAddsTheStepToItsOrientationAndRedraws) {
  const RotationCase& c = GetParam();
  ShowTaons();
  SetTrackBar(10);  // two radians: the taon off the origin visibly moves
  const QPoint before(View.ScreenX[2], View.ScreenY[2]);
  Click();
  EXPECT_EQ(Orientation(c.axis), c.sign * 2.0L);
  for (Axis other : {Axis::X, Axis::Y, Axis::Z})
    if (other != c.axis) {
      EXPECT_EQ(Orientation(other), 0) << static_cast<int>(other);
    }
  EXPECT_EQ(View.Teta, 0);
  EXPECT_EQ(View.Psi, 0);
  EXPECT_EQ(View.Phi, 0);
  EXPECT_NE(QPoint(View.ScreenX[2], View.ScreenY[2]), before);
  // The origin stays where it is whatever the angles.
  EXPECT_EQ(View.ScreenX[1], View.CenterX);
  EXPECT_EQ(View.ScreenY[1], View.CenterY);
  Click();
  EXPECT_EQ(Orientation(c.axis), c.sign * 4.0L);
}

TEST_P(RotationButton, SpiralViewTurnsTheFigureInPlaceAboutItsAxis) {
  const RotationCase& c = GetParam();
  ASSERT_EQ(Run.SpiralMode, 1);
  const Point before = ViewPoint(19);
  Click();
  const Point after = ViewPoint(19);
  EXPECT_NE(after, before);
  EXPECT_EQ(c.axis == Axis::X   ? after.x
            : c.axis == Axis::Y ? after.y
                                : after.z,
            c.axis == Axis::X   ? before.x
            : c.axis == Axis::Y ? before.y
                                : before.z);
  EXPECT_EQ(View.SpinTeta, 0);
  EXPECT_EQ(View.SpinPsi, 0);
  EXPECT_EQ(View.SpinPhi, 0);
  EXPECT_EQ(View.Teta, 0);
  EXPECT_EQ(View.Psi, 0);
  EXPECT_EQ(View.Phi, 0);
}

TEST_P(RotationButton, ClearsOnlyItsOwnIncrementOfARunningSpin) {
  const RotationCase& c = GetParam();
  View.Teta = View.Psi = View.Phi = 0.25L;
  Click();
  EXPECT_EQ(View.Teta, c.axis == Axis::X ? 0 : 0.25L);
  EXPECT_EQ(View.Psi, c.axis == Axis::Y ? 0 : 0.25L);
  EXPECT_EQ(View.Phi, c.axis == Axis::Z ? 0 : 0.25L);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, RotationButton,
    ::testing::Values(RotationCase{"DaoTeta", Axis::X, -1}, RotationCase{"DaoTeta1", Axis::X, +1},
                      RotationCase{"DaoPsi", Axis::Y, -1}, RotationCase{"DaoPsi1", Axis::Y, +1},
                      RotationCase{"DaoPhi", Axis::Z, +1}, RotationCase{"DaoPhi1", Axis::Z, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Navigation, OrientationIsAPlainSumNeverReducedToOneTurn) {
  ShowTaons();
  for (int i = 0; i < 629; ++i) QTest::mouseClick(FindControl<QToolButton>(form, "DaoTeta1"), Qt::LeftButton);
  EXPECT_NEAR(static_cast<double>(View.SpinTeta), 6.29, 1e-12);
  EXPECT_GT(View.SpinTeta, 2 * std::numbers::pi_v<Extended80>);
}

// --- zoom buttons and the track bar -----------------------------------------------------

struct ZoomCase {
  const char* name;
  int trackBar;  // -1: never moved, ZoomStep keeps its start value 3
  Extended80 zoom;
  bool zoomIn;
  Extended80 expected;
};

class ZoomButton : public Navigation, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomButton, ChangesZoomAndRedraws) {
  const ZoomCase& c = GetParam();
  ShowTaons();
  if (c.trackBar >= 0) SetTrackBar(c.trackBar);
  View.Zoom = c.zoom;
  FindControl<TSceneView>(form, "SceneView")->Image().fill(Qt::white);
  QTest::mouseClick(
      c.zoomIn ? FindControl<QToolButton>(form, "DaoForvard") : FindControl<QToolButton>(form, "DaoBack"),
      Qt::LeftButton);
  EXPECT_EQ(View.Zoom, c.expected);
  EXPECT_EQ(FindControl<TSceneView>(form, "SceneView")->Image().pixel(5, 100) & 0xFFFFFF, 0u)
      << "not redrawn";
}

INSTANTIATE_TEST_SUITE_P(Steps, ZoomButton,
                         ::testing::Values(ZoomCase{"InFromTheStart", -1, 120, true, 129},
                                           ZoomCase{"OutFromTheStart", -1, 120, false, 111},
                                           ZoomCase{"NineStepsStillSubtract", -1, 27, false, 18},
                                           ZoomCase{"BelowNineStepsDivides", -1, 21, false, 7},
                                           ZoomCase{"JustBelowNineStepsDivides", -1, 26.5L, false, 26.5L / 3},
                                           ZoomCase{"StepOneBelowNineStaysPut", 1, 8, false, 8},
                                           ZoomCase{"StepHalfBelowFourAndAHalfDoubles", 0, 4, false, 8},
                                           ZoomCase{"StepHalfAtFourAndAHalfSubtracts", 0, 4.5L, false, 3},
                                           ZoomCase{"StepFiftyIn", 10, 120, true, 270}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Navigation, ZoomingOutFromTheStartNeverReachesZero) {
  const Extended80 expected[] = {111, 102, 93, 84, 75, 66, 57, 48, 39, 30, 21, 7, 7.0L / 3, 7.0L / 9};
  for (Extended80 zoom : expected) {
    QTest::mouseClick(FindControl<QToolButton>(form, "DaoBack"), Qt::LeftButton);
    EXPECT_EQ(View.Zoom, zoom);
  }
}

struct TrackBarCase {
  int position;
  Extended80 angle, zoom;
};

class TrackBarTable : public Navigation, public ::testing::WithParamInterface<TrackBarCase> {};

TEST_P(TrackBarTable, PositionSetsBothStepsAndDrawsNothing) {
  const TrackBarCase& c = GetParam();
  const int from = c.position == 5 ? 4 : 5;  // the bar must move to change anything
  FindControl<QSlider>(form, "TrackBar")->setValue(from);
  FindControl<TSceneView>(form, "SceneView")->Image().fill(Qt::white);
  const Extended80 zoom = View.Zoom;
  FindControl<QSlider>(form, "TrackBar")->setValue(c.position);
  EXPECT_EQ(View.AngleStep, c.angle);
  EXPECT_EQ(View.ZoomStep, c.zoom);
  EXPECT_EQ(View.Zoom, zoom);
  EXPECT_EQ(FindControl<TSceneView>(form, "SceneView")->Image().pixel(5, 100) & 0xFFFFFF, 0xFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Positions, TrackBarTable,
                         ::testing::Values(TrackBarCase{0, 0.0005L, 0.5L}, TrackBarCase{1, 0.001L, 1},
                                           TrackBarCase{2, 0.002L, 2}, TrackBarCase{3, 0.003L, 3},
                                           TrackBarCase{4, 0.005L, 5}, TrackBarCase{5, 0.01L, 7},
                                           TrackBarCase{6, 0.05L, 10}, TrackBarCase{7, 0.1L, 15},
                                           TrackBarCase{8, 0.5L, 20}, TrackBarCase{9, 1, 30},
                                           TrackBarCase{10, 2, 50}));

TEST_F(Navigation, StepsKeepTheirStartValuesUntilTheTrackBarMoves) {
  EXPECT_EQ(FindControl<QSlider>(form, "TrackBar")->value(), 5);
  EXPECT_EQ(View.AngleStep, 0.01L);
  EXPECT_EQ(View.ZoomStep, 3);
  QTest::keyClick(FindControl<QSlider>(form, "TrackBar"), Qt::Key_Right);
  EXPECT_EQ(View.AngleStep, 0.05L);
  EXPECT_EQ(View.ZoomStep, 10);
}

}  // namespace
}  // namespace vorun
