// The view tests' own ensemble, run flags, view and toggles: the view works on
// the instances it is handed, and these tests never touch the window's.
#pragma once

#include "model/Global.h"
#include "view/Renderer.h"
#include "view/ViewState.h"

namespace vorun {

inline EnsembleState TestEnsemble;
inline RunState TestRun;
inline ViewState TestView;
inline bool TestShowNumbers = false;
inline bool TestSpinOn = false;

inline void ResetViewTestState() {
  TestEnsemble = EnsembleState{};
  TestRun = RunState{};
  TestView = ViewState{};
  TestShowNumbers = TestSpinOn = false;
}

inline Scene MakeTestScene(Canvas& canvas, Scope scope = Scope::Taoscope,
                           ColourSplit split = ColourSplit::Ak) {
  return Scene{canvas,         604, 176, scope, split, TestEnsemble, TestView, TestRun.SpiralMode != 0,
               TestShowNumbers};
}

}  // namespace vorun
