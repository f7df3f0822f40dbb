// Golden runs: small ensembles stored as ensemble files, each stepped under
// the settings of its line in golden/runs.txt, must end in the stored records
// byte for byte, or fault at the stored step with the stored message. Every
// exp and ln of the law is correctly rounded, so these records hold on every
// x86-64 machine, whatever its processor or C library.
//
// Layout of tests/engine/golden:
//   runs.txt            one run per line: name, input, steps, settings, and
//                       "fault <step> <message>" for a run that must fault
//   input/<input>.tvx   the starting ensembles
//   expected/<name>.tvx       the committed state at the end of the run
//   expected/<name>.work.tvx  the working positions and velocities, which the
//                             next step would go on from, as a record
//
// With VORUN_WRITE_GOLDEN=1 in the environment the test writes the inputs from
// the recipes below and the expected records from the engine instead of
// comparing; it then prints each run's end for runs.txt.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "engine/Step.h"
#include "model/EnsembleFile.h"

namespace vorun {
namespace {

const std::string GoldenDir = VORUN_GOLDEN_DIR;

bool Writing() {
  const char* value = std::getenv("VORUN_WRITE_GOLDEN");
  return value != nullptr && std::string(value) == "1";
}

struct GoldenRun {
  std::string name, input;
  int steps = 0;
  StepSettings settings;
  int faultStep = 0;  // 0: the run must complete
  std::string faultMessage;
};

void PrintTo(const GoldenRun& run, std::ostream* os) { *os << run.name; }

// "E Ak Gravoscope Heater Thermos3X3 ..." into settings; false on an unknown word.
bool ParseSetting(const std::string& word, StepSettings& s) {
  static const std::map<std::string, std::function<void(StepSettings&)>> words = {
      {"PE", [](StepSettings& s) { s.law.formula = Formula::PolyExpon; }},
      {"E", [](StepSettings& s) { s.law.formula = Formula::Exponential; }},
      {"PES", [](StepSettings& s) { s.law.formula = Formula::PolyExpSum; }},
      {"EPES", [](StepSettings& s) { s.law.formula = Formula::ExpoPolyExpSum; }},
      {"EPES-", [](StepSettings& s) { s.law.formula = Formula::EPESminus; }},
      {"Ak", [](StepSettings& s) { s.law.colourSplit = ColourSplit::Ak; }},
      {"Bk", [](StepSettings& s) { s.law.colourSplit = ColourSplit::Bk; }},
      {"Ck", [](StepSettings& s) { s.law.colourSplit = ColourSplit::Ck; }},
      {"Taoscope", [](StepSettings& s) { s.law.scope = Scope::Taoscope; }},
      {"Gravoscope", [](StepSettings& s) { s.law.scope = Scope::Gravoscope; }},
      {"CheckBox2", [](StepSettings& s) { s.law.noShellB = true; }},
      {"CheckBox3", [](StepSettings& s) { s.law.noShellsCDF = true; }},
      {"Blockade", [](StepSettings& s) { s.blockade = true; }},
      {"Heater", [](StepSettings& s) { s.heater = true; }},
      {"Cooler", [](StepSettings& s) { s.cooler = true; }},
      {"Thermos3X3", [](StepSettings& s) { s.wall = WallMode::Thermos3X3; }},
      {"Thermos20X20", [](StepSettings& s) { s.wall = WallMode::Thermos20X20; }},
      {"ThermosNXN", [](StepSettings& s) { s.wall = WallMode::ThermosNXN; }},
      {"ThermosOUT", [](StepSettings& s) { s.wall = WallMode::Thermosout; }},
  };
  const auto found = words.find(word);
  if (found == words.end()) return false;
  found->second(s);
  return true;
}

std::vector<GoldenRun> ReadRuns() {
  std::vector<GoldenRun> runs;
  std::ifstream in(GoldenDir + "/runs.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    GoldenRun run;
    words >> run.name >> run.input >> run.steps;
    std::string word;
    while (words >> word) {
      if (word == "fault") {
        words >> run.faultStep;
        std::getline(words >> std::ws, run.faultMessage);
        break;
      }
      if (!ParseSetting(word, run.settings)) ADD_FAILURE() << run.name << ": unknown setting " << word;
    }
    runs.push_back(run);
  }
  return runs;
}

// --- The starting ensembles ------------------------------------------------

// Fourteen taons around the set borders 30/31, 45/46 and 50/51 and in the
// blockade slots, 0.6 to 3 apart so that every shell of both sets is well up
// at some distance; one beyond the 3x3 wall in x, one beyond 20x20 in x and
// one beyond NxN in z, so each wall reflects something.
EnsembleState Cloud() {
  ClearEnsemble();
  auto& e = TestEnsemble;
  SetTwoDifferentSets(e);
  Scatter scatter(20261208);
  auto next = [&scatter] { return scatter(2); };
  int k = 0;
  for (int n : {1, 3, 4, 7, 14, 30, 31, 44, 46, 50, 51}) {
    ++k;
    // Drawn w first and x last, the order the stored runs were made in,
    // whatever order a compiler gives the arguments of a call.
    const Extended80 w = next() * 0.4L, v = next() * 0.4L, u = next() * 0.4L, z = next() * 0.2L;
    const Extended80 y = (k / 4 % 3) * 1.2L - 1.2L + next() * 0.1L;
    const Extended80 x = (k % 4) * 1.1L - 1.6L + next() * 0.1L;
    Place(n, x, y, z, u, v, w);
  }
  Place(55, 1.7L, 0.25L, 0.5L, 0.1L, 0, 0);
  Place(58, 10.5L, 0.2L, 0, 0.2L, 0.1L, 0);
  Place(60, 0.3L, -0.1L, -100.5L, 0, 0, -0.3L);
  return e;
}

// Two taons in slots 1 and 3 closing in at 2 per unit time with B = 100:
// exp(B / r) overflows once r < 100 / 11356.5, in the fifth step. A is so
// small that the force moves nothing before.
EnsembleState Approach() {
  ClearEnsemble();
  SetBothSets(1e-4700L, 100, 1, 1, 1);
  Place(1, -0.0084L, 0, 0, 1, 0, 0);
  Place(3, 0.0084L, 0, 0, -1, 0, 0);
  return TestEnsemble;
}

// The cloud with a NaN position in empty slot 20, as a damaged file holds it.
EnsembleState CloudWithNaN() {
  EnsembleState e = Cloud();
  e.PosY[20] = std::numeric_limits<Extended80>::quiet_NaN();
  return e;
}

// The cloud with F2 = 0.
EnsembleState CloudWithZeroLength() {
  EnsembleState e = Cloud();
  e.F2 = 0;
  return e;
}

// The cloud with a negative C2 shell.
EnsembleState CloudWithNegativeShell() {
  EnsembleState e = Cloud();
  e.C2 = -1.1L;
  return e;
}

const std::map<std::string, EnsembleState (*)()> Recipes = {
    {"cloud", Cloud},
    {"approach", Approach},
    {"cloud-nan", CloudWithNaN},
    {"cloud-zero-length", CloudWithZeroLength},
    {"cloud-negative-shell", CloudWithNegativeShell},
};

// --- Running ---------------------------------------------------------------

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<char> RecordBytes(const EnsembleState& state) {
  EnsembleRecord record{};
  CopyToRecord(state, record);
  const char* bytes = reinterpret_cast<const char*>(&record);
  return {bytes, bytes + sizeof record};
}

// The working arrays in the places of the committed ones.
EnsembleState WorkingAsCommitted(const EnsembleState& state) {
  EnsembleState w = state;
  w.PosX = state.NextPosX, w.PosY = state.NextPosY, w.PosZ = state.NextPosZ;
  w.VelU = state.NextVelU, w.VelV = state.NextVelV, w.VelW = state.NextVelW;
  return w;
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

struct Ending {
  EnsembleState state;
  int faultStep = 0;
  std::string message;
};

using Advance = std::function<void(EnsembleState&, const StepSettings&)>;

Ending Play(Advance advance, const GoldenRun& run) {
  Ending end;
  end.state.SlotCount = MaxSlots;
  EnsembleRecord record{};
  ReadEnsembleFile(GoldenDir + "/input/" + run.input + ".tvx", end.state, record);
  for (int step = 1; step <= run.steps; ++step) {
    end.message = ErrorOf([&] { advance(end.state, run.settings); });
    if (!end.message.empty()) {
      end.faultStep = step;
      break;
    }
  }
  return end;
}

class Golden : public testing::TestWithParam<GoldenRun> {};

TEST_P(Golden, EndsInTheStoredRecordBitForBit) {
  const GoldenRun& run = GetParam();
  const std::string expected = GoldenDir + "/expected/" + run.name;
  if (Writing()) {
    WriteBytes(GoldenDir + "/input/" + run.input + ".tvx", RecordBytes(Recipes.at(run.input)()));
    const Ending end = Play(AdvanceStepReference, run);
    WriteBytes(expected + ".tvx", RecordBytes(end.state));
    WriteBytes(expected + ".work.tvx", RecordBytes(WorkingAsCommitted(end.state)));
    std::printf("%s: %s\n", run.name.c_str(),
                end.faultStep == 0 ? "completes"
                                   : ("fault " + std::to_string(end.faultStep) + " " + end.message).c_str());
    return;
  }
  // The one-pass step on one thread and on two, and the three-pass step.
  StepWorkspace twoThreads;
  twoThreads.threads = 2;
  const Advance advances[] = {
      [](EnsembleState& e, const StepSettings& s) { AdvanceStep(e, s); },
      [&](EnsembleState& e, const StepSettings& s) { AdvanceStep(e, s, twoThreads); },
      AdvanceStepReference,
  };
  for (const Advance& advance : advances) {
    const Ending end = Play(advance, run);
    EXPECT_EQ(end.faultStep, run.faultStep);
    EXPECT_EQ(end.message, run.faultMessage);
    EXPECT_EQ(RecordBytes(end.state), FileBytes(expected + ".tvx")) << "committed state";
    EXPECT_EQ(RecordBytes(WorkingAsCommitted(end.state)), FileBytes(expected + ".work.tvx"))
        << "working state";
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, Golden, testing::ValuesIn(ReadRuns()), [](const auto& info) {
  std::string name = info.param.name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

// The runs must between them cover every choice of the settings, and some
// must fault.
TEST(GoldenRuns, CoverEverySettingAndTwoFaults) {
  const std::vector<GoldenRun> runs = ReadRuns();
  std::map<std::string, int> seen;
  int faults = 0;
  for (const GoldenRun& r : runs) {
    seen["formula" + std::to_string(static_cast<int>(r.settings.law.formula))]++;
    seen["split" + std::to_string(static_cast<int>(r.settings.law.colourSplit))]++;
    seen["scope" + std::to_string(static_cast<int>(r.settings.law.scope))]++;
    seen["wall" + std::to_string(static_cast<int>(r.settings.wall))]++;
    if (r.settings.law.formula == Formula::PolyExpSum) {
      if (r.settings.law.noShellB) seen["checkBox2"]++;
      if (r.settings.law.noShellsCDF) seen["checkBox3"]++;
    }
    if (r.settings.blockade) seen["blockade"]++;
    if (r.settings.heater) seen["heater"]++;
    if (r.settings.cooler) seen["cooler"]++;
    if (r.faultStep != 0) ++faults;
  }
  EXPECT_EQ(seen.size(), 5u + 3 + 2 + 4 + 5);
  EXPECT_GE(faults, 2);
  for (const GoldenRun& r : runs) EXPECT_EQ(Recipes.count(r.input), 1u) << r.input;
}

}  // namespace
}  // namespace vorun
