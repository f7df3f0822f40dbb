// The vector kernel of ExpBatch, in double-double arithmetic, written once
// for any vector width. TranscendentalBatch.cpp includes this file once per
// instruction set, each time inside a `#pragma GCC target` region and with
// VORUN_LANES (4 or 8) and VORUN_LANES_NAMESPACE defined, so every function
// here is compiled for that instruction set only and runs only after the
// processor was found to have it. No include guard, on purpose.
//
// exp(x) for x = xh + xl, 2^-60 <= |x| <= 11350, xh the top 53 bits of the
// 64-bit significand and xl the rest (|xl| < 2^-39, as |x| < 2^13.5):
//
// Reduction: k = nearest integer to xh * 256/ln2 (any k near it serves;
// |k| < 2^22), r = x - k L with L = ln2/256 = L1 + L2 + L3 (L1, L2 of 30
// bits, so k L1 and k L2 are exact). s1 = xh - k L1 is exact: both are
// multiples of 2^-62 and |s1| < 2^-9. Then (h, e1) = s1 - k L2 exactly;
// lo = (e1 + xl) - k L3 with |lo| < 2^-38.9 is rounded twice (2^-92 each) and
// k L3 once (2^-99.5), L3 itself is off by 2^-121.5 (times |k|: 2^-99.5). So
// r = rh + rl is known to |dr| < 2^-90.9, and |r| <= (1/2 + 2^-40) L < 2^-9.52.
//
// exp(r) = 1 + r + r^2/2 + r^3 P(r), P = 1/6 + r/24 + ... + r^4/5040:
//   r^2/2 = qh + ql, qh = rh^2/2 and the FMA's exact rest, plus rh rl: the
//     dropped rl^2/2 and the roundings of ql stay below 2^-114;
//   t = (rh^2 rh) P(rh): eight roundings at most of 2^-53 each, with the
//     neglected rl (3 rl/rh < 3 2^-53), make t good to 2^-50.1 of
//     |t| < 2^-31.1: 2^-81.2; the series beyond r^7 is below 2^-91.5;
//   1 + rh and the sum with qh are exact Fast2Sums (their rests ae, be are
//     kept); rl + ql + ae + be + t is rounded four times, the last at
//     |w| < 2^-31 (2^-84.1), the others below 2^-105.
// So E = eh + el is within 2^-80.9 of exp(r) > 0.997, relative. The product
// with 2^(j/256) = Th + Tl (2^-105) costs 2^-101 more: y = yh + yl is within
// 2^-80.8 of 2^(j/256) exp(r), relative, and 2^(k >> 8) y is exp(x).
//
// The operations are IEEE double operations rounded to nearest, the same on
// every processor that has the instruction set; the caller makes sure that
// the rounding mode is to nearest and that neither flush-to-zero nor
// denormals-are-zero is set. No operation here can raise more than inexact.

namespace VORUN_LANES_NAMESPACE {

typedef double Doubles __attribute__((vector_size(VORUN_LANES * 8)));
typedef long long Integers __attribute__((vector_size(VORUN_LANES * 8)));

#if VORUN_LANES == 8
inline Doubles Fma(Doubles a, Doubles b, Doubles c) { return _mm512_fmadd_pd(a, b, c); }
inline Doubles Gather(const double* table, Integers index) {
  return _mm512_mask_i64gather_pd(Doubles{}, 0xff, index, table, 8);
}
#else
inline Doubles Fma(Doubles a, Doubles b, Doubles c) { return _mm256_fmadd_pd(a, b, c); }
inline Doubles Gather(const double* table, Integers index) { return _mm256_i64gather_pd(table, index, 8); }
#endif

inline Doubles Splat(double v) { return Doubles{} + v; }

// a + b = s + e exactly.
inline void TwoSum(Doubles a, Doubles b, Doubles& s, Doubles& e) {
  s = a + b;
  const Doubles bv = s - a;
  const Doubles av = s - bv;
  e = (a - av) + (b - bv);
}

// The same for |a| >= |b|.
inline void FastTwoSum(Doubles a, Doubles b, Doubles& s, Doubles& e) {
  s = a + b;
  e = b - (s - a);
}

// n a multiple of VORUN_LANES; k receives the reduction index of each lane.
inline void ExpLanes(const double* xhIn, const double* xlIn, double* yhOut, double* ylOut, long long* kOut,
                     int n, const transcendental::Tables& tables) {
  const Doubles shifter = Splat(0x1.8p52), invL = Splat(tables.stepsPerUnit);
  const Doubles l1 = Splat(tables.lnStepParts[0]), l2 = Splat(tables.lnStepParts[1]);
  const Doubles l3 = Splat(tables.lnStepParts[2]);
  const Doubles one = Splat(1), half = Splat(0.5);
  const Doubles c3 = Splat(1.0 / 6), c4 = Splat(1.0 / 24), c5 = Splat(1.0 / 120), c6 = Splat(1.0 / 720),
                c7 = Splat(1.0 / 5040);
  const Integers shifterBits = (Integers)shifter;
  for (int i = 0; i < n; i += VORUN_LANES) {
    Doubles xh, xl;
    std::memcpy(&xh, xhIn + i, sizeof xh);
    std::memcpy(&xl, xlIn + i, sizeof xl);

    const Doubles shifted = xh * invL + shifter;
    const Integers k = (Integers)shifted - shifterBits;
    const Doubles kd = shifted - shifter;
    const Doubles s1 = Fma(-kd, l1, xh);
    const Doubles p2 = kd * l2;
    const Doubles p3 = kd * l3;
    Doubles h, e1;
    TwoSum(s1, -p2, h, e1);
    const Doubles lo = (e1 + xl) - p3;
    Doubles rh, rl;
    TwoSum(h, lo, rh, rl);

    const Doubles s = rh * rh;
    const Doubles se = Fma(rh, rh, -s);
    const Doubles qh = s * half;
    const Doubles ql = Fma(rh, rl, se * half);
    Doubles p = Fma(c7, rh, c6);
    p = Fma(p, rh, c5);
    p = Fma(p, rh, c4);
    p = Fma(p, rh, c3);
    const Doubles t = (s * rh) * p;
    Doubles a, ae, b, be;
    FastTwoSum(one, rh, a, ae);
    FastTwoSum(a, qh, b, be);
    Doubles w = rl + ql;
    w = w + ae;
    w = w + be;
    w = w + t;
    Doubles eh, el;
    FastTwoSum(b, w, eh, el);

    const Integers j = k & 255;
    const Doubles th = Gather(tables.exp2Hi, j), tl = Gather(tables.exp2Lo, j);
    const Doubles ph = eh * th;
    const Doubles pe = Fma(eh, th, -ph);
    const Doubles pl = Fma(eh, tl, pe) + el * th;
    Doubles yh, yl;
    FastTwoSum(ph, pl, yh, yl);

    std::memcpy(yhOut + i, &yh, sizeof yh);
    std::memcpy(ylOut + i, &yl, sizeof yl);
    std::memcpy(kOut + i, &k, sizeof k);
  }
}

// ln(1 + z) for z = zh + zl (an exact, not necessarily normalised sum),
// |z| < 2^-14, as ph + pl:
//   z = a0 + b0 normalised exactly, |b0| <= 2^-67;
//   z^2/2 = qh + ql, qh = a0^2/2 and the FMA's exact rest, plus a0 b0 (the
//     dropped b0^2/2 and the roundings stay below 2^-130);
//   t = (a0^2 a0) G(a0), G = 1/3 - z/4 + z^2/5 - z^3/6 + z^4/7: eight roundings
//     of 2^-53 at most, with the neglected b0, make t good to 2^-50 of
//     |t| < 2^-43.58: 2^-93.6; the series beyond z^7 is below 2^-115;
//   a0 - qh is an exact Fast2Sum (rest ae); (b0 - ql) + ae + t is rounded
//     three times, the last at |w| < 2^-43.5 (2^-97.5), the others below
//     2^-118.
// So ph + pl is within 2^-93.4 of ln(1 + z), absolute.
inline void LnLanes(const double* zhIn, const double* zlIn, double* phOut, double* plOut, int n) {
  const Doubles half = Splat(0.5);
  const Doubles g3 = Splat(1.0 / 3), g4 = Splat(-1.0 / 4), g5 = Splat(1.0 / 5), g6 = Splat(-1.0 / 6),
                g7 = Splat(1.0 / 7);
  for (int i = 0; i < n; i += VORUN_LANES) {
    Doubles zh, zl;
    std::memcpy(&zh, zhIn + i, sizeof zh);
    std::memcpy(&zl, zlIn + i, sizeof zl);
    Doubles a0, b0;
    TwoSum(zh, zl, a0, b0);
    const Doubles s = a0 * a0;
    const Doubles se = Fma(a0, a0, -s);
    const Doubles qh = s * half;
    const Doubles ql = Fma(a0, b0, se * half);
    Doubles g = Fma(g7, a0, g6);
    g = Fma(g, a0, g5);
    g = Fma(g, a0, g4);
    g = Fma(g, a0, g3);
    const Doubles t = (s * a0) * g;
    Doubles a, ae;
    FastTwoSum(a0, -qh, a, ae);
    Doubles w = b0 - ql;
    w = w + ae;
    w = w + t;
    Doubles ph, pl;
    FastTwoSum(a, w, ph, pl);
    std::memcpy(phOut + i, &ph, sizeof ph);
    std::memcpy(plOut + i, &pl, sizeof pl);
  }
}

}  // namespace VORUN_LANES_NAMESPACE
