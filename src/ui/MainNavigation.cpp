// View navigation of the main window: the rotation and zoom buttons, the step
// track bar and mouse drags over the scene. The controls are connected; the
// view commands come with the navigation work.
#include "ui/Main.h"

namespace vorun {

void TMainForm::DaoTetaClick() {}
void TMainForm::DaoTeta1Click() {}
void TMainForm::DaoPsiClick() {}
void TMainForm::DaoPsi1Click() {}
void TMainForm::DaoPhiClick() {}
void TMainForm::DaoPhi1Click() {}
void TMainForm::DaoStopClick() {}
void TMainForm::DaoBackClick() {}
void TMainForm::DaoForvardClick() {}
void TMainForm::TrackBarChange() {}
void TMainForm::FormMouseDown(Qt::MouseButton, int, int) {}
void TMainForm::FormMouseUp(Qt::MouseButton, int, int) {}

}  // namespace vorun
