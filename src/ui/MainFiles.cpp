// Start-up of the main window and the commands that put an ensemble or a
// built-in figure on show.
#include "model/Ensemble.h"
#include "model/Figures.h"
#include "model/Global.h"
#include "ui/Dialogs.h"
#include "ui/Main.h"
#include "view/Projection.h"

namespace vorun {

void TMainForm::FormCreate() {
  UpdateSceneCentre();
  View.Zoom = 120;
  View.Teta = 0;
  View.Psi = 0;
  View.Phi = 0;
  Run.SpiralMode = 1;
  Ensemble.SlotCount = MaxSlots;
  Run.SpiralVariant = 1;
  BuildStepMatrix();

  MakeStartFigure();
  FileName = "ThetraSpiral";
  // With no ensemble loaded the run uses the default time step, and the field
  // shows the value in use.
  Ensemble.TimeStep = DefaultTimeStep();

  View.PanStep = 5;
  View.ZoomStep = 3;
  View.AngleStep = 0.01L;
  FillListing();
  RefreshParameterFields();
  Run.Stopped = 1;
}

}  // namespace vorun
