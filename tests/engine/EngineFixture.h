// Shared set-up for the engine tests: an empty 60-slot ensemble of their own
// and a way to place taons in it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "SeededCloud.h"
#include "engine/Settings.h"
#include "model/Ensemble.h"
#include "model/Error.h"

namespace vorun {

// The engine tests' own ensemble: the engine works on whatever instance it is
// handed, and these tests never touch the program's live one.
inline EnsembleState TestEnsemble;

inline void ClearEnsemble() {
  TestEnsemble = EnsembleState{};
  TestEnsemble.SlotCount = MaxSlots;
  TestEnsemble.TimeStep = 0.001L;
}

inline void SetBothSets(Extended80 a, Extended80 b, Extended80 c, Extended80 d, Extended80 f) {
  auto& e = TestEnsemble;
  e.A1 = e.A2 = a;
  e.B1 = e.B2 = b;
  e.C1 = e.C2 = c;
  e.D1 = e.D2 = d;
  e.F1 = e.F2 = f;
}

// The two parameter sets of the stepped test ensembles, different in every
// parameter, so that a mix-up of the sets shows.
inline void SetTwoDifferentSets(EnsembleState& e) {
  e.A1 = 0.05L, e.B1 = 0.5L, e.C1 = 0.9L, e.D1 = 1.4L, e.F1 = 2.2L;
  e.A2 = -0.03L, e.B2 = 0.7L, e.C2 = 1.1L, e.D2 = 1.7L, e.F2 = 2.6L;
}

// Puts a taon in slot n with committed, working and view copies in line.
inline void Place(int n, Extended80 x, Extended80 y, Extended80 z, Extended80 u = 0, Extended80 v = 0,
                  Extended80 w = 0) {
  auto& e = TestEnsemble;
  e.Exists[n] = 1;
  e.PosX[n] = x;
  e.PosY[n] = y;
  e.PosZ[n] = z;
  e.VelU[n] = u;
  e.VelV[n] = v;
  e.VelW[n] = w;
  SyncWorkingCopies(TestEnsemble, true);
}

// The message of the Error that body throws, or "" when it throws none.
template <class Body>
std::string ErrorOf(Body body) {
  try {
    body();
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

inline bool SameBits(Extended80 a, Extended80 b) { return std::memcmp(&a, &b, 10) == 0; }

inline const char* FormulaName(Formula f) {
  switch (f) {
    case Formula::PolyExpon:
      return "PolyExpon";
    case Formula::Exponential:
      return "Exponential";
    case Formula::PolyExpSum:
      return "PolyExpSum";
    case Formula::ExpoPolyExpSum:
      return "ExpoPolyExpSum";
    case Formula::EPESminus:
      return "EPESminus";
  }
  return "?";
}

constexpr Formula AllFormulas[] = {Formula::Exponential, Formula::PolyExpon, Formula::PolyExpSum,
                                   Formula::ExpoPolyExpSum, Formula::EPESminus};

}  // namespace vorun

namespace vorun {

// Every field of two ensembles equal bit for bit (the six padding bytes of
// each Extended80 aside).
inline bool SameState(const EnsembleState& a, const EnsembleState& b, std::string* where = nullptr) {
  const SlotReals EnsembleState::*arrays[] = {
      &EnsembleState::PosX,     &EnsembleState::PosY,     &EnsembleState::PosZ,     &EnsembleState::VelU,
      &EnsembleState::VelV,     &EnsembleState::VelW,     &EnsembleState::NextPosX, &EnsembleState::NextPosY,
      &EnsembleState::NextPosZ, &EnsembleState::NextVelU, &EnsembleState::NextVelV, &EnsembleState::NextVelW,
      &EnsembleState::ViewX,    &EnsembleState::ViewY,    &EnsembleState::ViewZ};
  for (std::size_t k = 0; k < std::size(arrays); ++k) {
    for (int n = 1; n <= MaxSlots; ++n) {
      if (!SameBits((a.*arrays[k])[n], (b.*arrays[k])[n])) {
        if (where) *where = "array " + std::to_string(k) + " slot " + std::to_string(n);
        return false;
      }
    }
  }
  const Extended80 EnsembleState::*scalars[] = {
      &EnsembleState::TimeStep, &EnsembleState::A1, &EnsembleState::B1, &EnsembleState::C1,
      &EnsembleState::D1,       &EnsembleState::F1, &EnsembleState::A2, &EnsembleState::B2,
      &EnsembleState::C2,       &EnsembleState::D2, &EnsembleState::F2};
  for (auto field : scalars) {
    if (!SameBits(a.*field, b.*field)) {
      if (where) *where = "a scalar";
      return false;
    }
  }
  return a.SlotCount == b.SlotCount && a.Exists == b.Exists;
}

}  // namespace vorun
