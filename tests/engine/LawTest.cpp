#include "engine/Law.h"

#include <gtest/gtest.h>

#include <tuple>

#include "EngineFixture.h"
#include "model/Transcendental.h"

namespace vorun {
namespace {

constexpr Extended80 E = 2.718281828459045235360287471352662498L;

Extended80 Component(Axis axis, int i, const LawSettings& law) {
  switch (axis) {
    case Axis::X:
      return ForceX(TestEnsemble, i, law);
    case Axis::Y:
      return ForceY(TestEnsemble, i, law);
    case Axis::Z:
      return ForceZ(TestEnsemble, i, law);
  }
  return 0;
}

// Half a unit in the sixth significant digit of a printed value.
Extended80 SixDigitTolerance(Extended80 printed) {
  return 0.5L * std::pow(10.0L, std::floor(std::log10(std::fabs(printed))) - 5);
}

// ---- radial factors ---------------------------------------------------------

struct RadialCase {
  Formula formula;
  Axis axis;
  int r;
  Extended80 printed;
};

class RadialFactor : public testing::TestWithParam<RadialCase> {};

// Slot 3 sits r away from slot 1 along the axis, on the larger side, under
// Taoscope (even difference, s = +1): the force on slot 1 is -R(r).
TEST_P(RadialFactor, MatchesTableToSixDigits) {
  const RadialCase& c = GetParam();
  ClearEnsemble();
  SetBothSets(1, 1, 2, 3, 4);
  Place(1, 0, 0, 0);
  Place(3, c.axis == Axis::X ? c.r : 0, c.axis == Axis::Y ? c.r : 0, c.axis == Axis::Z ? c.r : 0);
  LawSettings law;
  law.formula = c.formula;
  law.scope = Scope::Taoscope;
  const Extended80 r = -Component(c.axis, 1, law);
  EXPECT_NEAR(static_cast<double>(r), static_cast<double>(c.printed),
              static_cast<double>(SixDigitTolerance(c.printed)));
}

std::vector<RadialCase> RadialTable() {
  struct Row {
    int r;
    Extended80 expXZ, expY, pe, pes, epes, epesMinus;
  };
  const Row rows[] = {
      {1, 2.71828L, 0.367879L, -1, 3.62871L, 0.367879L, 0.367879L},
      {2, 0.412180L, 0.151633L, -0.108489L, 1.81433L, -17.9920L, -17.9916L},
      {3, 0.155068L, 0.0796146L, 0.0158026L, 1.20641L, 2.49559L, -14.4163L},
  };
  std::vector<RadialCase> cases;
  for (const Row& row : rows) {
    cases.push_back({Formula::Exponential, Axis::X, row.r, row.expXZ});
    cases.push_back({Formula::Exponential, Axis::Z, row.r, row.expXZ});
    cases.push_back({Formula::Exponential, Axis::Y, row.r, row.expY});
    for (Axis axis : {Axis::X, Axis::Y, Axis::Z}) {
      cases.push_back({Formula::PolyExpon, axis, row.r, row.pe});
      cases.push_back({Formula::PolyExpSum, axis, row.r, row.pes});
      cases.push_back({Formula::ExpoPolyExpSum, axis, row.r, row.epes});
      cases.push_back({Formula::EPESminus, axis, row.r, row.epesMinus});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, RadialFactor, testing::ValuesIn(RadialTable()));

TEST(ExponentialPair, PushesApartAlongXAndUsesExpMinusBOverRAlongY) {
  ClearEnsemble();
  SetBothSets(1, 1, 1, 1, 1);
  LawSettings law;
  law.scope = Scope::Taoscope;
  Place(1, 0, 0, 0);
  Place(3, 1, 0, 0);
  EXPECT_NEAR(static_cast<double>(ForceX(TestEnsemble, 1, law)), static_cast<double>(-E), 1e-15);
  EXPECT_NEAR(static_cast<double>(ForceX(TestEnsemble, 3, law)), static_cast<double>(E), 1e-15);
  EXPECT_EQ(ForceY(TestEnsemble, 1, law), 0);
  Place(3, 0, 1, 0);
  EXPECT_NEAR(static_cast<double>(ForceY(TestEnsemble, 1, law)), static_cast<double>(-1 / E), 1e-16);
}

TEST(PolyExpon, VanishesAtEAndChangesSignThere) {
  ClearEnsemble();
  SetBothSets(1, 1, 2, 3, 4);
  LawSettings law;
  law.formula = Formula::PolyExpon;
  law.scope = Scope::Taoscope;
  Place(1, 0, 0, 0);
  Place(3, E, 0, 0);
  EXPECT_LT(std::fabs(ForceX(TestEnsemble, 1, law)), 1e-18L);
  Place(3, E - 0.01L, 0, 0);
  const Extended80 inside = ForceX(TestEnsemble, 1, law);
  Place(3, E + 0.01L, 0, 0);
  const Extended80 outside = ForceX(TestEnsemble, 1, law);
  EXPECT_LT(inside * outside, 0);
}

TEST(Law, LoneTaonAndEmptyPartnersGiveZero) {
  ClearEnsemble();
  SetBothSets(1, 1, 2, 3, 4);
  Place(5, 1, 2, 3);
  // An empty slot on top of the taon would fault if it took part.
  TestEnsemble.PosX[6] = 1;
  TestEnsemble.PosY[6] = 2;
  TestEnsemble.PosZ[6] = 3;
  for (Formula f : AllFormulas) {
    LawSettings law;
    law.formula = f;
    EXPECT_EQ(ForceX(TestEnsemble, 5, law), 0) << FormulaName(f);
    EXPECT_EQ(ForceY(TestEnsemble, 5, law), 0) << FormulaName(f);
    EXPECT_EQ(ForceZ(TestEnsemble, 5, law), 0) << FormulaName(f);
  }
}

// ---- signs --------------------------------------------------------------------

TEST(Signs, TableUnderBothScopes) {
  LawSettings tao;
  tao.scope = Scope::Taoscope;
  LawSettings gravo;
  gravo.scope = Scope::Gravoscope;
  EXPECT_EQ(ScopeSign(tao), 1);
  EXPECT_EQ(ScopeSign(gravo), -1);
  for (auto [i, j] : {std::pair{1, 3}, {4, 2}, {60, 1}, {7, 8}, {31, 30}}) {
    const bool even = (i - j) % 2 == 0;
    EXPECT_EQ(PairSign(i, j, tao) * ScopeSign(tao), even ? 1 : -1) << i << "," << j;
    EXPECT_EQ(PairSign(i, j, gravo) * ScopeSign(gravo), -1) << i << "," << j;
  }
}

TEST(Signs, OddPairFlipsUnderTaoscopeOnly) {
  ClearEnsemble();
  SetBothSets(1, 1, 1, 1, 1);
  Place(1, 0, 0, 0);
  Place(2, 1, 0, 0);
  LawSettings law;
  law.scope = Scope::Taoscope;
  const Extended80 odd = ForceX(TestEnsemble, 1, law);
  EXPECT_GT(odd, 2.7L);
  law.scope = Scope::Gravoscope;
  EXPECT_EQ(ForceX(TestEnsemble, 1, law), odd);
  TestEnsemble.Exists[2] = 0;
  Place(3, 1, 0, 0);
  EXPECT_EQ(ForceX(TestEnsemble, 1, law), odd);  // Gravoscope: every pair has s = -1
  law.scope = Scope::Taoscope;
  EXPECT_EQ(ForceX(TestEnsemble, 1, law), -odd);
}

// ---- parameter set borders ----------------------------------------------------

using BorderCase = std::tuple<Formula, ColourSplit, Axis>;
class SetBorder : public testing::TestWithParam<BorderCase> {};

// Set 2 has twice the strength of set 1 and is otherwise equal, so a partner
// of set 2 doubles the force exactly. Under Gravoscope every pair has the same
// sign, so each partner slot can be probed alone.
TEST_P(SetBorder, EveryPartnerSlotFallsInTheRightSet) {
  const auto [formula, split, axis] = GetParam();
  int threshold = 30;
  const int splitThreshold = split == ColourSplit::Ak ? 30 : split == ColourSplit::Bk ? 15 : 10;
  if (formula == Formula::Exponential) threshold = splitThreshold;
  if ((formula == Formula::PolyExpon || formula == Formula::PolyExpSum) && axis == Axis::Z)
    threshold = splitThreshold;

  LawSettings law;
  law.formula = formula;
  law.colourSplit = split;
  for (int j = 2; j <= MaxSlots; ++j) {
    ClearEnsemble();
    SetBothSets(1, 1.5L, 2, 3, 4);
    Place(1, 0, 0, 0);
    Place(j, axis == Axis::X ? 1.25L : 0.5L, axis == Axis::Y ? 1.25L : 0.5L, axis == Axis::Z ? 1.25L : 0.5L);
    const Extended80 one = Component(axis, 1, law);
    TestEnsemble.A2 = 2;
    const Extended80 two = Component(axis, 1, law);
    ASSERT_NE(one, 0);
    const int expected = j > MaxSlots - threshold ? 2 : 1;
    EXPECT_EQ(two == 2 * one ? 2 : two == one ? 1 : 0, expected) << "partner " << j;
    EXPECT_EQ(PartnerSet(j, TestEnsemble.SlotCount, law, axis), expected) << "partner " << j;
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormulas, SetBorder,
                         testing::Combine(testing::ValuesIn(AllFormulas),
                                          testing::Values(ColourSplit::Ak, ColourSplit::Bk, ColourSplit::Ck),
                                          testing::Values(Axis::X, Axis::Y, Axis::Z)));

// ---- check boxes of PolyExpSum ------------------------------------------------

TEST(PolyExpSumBoxes, BothBoxesGiveZeroAndEachRemovesItsShells) {
  ClearEnsemble();
  SetBothSets(1, 1, 2, 3, 4);
  Place(1, 0, 0, 0);
  Place(3, 0.9L, 0.2L, -0.4L);
  Place(8, -1.9L, 0.7L, 0.1L);
  LawSettings law;
  law.formula = Formula::PolyExpSum;
  const Extended80 all = ForceX(TestEnsemble, 1, law);
  law.noShellB = true;
  const Extended80 withoutB = ForceX(TestEnsemble, 1, law);
  law.noShellsCDF = true;
  EXPECT_EQ(ForceX(TestEnsemble, 1, law), 0);
  EXPECT_EQ(ForceY(TestEnsemble, 1, law), 0);
  EXPECT_EQ(ForceZ(TestEnsemble, 1, law), 0);
  law.noShellB = false;
  const Extended80 onlyB = ForceX(TestEnsemble, 1, law);
  EXPECT_NE(withoutB, 0);
  EXPECT_NE(onlyB, 0);
  EXPECT_NEAR(static_cast<double>(withoutB + onlyB), static_cast<double>(all),
              1e-15 * std::fabs((double)all));
}

TEST(PolyExpSumBoxes, SwitchedOffShellsTakeNoLogarithm) {
  ClearEnsemble();
  SetBothSets(1, -1, -2, -3, -4);
  Place(1, 0, 0, 0);
  Place(2, 1, 0, 0);
  LawSettings law;
  law.formula = Formula::PolyExpSum;
  law.noShellB = true;
  law.noShellsCDF = true;
  EXPECT_EQ(ForceX(TestEnsemble, 1, law), 0);
  law.noShellsCDF = false;
  EXPECT_EQ(ErrorOf([&] { ForceX(TestEnsemble, 1, law); }), "Invalid floating point operation");
  law.noShellB = false;
  law.noShellsCDF = true;
  EXPECT_EQ(ErrorOf([&] { ForceX(TestEnsemble, 1, law); }), "Invalid floating point operation");
}

// ---- shell function -------------------------------------------------------------

class Shell : public testing::TestWithParam<long double> {};

TEST_P(Shell, IsOneWithSlopeFifteenKAtPOver1029) {
  const Extended80 p = GetParam();
  const Extended80 r = p / 1.029L;
  EXPECT_NEAR(static_cast<double>(ShellPotential(p, r)), 1.0, 1e-17);
  const Extended80 slope = 15 * 1.029L / p;
  EXPECT_NEAR(static_cast<double>(ShellSlope(p, r)), static_cast<double>(slope), 1e-15 * slope);
}

INSTANTIATE_TEST_SUITE_P(Lengths, Shell, testing::Values(1.0L, 2.0L, 0.5L, 7.3L));

TEST(Shell, SlopeOfOneIs15435AndTheBumpIsNarrow) {
  EXPECT_NEAR(static_cast<double>(ShellSlope(1, 1 / 1.029L)), 15.435, 1e-13);
  // The peak of about 1.2307 near r = 0.9965 P, and almost nothing at u = 0.8 and 1.12.
  EXPECT_NEAR(static_cast<double>(ShellPotential(1, 1.0254L / 1.029L)), 1.2307, 1e-4);
  EXPECT_LT(ShellPotential(1, 0.8L / 1.029L), 0.001L);
  EXPECT_LT(ShellPotential(1, 1.12L / 1.029L), 0.001L);
}

TEST(Shell, SlopeIsTheDerivativeOfThePotential) {
  const Extended80 h = 1e-7L;
  for (Extended80 r : {0.95L, 1.0L, 1.02L}) {
    const Extended80 difference = (ShellPotential(1, r + h) - ShellPotential(1, r - h)) / (2 * h);
    EXPECT_NEAR(static_cast<double>(ShellSlope(1, r)), static_cast<double>(difference), 1e-8) << (double)r;
  }
}

TEST(Constants, AreTheNearestExtendedValues) {
  const unsigned char scale[10] = {0x12, 0x83, 0xC0, 0xCA, 0xA1, 0x45, 0xB6, 0x83, 0xFF, 0x3F};
  const unsigned char tenth[10] = {0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F};
  EXPECT_EQ(std::memcmp(&ShellScale, scale, 10), 0);
  EXPECT_EQ(std::memcmp(&ShellTenth, tenth, 10), 0);
}

TEST(PowerFunction, IsExpOfYLnX) {
  EXPECT_EQ(Power(2, 10), Exp(10 * Ln(2)));
  EXPECT_NEAR(static_cast<double>(Power(2, 10)), 1024.0, 1e-15);
  EXPECT_EQ(ErrorOf([] { Power(0, -2); }), "Floating point division by zero");
  EXPECT_EQ(ErrorOf([] { Power(-1, 2); }), "Invalid floating point operation");
  EXPECT_EQ(ErrorOf([] { Power(10, 5000); }), "Floating point overflow");
  EXPECT_EQ(Power(10, -5000), 0);  // underflow is silent
}

}  // namespace
}  // namespace vorun
