#include "engine/PairTable.h"

#include <array>
#include <chrono>
#include <utility>

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

// The shell slopes of one row, each formed as FastShellSlope forms it, with
// the same shortcuts, but stage by stage over all of them, so that every
// logarithm and exponential of a stage goes into one batch.
struct ShellJobs {
  static constexpr int Most = 8 * MaxSlots;  // pairs, two sets, four shells
  int count = 0;
  const ShellConstants* shell[Most];
  Extended80* out[Most];
  Extended80 r[Most], r2[Most];
  bool qBounded[Most];
  Extended80 lnU[Most], rest[Most], w[Most];
  int live[Most];
  int wJob[Most];
  Extended80 args[2 * Most];
  Extended80 wArgs[Most];

  void Add(const ShellConstants& c, Extended80 rIn, Extended80 r2In, bool r2Bounded, Extended80* slope) {
    shell[count] = &c;
    out[count] = slope;
    r[count] = rIn;
    r2[count] = r2In;
    qBounded[count] = c.bounded && r2Bounded;
    ++count;
  }
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

void ShellSlopes(ShellJobs& j, std::int64_t* ns) {
  int live = 0;
  for (int q = 0; q < j.count; ++q) {
    const ShellConstants& c = *j.shell[q];
    const Extended80 u = O::Mul(c.k, j.r[q]);
    if (j.qBounded[q] && std::isgreaterequal(u, FarFrom) && std::islessequal(u, FarTo)) {
      *j.out[q] = 0;
      continue;
    }
    j.args[2 * live] = O::Mul(c.tenthK, j.r[q]);
    j.args[2 * live + 1] = u;
    j.live[live++] = q;
  }
  Timed(ns, [&] { LnBatch(j.args, j.args, 2 * live); });
  for (int i = 0; i < live; ++i) {
    const int q = j.live[i];
    j.lnU[q] = j.args[2 * i + 1];
    j.args[2 * i] = O::Mul(-1, j.args[2 * i]);
    j.args[2 * i + 1] = O::Mul(20, j.lnU[q]);
  }
  Timed(ns, [&] { ExpBatch(j.args, j.args, 2 * live); });
  int calls = 0;
  for (int i = 0; i < live; ++i) {
    const int q = j.live[i];
    const Extended80 inverse = j.args[2 * i];
    j.rest[q] = O::Sub(2.5L, j.args[2 * i + 1]);
    const Extended80 exponent = O::Mul(inverse, j.rest[q]);
    const Extended80 wArg = O::Mul(exponent, j.lnU[q]);
    j.w[q] = 0;
    if (std::isless(wArg, ExpZeroBelow)) continue;
    j.wJob[calls] = q;
    j.wArgs[calls++] = wArg;
  }
  Timed(ns, [&] { ExpBatch(j.wArgs, j.wArgs, calls); });
  for (int n = 0; n < calls; ++n) j.w[j.wJob[n]] = j.wArgs[n];
  int full = 0;
  for (int i = 0; i < live; ++i) {
    const int q = j.live[i];
    if (j.w[q] == 0 && j.qBounded[q] && std::isgreaterequal(j.lnU[q], -LnUBound) &&
        std::islessequal(j.lnU[q], LnUBound)) {
      *j.out[q] = 0;
      continue;
    }
    j.live[full] = q;
    j.args[full++] = O::Mul(18, j.lnU[q]);
  }
  Timed(ns, [&] { ExpBatch(j.args, j.args, full); });
  for (int i = 0; i < full; ++i) {
    const int q = j.live[i];
    const ShellConstants& c = *j.shell[q];
    const Extended80 u18 = j.args[i];
    Extended80 slope = O::Mul(O::Sub(1, j.lnU[q]), j.rest[q]);
    slope = O::Mul(slope, j.r2[q]);
    slope = O::Mul(slope, c.inverseTenthK);
    Extended80 m = O::Mul(j.lnU[q], u18);
    m = O::Mul(m, c.k200);
    slope = O::Sub(slope, m);
    *j.out[q] = O::Mul(j.w[q], slope);
  }
}

// The bracket of PolyExpSum, ExpoPolyExpSum or EPESminus for one set from
// its slopes and, but for PolyExpSum, ex = exp(-B / r).
Extended80 Bracket(const LawSettings& law, const SetTerms& set, Extended80 r2, Extended80 ex,
                   const Extended80 (&slope)[4]) {
  if (law.formula == Formula::PolyExpSum) {
    Extended80 tB = 0;
    if (!law.noShellB) tB = -slope[ShellB];
    Extended80 tCDF = 0;
    if (!law.noShellsCDF) tCDF = O::Sub(O::Sub(-slope[ShellC], slope[ShellD]), slope[ShellF]);
    return O::Add(tB, tCDF);
  }
  Extended80 bracket = O::Mul(O::Mul(set.B, r2), ex);
  bracket = O::Add(bracket, O::Mul(10, slope[ShellC]));
  if (law.formula == Formula::EPESminus) {
    bracket = O::Add(bracket, O::Mul(12, slope[ShellD]));
    return O::Add(bracket, O::Mul(6, slope[ShellF]));
  }
  bracket = O::Sub(bracket, O::Mul(2, slope[ShellD]));
  return O::Sub(bracket, slope[ShellF]);
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

// The brackets of the shell formulas for the pairs of a row.
void ShellBrackets(PairTable::Data& t, int lo, RowScratch& row, int count, std::int64_t* ns) {
  const LawSettings& law = t.law;
  const bool pes = law.formula == Formula::PolyExpSum;
  ShellJobs jobs;
  Extended80 slopes[MaxSlots][2][4];
  for (int n = 0; n < count; ++n) {
    const PairValues& p = t.pairs[lo][row.hi[n]];
    const bool r2Bounded = R2Bounded(p.r2);
    for (int s = 0; s < 2; ++s) {
      if (!row.need[n][s]) continue;
      const SetTerms& set = t.sets[s];
      if (pes && !law.noShellB) jobs.Add(set.shells[ShellB], p.r, p.r2, r2Bounded, &slopes[n][s][ShellB]);
      if (!pes || !law.noShellsCDF) {
        for (Shell h : {ShellC, ShellD, ShellF})
          jobs.Add(set.shells[h], p.r, p.r2, r2Bounded, &slopes[n][s][h]);
      }
    }
  }
  ShellSlopes(jobs, ns);
  int m = 0;
  if (!pes) {
    for (int n = 0; n < count; ++n) {
      for (int s = 0; s < 2; ++s)
        if (row.need[n][s]) row.args[m++] = O::Div(-t.sets[s].B, t.pairs[lo][row.hi[n]].r);
    }
    Timed(ns, [&] { ExpBatch(row.args, row.args, m); });
  }
  m = 0;
  for (int n = 0; n < count; ++n) {
    PairValues& p = t.pairs[lo][row.hi[n]];
    for (int s = 0; s < 2; ++s) {
      if (!row.need[n][s]) continue;
      const Extended80 ex = pes ? 0 : row.args[m++];
      p.first[s] = Bracket(law, t.sets[s], p.r2, ex, slopes[n][s]);
    }
  }
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
  if (law.formula == Formula::PolyExpSum && law.noShellB && law.noShellsCDF) {
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
      ShellBrackets(t, lo, row, count, transcendentalNs);
      break;
  }
}

// The same row with every exponential and logarithm a single call where its
// value is needed, for the scalar path: staging a row costs more than it
// saves when no vector kernel computes the batches.
Extended80 InPlaceBracket(const LawSettings& law, const SetTerms& set, Extended80 r, Extended80 r2,
                          bool r2Bounded) {
  const auto slope = [&](Shell h) { return FastShellSlope<Unchecked>(set.shells[h], r, r2, r2Bounded); };
  if (law.formula == Formula::PolyExpSum) {
    Extended80 tB = 0;
    if (!law.noShellB) tB = -slope(ShellB);
    Extended80 tCDF = 0;
    if (!law.noShellsCDF) {
      const Extended80 sc = slope(ShellC);
      const Extended80 sd = slope(ShellD);
      const Extended80 sf = slope(ShellF);
      tCDF = O::Sub(O::Sub(-sc, sd), sf);
    }
    return O::Add(tB, tCDF);
  }
  const Extended80 ex = O::Exp(O::Div(-set.B, r));
  const Extended80 slopes[4] = {0, slope(ShellC), slope(ShellD), slope(ShellF)};
  return Bracket(law, set, r2, ex, slopes);
}

void FillRowInPlace(PairTable::Data& t, const EnsembleState& e, int lo) {
  const LawSettings& law = t.law;
  const bool loMoved = lo >= t.firstMoved;
  for (int hi = lo + 1; hi <= e.SlotCount; ++hi) {
    if (e.Exists[hi] == 0) continue;
    const bool hiMoved = hi >= t.firstMoved;
    if (!loMoved && !hiMoved) continue;
    bool need[2] = {false, false};
    if (loMoved) need[t.setXY[hi]] = need[t.setZ[hi]] = true;
    if (hiMoved) need[t.setXY[lo]] = need[t.setZ[lo]] = true;
    PairValues& p = t.pairs[lo][hi];
    Extended80 dx, dy, dz;
    p.r = PairDistance<Unchecked>(e, lo, hi, dx, dy, dz);
    if (law.formula == Formula::PolyExpSum && law.noShellB && law.noShellsCDF) {
      p.first[0] = p.first[1] = 0;
      continue;
    }
    const Extended80 lnR = O::Ln(p.r);
    p.r2 = O::Exp(O::Mul(-2, lnR));
    const bool r2Bounded = R2Bounded(p.r2);
    for (int s = 0; s < 2; ++s) {
      if (!need[s]) continue;
      const SetTerms& set = t.sets[s];
      switch (law.formula) {
        case Formula::Exponential:
          p.first[s] = O::Exp(O::Div(set.B, p.r));
          p.second[s] = O::Exp(O::Div(-set.B, p.r));
          break;
        case Formula::PolyExpon:
          p.first[s] = O::Exp(O::Mul(O::Div(set.B, p.r), lnR));
          break;
        default:
          p.first[s] = InPlaceBracket(law, set, p.r, p.r2, r2Bounded);
          break;
      }
    }
    if (law.formula == Formula::PolyExpon) p.oneLessLnR = O::Sub(1, lnR);
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
    const PairValues& p = table.pairs[i][j];
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
    if (pes && !law.noShellB) set.shells[ShellB] = MakeShell<Unchecked>(sets[s].kB);
    if (!pes || !law.noShellsCDF) {
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
  PairTable::Data& t = *table.data;
  if (CurrentBatchPath() == BatchPath::Scalar)
    FillRowInPlace(t, e, lo);
  else
    FillRow(t, e, lo, transcendentalNs);
  // Each slot then reads its partners from its own row, in order: on several
  // threads the entries another core wrote come as a stream of whole lines
  // instead of one line per partner down a column.
  for (int hi = lo + 1; hi <= e.SlotCount; ++hi) t.pairs[hi][lo] = t.pairs[lo][hi];
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
  // One indirect call per slot. The array is made from the table of
  // formulas, whose rows stand in the order of the enumerators, so a new
  // formula needs no edit here and a reordered enum cannot pick the wrong law.
  static constexpr auto sums = []<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<SumsOf, sizeof...(I)>{Sums<FormulaChoices[I].value>...};
  }
  (std::make_index_sequence<FormulaChoices.size()>());
  const PairTable::Data& table = *pairTable.data;
  sums[static_cast<int>(table.law.formula)](table, e, i, x, y, z);
  x = Settled(x);
  y = Settled(y);
  z = Settled(z);
}

}  // namespace vorun::law
