// The ensembles, settings and faults that the step tests run: every formula
// with every setting, and the faults the law and the step can end with.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "engine/Step.h"

namespace vorun::cases {

// What a run of at most `steps` steps ended with.
struct Outcome {
  std::string error;
  int step = 0;  // the step that faulted, or the number of steps done
  EnsembleState state;
};

template <class Advance>
Outcome Run(Advance advance, const EnsembleState& start, const StepSettings& settings, int steps) {
  Outcome outcome;
  outcome.state = start;
  for (outcome.step = 1; outcome.step <= steps; ++outcome.step) {
    outcome.error = ErrorOf([&] { advance(outcome.state, settings); });
    if (!outcome.error.empty()) break;
  }
  return outcome;
}

// Nine taons across the set borders 30/31, 45/46 and 50/51, slot 2 inside the
// blockade, both sets different in every parameter. Empty slot 3 sits on top
// of slot 2 and empty slot 40 holds a NaN: either would fault if it took part.
inline EnsembleState MixedEnsemble() {
  ClearEnsemble();
  auto& e = TestEnsemble;
  SetTwoDifferentSets(e);
  Scatter scatter(12345);
  auto next = [&scatter] { return scatter(4); };
  int k = 0;
  for (int n : {2, 5, 30, 31, 45, 46, 50, 51, 60}) {
    ++k;
    // On a coarse lattice with jitter, so no two taons start closer than 0.6.
    // Drawn w first and x last, whatever order a compiler gives the
    // arguments of a call: the faults' steps depend on these values.
    const Extended80 w = next() * 0.3L, v = next() * 0.3L, u = next() * 0.3L, z = next() * 0.1L;
    const Extended80 y = (k / 3 % 3) * 1.3L - 1.3L + next() * 0.1L;
    const Extended80 x = (k % 3) * 1.3L - 1.3L + next() * 0.1L;
    Place(n, x, y, z, u, v, w);
  }
  e.PosX[3] = e.PosX[2], e.PosY[3] = e.PosY[2], e.PosZ[3] = e.PosZ[2];
  e.PosX[40] = std::numeric_limits<Extended80>::quiet_NaN();
  return e;
}

struct Config {
  Formula formula;
  ColourSplit split;
  Scope scope;
  bool checkBox2 = false, checkBox3 = false, heater = false, cooler = false, blockade = false;
  WallMode wall = WallMode::Thermosout;
};

// Names the case in test listings, e.g. PolyExpSum_Bk_Taoscope_CheckBox2.
inline std::string ConfigName(const testing::TestParamInfo<Config>& info) {
  static const char* const formulas[] = {"PolyExpon", "Exponential", "PolyExpSum", "ExpoPolyExpSum",
                                         "EPESminus"};
  static const char* const splits[] = {"Ak", "Bk", "Ck"};
  static const char* const walls[] = {"Thermos3X3", "Thermos20X20", "ThermosNXN", ""};
  const Config& c = info.param;
  std::string name = std::string(formulas[static_cast<int>(c.formula)]) + "_" +
                     splits[static_cast<int>(c.split)] +
                     (c.scope == Scope::Taoscope ? "_Taoscope" : "_Gravoscope");
  if (c.checkBox2) name += "_CheckBox2";
  if (c.checkBox3) name += "_CheckBox3";
  if (c.heater) name += "_Heater";
  if (c.cooler) name += "_Cooler";
  if (c.blockade) name += "_Blockade";
  if (c.wall != WallMode::Thermosout) name += std::string("_") + walls[static_cast<int>(c.wall)];
  return name;
}

inline StepSettings SettingsOf(const Config& c) {
  StepSettings s;
  s.law = {c.formula, c.split, c.scope, c.checkBox2, c.checkBox3};
  s.heater = c.heater;
  s.cooler = c.cooler;
  s.blockade = c.blockade;
  s.wall = c.wall;
  return s;
}

using F = Formula;
using C = ColourSplit;
constexpr Scope Tao = Scope::Taoscope;
constexpr Scope Gravo = Scope::Gravoscope;

// Every formula under each split, scope, check box, factor, blockade and wall.
inline const std::vector<Config>& AllConfigs() {
  static const std::vector<Config> configs = {

      Config{F::Exponential, C::Ak, Gravo},
      Config{F::Exponential, C::Bk, Tao, false, false, true},
      Config{F::Exponential, C::Ck, Gravo, false, false, false, true, false, WallMode::Thermos3X3},
      Config{F::Exponential, C::Ak, Tao, false, false, true, false, true, WallMode::ThermosNXN},
      Config{F::PolyExpon, C::Ak, Tao},
      Config{F::PolyExpon, C::Bk, Gravo, false, false, false, false, true, WallMode::Thermos20X20},
      Config{F::PolyExpon, C::Ck, Tao, false, false, true, true, false, WallMode::ThermosNXN},
      Config{F::PolyExpSum, C::Ak, Gravo},
      Config{F::PolyExpSum, C::Bk, Tao, true},
      Config{F::PolyExpSum, C::Ck, Gravo, false, true, false, false, true},
      Config{F::PolyExpSum, C::Ak, Tao, true, true, false, false, false, WallMode::Thermos3X3},
      Config{F::ExpoPolyExpSum, C::Ak, Tao},
      Config{F::ExpoPolyExpSum, C::Bk, Gravo, false, false, false, true, false, WallMode::Thermos3X3},
      Config{F::ExpoPolyExpSum, C::Ck, Tao, false, false, false, false, true},
      Config{F::EPESminus, C::Ak, Gravo, false, false, true},
      Config{F::EPESminus, C::Bk, Tao, false, false, false, false, false, WallMode::Thermos20X20},
      Config{F::EPESminus, C::Ck, Gravo, false, false, false, false, true, WallMode::ThermosNXN}};
  return configs;
}

// Faults: the same message, in the same step, with the same arrays after it.
struct FaultCase {
  const char* name;
  Formula formula;
  void (*spoil)(EnsembleState&);
  const char* message;
  int step;  // the step the fault must come in
};

// A huge velocity grows by 1.01 per step under the heater until the squares of
// the distances overflow, about 1160 steps later.
inline void GrowingVelocity(EnsembleState& e) { e.NextVelW[45] = 1e2462L; }

inline const std::vector<FaultCase>& AllFaults() {
  static const std::vector<FaultCase> faults = {
      FaultCase{"ZeroShellLength", F::Exponential, [](EnsembleState& e) { e.D2 = 0; },
                "Floating point division by zero", 1},
      FaultCase{"ZeroLengthUnderPES", F::PolyExpSum, [](EnsembleState& e) { e.B1 = 0; },
                "Floating point division by zero", 1},
      // Slots 31 and 46 coincide: slots 5 and 30 are moved first.
      FaultCase{
          "CoincidingTaons", F::EPESminus,
          [](EnsembleState& e) { e.PosX[46] = e.PosX[31], e.PosY[46] = e.PosY[31], e.PosZ[46] = e.PosZ[31]; },
          "Floating point division by zero", 1},
      FaultCase{
          "CoincidingUnderPolyExpon", F::PolyExpon,
          [](EnsembleState& e) { e.PosX[60] = e.PosX[51], e.PosY[60] = e.PosY[51], e.PosZ[60] = e.PosZ[51]; },
          "Floating point division by zero", 1},
      FaultCase{"NegativeShellLength", F::ExpoPolyExpSum, [](EnsembleState& e) { e.F2 = -2.6L; },
                "Invalid floating point operation", 1},
      FaultCase{"NegativeShellOfSetOne", F::PolyExpSum, [](EnsembleState& e) { e.C1 = -0.9L; },
                "Invalid floating point operation", 1},
      FaultCase{"OverflowOfTheExponential", F::Exponential, [](EnsembleState& e) { e.B2 = 30000; },
                "Floating point overflow", 1},
      // The law itself is fine; a product in the sum of slot 30 overflows.
      FaultCase{"OverflowInTheSum", F::EPESminus, [](EnsembleState& e) { e.A2 = 1e4931L; },
                "Floating point overflow", 1},
      FaultCase{"OverflowOfADistanceLater", F::Exponential, GrowingVelocity, "Floating point overflow", 1166},
      // Shell lengths under the shortcuts of zero shell terms: a negative
      // length whose |u| lies in the far range still takes its logarithm, a
      // huge one overflows 1 / (0.1 * k), a subnormal one overflows k.
      FaultCase{"NegativeShortShell", F::EPESminus, [](EnsembleState& e) { e.C2 = -0.1L; },
                "Invalid floating point operation", 1},
      FaultCase{"NegativeShellUnderPES", F::PolyExpSum, [](EnsembleState& e) { e.F1 = -0.2L; },
                "Invalid floating point operation", 1},
      FaultCase{"HugeShellLength", F::PolyExpSum, [](EnsembleState& e) { e.D1 = 1e4932L; },
                "Floating point overflow", 1},
      FaultCase{"SubnormalShellLength", F::ExpoPolyExpSum, [](EnsembleState& e) { e.F2 = 1e-4940L; },
                "Floating point overflow", 1},
      FaultCase{"ZeroShellLengthUnderEPES", F::EPESminus, [](EnsembleState& e) { e.C1 = 0; },
                "Floating point division by zero", 1}};
  return faults;
}

inline std::string FaultName(const testing::TestParamInfo<FaultCase>& info) { return info.param.name; }

}  // namespace vorun::cases
