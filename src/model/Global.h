// The state of an ensemble of 60 taon slots. Nothing here holds a live
// instance: everything below the windows works on the ensemble it is handed,
// and the one the windows show belongs to their session.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>

namespace vorun {

// Every real quantity is the x87 80-bit extended format. Results must be
// reproducible bit for bit and files carry these exact ten bytes, so a build
// where long double is anything else must not compile.
using Extended80 = long double;
static_assert(std::numeric_limits<Extended80>::digits == 64,
              "Extended80 needs the x87 80-bit format (64-bit significand)");
static_assert(std::numeric_limits<Extended80>::max_exponent == 16384, "Extended80 needs a 15-bit exponent");

constexpr int MaxSlots = 60;

// Index 0 is unused so that PosX[n] means slot n, as everywhere in the program.
using SlotReals = std::array<Extended80, MaxSlots + 1>;
using SlotBytes = std::array<std::uint8_t, MaxSlots + 1>;
using SlotInts = std::array<std::int32_t, MaxSlots + 1>;

struct EnsembleState {
  std::int32_t SlotCount = 0;
  Extended80 TimeStep = 0;
  Extended80 A1 = 0, B1 = 0, C1 = 0, D1 = 0, F1 = 0;
  Extended80 A2 = 0, B2 = 0, C2 = 0, D2 = 0, F2 = 0;

  // Committed state: what the law, the listing, the editor and the file see.
  SlotReals PosX{}, PosY{}, PosZ{};
  SlotReals VelU{}, VelV{}, VelW{};
  // Working copies the integrator carries from step to step.
  SlotReals NextPosX{}, NextPosY{}, NextPosZ{};
  SlotReals NextVelU{}, NextVelV{}, NextVelW{};
  // What the renderers draw; the spiral renderer turns it in place.
  SlotReals ViewX{}, ViewY{}, ViewZ{};
  // 0 = empty slot; any other byte is kept as read so files round-trip.
  SlotBytes Exists{};
};

// The slots a routine may visit: SlotCount comes from a file and is never
// trusted beyond the arrays.
inline int ClampedSlotCount(const EnsembleState& e) {
  return e.SlotCount < 0 ? 0 : e.SlotCount > MaxSlots ? MaxSlots : e.SlotCount;
}

}  // namespace vorun
