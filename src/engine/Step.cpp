#include "engine/Step.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "engine/Law.h"
#include "engine/LawTerms.h"
#include "engine/PairTable.h"
#include "engine/WorkerPool.h"
#include "model/FloatFault.h"

namespace vorun {

namespace {

// v = (heater * cooler) * v + force * dt, then p = p + v * dt. A faulting
// assignment stores nothing, so the earlier components and slots keep their
// new values and this one keeps its old. Unchecked, the same operations leave
// a fault's flag up for the caller to test.
template <class K>
void IntegrateAs(Extended80 dt, Extended80 force, Extended80& v, Extended80& p,
                 const StepSettings& settings) {
  const Extended80 a = K::Take(force * dt);
  const Extended80 factor = K::Take(HeaterFactor(settings) * CoolerFactor(settings));
  Extended80 next = K::Take(factor * v);
  v = K::Take(next + a);
  next = K::Take(v * dt);
  p = K::Take(p + next);
}

void Integrate(Extended80 dt, Extended80 force, Extended80& v, Extended80& p, const StepSettings& settings) {
  IntegrateAs<law::EachChecked>(dt, force, v, p, settings);
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

// The forces of slot i from the table and its integration on copies of its
// working values. Nothing of the ensemble is written, so any thread can do
// it for any slot while the others do theirs. A flag anywhere marks the slot.
void ComputeSlot(const law::PairTable& table, const EnsembleState& e, int i, const StepSettings& settings,
                 SlotResult& result) {
  ClearFloatFaults();
  Extended80 x, y, z;
  law::PairTableForces(table, e, i, x, y, z);
  Extended80 vx = e.NextVelU[i], vy = e.NextVelV[i], vz = e.NextVelW[i];
  Extended80 px = e.NextPosX[i], py = e.NextPosY[i], pz = e.NextPosZ[i];
  IntegrateAs<law::Unchecked>(e.TimeStep, x, vx, px, settings);
  IntegrateAs<law::Unchecked>(e.TimeStep, y, vy, py, settings);
  IntegrateAs<law::Unchecked>(e.TimeStep, z, vz, pz, settings);
  result.vx = Settled(vx), result.vy = Settled(vy), result.vz = Settled(vz);
  result.px = Settled(px), result.py = Settled(py), result.pz = Settled(pz);
  result.faulted = FloatFaultPending();
  if (result.faulted) ClearFloatFaults();
}

// Stores what ComputeSlot found, in slot order. A marked slot runs the
// three-pass way with every operation checked, which throws its first fault
// after the same updates as the straightforward step; without a fault both
// ways give the same values.
void StoreSlot(EnsembleState& e, int i, const StepSettings& settings, const SlotResult& r) {
  if (r.faulted) {
    IntegrateSlot(e, i, settings);
    return;
  }
  e.NextVelU[i] = r.vx, e.NextPosX[i] = r.px;
  e.NextVelV[i] = r.vy, e.NextPosY[i] = r.py;
  e.NextVelW[i] = r.vz, e.NextPosZ[i] = r.pz;
}

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// What the threads of one step share. Rows are handed out one at a time from
// a counter, largest first, so a thread that finds cheap rows takes more of
// them; who computes a value never changes it.
struct SharedStep {
  const EnsembleState* e = nullptr;
  const StepSettings* settings = nullptr;
  StepWorkspace* workspace = nullptr;
  StepPhases* phases = nullptr;
  std::int64_t start = 0;
  int first = 1;
  int threads = 1;
  alignas(64) std::atomic<int> nextRow{1};
  alignas(64) std::atomic<int> filled{0};
  // One per thread, each on a cache line of its own.
  struct alignas(64) Flag {
    bool raised = false;
  };
  Flag faulted[MaxStepThreads];
};

// One thread's part of a step: rows of the table until none is left, then,
// once every thread has filled its rows and none found a flag, slots.
void ShareOfStep(void* context, int worker) {
  SharedStep& step = *static_cast<SharedStep*>(context);
  const EnsembleState& e = *step.e;
  StepPhases::Thread* clock = step.phases ? &step.phases->threads[worker] : nullptr;
  std::int64_t t0 = 0, t1 = 0;
  if (clock) {
    t0 = Now();
    clock->wake += t0 - step.start;
  }
  ClearFloatFaults();
  for (int lo = step.nextRow.fetch_add(1, std::memory_order_relaxed); lo <= e.SlotCount;
       lo = step.nextRow.fetch_add(1, std::memory_order_relaxed))
    law::FillPairRow(step.workspace->table, e, lo, clock ? &clock->transcendental : nullptr);
  step.faulted[worker].raised = FloatFaultPending();
  if (step.faulted[worker].raised) ClearFloatFaults();
  if (clock) {
    t1 = Now();
    clock->fill += t1 - t0;
  }
  if (step.threads > 1) {
    step.filled.fetch_add(1, std::memory_order_acq_rel);
    WaitUntil([&] { return step.filled.load(std::memory_order_acquire) == step.threads; });
    if (clock) {
      t0 = Now();
      clock->waitFill += t0 - t1;
      t1 = t0;
    }
  }
  for (int n = 0; n < step.threads; ++n)
    if (step.faulted[n].raised) return;
  // Every slot costs the same, so they are dealt out in turn, without a
  // shared counter whose cache line would travel at every slot.
  for (int i = step.first + worker; i <= e.SlotCount; i += step.threads) {
    if (e.Exists[i] == 0) continue;
    ComputeSlot(step.workspace->table, e, i, *step.settings, step.workspace->results[i]);
  }
  if (clock) clock->sums += Now() - t1;
}

// The step: the shared values of the whole step come first, before anything
// is written; if a flag comes up there, the three-pass step runs instead and
// finds the fault exactly where it lies. Then the pair table, the sums and
// the integration, shared out over the threads when there are several; the
// calling thread stores what they hand back in slot order, commits and
// applies the walls, so values, faults and the arrays after a fault are the
// same for every thread count.
void OneStep(EnsembleState& e, const StepSettings& settings, StepWorkspace& workspace, int first,
             int threads) {
  StepPhases* phases = workspace.phases;
  const std::int64_t start = phases ? Now() : 0;
  if (!law::PreparePairTable(workspace.table, e, settings.law, first)) {
    AdvanceStepReference(e, settings);
    return;
  }
  SharedStep step;
  step.e = &e;
  step.settings = &settings;
  step.workspace = &workspace;
  step.phases = phases;
  step.first = first;
  step.threads = threads;
  if (phases) {
    step.start = Now();
    phases->prepare += step.start - start;
  }
  if (threads == 1)
    ShareOfStep(&step, 0);
  else
    workspace.pool->Run(ShareOfStep, &step);
  const std::int64_t shared = phases ? Now() : 0;
  if (phases) phases->shared += shared - step.start;
  for (int n = 0; n < threads; ++n) {
    if (step.faulted[n].raised) {
      AdvanceStepReference(e, settings);
      return;
    }
  }
  for (int i = first; i <= e.SlotCount; ++i)
    if (e.Exists[i] != 0) StoreSlot(e, i, settings, workspace.results[i]);
  CommitSlots(e, first);
  ApplyWalls(e, settings.wall);
  if (phases) {
    const std::int64_t end = Now();
    phases->store += end - shared;
    phases->total += end - start;
    ++phases->steps;
  }
}

}  // namespace

StepWorkspace::StepWorkspace() = default;
StepWorkspace::~StepWorkspace() = default;

void AdvanceStep(EnsembleState& e, const StepSettings& settings, StepWorkspace& workspace) {
  const int first = settings.blockade ? 5 : 1;
  ClearFloatFaults();
  const int requested =
      std::clamp(workspace.threads > 0 ? workspace.threads : StepThreads(), 1, MaxStepThreads);
  if (requested > 1 && (!workspace.pool || workspace.pool->Requested() != requested)) {
    workspace.pool.reset();
    workspace.pool = std::make_unique<WorkerPool>(requested);
  }
  // The system may have started fewer threads than asked for.
  OneStep(e, settings, workspace, first, requested > 1 ? workspace.pool->Threads() : 1);
}

void AdvanceStep(EnsembleState& e, const StepSettings& settings) {
  // Allocated on a thread's first step and kept, so later steps allocate nothing.
  thread_local StepWorkspace workspace;
  AdvanceStep(e, settings, workspace);
}

}  // namespace vorun
