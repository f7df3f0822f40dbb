// Shared set-up for the engine tests: an empty 60-slot ensemble and a way to
// place taons in it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/Settings.h"
#include "model/Ensemble.h"
#include "model/Error.h"

namespace vorun {

inline void ClearEnsemble() {
  ResetGlobals();
  Ensemble.SlotCount = MaxSlots;
  Ensemble.TimeStep = 0.001L;
}

inline void SetBothSets(Extended80 a, Extended80 b, Extended80 c, Extended80 d, Extended80 f) {
  auto& e = Ensemble;
  e.A1 = e.A2 = a;
  e.B1 = e.B2 = b;
  e.C1 = e.C2 = c;
  e.D1 = e.D2 = d;
  e.F1 = e.F2 = f;
}

// Puts a taon in slot n with committed, working and view copies in line.
inline void Place(int n, Extended80 x, Extended80 y, Extended80 z, Extended80 u = 0, Extended80 v = 0,
                  Extended80 w = 0) {
  auto& e = Ensemble;
  e.Exists[n] = 1;
  e.PosX[n] = x;
  e.PosY[n] = y;
  e.PosZ[n] = z;
  e.VelU[n] = u;
  e.VelV[n] = v;
  e.VelW[n] = w;
  SyncWorkingCopies(true);
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
