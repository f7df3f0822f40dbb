// Copy rules between the committed, working and view copies of the slots, and
// the start-up values of the state that need no window.
#pragma once

#include "model/Global.h"

namespace vorun {

// Brings view and working copies in line with the committed positions and
// velocities, for every slot or only for the occupied ones.
void SyncWorkingCopies(EnsembleState& e, bool onlyExisting);

// Sets committed and working velocities of every slot, occupied or not, to 0.
void ZeroVelocities(EnsembleState& e);

// The nearest Extended80 to 0.001: the time step a run uses when none is known.
Extended80 DefaultTimeStep();

}  // namespace vorun
