// Floating-point faults as the user sees them. Invalid operations, divisions
// by zero and overflows are faults; underflow, denormal and inexact results are
// silent. Arithmetic runs with every exception masked and the sticky flags of
// <cfenv> are tested afterwards, so a fault is reported as a vorun::Error at the
// first test that sees it.
//
// The compiler does not model the flags (it ignores FENV_ACCESS), so it may
// move arithmetic across a flag test or drop a result that nobody reads. Every
// value that a test must cover goes through Settled() first: the value is then
// materialised before the test runs. Arithmetic after a test cannot be hoisted
// above it, because the test is a branch and GCC does not speculate operations
// that may trap.
#pragma once

#include <cfenv>

#include "model/Global.h"

namespace vorun {

constexpr int FloatFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

inline void ClearFloatFaults() { std::feclearexcept(FloatFaultFlags); }

inline bool FloatFaultPending() { return std::fetestexcept(FloatFaultFlags) != 0; }

// Forces v to be computed before anything that follows, and keeps it alive.
inline Extended80 Settled(Extended80 v) {
  asm volatile("" : "+m"(v) : : "memory");
  return v;
}

// Makes every store before it happen before anything after it.
inline void SettleMemory() { asm volatile("" : : : "memory"); }

// Clears the flags and throws the Error that names the pending fault; does
// nothing when none is pending. One operation raises at most one of the three.
void ThrowPendingFloatFault();

// The checked form of one operation: its result, or the Error of its fault.
inline Extended80 Checked(Extended80 v) {
  v = Settled(v);
  if (FloatFaultPending()) ThrowPendingFloatFault();
  return v;
}

// Keeps the sticky flags of a scope as they were before it. Work that cannot
// harm any value (number text, drawing) uses it, so it never leaves a flag
// behind for the engine to take for a fault of its next step.
class PreservedFlags {
 public:
  PreservedFlags() { std::fegetexceptflag(&flags_, FE_ALL_EXCEPT); }
  ~PreservedFlags() { std::fesetexceptflag(&flags_, FE_ALL_EXCEPT); }
  PreservedFlags(const PreservedFlags&) = delete;
  PreservedFlags& operator=(const PreservedFlags&) = delete;

 private:
  std::fexcept_t flags_;
};

}  // namespace vorun
