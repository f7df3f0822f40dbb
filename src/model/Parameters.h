// The eleven values of an ensemble that belong to no slot (the time step and
// the two sets of five parameters) and the six reals of a slot, under the
// names that the command line, the text form of an ensemble and scripts use,
// beside their place in the live state and in the file's record. One table
// each, so that a name means the same field everywhere and no use of the
// fields (the file's copy in both directions among them) can miss one.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/EnsembleFile.h"
#include "model/Global.h"

namespace vorun {

struct ParameterName {
  const char* name;  // "dt", "A1" ... "F2": exact, case included
  int set;           // 0 for the time step, else the parameter set (1 or 2)
  Extended80 EnsembleState::*state;
  Float80Bytes EnsembleRecord::*record;
};

// In the order of the record, which is the order every listing uses.
inline constexpr std::array<ParameterName, 11> ParameterNames{{
    {"dt", 0, &EnsembleState::TimeStep, &EnsembleRecord::TimeStep},
    {"A1", 1, &EnsembleState::A1, &EnsembleRecord::A1},
    {"B1", 1, &EnsembleState::B1, &EnsembleRecord::B1},
    {"C1", 1, &EnsembleState::C1, &EnsembleRecord::C1},
    {"D1", 1, &EnsembleState::D1, &EnsembleRecord::D1},
    {"F1", 1, &EnsembleState::F1, &EnsembleRecord::F1},
    {"A2", 2, &EnsembleState::A2, &EnsembleRecord::A2},
    {"B2", 2, &EnsembleState::B2, &EnsembleRecord::B2},
    {"C2", 2, &EnsembleState::C2, &EnsembleRecord::C2},
    {"D2", 2, &EnsembleState::D2, &EnsembleRecord::D2},
    {"F2", 2, &EnsembleState::F2, &EnsembleRecord::F2},
}};

// The entry of that name, or nullptr.
inline const ParameterName* FindParameter(std::string_view name) {
  for (const ParameterName& p : ParameterNames)
    if (name == p.name) return &p;
  return nullptr;
}

// A slot's position x, y, z and velocity u, v, w, in the order of the record.
struct SlotFieldName {
  const char* name;
  SlotReals EnsembleState::*state;
  Float80Bytes (EnsembleRecord::*record)[MaxSlots];
};

inline constexpr std::array<SlotFieldName, 6> SlotFieldNames{{
    {"x", &EnsembleState::PosX, &EnsembleRecord::PosX},
    {"y", &EnsembleState::PosY, &EnsembleRecord::PosY},
    {"z", &EnsembleState::PosZ, &EnsembleRecord::PosZ},
    {"u", &EnsembleState::VelU, &EnsembleRecord::VelU},
    {"v", &EnsembleState::VelV, &EnsembleRecord::VelV},
    {"w", &EnsembleState::VelW, &EnsembleRecord::VelW},
}};

// "dt, A1, B1, ..., F2", for the message that rejects an unknown name.
inline std::string ParameterNameList() {
  std::string list;
  for (const ParameterName& p : ParameterNames) {
    if (!list.empty()) list += ", ";
    list += p.name;
  }
  return list;
}

}  // namespace vorun
