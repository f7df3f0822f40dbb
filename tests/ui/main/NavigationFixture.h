// The main window with helpers to show taons, set the track bar, drag over the
// scene and read a taon's view point.
#pragma once

#include <QSlider>
#include <QTest>

#include "model/Global.h"
#include "ui/Controls.h"
#include "ui/Session.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/SceneView.h"

namespace vorun::test {

class Navigation : public test::MainFormTest {
 protected:
  // The taon view with one taon at the model origin and one off it.
  void ShowTaons() {
    Run.SpiralMode = 0;
    Ensemble.SlotCount = MaxSlots;
    Ensemble.Exists.fill(0);
    Ensemble.Exists[1] = Ensemble.Exists[2] = 1;
    Ensemble.ViewX[1] = Ensemble.ViewY[1] = Ensemble.ViewZ[1] = 0;
    Ensemble.ViewX[2] = 0.5L;
    Ensemble.ViewY[2] = 0.3L;
    Ensemble.ViewZ[2] = 0.2L;
    form->PaintCurrentMode();
  }

  // Sets the track bar as the user would, one key press at a time.
  void SetTrackBar(int position) {
    QSlider* bar = FindControl<QSlider>(form, "TrackBar");
    while (bar->value() < position) QTest::keyClick(bar, Qt::Key_Right);
    while (bar->value() > position) QTest::keyClick(bar, Qt::Key_Left);
  }

  void Drag(Qt::MouseButton button, QPoint from, QPoint to) {
    QTest::mousePress(FindControl<TSceneView>(form, "SceneView"), button, Qt::NoModifier, from);
    QTest::mouseRelease(FindControl<TSceneView>(form, "SceneView"), button, Qt::NoModifier, to);
  }

  // Shortcuts reach the actions of the active window only.
  void Activate() {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  struct Point {
    Extended80 x, y, z;
    bool operator==(const Point&) const = default;
  };
  Point ViewPoint(int n) const { return {Ensemble.ViewX[n], Ensemble.ViewY[n], Ensemble.ViewZ[n]}; }
};

}  // namespace vorun::test
