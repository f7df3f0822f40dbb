// The view tests' own ensemble, run flags, view and toggles: the view works on
// the instances it is handed, and these tests never touch the window's.
#pragma once

#include <cstdint>

#include "model/Figures.h"
#include "model/Global.h"
#include "view/Renderer.h"
#include "view/ViewState.h"

namespace vorun {

// The two run flags a figure and a scene depend on.
struct TestRunFlags {
  std::uint8_t SpiralMode = 0;
  std::int32_t SpiralVariant = 0;
};

inline EnsembleState TestEnsemble;
inline TestRunFlags TestRun;
inline ViewState TestView;
inline bool TestShowNumbers = false;
inline bool TestSpinOn = false;

inline void ResetViewTestState() {
  TestEnsemble = EnsembleState{};
  TestRun = TestRunFlags{};
  TestView = ViewState{};
  TestShowNumbers = TestSpinOn = false;
}

inline Scene MakeTestScene(Canvas& canvas, Scope scope = Scope::Taoscope,
                           ColourSplit split = ColourSplit::Ak) {
  return Scene{canvas,         604, 176, scope, split, TestEnsemble, TestView, TestRun.SpiralMode != 0,
               TestShowNumbers};
}

}  // namespace vorun
