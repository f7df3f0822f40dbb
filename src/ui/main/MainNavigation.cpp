// View navigation of the main window: the rotation and zoom buttons, the step
// track bar, mouse drags over the scene and the move commands. Each handler
// hands the window's scene to the view command and shows what it drew.
#include <QAction>

#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/main/Main.h"
#include "view/Navigation.h"

namespace vorun {

namespace {

// The view commands only draw on the scene; it is shown at the next event turn.
template <class Command>
void Navigate(TMainForm* form, TSceneView* scene, Command command) {
  Guarded(form, [&] { command(form->MakeScene()); });
  scene->ImageChanged();
}

// Buttons other than these three (side buttons of a mouse) do not turn the view.
bool ToMouseButton(Qt::MouseButton button, MouseButton& out) {
  switch (button) {
    case Qt::LeftButton:
      out = MouseButton::Left;
      return true;
    case Qt::MiddleButton:
      out = MouseButton::Middle;
      return true;
    case Qt::RightButton:
      out = MouseButton::Right;
      return true;
    default:
      return false;
  }
}

}  // namespace

void TMainForm::DaoTetaClick() { Navigate(this, SceneView, vorun::DaoTetaClick); }
void TMainForm::DaoTeta1Click() { Navigate(this, SceneView, vorun::DaoTeta1Click); }
void TMainForm::DaoPsiClick() { Navigate(this, SceneView, vorun::DaoPsiClick); }
void TMainForm::DaoPsi1Click() { Navigate(this, SceneView, vorun::DaoPsi1Click); }
void TMainForm::DaoPhiClick() { Navigate(this, SceneView, vorun::DaoPhiClick); }
void TMainForm::DaoPhi1Click() { Navigate(this, SceneView, vorun::DaoPhi1Click); }
void TMainForm::DaoStopClick() { Navigate(this, SceneView, vorun::DaoStopClick); }
void TMainForm::DaoBackClick() { Navigate(this, SceneView, vorun::DaoBackClick); }
void TMainForm::DaoForvardClick() { Navigate(this, SceneView, vorun::DaoForvardClick); }

void TMainForm::TrackBarChange() { vorun::TrackBarChange(session_.View, Panel1->Amplitude()); }

void TMainForm::FormMouseDown(Qt::MouseButton button, int x, int y) {
  MouseButton b;
  if (ToMouseButton(button, b)) vorun::FormMouseDown(session_.View, b, x, y);
}

void TMainForm::FormMouseUp(Qt::MouseButton button, int x, int y) {
  MouseButton b;
  if (!ToMouseButton(button, b)) return;
  const bool spin = ShowSpin->isChecked();
  Navigate(this, SceneView, [&](const Scene& scene) { vorun::FormMouseUp(scene, b, x, y, spin); });
}

void TMainForm::Left1Click() { Navigate(this, SceneView, vorun::Left1Click); }
void TMainForm::Right1Click() { Navigate(this, SceneView, vorun::Right1Click); }
void TMainForm::Up1Click() { Navigate(this, SceneView, vorun::Up1Click); }
void TMainForm::Down1Click() { Navigate(this, SceneView, vorun::Down1Click); }
void TMainForm::MoveToCenterClick() { Navigate(this, SceneView, vorun::MoveToCenterClick); }

}  // namespace vorun
