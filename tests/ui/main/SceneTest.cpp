#include <QAction>
#include <QImage>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "model/Figures.h"
#include "ui/Controls.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/MainFormProbe.h"
#include "ui/widgets/QtCanvas.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::MainFormTest;

// --- the Qt canvas ------------------------------------------------------------------

class QtCanvasTest : public ::testing::Test {
 protected:
  QtCanvasTest() { image.fill(Qt::white); }
  QRgb At(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
  QImage image{20, 10, QImage::Format_RGB32};
  QtCanvas canvas{image};
};

TEST_F(QtCanvasTest, LineLeavesOutItsEndPixel) {
  canvas.SetPenColour(Red);
  canvas.MoveTo(2, 3);
  canvas.LineTo(7, 3);
  for (int x = 2; x < 7; ++x) EXPECT_EQ(At(x, 3), 0xFF0000u) << x;
  EXPECT_EQ(At(7, 3), 0xFFFFFFu);
  EXPECT_EQ(At(1, 3), 0xFFFFFFu);
  // The pen stays at the end point: the next line starts there.
  canvas.LineTo(7, 8);
  EXPECT_EQ(At(7, 3), 0xFF0000u);
  EXPECT_EQ(At(7, 7), 0xFF0000u);
  EXPECT_EQ(At(7, 8), 0xFFFFFFu);
}

TEST_F(QtCanvasTest, DiagonalLineSetsOnePixelPerStep) {
  canvas.SetPenColour(Lime);
  canvas.MoveTo(0, 0);
  canvas.LineTo(4, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(At(i, i), 0x00FF00u) << i;
  EXPECT_EQ(At(4, 4), 0xFFFFFFu);
  EXPECT_EQ(At(1, 0), 0xFFFFFFu);
}

TEST_F(QtCanvasTest, FillRectExcludesRightAndBottomAndClips) {
  canvas.SetPenColour(Black);
  canvas.SetBrushColour(Black);
  canvas.FillRect(0, 0, 5, 4);
  EXPECT_EQ(At(4, 3), 0u);
  EXPECT_EQ(At(5, 3), 0xFFFFFFu);
  EXPECT_EQ(At(4, 4), 0xFFFFFFu);
  canvas.SetBrushColour(Yellow);
  canvas.FillRect(-100, -100, 1000, 1000);  // far beyond the image: clipped, no fault
  EXPECT_EQ(At(10, 5), 0xFFFF00u);
}

TEST_F(QtCanvasTest, PixelsOffTheImageAreDropped) {
  canvas.SetPixel(-1, 0, Red);
  canvas.SetPixel(20, 0, Red);
  canvas.SetPixel(0, 1'000'000'000, Red);
  canvas.SetPixel(19, 9, Red);
  EXPECT_EQ(At(19, 9), 0xFF0000u);
  EXPECT_EQ(At(0, 0), 0xFFFFFFu);
}

TEST_F(QtCanvasTest, TextIsDrawnBelowAndRightOfItsCornerInTheTextColour) {
  QImage big(60, 40, QImage::Format_RGB32);
  big.fill(Qt::black);
  QtCanvas c(big);
  c.SetTextColour(Lime);
  c.TextOut(10, 10, "7");
  int lime = 0, outside = 0;
  for (int y = 0; y < big.height(); ++y)
    for (int x = 0; x < big.width(); ++x) {
      if ((big.pixel(x, y) & 0xFFFFFF) == 0) continue;
      if (x >= 10 && y >= 10) {
        const QColor colour(big.pixel(x, y));
        if (colour.green() > 0 && colour.red() == 0 && colour.blue() == 0) ++lime;
      } else {
        ++outside;
      }
    }
  EXPECT_GT(lime, 0);
  EXPECT_EQ(outside, 0);
}

// --- the scene on the window ------------------------------------------------------------

class Scene : public MainFormTest {
 protected:
  // What the user sees: the window as it stands on screen, cut to the scene.
  // Taken from the screen rather than by rendering the widget, which would
  // run a paint event of its own.
  QImage Screen() {
    const QPoint origin = FindControl<TSceneView>(form, "SceneView")->mapTo(form.get(), QPoint(0, 0));
    const QImage window = QGuiApplication::primaryScreen()->grabWindow(form->winId()).toImage();
    return window.copy(QRect(origin, FindControl<TSceneView>(form, "SceneView")->size()));
  }
  // The scene above the panel, in the scene widget's coordinates.
  QRect SceneArea() { return QRect(0, 0, form->width(), FindControl<QFrame>(form, "Pan")->y()); }
  static bool Has(const QImage& image, QRgb rgb, QRect area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) return true;
    return false;
  }
};

TEST_F(Scene, StartShowsTheSpiralInRedAndWhite) {
  const QImage screen = Screen();
  const QRect sceneArea = SceneArea();
  EXPECT_TRUE(Has(screen, qRgb(255, 0, 0), sceneArea));
  EXPECT_TRUE(Has(screen, qRgb(255, 255, 255), sceneArea));
  EXPECT_FALSE(Has(screen, qRgb(0, 255, 0), sceneArea));
}

// A drawing made between two run steps must be on screen after the next event
// turn, without a paint event of its own asking for it.
TEST_F(Scene, ATaonDrawnBetweenStepsIsOnScreenAfterTheEventTurn) {
  Run.SpiralMode = 0;
  Ensemble.Exists[1] = 1;
  Ensemble.ViewX[1] = 0;
  Ensemble.ViewY[1] = 0;
  Ensemble.ViewZ[1] = 0;
  form->PaintTaons();
  QApplication::processEvents();
  const QImage screen = Screen();
  // Slot 1 of the Ak split is lime; the origin lies at the scene centre.
  const int cx = 302, cy = static_cast<int>(View.CenterY);
  EXPECT_EQ(screen.pixel(cx, cy) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(screen.pixel(cx + 1, cy + 1) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(screen.pixel(cx + 2, cy) & 0xFFFFFF, 0x000000u);
  EXPECT_FALSE(Has(screen, qRgb(255, 0, 0), SceneArea()));

  FindControl<QRadioButton>(form, "Taoscope")->click();  // no redraw by itself
  QApplication::processEvents();
  EXPECT_EQ(Screen().pixel(cx, cy) & 0xFFFFFF, 0x00FF00u);
  form->PaintCurrentMode();
  QApplication::processEvents();
  EXPECT_EQ(Screen().pixel(cx, cy) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(Scene, PaintEventOfTheTaonViewTakesTheLastFileNameAndRefillsTheListing) {
  Run.SpiralMode = 0;
  LastFileName = "ring.tvx";
  FileName = "other";
  Ensemble.Exists[5] = 1;
  Ensemble.PosX[5] = 2;
  MainFormProbe::PaintScene(*form);
  EXPECT_EQ(FileName, "ring.tvx");
  EXPECT_EQ(Grid()->Cell(1, 5), "2");
}

TEST_F(Scene, TimerRunsEvery300Milliseconds) {
  EXPECT_TRUE(FindControl<QTimer>(form, "Timer")->isActive());
  EXPECT_EQ(FindControl<QTimer>(form, "Timer")->interval(), 300);
}

// A pending increment turns the spiral at every redraw; the timer redraws only
// while "ShowSpin" is checked.
TEST_F(Scene, TimerSpinsTheSpiralOnlyWhenShowSpinIsChecked) {
  View.Teta = 0.1L;
  const Extended80 y19 = Ensemble.ViewY[19];
  MainFormProbe::TimerTick(*form);
  EXPECT_EQ(Ensemble.ViewY[19], y19);
  EXPECT_FALSE(Action("ShowSpin")->isChecked());

  Action("ShowSpin")->trigger();
  EXPECT_TRUE(Action("ShowSpin")->isChecked());
  EXPECT_EQ(Display.SpinOn, 1);
  EXPECT_EQ(Ensemble.ViewY[19], y19);  // no redraw by the menu command itself
  MainFormProbe::TimerTick(*form);
  EXPECT_NE(Ensemble.ViewY[19], y19);

  Action("ShowSpin")->trigger();
  EXPECT_EQ(Display.SpinOn, 0);
  const Extended80 turned = Ensemble.ViewY[19];
  MainFormProbe::TimerTick(*form);
  EXPECT_EQ(Ensemble.ViewY[19], turned);
}

TEST_F(Scene, ShowNumbersTogglesAndRedrawsWithLimeLabels) {
  EXPECT_EQ(Action("ShowSpin")->shortcut(), QKeySequence(Qt::Key_F6));
  EXPECT_EQ(Action("ShowNumbersOfPoints")->shortcut(), QKeySequence(Qt::Key_F7));
  EXPECT_EQ(Action("ShowNumbersOfPoints")->text(), "Show Numbers of Points");
  EXPECT_FALSE(Has(Screen(), qRgb(0, 255, 0), SceneArea()));
  Action("ShowNumbersOfPoints")->trigger();
  EXPECT_EQ(Display.ShowNumbers, 1);
  EXPECT_TRUE(Action("ShowNumbersOfPoints")->isChecked());
  QApplication::processEvents();
  EXPECT_TRUE(Has(Screen(), qRgb(0, 255, 0), SceneArea()));
  Action("ShowNumbersOfPoints")->trigger();
  EXPECT_EQ(Display.ShowNumbers, 0);
  EXPECT_FALSE(Action("ShowNumbersOfPoints")->isChecked());
}

}  // namespace
}  // namespace vorun
