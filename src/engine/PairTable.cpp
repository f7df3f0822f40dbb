#include "engine/PairTable.h"

#include <chrono>

#include "engine/Law.h"
#include "engine/LawTerms.h"
#include "engine/ShellTerm.h"

namespace vorun::law {

namespace {

using O = Op<Unchecked>;

enum Shell { ShellB, ShellC, ShellD, ShellF };

struct SetTerms {
  Extended80 A = 0, B = 0;
  ShellConstants shells[4];
};

// Values of one pair of slots (lo < hi) that do not depend on which of the
// two receives the force. Per parameter set: for Exponential exp(B / r) and
// exp(-B / r), for PolyExpon Power(r, B / r), for the shell formulas the whole
// bracket of the radial factor.
struct PairValues {
  Extended80 r, r2, oneLessLnR;
  Extended80 first[2], second[2];
};

}  // namespace

struct PairTable::Data {
  LawSettings law;
  int scope = 1;
  int firstMoved = 1;
  SetTerms sets[2];
  int setXY[MaxSlots + 1] = {};
  int setZ[MaxSlots + 1] = {};
  PairValues pairs[MaxSlots + 1][MaxSlots + 1];
};

namespace {

Extended80 Slope(const ShellConstants& c, Extended80 r, Extended80 r2, bool r2Bounded) {
  return FastShellSlope<Unchecked>(c, r, r2, r2Bounded);
}

// The bracket of PolyExpSum, ExpoPolyExpSum or EPESminus for one set.
Extended80 Bracket(const LawSettings& law, const SetTerms& set, Extended80 r, Extended80 r2, bool r2Bounded) {
  if (law.formula == Formula::PolyExpSum) {
    Extended80 tB = 0;
    if (!law.checkBox2) tB = -Slope(set.shells[ShellB], r, r2, r2Bounded);
    Extended80 tCDF = 0;
    if (!law.checkBox3) {
      const Extended80 sc = Slope(set.shells[ShellC], r, r2, r2Bounded);
      const Extended80 sd = Slope(set.shells[ShellD], r, r2, r2Bounded);
      const Extended80 sf = Slope(set.shells[ShellF], r, r2, r2Bounded);
      tCDF = O::Sub(O::Sub(-sc, sd), sf);
    }
    return O::Add(tB, tCDF);
  }
  const Extended80 ex = O::Exp(O::Div(-set.B, r));
  const Extended80 sc = Slope(set.shells[ShellC], r, r2, r2Bounded);
  const Extended80 sd = Slope(set.shells[ShellD], r, r2, r2Bounded);
  const Extended80 sf = Slope(set.shells[ShellF], r, r2, r2Bounded);
  Extended80 bracket = O::Mul(O::Mul(set.B, r2), ex);
  bracket = O::Add(bracket, O::Mul(10, sc));
  if (law.formula == Formula::EPESminus) {
    bracket = O::Add(bracket, O::Mul(12, sd));
    return O::Add(bracket, O::Mul(6, sf));
  }
  bracket = O::Sub(bracket, O::Mul(2, sd));
  return O::Sub(bracket, sf);
}

// The pairs of one row, staged so that each exponential and logarithm of the
// row goes into one batch: the values are those of the single calls, and the
// flags only add up, which is all that the caller reads of them.
struct RowScratch {
  int hi[MaxSlots];
  bool need[MaxSlots][2];
  Extended80 lnR[MaxSlots];
  Extended80 args[4 * MaxSlots];
};

// Times the batches when a clock is given.
template <class Batch>
void Timed(std::int64_t* ns, Batch batch) {
  if (ns == nullptr) {
    batch();
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  batch();
  *ns +=
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
}

void FillRow(PairTable::Data& t, const EnsembleState& e, int lo, std::int64_t* transcendentalNs) {
  const LawSettings& law = t.law;
  RowScratch row;
  int count = 0;
  const bool loMoved = lo >= t.firstMoved;
  for (int hi = lo + 1; hi <= e.SlotCount; ++hi) {
    if (e.Exists[hi] == 0) continue;
    const bool hiMoved = hi >= t.firstMoved;
    if (!loMoved && !hiMoved) continue;
    bool* need = row.need[count];
    need[0] = need[1] = false;
    if (loMoved) need[t.setXY[hi]] = need[t.setZ[hi]] = true;
    if (hiMoved) need[t.setXY[lo]] = need[t.setZ[lo]] = true;
    row.hi[count++] = hi;
  }
  for (int n = 0; n < count; ++n) {
    Extended80 dx, dy, dz;
    t.pairs[lo][row.hi[n]].r = PairDistance<Unchecked>(e, lo, row.hi[n], dx, dy, dz);
  }
  if (law.formula == Formula::PolyExpSum && law.checkBox2 && law.checkBox3) {
    for (int n = 0; n < count; ++n) {
      PairValues& p = t.pairs[lo][row.hi[n]];
      p.first[0] = p.first[1] = 0;
    }
    return;
  }
  for (int n = 0; n < count; ++n) row.args[n] = t.pairs[lo][row.hi[n]].r;
  Timed(transcendentalNs, [&] { LnBatch(row.args, row.lnR, count); });
  for (int n = 0; n < count; ++n) row.args[n] = O::Mul(-2, row.lnR[n]);
  Timed(transcendentalNs, [&] { ExpBatch(row.args, row.args, count); });
  for (int n = 0; n < count; ++n) t.pairs[lo][row.hi[n]].r2 = row.args[n];

  int m = 0;
  switch (law.formula) {
    case Formula::Exponential:
      for (int n = 0; n < count; ++n) {
        const PairValues& p = t.pairs[lo][row.hi[n]];
        for (int s = 0; s < 2; ++s) {
          if (!row.need[n][s]) continue;
          row.args[m++] = O::Div(t.sets[s].B, p.r);
          row.args[m++] = O::Div(-t.sets[s].B, p.r);
        }
      }
      Timed(transcendentalNs, [&] { ExpBatch(row.args, row.args, m); });
      m = 0;
      for (int n = 0; n < count; ++n) {
        PairValues& p = t.pairs[lo][row.hi[n]];
        for (int s = 0; s < 2; ++s) {
          if (!row.need[n][s]) continue;
          p.first[s] = row.args[m++];
          p.second[s] = row.args[m++];
        }
      }
      break;
    case Formula::PolyExpon:
      for (int n = 0; n < count; ++n) {
        const PairValues& p = t.pairs[lo][row.hi[n]];
        for (int s = 0; s < 2; ++s)
          if (row.need[n][s]) row.args[m++] = O::Mul(O::Div(t.sets[s].B, p.r), row.lnR[n]);
      }
      Timed(transcendentalNs, [&] { ExpBatch(row.args, row.args, m); });
      m = 0;
      for (int n = 0; n < count; ++n) {
        PairValues& p = t.pairs[lo][row.hi[n]];
        for (int s = 0; s < 2; ++s)
          if (row.need[n][s]) p.first[s] = row.args[m++];
        p.oneLessLnR = O::Sub(1, row.lnR[n]);
      }
      break;
    default:
      for (int n = 0; n < count; ++n) {
        PairValues& p = t.pairs[lo][row.hi[n]];
        const bool r2Bounded = R2Bounded(p.r2);
        for (int s = 0; s < 2; ++s)
          if (row.need[n][s]) p.first[s] = Bracket(law, t.sets[s], p.r, p.r2, r2Bounded);
      }
      break;
  }
}

// sum + s * (d / r) * R for one partner, formed as AddPairTerm forms it.
template <Formula F>
Extended80 Term(Extended80 sum, Extended80 s, Extended80 d, const PairValues& p, const SetTerms& set,
                Extended80 factor) {
  Extended80 t = O::Mul(s, d);
  t = O::Div(t, p.r);
  if constexpr (F == Formula::Exponential || F == Formula::PolyExpon) {
    t = O::Mul(t, p.r2);
    t = O::Mul(t, set.A);
    t = O::Mul(t, set.B);
    t = O::Mul(t, factor);
    if constexpr (F == Formula::PolyExpon) {
      t = O::Mul(t, p.oneLessLnR);
      return O::Sub(sum, t);
    }
    return O::Add(sum, t);
  } else {
    t = O::Mul(t, set.A);
    t = O::Mul(t, factor);
    return O::Add(sum, t);
  }
}

template <Formula F>
void Sums(const PairTable::Data& table, const EnsembleState& e, int i, Extended80& xOut, Extended80& yOut,
          Extended80& zOut) {
  const int scope = table.scope;
  // Locals, not the caller's slots: workers that sum neighbouring slots into
  // one array would otherwise fight over its cache lines at every term.
  Extended80 x = 0, y = 0, z = 0;
  for (int j = 1; j <= e.SlotCount; ++j) {
    if (e.Exists[j] == 0 || j == i) continue;
    const PairValues& p = j > i ? table.pairs[i][j] : table.pairs[j][i];
    const Extended80 dx = O::Sub(e.PosX[i], e.PosX[j]);
    const Extended80 dy = O::Sub(e.PosY[i], e.PosY[j]);
    const Extended80 dz = O::Sub(e.PosZ[i], e.PosZ[j]);
    const Extended80 s = ((i - j) % 2 == 0 ? 1 : -scope) * scope;
    const int xy = table.setXY[j];
    const int zs = table.setZ[j];
    x = Term<F>(x, s, dx, p, table.sets[xy], p.first[xy]);
    y = Term<F>(y, s, dy, p, table.sets[xy], F == Formula::Exponential ? p.second[xy] : p.first[xy]);
    z = Term<F>(z, s, dz, p, table.sets[zs], p.first[zs]);
  }
  xOut = x;
  yOut = y;
  zOut = z;
}

}  // namespace

PairTable::PairTable() : data(std::make_unique<Data>()) {}
PairTable::~PairTable() = default;

bool PreparePairTable(PairTable& table, const EnsembleState& e, const LawSettings& law, int firstMoved) {
  PairTable::Data& t = *table.data;
  t.law = law;
  t.firstMoved = firstMoved;
  t.scope = ScopeSign(law);
  ParameterSet sets[2];
  MakeSets<Unchecked>(e, sets);

  bool used[2] = {false, false};
  for (int j = 1; j <= e.SlotCount; ++j) {
    if (e.Exists[j] == 0) continue;
    t.setXY[j] = PartnerSet(j, e.SlotCount, law, Axis::X) - 1;
    t.setZ[j] = PartnerSet(j, e.SlotCount, law, Axis::Z) - 1;
    used[t.setXY[j]] = used[t.setZ[j]] = true;
  }

  const bool pes = law.formula == Formula::PolyExpSum;
  const bool shells = pes || law.formula == Formula::ExpoPolyExpSum || law.formula == Formula::EPESminus;
  for (int s = 0; s < 2; ++s) {
    SetTerms& set = t.sets[s];
    set.A = sets[s].A;
    set.B = sets[s].B;
    if (!shells || !used[s]) continue;
    if (pes && !law.checkBox2) set.shells[ShellB] = MakeShell<Unchecked>(sets[s].kB);
    if (!pes || !law.checkBox3) {
      set.shells[ShellC] = MakeShell<Unchecked>(sets[s].kC);
      set.shells[ShellD] = MakeShell<Unchecked>(sets[s].kD);
      set.shells[ShellF] = MakeShell<Unchecked>(sets[s].kF);
    }
  }

  SettleMemory();
  return !FloatFaultPending();
}

void FillPairRow(PairTable& table, const EnsembleState& e, int lo, std::int64_t* transcendentalNs) {
  if (e.Exists[lo] == 0) return;
  FillRow(*table.data, e, lo, transcendentalNs);
  SettleMemory();
}

bool FillPairTable(PairTable& table, const EnsembleState& e, const LawSettings& law, int firstMoved) {
  if (!PreparePairTable(table, e, law, firstMoved)) return false;
  for (int lo = 1; lo <= e.SlotCount; ++lo) FillPairRow(table, e, lo);
  return !FloatFaultPending();
}

void PairTableForces(const PairTable& pairTable, const EnsembleState& e, int i, Extended80& x, Extended80& y,
                     Extended80& z) {
  using SumsOf =
      void (*)(const PairTable::Data&, const EnsembleState&, int, Extended80&, Extended80&, Extended80&);
  // One indirect call per slot, in the order of the Formula enumerators.
  static_assert(static_cast<int>(Formula::PolyExpon) == 0 && static_cast<int>(Formula::Exponential) == 1 &&
                static_cast<int>(Formula::PolyExpSum) == 2 &&
                static_cast<int>(Formula::ExpoPolyExpSum) == 3 && static_cast<int>(Formula::EPESminus) == 4);
  static constexpr SumsOf sums[] = {Sums<Formula::PolyExpon>, Sums<Formula::Exponential>,
                                    Sums<Formula::PolyExpSum>, Sums<Formula::ExpoPolyExpSum>,
                                    Sums<Formula::EPESminus>};
  const PairTable::Data& table = *pairTable.data;
  sums[static_cast<int>(table.law.formula)](table, e, i, x, y, z);
  x = Settled(x);
  y = Settled(y);
  z = Settled(z);
}

}  // namespace vorun::law
