// The law's results are defined bit for bit, so the order in which each pair
// term multiplies its factors is part of the contract: a reordered product
// rounds differently. These tests write every pair term out again from the
// documented formulas, with the correctly rounded Exp and Ln only, and compare
// one force component of a two-taon ensemble to it byte for byte.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineFixture.h"
#include "engine/Law.h"
#include "model/Transcendental.h"

namespace vorun {
namespace {

Extended80 Pow(Extended80 x, Extended80 y) { return Exp(y * Ln(x)); }

// The shell slope written out: k = 1.029 / P, u = k * r,
//   W = u^e with e = (0.1 * k * r)^-1 * (2.5 - u^20),
//   q = (1 - ln u) * (2.5 - u^20) * r^-2 * (0.1 * k)^-1 - ln u * u^18 * (200 * k).
Extended80 Slope(Extended80 P, Extended80 r) {
  const Extended80 k = 1.029L / P;
  const Extended80 u = k * r;
  const Extended80 e = Pow(0.1L * k * r, -1) * (2.5L - Pow(u, 20));
  const Extended80 w = Pow(u, e);
  const Extended80 q =
      (1 - Ln(u)) * (2.5L - Pow(u, 20)) * Pow(r, -2) * Pow(0.1L * k, -1) - Ln(u) * Pow(u, 18) * (200 * k);
  return w * q;
}

struct Pair {
  Extended80 d[3];  // x_i - x_j, y_i - y_j, z_i - z_j
  Extended80 r;
};

// Awkward values throughout, so that no product happens to be exact and a
// different order shows in the last bits. Every shell length is chosen so that
// its bump is well up at the distances used (about 1.45 to 1.85): a shell far
// from the distance would add only a vanishing term, whose place in a sum
// cannot show.
constexpr Extended80 A = 0.3719L, B = 1.6011L, C = 1.5531L, D = 1.6877L, F = 1.8123L;

// A sum of three rounded terms often comes out the same in another order, so
// every formula is checked over many partner places, each rounding anew.
constexpr int Places = 48;

Pair PlaceTwo(int k) {
  ClearEnsemble();
  SetBothSets(A, B, C, D, F);
  const Extended80 distance = 1.45L + 0.4L * k / Places;
  const Extended80 theta = 0.37L + 0.61L * k, phi = 1.13L + 0.29L * k;
  Place(1, 0.1234L, -0.2718L, 0.3141L);
  Place(3, 0.1234L + distance * cosl(theta) * sinl(phi), -0.2718L + distance * sinl(theta) * sinl(phi),
        0.3141L + distance * cosl(phi));
  Pair p;
  auto& e = TestEnsemble;
  p.d[0] = e.PosX[1] - e.PosX[3];
  p.d[1] = e.PosY[1] - e.PosY[3];
  p.d[2] = e.PosZ[1] - e.PosZ[3];
  p.r = sqrtl(p.d[0] * p.d[0] + p.d[1] * p.d[1] + p.d[2] * p.d[2]);
  return p;
}

// The pair term of slot 3 on slot 1 (even difference: s = +1 under Taoscope),
// in the order of the documented formulas, added to or subtracted from 0.
Extended80 Expected(Formula formula, int axis, const Pair& p) {
  const Extended80 s = 1, d = p.d[axis], r = p.r;
  switch (formula) {
    case Formula::Exponential: {
      const Extended80 ex = axis == 1 ? Exp(-B / r) : Exp(B / r);
      return 0 + ((s * d / r) * Pow(r, -2) * A * B) * ex;
    }
    case Formula::PolyExpon:
      return 0 - (s * d / r) * Pow(r, -2) * A * B * Pow(r, B / r) * (1 - Ln(r));
    case Formula::PolyExpSum: {
      const Extended80 tB = -Slope(B, r);
      const Extended80 tCDF = -Slope(C, r) - Slope(D, r) - Slope(F, r);
      return 0 + (s * d / r) * A * (tB + tCDF);
    }
    case Formula::ExpoPolyExpSum:
      return 0 + (s * d / r) * A *
                     (B * Pow(r, -2) * Exp(-B / r) + 10 * Slope(C, r) - 2 * Slope(D, r) - Slope(F, r));
    case Formula::EPESminus:
      return 0 + (s * d / r) * A *
                     (B * Pow(r, -2) * Exp(-B / r) + 10 * Slope(C, r) + 12 * Slope(D, r) + 6 * Slope(F, r));
  }
  return 0;
}

class ProductOrder : public testing::TestWithParam<Formula> {};

TEST_P(ProductOrder, EveryComponentEqualsTheWrittenOutFormulaBitForBit) {
  LawSettings law;
  law.formula = GetParam();
  law.scope = Scope::Taoscope;
  for (int k = 0; k < Places; ++k) {
    const Pair p = PlaceTwo(k);
    const Extended80 force[3] = {ForceX(TestEnsemble, 1, law), ForceY(TestEnsemble, 1, law),
                                 ForceZ(TestEnsemble, 1, law)};
    for (int axis = 0; axis < 3; ++axis) {
      const Extended80 expected = Expected(GetParam(), axis, p);
      ASSERT_NE(expected, 0) << "the pair must act in component " << axis;
      ASSERT_TRUE(SameBits(force[axis], expected))
          << "place " << k << ", component " << axis << ": " << static_cast<double>(force[axis])
          << " against " << static_cast<double>(expected);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormulas, ProductOrder, testing::ValuesIn(AllFormulas),
                         [](const testing::TestParamInfo<Formula>& info) { return FormulaName(info.param); });

}  // namespace
}  // namespace vorun
