#include "engine/Step.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

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

// A run of rows of the pair table, [front, back), packed into one word so
// that its owner can take rows from the front while another thread takes
// them from the back.
struct alignas(64) RowRun {
  std::atomic<std::uint32_t> span{0};

  void Set(int front, int back) {
    span.store(static_cast<std::uint32_t>(front) | static_cast<std::uint32_t>(back) << 16,
               std::memory_order_relaxed);
  }
  // A row, or 0 when the run is empty.
  int Take(bool fromFront) {
    std::uint32_t now = span.load(std::memory_order_relaxed);
    for (;;) {
      const int front = static_cast<int>(now & 0xffff), back = static_cast<int>(now >> 16);
      if (front >= back) return 0;
      const std::uint32_t next = fromFront ? now + 1 : now - (std::uint32_t{1} << 16);
      if (span.compare_exchange_weak(now, next, std::memory_order_relaxed))
        return fromFront ? front : back - 1;
    }
  }
};

// What the threads of one step share. Each thread fills a run of
// neighbouring rows of its own, from the front; a thread whose run is done
// takes rows from the back of another's, where the rows are the shortest.
// The threads so write different parts of the table: a row's mirror entries
// lie down its column, next to those of the neighbouring rows, and two
// threads filling neighbouring rows would fight over those cache lines at
// every entry. Who computes a value never changes it.
struct SharedStep {
  const EnsembleState* e = nullptr;
  const StepSettings* settings = nullptr;
  StepWorkspace* workspace = nullptr;
  StepPhases* phases = nullptr;
  std::int64_t start = 0;
  int first = 1;
  int threads = 1;
  // The slots whose sums thread n forms: [firstSlot[n], firstSlot[n + 1]).
  int firstSlot[MaxStepThreads + 1] = {};
  RowRun rows[MaxStepThreads];
  alignas(64) std::atomic<int> filled{0};
  // One per thread, each on a cache line of its own.
  struct alignas(64) Flag {
    bool raised = false;
  };
  Flag faulted[MaxStepThreads];
};

// Splits the rows into one run per thread with about the same number of
// pairs each (row lo holds the occupied slots above it), and the slots from
// first on into blocks with the same number of occupied slots each: a slot's
// sums cost the same whatever its number, and a thread then reads rows next
// to each other, much of which it filled itself.
void ShareOut(SharedStep& step, const EnsembleState& e) {
  int occupied = 0, moved = 0;
  for (int i = 1; i <= e.SlotCount; ++i) {
    if (e.Exists[i] == 0) continue;
    ++occupied;
    if (i >= step.first) ++moved;
  }
  const std::int64_t pairs = std::int64_t{occupied} * (occupied - 1) / 2;
  const int threads = step.threads;
  int lo = 1, above = occupied;
  std::int64_t done = 0;
  for (int n = 0; n < threads; ++n) {
    const int front = lo;
    const std::int64_t goal = pairs * (n + 1) / threads;
    while (lo <= e.SlotCount && (done < goal || n == threads - 1)) {
      if (e.Exists[lo] != 0) done += --above;
      ++lo;
    }
    step.rows[n].Set(front, lo);
  }
  int i = step.first, counted = 0;
  for (int n = 0; n < threads; ++n) {
    step.firstSlot[n] = i;
    const int goal = moved * (n + 1) / threads;
    while (i <= e.SlotCount && (counted < goal || n == threads - 1)) {
      if (e.Exists[i] != 0) ++counted;
      ++i;
    }
  }
  step.firstSlot[threads] = e.SlotCount + 1;
}

// The next row for a thread: from its own run, else from another's.
int TakeRow(SharedStep& step, int worker) {
  if (const int lo = step.rows[worker].Take(true); lo > 0) return lo;
  for (int k = 1; k < step.threads; ++k) {
    if (const int lo = step.rows[(worker + k) % step.threads].Take(false); lo > 0) return lo;
  }
  return 0;
}

// One thread's part of a step: rows of the table until none is left, then,
// once every thread has filled its rows and none found a flag, its slots.
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
  for (int lo = TakeRow(step, worker); lo > 0; lo = TakeRow(step, worker))
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
  for (int i = step.firstSlot[worker]; i < step.firstSlot[worker + 1]; ++i) {
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
  ShareOut(step, e);
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
  for (int i = first; i <= e.SlotCount; ++i) {
    if (e.Exists[i] == 0) continue;
    if (phases && workspace.results[i].faulted) ++phases->replayedSlots;
    StoreSlot(e, i, settings, workspace.results[i]);
  }
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
