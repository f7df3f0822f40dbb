// The arithmetic of the law, written once for two ways of running it: without
// tests (Unchecked, the fast way) and with a flag test after every single
// operation (EachChecked), which finds the first fault in evaluation order.
// Both perform the same operations on the same operands, so they give the
// same values; a caller runs the fast way and replays the checked way only
// when a flag shows that something faulted.
//
// Each statement holds one operation so that the checked way keeps a defined
// order: argument evaluation order of C++ is unspecified.
#pragma once

#include <cmath>

#include "engine/Law.h"
#include "model/FloatFault.h"
#include "model/Transcendental.h"

namespace vorun::law {

struct Unchecked {
  static Extended80 Take(Extended80 v) { return v; }
};

struct EachChecked {
  static Extended80 Take(Extended80 v) { return Checked(v); }
};

template <class K>
struct Op {
  static Extended80 Add(Extended80 a, Extended80 b) { return K::Take(a + b); }
  static Extended80 Sub(Extended80 a, Extended80 b) { return K::Take(a - b); }
  static Extended80 Mul(Extended80 a, Extended80 b) { return K::Take(a * b); }
  static Extended80 Div(Extended80 a, Extended80 b) { return K::Take(a / b); }
  static Extended80 Ln(Extended80 x) { return K::Take(vorun::Ln(x)); }
  static Extended80 Exp(Extended80 x) { return K::Take(vorun::Exp(x)); }
  static Extended80 Sqrt(Extended80 x) { return K::Take(std::sqrt(x)); }
  static Extended80 Power(Extended80 x, Extended80 y) {
    const Extended80 lx = Ln(x);
    const Extended80 p = Mul(y, lx);
    return Exp(p);
  }
};

// One parameter set with the k = 1.029 / P of its four lengths.
struct ParameterSet {
  Extended80 A, B, C, D, F;
  Extended80 kB, kC, kD, kF;
};

// Both sets, k formed in the order kB1, kC1, kD1, kF1, kB2, ... Settled keeps
// the divisions even where the formula never reads their results.
template <class K>
void MakeSets(const EnsembleState& e, ParameterSet (&sets)[2]) {
  using O = Op<K>;
  sets[0] = {e.A1, e.B1, e.C1, e.D1, e.F1, 0, 0, 0, 0};
  sets[1] = {e.A2, e.B2, e.C2, e.D2, e.F2, 0, 0, 0, 0};
  for (int s = 0; s < 2; ++s) {
    Extended80* const k[] = {&sets[s].kB, &sets[s].kC, &sets[s].kD, &sets[s].kF};
    for (int n = 0; n < 4; ++n) *k[n] = Settled(O::Div(ShellScale, e.*DividedLengths[4 * s + n].field));
  }
}

// W for the shell with k = 1.029 / P.
template <class K>
Extended80 ShellPotentialK(Extended80 k, Extended80 r) {
  using O = Op<K>;
  const Extended80 u = O::Mul(k, r);
  const Extended80 tenthK = O::Mul(ShellTenth, k);
  const Extended80 tenthKr = O::Mul(tenthK, r);
  const Extended80 inverse = O::Power(tenthKr, -1);
  const Extended80 u20 = O::Power(u, 20);
  const Extended80 rest = O::Sub(2.5L, u20);
  const Extended80 exponent = O::Mul(inverse, rest);
  return O::Power(u, exponent);
}

// dW/dr for the shell with k = 1.029 / P.
template <class K>
Extended80 ShellSlopeK(Extended80 k, Extended80 r) {
  using O = Op<K>;
  const Extended80 w = ShellPotentialK<K>(k, r);
  const Extended80 u = O::Mul(k, r);
  const Extended80 lnU = O::Ln(u);
  const Extended80 u20 = O::Power(u, 20);
  const Extended80 r2 = O::Power(r, -2);
  const Extended80 tenthK = O::Mul(ShellTenth, k);
  const Extended80 inverseTenthK = O::Power(tenthK, -1);
  const Extended80 lnU2 = O::Ln(u);
  const Extended80 u18 = O::Power(u, 18);
  const Extended80 oneLess = O::Sub(1, lnU);
  const Extended80 rest = O::Sub(2.5L, u20);
  Extended80 q = O::Mul(oneLess, rest);
  q = O::Mul(q, r2);
  q = O::Mul(q, inverseTenthK);
  const Extended80 k200 = O::Mul(200, k);
  Extended80 m = O::Mul(lnU2, u18);
  m = O::Mul(m, k200);
  q = O::Sub(q, m);
  return O::Mul(w, q);
}

// ((s * d / r) * r2) * A * B, in that order: the part that Exponential and
// PolyExpon share.
template <class K>
Extended80 ExponentialHead(Extended80 s, Extended80 d, Extended80 r, Extended80 r2, Extended80 A,
                           Extended80 B) {
  using O = Op<K>;
  Extended80 t = O::Mul(s, d);
  t = O::Div(t, r);
  t = O::Mul(t, r2);
  t = O::Mul(t, A);
  return O::Mul(t, B);
}

// The distance of slots a and b of e from the differences a - b, the squares
// added in the order x, y, z.
template <class K>
Extended80 PairDistance(const EnsembleState& e, int a, int b, Extended80& dx, Extended80& dy,
                        Extended80& dz) {
  using O = Op<K>;
  dx = O::Sub(e.PosX[a], e.PosX[b]);
  dy = O::Sub(e.PosY[a], e.PosY[b]);
  dz = O::Sub(e.PosZ[a], e.PosZ[b]);
  Extended80 squares = O::Mul(dx, dx);
  squares = O::Add(squares, O::Mul(dy, dy));
  squares = O::Add(squares, O::Mul(dz, dz));
  return O::Sqrt(squares);
}

// sum + s * (d / r) * R(r) for one partner with parameter set p. The radial
// factors R and their potentials V (R = -dV/dr):
//
//  Exponential, x and z:  R = A * B * Power(r, -2) * exp(B / r),   V = A * exp(B / r)
//    formed as ((s * d / r) * Power(r, -2) * A * B) * exp(B / r)
//  Exponential, y:        R = A * B * Power(r, -2) * exp(-B / r),  V = -A * exp(-B / r)
//  PolyExpon:             R = -A * B * Power(r, -2) * Power(r, B / r) * (1 - ln r),
//                         V = A * r^(B / r); the product without the minus is
//                         subtracted from the sum
//  PolyExpSum:            R = A * (tB + tCDF), tB = -ShellSlope(B) (0 under
//                         CheckBox2), tCDF = -ShellSlope(C) - ShellSlope(D)
//                         - ShellSlope(F) (0 under CheckBox3);
//                         V = A * (W_B + W_C + W_D + W_F) less the switched-off shells
//  ExpoPolyExpSum:        R = A * (B * Power(r, -2) * exp(-B / r) + 10 * ShellSlope(C)
//                         - 2 * ShellSlope(D) - ShellSlope(F)),
//                         V = A * (-exp(-B / r) - 10 * W_C + 2 * W_D + W_F)
//  EPESminus:             R = A * (B * Power(r, -2) * exp(-B / r) + 10 * ShellSlope(C)
//                         + 12 * ShellSlope(D) + 6 * ShellSlope(F)),
//                         V = A * (-exp(-B / r) - 10 * W_C - 12 * W_D - 6 * W_F)
//
// The shell formulas form ((s * d / r) * A) * bracket. Function calls come
// first, then the plain arithmetic from left to right.
template <class K>
Extended80 AddPairTerm(Extended80 sum, const LawSettings& law, Axis axis, Extended80 s, Extended80 d,
                       Extended80 r, const ParameterSet& p) {
  using O = Op<K>;
  switch (law.formula) {
    case Formula::Exponential: {
      const Extended80 r2 = O::Power(r, -2);
      const Extended80 ratio = O::Div(axis == Axis::Y ? -p.B : p.B, r);
      const Extended80 ex = O::Exp(ratio);
      Extended80 t = ExponentialHead<K>(s, d, r, r2, p.A, p.B);
      t = O::Mul(t, ex);
      return O::Add(sum, t);
    }
    case Formula::PolyExpon: {
      const Extended80 r2 = O::Power(r, -2);
      const Extended80 ratio = O::Div(p.B, r);
      const Extended80 rPower = O::Power(r, ratio);
      const Extended80 lnR = O::Ln(r);
      Extended80 t = ExponentialHead<K>(s, d, r, r2, p.A, p.B);
      t = O::Mul(t, rPower);
      const Extended80 oneLess = O::Sub(1, lnR);
      t = O::Mul(t, oneLess);
      return O::Sub(sum, t);
    }
    case Formula::PolyExpSum: {
      Extended80 tB = 0;
      if (!law.noShellB) tB = -ShellSlopeK<K>(p.kB, r);
      Extended80 tCDF = 0;
      if (!law.noShellsCDF) {
        const Extended80 sc = ShellSlopeK<K>(p.kC, r);
        const Extended80 sd = ShellSlopeK<K>(p.kD, r);
        const Extended80 sf = ShellSlopeK<K>(p.kF, r);
        tCDF = O::Sub(-sc, sd);
        tCDF = O::Sub(tCDF, sf);
      }
      const Extended80 bracket = O::Add(tB, tCDF);
      Extended80 t = O::Mul(s, d);
      t = O::Div(t, r);
      t = O::Mul(t, p.A);
      t = O::Mul(t, bracket);
      return O::Add(sum, t);
    }
    case Formula::ExpoPolyExpSum:
    case Formula::EPESminus: {
      const bool minus = law.formula == Formula::EPESminus;
      const Extended80 r2 = O::Power(r, -2);
      const Extended80 ratio = O::Div(-p.B, r);
      const Extended80 ex = O::Exp(ratio);
      const Extended80 sc = ShellSlopeK<K>(p.kC, r);
      const Extended80 sd = ShellSlopeK<K>(p.kD, r);
      const Extended80 sf = ShellSlopeK<K>(p.kF, r);
      Extended80 bracket = O::Mul(p.B, r2);
      bracket = O::Mul(bracket, ex);
      bracket = O::Add(bracket, O::Mul(10, sc));
      if (minus) {
        bracket = O::Add(bracket, O::Mul(12, sd));
        bracket = O::Add(bracket, O::Mul(6, sf));
      } else {
        bracket = O::Sub(bracket, O::Mul(2, sd));
        bracket = O::Sub(bracket, sf);
      }
      Extended80 t = O::Mul(s, d);
      t = O::Div(t, r);
      t = O::Mul(t, p.A);
      t = O::Mul(t, bracket);
      return O::Add(sum, t);
    }
  }
  return sum;
}

// One force component on slot i, partners in ascending slot order.
template <class K>
Extended80 ForceSum(const EnsembleState& e, int i, const LawSettings& law, Axis axis) {
  ParameterSet sets[2];
  MakeSets<K>(e, sets);
  const int scope = ScopeSign(law);
  Extended80 sum = 0;
  for (int j = 1; j <= e.SlotCount; ++j) {
    if (e.Exists[j] == 0 || j == i) continue;
    Extended80 dx, dy, dz;
    const Extended80 r = PairDistance<K>(e, i, j, dx, dy, dz);
    const Extended80 s = PairSign(i, j, law) * scope;
    const Extended80 d = axis == Axis::X ? dx : axis == Axis::Y ? dy : dz;
    sum = AddPairTerm<K>(sum, law, axis, s, d, r, sets[PartnerSet(j, e.SlotCount, law, axis) - 1]);
  }
  return sum;
}

}  // namespace vorun::law
