// The check before a run starts. A quiet NaN raises no fault in the step: it
// spreads through the forces and makes every taon NaN after one step, and the
// run would go on with an empty scene and no message. So every value that the
// step computes with is looked at first, and a NaN stops the run before it
// starts, naming where it is. So is a length B, C, D or F that every step
// divides by when that division faults (zero, too small, a signalling NaN),
// whatever the formula reads. The step itself stays as it is.
#pragma once

#include <optional>
#include <string>

#include "engine/Settings.h"
#include "model/Global.h"

namespace vorun {

// The first NaN (quiet or signalling) among the values a step of this
// ensemble computes with, as the user's message; nothing when there is none.
// Looked at, in this order: the time step; the parameters that the chosen
// formula uses, of each set that some moved taon has a partner in; the
// eight divided lengths, for a fault of their division; then for every
// occupied slot in ascending order its position, for every moved one its
// working position and velocity, and for every one its velocity (the
// observables read a held slot's too). An empty slot, a held slot's working
// velocity and a parameter the formula does not read and that divides
// cleanly may hold anything.
std::optional<std::string> FindNaN(const EnsembleState& state, const StepSettings& settings);

// Throws Error with FindNaN's message when there is one.
void CheckRunnable(const EnsembleState& state, const StepSettings& settings);

}  // namespace vorun
