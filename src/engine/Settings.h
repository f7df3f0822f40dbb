// The user's choices that the law and the step read, as plain data. The main
// window fills them from its controls at the start of every step.
#pragma once

namespace vorun {

enum class Formula { PolyExpon, Exponential, PolyExpSum, ExpoPolyExpSum, EPESminus };
// The colour split chooses where parameter set 2 begins: the last 30, 15 or 10 slots.
enum class ColourSplit { Ak, Bk, Ck };
enum class Scope { Taoscope, Gravoscope };
enum class WallMode { Thermos3X3, Thermos20X20, ThermosNXN, Thermosout };

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
