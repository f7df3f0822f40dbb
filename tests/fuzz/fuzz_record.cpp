// The ensemble file: any bytes as a file, the bytes after the first 3776 as
// the settings of a few steps, then a write.
//
// A file shorter than a record fails to read and changes nothing. A record
// read and written back is the same 3776 bytes, whatever they hold. The
// one-pass step agrees with the three-pass reference bit for bit and fault for
// fault. When the check before a run finds no NaN, a step without a fault
// leaves none in a slot it moved. The stepped ensemble, written and read
// again, is the same ensemble.
#include <cmath>
#include <cstdint>

#include "FuzzSupport.h"
#include "engine/RunCheck.h"
#include "engine/Step.h"
#include "model/EnsembleFile.h"
#include "model/Error.h"

namespace vorun::fuzz {
namespace {

StepSettings SettingsFrom(const std::uint8_t* extra, std::size_t size) {
  StepSettings s;
  const std::uint8_t a = size > 0 ? extra[0] : 0, b = size > 1 ? extra[1] : 0;
  s.law.formula = static_cast<Formula>(a % 5);
  s.law.colourSplit = static_cast<ColourSplit>((a / 5) % 3);
  s.law.scope = (a & 0x80) ? Scope::Taoscope : Scope::Gravoscope;
  s.law.noShellB = (b & 1) != 0;
  s.law.noShellsCDF = (b & 2) != 0;
  s.blockade = (b & 4) != 0;
  s.heater = (b & 8) != 0;
  s.cooler = (b & 16) != 0;
  s.wall = static_cast<WallMode>((b >> 5) % 4);
  return s;
}

std::string Step(EnsembleState& e, const StepSettings& settings, StepWorkspace* workspace) {
  try {
    if (workspace)
      AdvanceStep(e, settings, *workspace);
    else
      AdvanceStepReference(e, settings);
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

bool SameSlots(const EnsembleState& a, const EnsembleState& b) {
  for (int n = 1; n <= MaxSlots; ++n) {
    const Extended80* x[] = {&a.PosX[n],     &a.PosY[n],     &a.PosZ[n],     &a.VelU[n],     &a.VelV[n],
                             &a.VelW[n],     &a.NextPosX[n], &a.NextPosY[n], &a.NextPosZ[n], &a.NextVelU[n],
                             &a.NextVelV[n], &a.NextVelW[n], &a.ViewX[n],    &a.ViewY[n],    &a.ViewZ[n]};
    const Extended80* y[] = {&b.PosX[n],     &b.PosY[n],     &b.PosZ[n],     &b.VelU[n],     &b.VelV[n],
                             &b.VelW[n],     &b.NextPosX[n], &b.NextPosY[n], &b.NextPosZ[n], &b.NextVelU[n],
                             &b.NextVelV[n], &b.NextVelW[n], &b.ViewX[n],    &b.ViewY[n],    &b.ViewZ[n]};
    for (std::size_t k = 0; k < std::size(x); ++k)
      if (!SameBits(*x[k], *y[k])) return false;
    if (a.Exists[n] != b.Exists[n]) return false;
  }
  return true;
}

// What a step writes: the positions and working velocities of the moved
// slots. A held or empty slot keeps whatever bits it had, NaN or not.
bool NaNInAMovedSlot(const EnsembleState& e, const StepSettings& settings) {
  for (int n = settings.blockade ? 5 : 1; n <= e.SlotCount; ++n) {
    if (e.Exists[n] == 0) continue;
    for (const Extended80 v : {e.PosX[n], e.PosY[n], e.PosZ[n], e.NextVelU[n], e.NextVelV[n], e.NextVelW[n]})
      if (std::isnan(v)) return true;
  }
  return false;
}

}  // namespace
}  // namespace vorun::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorun;
  using namespace vorun::fuzz;
  const std::string in = Folder() + "/in.tvx", out = Folder() + "/out.tvx";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  WriteBytes(in, bytes);

  EnsembleState state;
  state.SlotCount = MaxSlots;
  state.PosX[1] = 42;
  EnsembleRecord record{};
  record.Padding1[0] = 0x5A;
  if (size < sizeof(EnsembleRecord)) {
    std::string error;
    try {
      ReadEnsembleFile(in, state, record);
    } catch (const Error& e) {
      error = e.what();
    }
    FUZZ_CHECK(error == "Read beyond end of file", "%s", error.c_str());
    FUZZ_CHECK(state.PosX[1] == 42 && record.Padding1[0] == 0x5A, "a failed read changed something");
    return 0;
  }
  ReadEnsembleFile(in, state, record);
  FUZZ_CHECK(std::memcmp(&record, data, sizeof record) == 0);
  WriteEnsembleFile(out, state, record);
  FUZZ_CHECK(ReadBytes(out) == bytes.substr(0, sizeof record), "read and written back, the record changed");

  const StepSettings settings = SettingsFrom(data + sizeof record, size - sizeof record);
  const int steps = 1 + (size > sizeof record + 2 ? data[sizeof record + 2] % 3 : 0);
  const bool runnable = !FindNaN(state, settings).has_value();
  EnsembleState reference = state;
  StepWorkspace workspace;
  for (int k = 0; k < steps; ++k) {
    const std::string fault = Step(state, settings, &workspace);
    const std::string referenceFault = Step(reference, settings, nullptr);
    FUZZ_CHECK(fault == referenceFault, "step %d: '%s' against '%s'", k + 1, fault.c_str(),
               referenceFault.c_str());
    FUZZ_CHECK(SameSlots(state, reference), "step %d: one pass and three passes differ", k + 1);
    if (!fault.empty()) break;
    FUZZ_CHECK(!runnable || !NaNInAMovedSlot(state, settings), "step %d: a NaN appeared without a fault",
               k + 1);
  }

  WriteEnsembleFile(out, state, record);
  EnsembleState back;
  back.SlotCount = MaxSlots;
  EnsembleRecord backRecord{};
  ReadEnsembleFile(out, back, backRecord);
  FUZZ_CHECK(std::memcmp(&backRecord, &record, sizeof record) == 0);
  for (int n = 1; n <= MaxSlots; ++n) {
    FUZZ_CHECK(SameBits(back.PosX[n], state.PosX[n]) && SameBits(back.VelW[n], state.VelW[n]) &&
               back.Exists[n] == state.Exists[n]);
  }
  FUZZ_CHECK(SameBits(back.TimeStep, state.TimeStep) && SameBits(back.F2, state.F2));
  return 0;
}
