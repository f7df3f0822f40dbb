#include "model/Ensemble.h"

namespace vorun {

void SyncWorkingCopies(EnsembleState& e, bool onlyExisting) {
  for (int n = 1; n <= e.SlotCount; ++n) {
    if (onlyExisting && e.Exists[n] == 0) continue;
    e.ViewX[n] = e.PosX[n];
    e.NextPosX[n] = e.PosX[n];
    e.ViewY[n] = e.PosY[n];
    e.NextPosY[n] = e.PosY[n];
    e.ViewZ[n] = e.PosZ[n];
    e.NextPosZ[n] = e.PosZ[n];
    e.NextVelU[n] = e.VelU[n];
    e.NextVelV[n] = e.VelV[n];
    e.NextVelW[n] = e.VelW[n];
  }
}

void ZeroVelocities(EnsembleState& e) {
  for (int n = 1; n <= e.SlotCount; ++n) {
    e.VelU[n] = e.VelV[n] = e.VelW[n] = 0;
    e.NextVelU[n] = e.NextVelV[n] = e.NextVelW[n] = 0;
  }
}

Extended80 DefaultTimeStep() { return 0.001L; }

}  // namespace vorun
