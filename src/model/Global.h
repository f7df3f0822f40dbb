// The one live state of the simulator: the ensemble of 60 taon slots, the run
// flags, the view state and the display toggles. Every layer reads and writes
// these instances directly; there are no accessor layers and no private copies.
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

struct RunState {
  std::int32_t StepCount = 0;
  std::uint8_t Stopped = 0;
  std::uint8_t SpiralMode = 0;
  std::int32_t SpiralVariant = 0;
  std::uint8_t ShowStepCount = 0;
};

struct ViewState {
  // Pending rotation increments about x, y, z.
  Extended80 Teta = 0, Psi = 0, Phi = 0;
  // Orientation of the taon view: plain sums of all increments, never reduced.
  Extended80 SpinTeta = 0, SpinPsi = 0, SpinPhi = 0;
  Extended80 M11 = 0, M12 = 0, M13 = 0;
  Extended80 M21 = 0, M22 = 0, M23 = 0;
  Extended80 M31 = 0, M32 = 0, M33 = 0;
  Extended80 Zoom = 0;
  std::int32_t CenterX = 0, CenterY = 0;
  Extended80 PanX = 0, PanY = 0;
  Extended80 PanStep = 0, ZoomStep = 0, AngleStep = 0;
  SlotInts ScreenX{}, ScreenY{};
  std::int32_t MouseDownX = 0, MouseDownY = 0;
  std::int32_t RightDownX = 0, RightDownY = 0;
};

struct DisplayState {
  std::uint8_t ListVelocities = 0;
  std::uint8_t DlgListVelocities = 0;
  std::uint8_t ShowNumbers = 0;
  std::uint8_t SpinOn = 0;
  std::uint8_t CommentChanged = 0;
};

extern EnsembleState Ensemble;
extern RunState Run;
extern ViewState View;
extern DisplayState Display;

// Working name of the current ensemble ("ThetraSpiral" while none is known)
// and the name last read from or written to the start file.
extern std::string FileName;
extern std::string LastFileName;

// Puts every global above, and the file staging buffer FileRecord, back to
// its state before start-up (all zero, strings empty). Tests start from here.
void ResetGlobals();

}  // namespace vorun
