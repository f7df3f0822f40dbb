#include "engine/Step.h"

#include <atomic>

#include "engine/Law.h"
#include "engine/PairTable.h"
#include "engine/WorkerPool.h"
#include "model/FloatFault.h"

namespace vorun {

namespace {

// v = (heater * cooler) * v + force * dt, then p = p + v * dt. A faulting
// assignment stores nothing, so the earlier components and slots keep their
// new values and this one keeps its old.
void Integrate(Extended80 dt, Extended80 force, Extended80& v, Extended80& p, const StepSettings& settings) {
  const Extended80 a = Checked(force * dt);
  const Extended80 factor = Checked(HeaterFactor(settings) * CoolerFactor(settings));
  Extended80 next = Checked(factor * v);
  v = Checked(next + a);
  next = Checked(v * dt);
  p = Checked(p + next);
}

// The three components of slot i, each from its own pass over the partners.
void IntegrateSlot(EnsembleState& e, int i, const StepSettings& settings) {
  Integrate(e.TimeStep, ForceX(e, i, settings.law), e.NextVelU[i], e.NextPosX[i], settings);
  Integrate(e.TimeStep, ForceY(e, i, settings.law), e.NextVelV[i], e.NextPosY[i], settings);
  Integrate(e.TimeStep, ForceZ(e, i, settings.law), e.NextVelW[i], e.NextPosZ[i], settings);
}

void CommitSlots(EnsembleState& e, int first) {
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
void CompareWithWalls(EnsembleState& e, WallMode wall) {
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
void ApplyWalls(EnsembleState& e, WallMode wall) {
  if (wall == WallMode::Thermosout) return;
  ClearFloatFaults();
  CompareWithWalls(e, wall);
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

void AdvanceStepReference(EnsembleState& e, const StepSettings& settings) {
  const int first = settings.blockade ? 5 : 1;
  ClearFloatFaults();
  for (int i = first; i <= e.SlotCount; ++i) {
    if (e.Exists[i] != 0) IntegrateSlot(e, i, settings);
  }
  CommitSlots(e, first);
  ApplyWalls(e, settings.wall);
}

namespace {

// The one-thread step. The shared values of the whole step come first,
// before anything is written; if a flag comes up there, the three-pass step
// runs instead and finds the fault exactly where it lies. A flag in the sums
// of one slot makes that slot run the three-pass way, which throws its first
// fault after the same updates. Without a fault both ways give the same
// values.
void SerialStep(EnsembleState& e, const StepSettings& settings, StepWorkspace& workspace, int first) {
  if (!law::FillPairTable(workspace.table, e, settings.law, first)) {
    AdvanceStepReference(e, settings);
    return;
  }
  for (int i = first; i <= e.SlotCount; ++i) {
    if (e.Exists[i] == 0) continue;
    Extended80 x, y, z;
    law::PairTableForces(workspace.table, e, i, x, y, z);
    if (FloatFaultPending()) {
      IntegrateSlot(e, i, settings);
      continue;
    }
    Integrate(e.TimeStep, x, e.NextVelU[i], e.NextPosX[i], settings);
    Integrate(e.TimeStep, y, e.NextVelV[i], e.NextPosY[i], settings);
    Integrate(e.TimeStep, z, e.NextVelW[i], e.NextPosZ[i], settings);
  }
  CommitSlots(e, first);
  ApplyWalls(e, settings.wall);
}

// What the threads of one step share. Rows and slots are handed out one at a
// time from a counter, so a thread that finds cheap rows takes more of them;
// who computes a value never changes it.
struct SharedStep {
  const EnsembleState* e = nullptr;
  StepWorkspace* workspace = nullptr;
  int first = 1;
  std::atomic<int> next{1};
  // One per thread, each on a cache line of its own.
  struct alignas(64) Flag {
    bool raised = false;
  };
  Flag faulted[MaxStepThreads];
};

void FillRows(void* context, int worker) {
  SharedStep& step = *static_cast<SharedStep*>(context);
  ClearFloatFaults();
  for (int lo = step.next.fetch_add(1, std::memory_order_relaxed); lo <= step.e->SlotCount;
       lo = step.next.fetch_add(1, std::memory_order_relaxed))
    law::FillPairRow(step.workspace->table, *step.e, lo);
  step.faulted[worker].raised = FloatFaultPending();
  ClearFloatFaults();
}

void SumSlots(void* context, int) {
  SharedStep& step = *static_cast<SharedStep*>(context);
  const EnsembleState& e = *step.e;
  for (int i = step.next.fetch_add(1, std::memory_order_relaxed); i <= e.SlotCount;
       i = step.next.fetch_add(1, std::memory_order_relaxed)) {
    if (e.Exists[i] == 0 || i < step.first) continue;
    ClearFloatFaults();
    SlotForces& f = step.workspace->forces[i];
    Extended80 x, y, z;
    law::PairTableForces(step.workspace->table, e, i, x, y, z);
    f.faulted = FloatFaultPending();
    f.x = x;
    f.y = y;
    f.z = z;
  }
  ClearFloatFaults();
}

// The step of SerialStep with the pair table and the sums shared out. What
// the threads hand back is what SerialStep would compute at that point, and
// the calling thread goes on from it in the same order.
void ParallelStep(EnsembleState& e, const StepSettings& settings, StepWorkspace& workspace, int first) {
  if (!law::PreparePairTable(workspace.table, e, settings.law, first)) {
    AdvanceStepReference(e, settings);
    return;
  }
  WorkerPool& pool = *workspace.pool;
  SharedStep step;
  step.e = &e;
  step.workspace = &workspace;
  step.first = first;
  pool.Run(FillRows, &step);
  for (int n = 0; n < pool.Threads(); ++n) {
    if (step.faulted[n].raised) {
      AdvanceStepReference(e, settings);
      return;
    }
  }
  step.next = 1;
  pool.Run(SumSlots, &step);
  for (int i = first; i <= e.SlotCount; ++i) {
    if (e.Exists[i] == 0) continue;
    const SlotForces& f = workspace.forces[i];
    if (f.faulted) {
      IntegrateSlot(e, i, settings);
      continue;
    }
    Integrate(e.TimeStep, f.x, e.NextVelU[i], e.NextPosX[i], settings);
    Integrate(e.TimeStep, f.y, e.NextVelV[i], e.NextPosY[i], settings);
    Integrate(e.TimeStep, f.z, e.NextVelW[i], e.NextPosZ[i], settings);
  }
  CommitSlots(e, first);
  ApplyWalls(e, settings.wall);
}

}  // namespace

StepWorkspace::StepWorkspace() = default;
StepWorkspace::~StepWorkspace() = default;

void AdvanceStep(EnsembleState& e, const StepSettings& settings, StepWorkspace& workspace) {
  const int first = settings.blockade ? 5 : 1;
  ClearFloatFaults();
  const int threads = workspace.threads > 0 ? workspace.threads : StepThreads();
  if (threads <= 1) {
    SerialStep(e, settings, workspace, first);
    return;
  }
  if (!workspace.pool || workspace.pool->Threads() != threads) {
    workspace.pool.reset();
    workspace.pool = std::make_unique<WorkerPool>(threads);
  }
  ParallelStep(e, settings, workspace, first);
}

void AdvanceStep(EnsembleState& e, const StepSettings& settings) {
  // Allocated on a thread's first step and kept, so later steps allocate nothing.
  thread_local StepWorkspace workspace;
  AdvanceStep(e, settings, workspace);
}

}  // namespace vorun
