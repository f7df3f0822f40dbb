#include "engine/Law.h"

#include "engine/LawTerms.h"

namespace vorun {

namespace {

// Runs the fast way and replays with a test after every operation only when
// some flag is up; the replay throws the first fault.
Extended80 Force(const EnsembleState& e, int i, const LawSettings& law, Axis axis) {
  ClearFloatFaults();
  const Extended80 sum = Settled(law::ForceSum<law::Unchecked>(e, i, law, axis));
  if (!FloatFaultPending()) return sum;
  ClearFloatFaults();
  return law::ForceSum<law::EachChecked>(e, i, law, axis);
}

// The size of parameter set 2 under each split, in the order of ColourSplit.
}  // namespace

Extended80 ForceX(const EnsembleState& e, int i, const LawSettings& law) { return Force(e, i, law, Axis::X); }
Extended80 ForceY(const EnsembleState& e, int i, const LawSettings& law) { return Force(e, i, law, Axis::Y); }
Extended80 ForceZ(const EnsembleState& e, int i, const LawSettings& law) { return Force(e, i, law, Axis::Z); }

int ScopeSign(const LawSettings& law) { return law.scope == Scope::Taoscope ? 1 : -1; }

int PairSign(int i, int j, const LawSettings& law) { return (i - j) % 2 == 0 ? 1 : -ScopeSign(law); }

int PartnerSet(int j, int slotCount, const LawSettings& law, Axis axis) {
  int threshold = 30;
  switch (law.formula) {
    case Formula::Exponential:
      threshold = SetTwoSize(law.colourSplit);
      break;
    case Formula::PolyExpon:
    case Formula::PolyExpSum:
      if (axis == Axis::Z) threshold = SetTwoSize(law.colourSplit);
      break;
    case Formula::ExpoPolyExpSum:
    case Formula::EPESminus:
      break;
  }
  return j > slotCount - threshold ? 2 : 1;
}

Extended80 Power(Extended80 x, Extended80 y) {
  ClearFloatFaults();
  return law::Op<law::EachChecked>::Power(x, y);
}

Extended80 ShellPotential(Extended80 P, Extended80 r) {
  ClearFloatFaults();
  const Extended80 k = Checked(ShellScale / P);
  return law::ShellPotentialK<law::EachChecked>(k, r);
}

Extended80 ShellSlope(Extended80 P, Extended80 r) {
  ClearFloatFaults();
  const Extended80 k = Checked(ShellScale / P);
  return law::ShellSlopeK<law::EachChecked>(k, r);
}

}  // namespace vorun
