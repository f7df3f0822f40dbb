// The eleven parameter fields that both windows show: the time step and the
// two sets of five parameters, in the order the windows fill and read them.
// A window names its fields "Edit" + name (EditDT, EditA1, ... EditF2).
#pragma once

#include <array>

#include "model/Global.h"

namespace vorun {

struct ParameterField {
  const char* name;
  // 0 for the time step, else the parameter set (lime 1, yellow 2).
  int set;
  Extended80 EnsembleState::*member;
  // What the field shows until a value is written into it.
  const char* designText;
};

inline constexpr std::array<ParameterField, 11> ParameterFieldTable{{
    {"DT", 0, &EnsembleState::TimeStep, "0"},
    {"A1", 1, &EnsembleState::A1, "1"},
    {"B1", 1, &EnsembleState::B1, "1"},
    {"C1", 1, &EnsembleState::C1, "2"},
    {"D1", 1, &EnsembleState::D1, "3"},
    {"F1", 1, &EnsembleState::F1, "4"},
    {"A2", 2, &EnsembleState::A2, "1"},
    {"B2", 2, &EnsembleState::B2, "1"},
    {"C2", 2, &EnsembleState::C2, "2"},
    {"D2", 2, &EnsembleState::D2, "3"},
    {"F2", 2, &EnsembleState::F2, "4"},
}};

}  // namespace vorun
