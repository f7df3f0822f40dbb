// The interaction law: the force that all other taons of an ensemble exert on
// one taon, as a sum of central pair terms over the partners in ascending slot
// order. The law reads only the committed positions (PosX, PosY, PosZ) and the
// two parameter sets of the ensemble it is handed. Each pair term is
//
//   s * (d / r) * R(r)
//
// with s the pair sign, d the component of x_i - x_j, r the distance and R the
// radial factor of the chosen formula with the parameters of the partner's set.
//
// Results are defined bit for bit: every product is formed in the order written
// in the doc comments below, and a fault (division by zero, invalid operation,
// overflow) throws the vorun::Error that names the first one in evaluation
// order. Within one expression function calls are evaluated before plain
// divisions, so two taons at the same place report the division by zero of
// ln 0 inside Power(r, -2).
#pragma once

#include "engine/Settings.h"
#include "model/Global.h"

namespace vorun {

// The Extended80 values nearest 1.029 and 0.1, the two inexact constants of
// the shell function.
constexpr Extended80 ShellScale = 1.029L;
constexpr Extended80 ShellTenth = 0.1L;

// The lengths B, C, D, F of both sets in the order in which every step
// divides ShellScale by them, whatever the formula then reads: a value that
// faults there faults every step. The step and the check before a run both
// take them from here.
struct DividedLength {
  const char* name;
  Extended80 EnsembleState::*field;
};
inline constexpr DividedLength DividedLengths[8] = {{"B1", &EnsembleState::B1}, {"C1", &EnsembleState::C1},
                                                    {"D1", &EnsembleState::D1}, {"F1", &EnsembleState::F1},
                                                    {"B2", &EnsembleState::B2}, {"C2", &EnsembleState::C2},
                                                    {"D2", &EnsembleState::D2}, {"F2", &EnsembleState::F2}};

// One force component on the taon in slot i. The caller calls these only for
// occupied slots; slot i itself is not tested. All eight k = 1.029 / P of both
// sets are formed on every call, so a zero B, C, D or F faults whatever the
// formula.
Extended80 ForceX(const EnsembleState& e, int i, const LawSettings& law);
Extended80 ForceY(const EnsembleState& e, int i, const LawSettings& law);
Extended80 ForceZ(const EnsembleState& e, int i, const LawSettings& law);

// +1 under Taoscope, -1 under Gravoscope.
int ScopeSign(const LawSettings& law);
// 1 when i - j is even, else -ScopeSign(). The sign of a pair term is
// PairSign(i, j) * ScopeSign(): under Taoscope equal parities push and unequal
// ones pull, under Gravoscope every pair has the sign -1.
int PairSign(int i, int j, const LawSettings& law);

// exp(y * ln x); the base must be positive.
Extended80 Power(Extended80 x, Extended80 y);

// The shell of length P: with k = 1.029 / P and u = k * r,
//   W = Power(u, e),  e = Power(0.1 * k * r, -1) * (2.5 - Power(u, 20)),
// a narrow bump that is 1 at r = P / 1.029 and peaks at about 1.2307.
Extended80 ShellPotential(Extended80 P, Extended80 r);
// dW/dr = W * q with
//   q = (1 - ln u) * (2.5 - Power(u, 20)) * Power(r, -2) * Power(0.1 * k, -1)
//       - ln u * Power(u, 18) * (200 * k).
Extended80 ShellSlope(Extended80 P, Extended80 r);

// Parameter set (1 or 2) that partner slot j contributes with to one
// component: set 2 when j > slotCount - T, with the threshold T of the formula
// and component (30, or 30/15/10 from the colour split).
enum class Axis { X, Y, Z };
int PartnerSet(int j, int slotCount, const LawSettings& law, Axis axis);

}  // namespace vorun
