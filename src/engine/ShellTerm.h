// The shell slope W * q of the one-pass law with two shortcuts that give the
// value and the fault flags of the full computation without its costliest
// calls. Most pairs lie far outside most shells, where W is exactly 0: an
// exponential of an argument below about -11399.5 rounds to +0, and the C
// library takes a slow path of several times the cost of a normal call to
// find that out.
//
// 1. An argument below ExpZeroBelow gives +0 without a call. Exp gives +0 there
//    too, raising only underflow and inexact, which are silent.
// 2. When W is 0 and every factor of q is bounded, q is finite, so W * q is a
//    zero and no operation of q can raise a fault flag; q is not formed. The
//    zero may differ from the full result in its sign only, which no sum can
//    see: a force sum starts at +0, and adding a zero of either sign to a sum
//    that is +0 or non-zero leaves it unchanged.
// 3. Far outside the shell (u from FarFrom to FarTo) the argument of W is
//    below -67000, so 1 and 2 apply, and every operation up to it works on
//    bounded positive values that cannot fault: nothing beyond u is formed.
//
// Every operation that could raise a fault flag is still performed; a
// shortcut is taken only where its condition proves that the skipped ones
// cannot. A NaN fails every condition and takes the full way; the conditions
// compare quietly, since an ordered comparison with a NaN raises invalid.
#pragma once

#include <cmath>

#include "engine/LawTerms.h"

namespace vorun::law {

// Below this argument exp is exactly +0: the smallest subnormal Extended80 is
// 2^-16445 = e^-11398.8, and anything under half of it rounds to +0.
constexpr Extended80 ExpZeroBelow = -11500;

// u = k * r from which the whole term is known to be a zero. At u = 1.65 the
// argument of W is (2.5 - u^20) / (0.1 * u) * ln u = -67900, and it falls
// with u; up to FarTo, u^20 stays far below the largest Extended80.
constexpr Extended80 FarFrom = 1.65L;
constexpr Extended80 FarTo = 1e21L;

// The bound on the factors of q (r^-2, 1 / (0.1 * k), 200 * k) under which q
// cannot overflow when |ln u| <= 50: |q| stays below 2^5500.
constexpr Extended80 FactorBound = 0x1p2000L;
constexpr Extended80 LnUBound = 50;

// What a shell of length P needs besides the distance: k = 1.029 / P and the
// factors of the slope that depend on k alone.
struct ShellConstants {
  Extended80 k = 0, tenthK = 0, inverseTenthK = 0, k200 = 0;
  bool bounded = false;  // both k-only factors of q within FactorBound
};

template <class K>
ShellConstants MakeShell(Extended80 k) {
  using O = Op<K>;
  ShellConstants c;
  c.k = k;
  c.tenthK = O::Mul(ShellTenth, k);
  c.inverseTenthK = O::Power(c.tenthK, -1);
  c.k200 = O::Mul(200, k);
  c.bounded = std::islessequal(c.inverseTenthK, FactorBound) && std::isgreater(c.k200, Extended80(0)) &&
              std::islessequal(c.k200, FactorBound);
  return c;
}

// exp(x) for the argument of W: +0 below ExpZeroBelow without a call.
template <class K>
Extended80 ShellExp(Extended80 x) {
  if (std::isless(x, ExpZeroBelow)) return 0;
  return Op<K>::Exp(x);
}

// Which way a slope was formed; for tests of the shortcuts' conditions.
enum class ShellWay { Far, ZeroW, Full };

// ShellSlopeK with r2 = Power(r, -2) and the k-only factors given, and the
// shortcuts above. r2Bounded: r2 <= FactorBound.
template <class K>
Extended80 FastShellSlope(const ShellConstants& c, Extended80 r, Extended80 r2, bool r2Bounded,
                          ShellWay* way = nullptr) {
  using O = Op<K>;
  const Extended80 u = O::Mul(c.k, r);
  const bool qBounded = c.bounded && r2Bounded;
  if (qBounded && std::isgreaterequal(u, FarFrom) && std::islessequal(u, FarTo)) {
    if (way) *way = ShellWay::Far;
    return 0;
  }
  const Extended80 tenthKr = O::Mul(c.tenthK, r);
  const Extended80 inverse = O::Power(tenthKr, -1);
  const Extended80 lnU = O::Ln(u);
  const Extended80 u20 = O::Exp(O::Mul(20, lnU));
  const Extended80 rest = O::Sub(2.5L, u20);
  const Extended80 exponent = O::Mul(inverse, rest);
  const Extended80 w = ShellExp<K>(O::Mul(exponent, lnU));
  if (w == 0 && qBounded && std::isgreaterequal(lnU, -LnUBound) && std::islessequal(lnU, LnUBound)) {
    if (way) *way = ShellWay::ZeroW;
    return 0;
  }
  if (way) *way = ShellWay::Full;
  const Extended80 u18 = O::Exp(O::Mul(18, lnU));
  Extended80 q = O::Mul(O::Sub(1, lnU), rest);
  q = O::Mul(q, r2);
  q = O::Mul(q, c.inverseTenthK);
  Extended80 m = O::Mul(lnU, u18);
  m = O::Mul(m, c.k200);
  q = O::Sub(q, m);
  return O::Mul(w, q);
}

inline bool R2Bounded(Extended80 r2) { return std::islessequal(r2, FactorBound); }

}  // namespace vorun::law
