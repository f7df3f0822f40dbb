// The user's choices that the law and the step read, as plain data. The main
// window fills them from its controls at the start of every step.
#pragma once

#include "model/Choices.h"

namespace vorun {

struct LawSettings {
  Formula formula = Formula::Exponential;
  ColourSplit colourSplit = ColourSplit::Ak;
  Scope scope = Scope::Gravoscope;
  bool noShellB = false;     // the window's "(2)'": PolyExpSum without its B shell
  bool noShellsCDF = false;  // "(3-:-5)'": PolyExpSum without its C, D and F shells
};

struct StepSettings {
  LawSettings law;
  bool blockade = false;  // holds slots 1 to 4 in place
  bool heater = false;
  bool cooler = false;
  WallMode wall = WallMode::Thermosout;
};

}  // namespace vorun
