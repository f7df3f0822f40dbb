// The names of the user's choices of law, colour split, scope and wall. The
// engine computes with them and the view colours the scene by two of them,
// so they live below both.
#pragma once

namespace vorun {

enum class Formula { PolyExpon, Exponential, PolyExpSum, ExpoPolyExpSum, EPESminus };
// The colour split chooses where parameter set 2 begins: the last 30, 15 or 10 slots.
enum class ColourSplit { Ak, Bk, Ck };
constexpr int SetTwoSize(ColourSplit split) {
  switch (split) {
    case ColourSplit::Bk:
      return 15;
    case ColourSplit::Ck:
      return 10;
    case ColourSplit::Ak:
      break;
  }
  return 30;
}
enum class Scope { Taoscope, Gravoscope };
enum class WallMode { Thermos3X3, Thermos20X20, ThermosNXN, Thermosout };

}  // namespace vorun
