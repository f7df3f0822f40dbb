// The run loop and the run controls: Go starts and stops a run, Null00 zeroes
// the velocities, a double click on the time label switches the step display.
// The loop runs on the user-interface thread and serves the event queue after
// every step, so every other command runs between two steps, never inside one.
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>

#include "engine/RunCheck.h"
#include "engine/Step.h"
#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/StartFile.h"
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/main/ListingPage.h"
#include "ui/main/Main.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/WindowPlaces.h"

namespace vorun {

void TMainForm::ShowRunState(bool running) {
  Panel1->ShowRunning(running);
  session_.Run.Stopped = running ? 0 : 1;
  // A run changes the scene and the listing faster than a screen shows them.
  SceneView->SetPacedRepaints(running);
  TabSheet1->Grid()->SetPacedRepaints(running);
  Images->menuAction()->setEnabled(!running);
  if (!running) {
    scenePacer_.Flush();
    // A run with the listing hidden left it as it was at the start.
    FillListing();
    UpdateTitle();
  }
}

void TMainForm::GoClick() {
  if (session_.Run.Stopped == 0) {
    // Pressed between two steps: the loop ends when this event turn returns.
    ShowRunState(false);
    return;
  }
  // Enter in a field presses Go without leaving the field: its text counts
  // all the same, and a text that is no number keeps the run from starting.
  if (!TakeFocusedField()) return;
  // A quiet NaN would raise no fault and silently empty the scene; say where
  // it is instead, before anything changes.
  if (!Guarded(this, [&] { CheckRunnable(session_.Ensemble, CurrentStepSettings()); })) return;
  ShowRunState(true);
  ++runDepth_;
  Guarded(this, [&] { RunLoop(session_.Run.StepCount); });
  --runDepth_;
  // A run ended by a fault: after the error box the window is stopped at once,
  // not left with a Stop button that only stops.
  if (session_.Run.Stopped == 0) ShowRunState(false);
  if (closeRequested_ && runDepth_ == 0) {
    closeRequested_ = false;
    close();
  }
}

void TMainForm::RunLoop(std::int32_t n) {
  std::int32_t step = n;
  for (;;) {
    if (session_.Ensemble.TimeStep != clockDt_) {
      clockBase_ = SimulatedTime(step);
      clockStep_ = step;
      clockDt_ = session_.Ensemble.TimeStep;
    }
    ++step;
    AdvanceStep(session_.Ensemble, CurrentStepSettings());
    session_.Run.StepCount = step;
    ShowStep();
    QCoreApplication::processEvents();
    if (session_.Run.Stopped != 0) break;
  }
}

Extended80 TMainForm::SimulatedTime(std::int32_t step) {
  // A count that went back belongs to another ensemble (opened, or stored by the editor).
  if (step < clockStep_) {
    clockBase_ = 0;
    clockStep_ = 0;
  }
  return clockBase_ + static_cast<Extended80>(step - clockStep_) * clockDt_;
}

void TMainForm::ShowStep() {
  // Text for the label costs an allocation; no screen shows it more often
  // than the pacer lets it change.
  if (session_.Run.ShowStepCount != 0) stepLabelPacer_.Changed(true);
  scenePacer_.Changed(true);
  if (Panel1->ListingFollowsRun()) FillListing();
}

void TMainForm::ShowStepLabel() {
  if (session_.Run.ShowStepCount != 0) Panel1->ShowStepCount(session_.Run.StepCount);
}

void TMainForm::Null00Click() {
  if (session_.Run.SpiralMode != 0 || session_.Run.Stopped == 0) return;
  Guarded(this, [&] {
    ZeroVelocities(session_.Ensemble);
    Panel1->ShowNulled();
    FillListing();
    UpdateTitle();
    const std::optional<QString> name = Dialogs().SaveFileName(this, TaonsFiles);
    if (!name) return;
    SaveUnderChosenName(*name);
  });
}

void TMainForm::LTimeDblClick() { session_.Run.ShowStepCount ^= 1; }

void TMainForm::Exit1Click() { close(); }

// A closed window must never leave a process computing invisibly: the run is
// asked to stop, and the window closes when the loop has returned.
void TMainForm::closeEvent(QCloseEvent* event) {
  if (runDepth_ > 0) {
    closeRequested_ = true;
    ShowRunState(false);
    event->ignore();
    return;
  }
  // Typed comment text and a changed ensemble are not lost without a word;
  // Cancel keeps the program open.
  if (!MaybeSave()) {
    event->ignore();
    return;
  }
  SaveWindowPlace(session_.WindowPlacesPath, this, "MainWindow");
  QMainWindow::closeEvent(event);
}

}  // namespace vorun
