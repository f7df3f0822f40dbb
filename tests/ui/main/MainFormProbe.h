// The few steps of the main window that no control of it reaches: a tick of
// its timer, a paint of the scene, the window's part of one run step, a
// handler's own guard behind a disabled button, and the kind of Go that only
// a run sets. Everything else a test
// does goes through the controls, found by their names.
#pragma once

#include "ui/main/Main.h"

namespace vorun {

struct MainFormProbe {
  static void TimerTick(TMainForm& form) { form.TimerTimer(); }
  static void PaintScene(TMainForm& form) { form.FormPaint(); }
  static void ShowStep(TMainForm& form) { form.ShowStep(); }
  static void Null00Handler(TMainForm& form) { form.Null00Click(); }
  static void SetGoKind(TMainForm& form, GoKind kind) { form.Panel1->SetGoKind(kind); }
};

}  // namespace vorun
