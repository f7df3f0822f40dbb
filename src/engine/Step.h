// One integration step of an ensemble: velocity-first Euler with unit mass,
// the heater and cooler factors, the blockade of slots 1 to 4 and the walls.
//
// A fault (from the law or from the step's own arithmetic) ends the step where
// it happens and throws the vorun::Error naming it. The working arrays then
// keep the updates made before the fault, the committed arrays and the view
// copies still hold the last completed step, and the next step goes on from
// the working arrays. The step allocates nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/PairTable.h"
#include "engine/Settings.h"
#include "engine/WorkerPool.h"
#include "model/Global.h"

namespace vorun {

// 1.01 with the heater on, else 1; 0.99 with the cooler on, else 1 (the
// Extended80 values nearest those decimals).
Extended80 HeaterFactor(const StepSettings& settings);
Extended80 CoolerFactor(const StepSettings& settings);

// A slot's working velocity and position after the step as a worker hands
// them back.
struct alignas(64) SlotResult {
  Extended80 vx = 0, vy = 0, vz = 0, px = 0, py = 0, pz = 0;
  bool faulted = false;  // a flag came up in its sums or its integration
};

// Where the wall time of steps went, in nanoseconds summed over the steps
// that ran with it, for diagnosing a machine from one benchmark run. The
// caller's own part: prepare (the values of the whole step), shared (from the
// start of the threads' work until the last of them is done), store (the
// stores in slot order, the commit and the walls). Each thread's: wake (from the start
// until it began), fill (the pair table's rows), transcendental (the batches
// of exponentials and logarithms within fill), waitFill (until every thread
// had filled its rows), sums (forces and integration of its slots).
struct StepPhases {
  struct alignas(64) Thread {
    std::int64_t wake = 0, fill = 0, transcendental = 0, waitFill = 0, sums = 0;
  };
  std::int64_t steps = 0, total = 0, prepare = 0, shared = 0, store = 0;
  // Slots whose sums raised a flag and were formed again the three-pass way
  // (in steps that completed): a fault, or a pair table with holes.
  std::int64_t replayedSlots = 0;
  Thread threads[MaxStepThreads];
};

// The scratch space of the one-pass step. One per ensemble or per thread:
// a workspace must not be shared by two steps at the same time.
struct StepWorkspace {
  StepWorkspace();
  ~StepWorkspace();

  // Threads a step is split over; 0 takes StepThreads() at every step.
  int threads = 0;

  law::PairTable table;
  // Made at the first step with more than one thread, and kept while the
  // count stays the same.
  std::unique_ptr<WorkerPool> pool;
  SlotResult results[MaxSlots + 1];
  // Where the steps' time goes, when set; nullptr costs nothing.
  StepPhases* phases = nullptr;
};

// Advances e by one step of its TimeStep, computing the three force
// components of a taon in one pass over its partners. With more than one
// thread the pair table and the sums are shared out among them; the
// integration, the commit and the walls stay on the calling thread, in slot
// order, so values, faults and the arrays after a fault are those of one
// thread.
void AdvanceStep(EnsembleState& e, const StepSettings& settings, StepWorkspace& workspace);

// The same with a workspace of the calling thread's own, on StepThreads().
void AdvanceStep(EnsembleState& e, const StepSettings& settings);

// The same step with ForceX, ForceY and ForceZ each making its own pass: the
// straightforward form that AdvanceStep must match bit for bit.
void AdvanceStepReference(EnsembleState& e, const StepSettings& settings);

}  // namespace vorun
