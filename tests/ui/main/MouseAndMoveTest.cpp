// The view commands of the mouse and the keyboard: drags over the scene, the
// hidden move shortcuts, Move to center and resizing.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
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

// --- the mouse over the scene ------------------------------------------------------------------

TEST_F(Navigation, LeftDragTurnsAboutZSidewaysAndAboutXUpAndDown) {
  ShowTaons();
  Drag(Qt::LeftButton, QPoint(300, 80), QPoint(310, 85));
  EXPECT_EQ(View.SpinPhi, -(10 * 0.01L));
  EXPECT_EQ(View.SpinTeta, 5 * 0.01L);
  EXPECT_EQ(View.SpinPsi, 0);
  EXPECT_EQ(View.Zoom, 120);
}

TEST_F(Navigation, MiddleDragTurnsLikeTheLeftOne) {
  ShowTaons();
  Drag(Qt::MiddleButton, QPoint(300, 80), QPoint(310, 85));
  EXPECT_EQ(View.SpinPhi, -(10 * 0.01L));
  EXPECT_EQ(View.SpinTeta, 5 * 0.01L);
}

TEST_F(Navigation, RightDragTurnsAboutYAndZoomsPastZero) {
  ShowTaons();
  Drag(Qt::RightButton, QPoint(300, 20), QPoint(300, 120));
  EXPECT_EQ(View.Zoom, -180);
  EXPECT_EQ(View.SpinPsi, 0);
  // Mirrored through the centre at one and a half times the size.
  EXPECT_EQ(View.ScreenX[2] - View.CenterX, -45);  // +30 at the start zoom
  EXPECT_EQ(View.ScreenY[2] - View.CenterY, -18);  // +12 at the start zoom
  Drag(Qt::RightButton, QPoint(300, 20), QPoint(290, 20));
  EXPECT_EQ(View.SpinPsi, 10 * 0.01L);
}

TEST_F(Navigation, OtherMouseButtonsLeaveTheViewAlone) {
  ShowTaons();
  FindControl<TSceneView>(form, "SceneView")->Image().fill(Qt::white);
  Drag(Qt::BackButton, QPoint(300, 80), QPoint(350, 120));
  EXPECT_EQ(View.SpinPhi, 0);
  EXPECT_EQ(View.SpinTeta, 0);
  EXPECT_EQ(View.Zoom, 120);
  EXPECT_EQ(FindControl<TSceneView>(form, "SceneView")->Image().pixel(5, 100) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Navigation, ClickWithoutMovementOnlyRedraws) {
  ShowTaons();
  FindControl<TSceneView>(form, "SceneView")->Image().fill(Qt::white);
  QTest::mouseClick(FindControl<TSceneView>(form, "SceneView"), Qt::LeftButton, Qt::NoModifier,
                    QPoint(200, 100));
  EXPECT_EQ(FindControl<TSceneView>(form, "SceneView")->Image().pixel(5, 100) & 0xFFFFFF, 0u);
  EXPECT_EQ(FindControl<TSceneView>(form, "SceneView")->Image().pixel(View.CenterX, View.CenterY) & 0xFFFFFF,
            0x00FF00u);
  EXPECT_EQ(View.SpinPhi, 0);
  EXPECT_EQ(View.SpinTeta, 0);
  EXPECT_EQ(View.Zoom, 120);
}

// Presses on the controls are theirs, also where a control does not take the
// click itself (a label, the empty panel, the blank end of a check box).
TEST_F(Navigation, PressesOnTheControlsDoNotTurnTheView) {
  ShowTaons();
  struct Spot {
    QWidget* widget;
    QPoint at;
  };
  const Spot spots[] = {
      {FindControl<QLabel>(form, "Label1"), QPoint(3, 3)},
      {FindControl<QFrame>(form, "Pan"), QPoint(FindControl<QFrame>(form, "Pan")->width() - 3, 100)},
      {FindControl<QFrame>(form, "Panel1"), QPoint(120, 100)},
      {FindControl<QCheckBox>(form, "Blockade"),
       QPoint(FindControl<QCheckBox>(form, "Blockade")->width() - 2, 8)},
      {FindControl<QRadioButton>(form, "ThermosNXN"),
       QPoint(FindControl<QRadioButton>(form, "ThermosNXN")->width() - 2, 8)}};
  for (const Spot& s : spots) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
      QTest::mousePress(s.widget, button, Qt::NoModifier, s.at);
      QTest::mouseRelease(s.widget, button, Qt::NoModifier, s.at + QPoint(40, 30));
      EXPECT_EQ(View.SpinPhi, 0) << s.widget->metaObject()->className();
      EXPECT_EQ(View.SpinTeta, 0) << s.widget->metaObject()->className();
      EXPECT_EQ(View.Zoom, 120) << s.widget->metaObject()->className();
    }
  }
  // The press points are still those of the scene.
  EXPECT_EQ(View.MouseDownX, 0);
  EXPECT_EQ(View.RightDownX, 0);
}

// With "ShowSpin" checked a drag leaves the spiral turning on the timer until
// the stop button; the taon view takes the drag once and never spins.
TEST_F(Navigation, DragWithShowSpinSpinsTheSpiralUntilStopped) {
  Activate();
  QTest::keyClick(form.get(), Qt::Key_F6);
  ASSERT_TRUE(Action("ShowSpin")->isChecked());
  Drag(Qt::LeftButton, QPoint(300, 80), QPoint(310, 85));
  EXPECT_EQ(View.Phi, -(10 * 0.01L));
  EXPECT_EQ(View.Teta, 5 * 0.01L);

  Point before = ViewPoint(19);
  // One period of the timer, with room for a busy machine.
  for (int i = 0; i < 30 && ViewPoint(19) == before; ++i) QTest::qWait(100);
  EXPECT_NE(ViewPoint(19), before) << "the timer did not turn the spiral";

  QTest::mouseClick(FindControl<QToolButton>(form, "DaoStop"), Qt::LeftButton);
  EXPECT_EQ(View.Phi, 0);
  EXPECT_EQ(View.Teta, 0);
  before = ViewPoint(19);
  QTest::qWait(350);
  EXPECT_EQ(ViewPoint(19), before);
}

TEST_F(Navigation, DragWithoutShowSpinTurnsTheSpiralOnce) {
  ASSERT_FALSE(Action("ShowSpin")->isChecked());
  const Point before = ViewPoint(19);
  Drag(Qt::LeftButton, QPoint(300, 80), QPoint(310, 85));
  EXPECT_NE(ViewPoint(19), before);
  EXPECT_EQ(View.Phi, 0);
  EXPECT_EQ(View.Teta, 0);
}

TEST_F(Navigation, DragWithShowSpinNeverSpinsTheTaonView) {
  ShowTaons();
  Action("ShowSpin")->trigger();
  ASSERT_TRUE(Action("ShowSpin")->isChecked());
  Drag(Qt::LeftButton, QPoint(300, 80), QPoint(310, 85));
  EXPECT_EQ(View.Phi, 0);
  EXPECT_EQ(View.Teta, 0);
  const Extended80 phi = View.SpinPhi;
  const QPoint at(View.ScreenX[2], View.ScreenY[2]);
  QTest::qWait(350);
  EXPECT_EQ(View.SpinPhi, phi);
  EXPECT_EQ(QPoint(View.ScreenX[2], View.ScreenY[2]), at);
}

// --- hidden move shortcuts, Move to center, resizing ----------------------------------------

TEST_F(Navigation, ManagerMenuIsHiddenButItsShortcutsMoveThePicture) {
  ShowTaons();
  Activate();
  ASSERT_NE(FindControl<QMenu>(form, "Manager1"), nullptr);
  EXPECT_FALSE(FindControl<QMenu>(form, "Manager1")->isVisible());
  for (const QAction* a : form->menuBar()->actions()) EXPECT_NE(a->text(), "Manager");

  for (int i = 0; i < 4; ++i) QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(View.PanX, 20);
  EXPECT_EQ(View.ScreenX[1], View.CenterX + 20);
  QApplication::processEvents();
}

struct MoveCase {
  const char* name;
  Qt::Key key;
  int dx, dy;
};

class MoveShortcut : public Navigation, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveShortcut, CtrlArrowMovesFivePixels) {
  const MoveCase& c = GetParam();
  ShowTaons();
  Activate();
  QTest::keyClick(form.get(), c.key, Qt::ControlModifier);
  EXPECT_EQ(View.PanX, c.dx);
  EXPECT_EQ(View.PanY, c.dy);
  EXPECT_EQ(View.ScreenX[1], View.CenterX + c.dx);
  EXPECT_EQ(View.ScreenY[1], View.CenterY + c.dy);
  // Without Ctrl the arrow is no move command.
  QTest::keyClick(form.get(), c.key);
  EXPECT_EQ(View.PanX, c.dx);
  EXPECT_EQ(View.PanY, c.dy);
}

INSTANTIATE_TEST_SUITE_P(Keys, MoveShortcut,
                         ::testing::Values(MoveCase{"Left", Qt::Key_Left, -5, 0},
                                           MoveCase{"Right", Qt::Key_Right, 5, 0},
                                           MoveCase{"Up", Qt::Key_Up, 0, -5},
                                           MoveCase{"Down", Qt::Key_Down, 0, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

// Menu shortcuts come first, also where a text field would take the key itself.
TEST_F(Navigation, MoveShortcutsWorkFromEveryControl) {
  ShowTaons();
  Activate();
  int moves = 0;
  QWidget* const controls[] = {Line("EditA1"),
                               Line("EditDT"),
                               FindControl<QPlainTextEdit>(form, "Comment"),
                               Line("FName"),
                               FindControl<QSlider>(form, "TrackBar"),
                               Grid(),
                               FindControl<QCheckBox>(form, "Blockade")};
  for (QWidget* w : controls) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(View.PanX, -5 * ++moves) << w->metaObject()->className();
  }
}

// Only the menu's own keys are taken from a text field; its editing keys stay.
TEST_F(Navigation, TextFieldsKeepTheirOtherKeys) {
  Activate();
  Line("FName")->setFocus();
  Line("FName")->setText("12");
  QTest::keyClick(Line("FName"), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(Line("FName"), "5");
  EXPECT_EQ(Line("FName")->text(), "5");
  QTest::keyClick(Line("FName"), Qt::Key_Home);
  QTest::keyClick(Line("FName"), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(Line("FName")->selectedText(), "5");
  EXPECT_EQ(View.PanX, 0);
}

TEST_F(Navigation, MoveToCenterResetsZoomAndPanButNotTheAngles) {
  ShowTaons();
  Activate();
  QTest::mouseClick(FindControl<QToolButton>(form, "DaoTeta1"), Qt::LeftButton);
  QTest::mouseClick(FindControl<QToolButton>(form, "DaoForvard"), Qt::LeftButton);
  for (int i = 0; i < 4; ++i) QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(form.get(), Qt::Key_Down, Qt::ControlModifier);
  ASSERT_EQ(View.PanX, 20);
  ASSERT_EQ(View.Zoom, 129);
  View.Psi = 0.125L;  // a pending spin is no part of the place

  QTest::keyClick(form.get(), Qt::Key_F8);
  EXPECT_EQ(View.Zoom, 120);
  EXPECT_EQ(View.PanX, 0);
  EXPECT_EQ(View.PanY, 0);
  EXPECT_EQ(View.SpinTeta, 0.01L);
  EXPECT_EQ(View.Psi, 0.125L);
  EXPECT_EQ(View.ScreenX[1], View.CenterX);
  EXPECT_EQ(View.ScreenY[1], View.CenterY);
}

TEST_F(Navigation, ResizeMovesTheCentreWithTheWidthAndThePanelAndRedraws) {
  ShowTaons();
  const int panTop = FindControl<QFrame>(form, "Pan")->y();
  form->resize(form->width() + 200, form->height() + 100);
  QApplication::processEvents();
  ASSERT_EQ(FindControl<QFrame>(form, "Pan")->y(), panTop + 100);
  EXPECT_EQ(View.CenterX, 402);
  EXPECT_EQ(View.CenterY, (panTop + 100) / 2);
  EXPECT_EQ(View.ScreenX[1], 402);
  EXPECT_EQ(View.ScreenY[1], (panTop + 100) / 2);
  EXPECT_EQ(FindControl<TSceneView>(form, "SceneView")->Image().pixel(402, (panTop + 100) / 2) & 0xFFFFFF,
            0x00FF00u);
}

}  // namespace
}  // namespace vorun
