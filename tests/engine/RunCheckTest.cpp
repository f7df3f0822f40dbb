#include "engine/RunCheck.h"

#include <cstring>
#include <functional>
#include <limits>

#include "EngineFixture.h"
#include "engine/Step.h"

namespace vorun {
namespace {

const Extended80 QuietNaN = std::numeric_limits<Extended80>::quiet_NaN();
// Written as bytes: a signalling NaN passed around as a value may arrive quiet.
void PutSignallingNaN(Extended80& to) { std::memcpy(&to, "\0\0\0\0\0\0\0\xA0\xFF\x7F", 10); }

// What one step does with the same ensemble when nothing checks it first.
enum class Step { Clean, SpreadsNaN, Faults };

struct NaNCase {
  const char* name;
  std::function<void(EnsembleState&, StepSettings&)> change;
  const char* message;  // "" when the run may start
  Step step;
};

class CheckedEnsemble : public testing::Test {
 protected:
  // Two taons in set 1 (slots 1, 2) and two in set 2 (31, 32) under Ak, apart
  // far enough that no shell term overflows.
  void SetUp() override {
    ClearEnsemble();
    SetBothSets(1, 1, 2, 3, 4);
    Place(1, 0, 0, 0, 0.5L);
    Place(2, 1.5L, 0.25L, 0);
    Place(31, 0, 1.75L, 0.5L);
    Place(32, -1, 0, 1.25L, 0, 0, -0.5L);
  }
  StepSettings settings;
};

class RunCheck : public CheckedEnsemble, public testing::WithParamInterface<NaNCase> {};

bool AnyOccupiedSlotIsNaN() {
  const auto& e = TestEnsemble;
  for (int n = 1; n <= e.SlotCount; ++n) {
    if (e.Exists[n] == 0) continue;
    for (const Extended80 v : {e.PosX[n], e.PosY[n], e.PosZ[n], e.VelU[n], e.VelV[n], e.VelW[n]})
      if (std::isnan(v)) return true;
  }
  return false;
}

// The check must name exactly the NaNs that would spoil a run. So each case
// also takes the step without the check: what the check lets through must
// step cleanly, and a quiet NaN it reports must really spread.
TEST_P(RunCheck, NamesTheNaNThatAStepWouldSpread) {
  GetParam().change(TestEnsemble, settings);
  const auto found = FindNaN(TestEnsemble, settings);
  EXPECT_EQ(found.value_or(""), GetParam().message);
  EXPECT_EQ(ErrorOf([&] { CheckRunnable(TestEnsemble, settings); }), GetParam().message);

  const std::string fault = ErrorOf([&] { AdvanceStep(TestEnsemble, settings); });
  switch (GetParam().step) {
    case Step::Clean:
      EXPECT_EQ(fault, "");
      EXPECT_FALSE(AnyOccupiedSlotIsNaN());
      break;
    case Step::SpreadsNaN:
      EXPECT_EQ(fault, "") << "a quiet NaN raises nothing";
      EXPECT_TRUE(AnyOccupiedSlotIsNaN());
      break;
    case Step::Faults:
      EXPECT_EQ(fault, "Invalid floating point operation");
      break;
  }
}

const char* const NotStarted = " is not a number (NaN). The run does not start.";
std::string Says(const std::string& what) { return what + NotStarted; }

// Message strings must outlive the cases.
const std::string TimeStepMessage = Says("The time step dt");
const std::string A2Message = Says("The parameter A2");
const std::string C1Message = Says("The parameter C1");
const std::string PosY31Message = Says("The position y of slot 31");
const std::string VelW2Message = Says("The velocity z of slot 2");
const std::string PosZ1Message = Says("The position z of slot 1");
const std::string PosX5Message = Says("The position x of slot 5");
const std::string VelY3Message = Says("The velocity y of slot 3");

INSTANTIATE_TEST_SUITE_P(
    Values, RunCheck,
    testing::Values(
        NaNCase{"Nothing", [](EnsembleState&, StepSettings&) {}, "", Step::Clean},
        NaNCase{"TimeStep", [](EnsembleState& e, StepSettings&) { e.TimeStep = QuietNaN; },
                TimeStepMessage.c_str(), Step::SpreadsNaN},
        NaNCase{"StrengthOfSet2", [](EnsembleState& e, StepSettings&) { e.A2 = QuietNaN; }, A2Message.c_str(),
                Step::SpreadsNaN},
        // The exponential law never reads C, D, F; their k = 1.029 / P is
        // formed and dropped.
        NaNCase{"ShellLengthExponential", [](EnsembleState& e, StepSettings&) { e.C1 = QuietNaN; }, "",
                Step::Clean},
        NaNCase{"ShellLengthEPESminus",
                [](EnsembleState& e, StepSettings& s) {
                  e.C1 = QuietNaN;
                  s.law.formula = Formula::EPESminus;
                },
                C1Message.c_str(), Step::SpreadsNaN},
        NaNCase{"FirstShellSwitchedOff",
                [](EnsembleState& e, StepSettings& s) {
                  e.B2 = QuietNaN;
                  s.law.formula = Formula::PolyExpSum;
                  s.law.noShellB = true;
                },
                "", Step::Clean},
        // Under Ck set 2 begins at slot 51: slots 31 and 32 use set 1.
        NaNCase{"SetWithoutTaons",
                [](EnsembleState& e, StepSettings& s) {
                  e.A2 = QuietNaN;
                  s.law.colourSplit = ColourSplit::Ck;
                },
                "", Step::Clean},
        NaNCase{"Position", [](EnsembleState& e, StepSettings&) { e.PosY[31] = QuietNaN; },
                PosY31Message.c_str(), Step::SpreadsNaN},
        // The run goes on from the working velocity.
        NaNCase{"WorkingVelocity", [](EnsembleState& e, StepSettings&) { e.NextVelW[2] = QuietNaN; },
                VelW2Message.c_str(), Step::SpreadsNaN},
        NaNCase{"EmptySlot", [](EnsembleState& e, StepSettings&) { e.PosX[5] = e.NextVelU[5] = QuietNaN; },
                "", Step::Clean},
        NaNCase{"EmptySlotMadeOccupied",
                [](EnsembleState& e, StepSettings&) {
                  e.PosX[5] = QuietNaN;
                  e.Exists[5] = 1;
                  SyncWorkingCopies(e, true);
                },
                PosX5Message.c_str(), Step::SpreadsNaN},
        // Slots 1 to 4 are held: their velocities are never read.
        NaNCase{"BlockedVelocity",
                [](EnsembleState& e, StepSettings& s) {
                  e.NextVelU[1] = QuietNaN;
                  s.blockade = true;
                },
                "", Step::Clean},
        NaNCase{"SignallingNaN", [](EnsembleState& e, StepSettings&) { PutSignallingNaN(e.PosZ[1]); },
                PosZ1Message.c_str(), Step::Faults},
        // Held, it is not stepped; but the energy and every observable of
        // the run are summed over it, and would all be NaN.
        NaNCase{"HeldVelocityReadByTheObservables",
                [](EnsembleState& e, StepSettings& s) {
                  e.VelV[3] = e.NextVelV[3] = QuietNaN;
                  s.blockade = true;
                  e.Exists[3] = 1;
                },
                VelY3Message.c_str(), Step::SpreadsNaN}),
    [](const testing::TestParamInfo<NaNCase>& info) { return info.param.name; });

struct DivisionCase {
  const char* name;
  std::function<void(Extended80&)> put;
  const char* fault;  // of the step, and named by the check; "" for none
};

void PrintTo(const DivisionCase& c, std::ostream* os) { *os << c.name; }

class DividedLength : public CheckedEnsemble, public testing::WithParamInterface<DivisionCase> {};

// Under the exponential law, which reads none of C, D, F, each step still
// divides by every one of them: the check names exactly the values whose
// division faults, with the fault the step would report unnamed.
TEST_P(DividedLength, IsNamedExactlyWhenItsDivisionFaultsTheStep) {
  for (const auto& [name, field] : {std::pair{"C1", &EnsembleState::C1}, std::pair{"F2", &EnsembleState::F2},
                                    std::pair{"D1", &EnsembleState::D1}}) {
    SetUp();
    GetParam().put(TestEnsemble.*field);
    const std::string fault = GetParam().fault;
    const std::string expected = fault.empty()
                                     ? ""
                                     : std::string("The parameter ") + name +
                                           " makes every step fail: " + fault + ". The run does not start.";
    EXPECT_EQ(FindNaN(TestEnsemble, settings).value_or(""), expected) << name;
    EXPECT_EQ(ErrorOf([&] { AdvanceStep(TestEnsemble, settings); }), fault) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, DividedLength,
    testing::Values(
        DivisionCase{"Zero", [](Extended80& v) { v = 0; }, "Floating point division by zero"},
        DivisionCase{"SmallestDenormal", [](Extended80& v) { std::memcpy(&v, "\1\0\0\0\0\0\0\0\0\0", 10); },
                     "Floating point overflow"},
        DivisionCase{"SignallingNaN", [](Extended80& v) { PutSignallingNaN(v); },
                     "Invalid floating point operation"},
        // These divide cleanly, and the law never reads the result.
        DivisionCase{"LargestDenormal",
                     [](Extended80& v) { std::memcpy(&v, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F\0\0", 10); }, ""},
        DivisionCase{"Infinity", [](Extended80& v) { v = std::numeric_limits<Extended80>::infinity(); }, ""}),
    [](const testing::TestParamInfo<DivisionCase>& info) { return info.param.name; });

}  // namespace
}  // namespace vorun
