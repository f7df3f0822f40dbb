// The user's choices that the law and the step read, as plain data. The main
// window fills them from its controls at the start of every step.
#pragma once

#include "model/Choices.h"

namespace vorun {

struct LawSettings {
  Formula formula = Formula::Exponential;
  ColourSplit colourSplit = ColourSplit::Ak;
  Scope scope = Scope::Gravoscope;
  bool checkBox2 = false;  // "(2)'": switches off the B shell of PolyExpSum
  bool checkBox3 = false;  // "(3-:-5)'": switches off the C, D, F shells of PolyExpSum
};

struct StepSettings {
  LawSettings law;
  bool blockade = false;  // holds slots 1 to 4 in place
  bool heater = false;
  bool cooler = false;
  WallMode wall = WallMode::Thermosout;
};

}  // namespace vorun
