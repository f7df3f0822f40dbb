#include "engine/RunCheck.h"

#include <cstdint>
#include <cstring>

#include "engine/Law.h"
#include "model/Error.h"
#include "model/Float80Bits.h"
#include "model/FloatFault.h"

namespace vorun {

namespace {

// From the bits, so that looking at a signalling NaN or an unnormal raises no
// flag: all-ones exponent, integer bit set, and a fraction that is not zero
// (a zero fraction is an infinity). Without the integer bit the value is a
// pseudo-NaN, which the arithmetic already refuses as an invalid operand.
bool IsNaN(const Extended80& value) {
  const Bits b = BitsOf(value);
  return (b.se & MaxBiased) == MaxBiased && (b.mant & TopBit) != 0 && (b.mant & ~TopBit) != 0;
}

std::string NotANumber(const std::string& what) {
  return what + " is not a number (NaN). The run does not start.";
}

struct ParameterUse {
  bool a = true, b = false, c = false, d = false, f = false;
};

ParameterUse UsedParameters(const LawSettings& law) {
  ParameterUse use;
  switch (law.formula) {
    case Formula::Exponential:
    case Formula::PolyExpon:
      use.b = true;
      break;
    case Formula::PolyExpSum:
      use.b = !law.noShellB;
      use.c = use.d = use.f = !law.noShellsCDF;
      break;
    case Formula::ExpoPolyExpSum:
    case Formula::EPESminus:
      use.b = use.c = use.d = use.f = true;
      break;
  }
  return use;
}

}  // namespace

std::optional<std::string> FindNaN(const EnsembleState& e, const StepSettings& settings) {
  if (IsNaN(e.TimeStep)) return NotANumber("The time step dt");

  const int count = ClampedSlotCount(e);
  const int firstMoved = settings.blockade ? 5 : 1;
  auto moved = [&](int n) { return n >= firstMoved && e.Exists[n] != 0; };

  // A set takes part when a moved taon has an occupied partner in it, for any
  // of the three components.
  bool setUsed[3] = {false, false, false};
  for (int i = firstMoved; i <= count; ++i) {
    if (!moved(i)) continue;
    for (int j = 1; j <= count; ++j) {
      if (j == i || e.Exists[j] == 0) continue;
      for (const Axis axis : {Axis::X, Axis::Y, Axis::Z})
        setUsed[PartnerSet(j, e.SlotCount, settings.law, axis)] = true;
    }
  }
  const ParameterUse use = UsedParameters(settings.law);
  const struct {
    const char* name;
    const Extended80& value;
    bool used;
    int set;
  } parameters[] = {
      {"A1", e.A1, use.a, 1}, {"B1", e.B1, use.b, 1}, {"C1", e.C1, use.c, 1}, {"D1", e.D1, use.d, 1},
      {"F1", e.F1, use.f, 1}, {"A2", e.A2, use.a, 2}, {"B2", e.B2, use.b, 2}, {"C2", e.C2, use.c, 2},
      {"D2", e.D2, use.d, 2}, {"F2", e.F2, use.f, 2},
  };
  for (const auto& p : parameters)
    if (p.used && setUsed[p.set] && IsNaN(p.value)) return NotANumber(std::string("The parameter ") + p.name);
  // Each step divides by these, used or not: a zero, a value too small to
  // divide by or a signalling NaN there would fault at step 1 without a name.
  // The very division tells, with the step's own flags.
  for (const DividedLength& length : DividedLengths) {
    ClearFloatFaults();
    [[maybe_unused]] const Extended80 k = Settled(ShellScale / e.*length.field);
    if (FloatFaultPending()) {
      std::string fault;
      try {
        ThrowPendingFloatFault();
      } catch (const Error& error) {
        fault = error.what();
      }
      return std::string("The parameter ") + length.name + " makes every step fail: " + fault +
             ". The run does not start.";
    }
  }

  for (int n = 1; n <= count; ++n) {
    if (e.Exists[n] == 0) continue;
    const std::string slot = " of slot " + std::to_string(n);
    // The committed position is what partners see; the working copies are
    // what the slot's own motion goes on from.
    const struct {
      const char* what;
      const Extended80& value;
      bool read;
    } quantities[] = {
        {"The position x", e.PosX[n], true},
        {"The position y", e.PosY[n], true},
        {"The position z", e.PosZ[n], true},
        {"The position x", e.NextPosX[n], moved(n)},
        {"The position y", e.NextPosY[n], moved(n)},
        {"The position z", e.NextPosZ[n], moved(n)},
        {"The velocity x", e.NextVelU[n], moved(n)},
        {"The velocity y", e.NextVelV[n], moved(n)},
        {"The velocity z", e.NextVelW[n], moved(n)},
        // A held slot's velocity is not stepped, but the kinetic energy and
        // every observable of the run are summed over it.
        {"The velocity x", e.VelU[n], true},
        {"The velocity y", e.VelV[n], true},
        {"The velocity z", e.VelW[n], true},
    };
    for (const auto& q : quantities)
      if (q.read && IsNaN(q.value)) return NotANumber(q.what + slot);
  }
  return std::nullopt;
}

void CheckRunnable(const EnsembleState& state, const StepSettings& settings) {
  if (const auto message = FindNaN(state, settings)) throw Error(*message);
}

}  // namespace vorun
