#include "engine/Step.h"

#include "engine/Law.h"
#include "engine/PairTable.h"
#include "model/FloatFault.h"

namespace vorun {

namespace {

// v = (heater * cooler) * v + force * dt, then p = p + v * dt. A faulting
// assignment stores nothing, so the earlier components and slots keep their
// new values and this one keeps its old.
void Integrate(Extended80 force, Extended80& v, Extended80& p, const StepSettings& settings) {
  const Extended80 dt = Ensemble.TimeStep;
  const Extended80 a = Checked(force * dt);
  const Extended80 factor = Checked(HeaterFactor(settings) * CoolerFactor(settings));
  Extended80 next = Checked(factor * v);
  v = Checked(next + a);
  next = Checked(v * dt);
  p = Checked(p + next);
}

// The three components of slot i, each from its own pass over the partners.
void IntegrateSlot(int i, const StepSettings& settings) {
  auto& e = Ensemble;
  Integrate(ForceX(i, settings.law), e.NextVelU[i], e.NextPosX[i], settings);
  Integrate(ForceY(i, settings.law), e.NextVelV[i], e.NextPosY[i], settings);
  Integrate(ForceZ(i, settings.law), e.NextVelW[i], e.NextPosZ[i], settings);
}

void CommitSlots(int first) {
  auto& e = Ensemble;
  for (int i = first; i <= e.SlotCount; ++i) {
    if (e.Exists[i] == 0) continue;
    e.PosX[i] = e.NextPosX[i];
    e.VelU[i] = e.NextVelU[i];
    e.PosY[i] = e.NextPosY[i];
    e.VelV[i] = e.NextVelV[i];
    e.PosZ[i] = e.NextPosZ[i];
    e.VelW[i] = e.NextVelW[i];
    e.ViewX[i] = e.NextPosX[i];
    e.ViewY[i] = e.NextPosY[i];
    e.ViewZ[i] = e.NextPosZ[i];
  }
}

// Every slot, empty or blocked ones too: positions are never clamped, so a
// taon beyond the wall has its velocity reversed in every step it ends there.
void CompareWithWalls(WallMode wall) {
  auto& e = Ensemble;
  const Extended80 b = WallBound(wall);
  for (int i = 1; i <= e.SlotCount; ++i) {
    if (e.NextPosX[i] > b) e.NextVelU[i] = -e.NextVelU[i];
    if (e.NextPosX[i] < -b) e.NextVelU[i] = -e.NextVelU[i];
    if (e.NextPosY[i] > 0) e.NextVelV[i] = 0;
    if (e.NextPosY[i] < 0) e.NextVelV[i] = 0;
    if (e.NextPosZ[i] > b) e.NextVelW[i] = -e.NextVelW[i];
    if (e.NextPosZ[i] < -b) e.NextVelW[i] = -e.NextVelW[i];
  }
}

// An ordered comparison with a NaN position raises invalid; the pass runs to
// its end and then reports it as the fault of this step, whose commit stands.
void ApplyWalls(WallMode wall) {
  if (wall == WallMode::Thermosout) return;
  ClearFloatFaults();
  CompareWithWalls(wall);
  SettleMemory();
  ThrowPendingFloatFault();
}

}  // namespace

Extended80 HeaterFactor(const StepSettings& settings) { return settings.heater ? 1.01L : 1.0L; }

Extended80 CoolerFactor(const StepSettings& settings) { return settings.cooler ? 0.99L : 1.0L; }

Extended80 WallBound(WallMode wall) {
  switch (wall) {
    case WallMode::Thermos3X3:
      return 1.5L;
    case WallMode::Thermos20X20:
      return 10;
    case WallMode::ThermosNXN:
      return 100;
    case WallMode::Thermosout:
      break;
  }
  return 0;
}

void AdvanceStepReference(const StepSettings& settings) {
  auto& e = Ensemble;
  const int first = settings.blockade ? 5 : 1;
  ClearFloatFaults();
  for (int i = first; i <= e.SlotCount; ++i) {
    if (e.Exists[i] != 0) IntegrateSlot(i, settings);
  }
  CommitSlots(first);
  ApplyWalls(settings.wall);
}

// The shared values of the whole step come first, before anything is written;
// if a flag comes up there, the three-pass step runs instead and finds the
// fault exactly where it lies. A flag in the sums of one slot makes that slot
// run the three-pass way, which throws its first fault after the same
// updates. Without a fault both ways give the same values.
void AdvanceStep(const StepSettings& settings) {
  auto& e = Ensemble;
  const int first = settings.blockade ? 5 : 1;
  ClearFloatFaults();
  if (!law::FillPairTable(settings.law, first)) {
    AdvanceStepReference(settings);
    return;
  }
  for (int i = first; i <= e.SlotCount; ++i) {
    if (e.Exists[i] == 0) continue;
    Extended80 x, y, z;
    law::PairTableForces(i, x, y, z);
    if (FloatFaultPending()) {
      IntegrateSlot(i, settings);
      continue;
    }
    Integrate(x, e.NextVelU[i], e.NextPosX[i], settings);
    Integrate(y, e.NextVelV[i], e.NextPosY[i], settings);
    Integrate(z, e.NextVelW[i], e.NextPosZ[i], settings);
  }
  CommitSlots(first);
  ApplyWalls(settings.wall);
}

}  // namespace vorun
