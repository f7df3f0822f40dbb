#include <sys/wait.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <nlohmann/json.hpp>

#include "engine/Observables.h"
#include "engine/Step.h"
#include "run/Export.h"
#include "run/RunFixture.h"
#include "run/RunSamples.h"
#include "run/Summary.h"

namespace vorun {
namespace {

using namespace test;

TEST_F(RunTest, OutputIsTheSteppedRecordWithPaddingAndOccupancyAsRead) {
  const std::string in = FileOf(Sample());
  WriteBytes(Path("in.tvx"), in);
  const RunOutcome r =
      Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "25", "--formula", "PES", "--wall", "3x3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  StepSettings s;
  s.law.formula = Formula::PolyExpSum;
  s.wall = WallMode::Thermos3X3;
  const std::string out = ReadBytes(Path("out.tvx"));
  EXPECT_EQ(out, RecordBytes(Stepped(in, s, 25)));
  EXPECT_EQ(out.substr(110, 2), "\xA5\xA5");
  EXPECT_EQ(out.substr(3772, 4), "\x5A\x5A\x5A\x5A");
  EXPECT_EQ(out[3712 + 46], 2);
  EXPECT_NE(out.substr(112, 10), in.substr(112, 10));  // it did move
}

TEST_F(RunTest, DtReplacesTheRecordsTimeStepAndIsStored) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  ASSERT_EQ(Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "0", "--dt", "0.001"}).exitCode, 0);
  EXPECT_EQ(ReadBytes(Path("out.tvx")).substr(0, 10), Bits(0.001L));
}

TEST_F(RunTest, FaultReportsItsStepWritesTheLastCompletedStepAndExits4) {
  const std::string in = FileOf(Collision());
  WriteBytes(Path("in.tvx"), in);
  const RunOutcome r = Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "10", "--every", "3", "--trajectory",
                            Path("t.csv"), "--observables", Path("o.csv"), "--summary", Path("s.json")});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(r.err, "vorun-run: step 5: Floating point division by zero\n");
  EXPECT_EQ(ReadBytes(Path("out.tvx")), RecordBytes(Stepped(in, {}, 4)));

  // Rows at 0 and 3 as asked, then the last completed step, where the two meet.
  const auto trajectory = CsvRows(ReadBytes(Path("t.csv")));
  ASSERT_EQ(trajectory.size(), 6u);
  EXPECT_EQ(trajectory[4][0], "4");
  EXPECT_EQ(trajectory[4][1], "1");  // time 4 * 0.25
  EXPECT_EQ(trajectory[4][4], "0");
  EXPECT_EQ(trajectory[5][4], "0");
  const auto observables = CsvRows(ReadBytes(Path("o.csv")));
  ASSERT_EQ(observables.size(), 3u);
  EXPECT_EQ(observables[2][0], "4");
  EXPECT_EQ(observables[2][11], "0");  // smallest distance
  EXPECT_EQ(observables[2][12], "1");
  EXPECT_EQ(observables[2][13], "3");

  const auto summary = nlohmann::json::parse(ReadBytes(Path("s.json")));
  EXPECT_EQ(summary["stepsDone"], 4);
  EXPECT_EQ(summary["fault"]["step"], 5);
  EXPECT_EQ(summary["fault"]["message"], "Floating point division by zero");
  EXPECT_EQ(summary["final"]["smallestDistance"], "0");
}

TEST_F(RunTest, FaultAtTheFirstStepWritesTheInputsStateAndRowZero) {
  EnsembleState e = Sample();
  e.F2 = 0;
  const std::string in = FileOf(e);
  WriteBytes(Path("in.tvx"), in);
  const RunOutcome r = Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "3", "--trajectory", Path("t.csv")});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(
      r.err,
      "vorun-run: step 1: The parameter F2 makes every step fail: Floating point division by zero. The run "
      "does not start.\n");
  EXPECT_EQ(ReadBytes(Path("out.tvx")), in);
  EXPECT_EQ(CsvRows(ReadBytes(Path("t.csv"))).size(), 4u);  // step 0, four taons
}

// A NaN in a moved taon's position raises no fault; the run does not start,
// as in the window, and the files hold the state as read.
TEST_F(RunTest, NaNStopsTheRunBeforeItsFirstStep) {
  EnsembleState e = Sample();
  e.PosY[31] = std::numeric_limits<Extended80>::quiet_NaN();
  const std::string in = FileOf(e);
  WriteBytes(Path("in.tvx"), in);
  const RunOutcome r = Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "3", "--summary", Path("s.json")});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(r.err.rfind("vorun-run: step 1: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("is not a number (NaN). The run does not start.\n"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(Path("out.tvx")), in);
  EXPECT_EQ(nlohmann::json::parse(ReadBytes(Path("s.json")))["stepsDone"], 0);
}

struct FileErrorCase {
  const char* name;
  std::string input;   // bytes of in.tvx; empty: no such file
  std::string output;  // relative to the folder
  std::string message;
};

void PrintTo(const FileErrorCase& c, std::ostream* os) { *os << c.name; }

class FileError : public RunTest, public ::testing::WithParamInterface<FileErrorCase> {};

// The output and the files beside it exist before; a file error leaves every
// one of them byte for byte as it was, and nothing new appears.
TEST_P(FileError, Exits3AndWritesNothing) {
  if (!GetParam().input.empty()) WriteBytes(Path("in.tvx"), GetParam().input);
  WriteBytes(Path("out.tvx"), "an older output");
  WriteBytes(Path("t.csv"), "an older trajectory");
  const auto before = Contents();
  const std::string output = Path(GetParam().output);
  const RunOutcome r = Run({Path("in.tvx"), "-o", output, "-n", "5", "--trajectory", Path("t.csv"),
                            "--observables", Path("o.csv"), "--summary", Path("s.json")});
  EXPECT_EQ(r.exitCode, 3);
  const bool input = GetParam().input.empty() || GetParam().input.size() < 3776;
  const std::string culprit = input ? Path("in.tvx") + ": cannot read: " : output + ": cannot write: ";
  EXPECT_EQ(r.err, "vorun-run: " + culprit + GetParam().message + "\n");
  EXPECT_EQ(Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileError,
    ::testing::Values(FileErrorCase{"Missing", "", "out.tvx", "File not found"},
                      FileErrorCase{"Short", std::string(3775, '\0'), "out.tvx", "Read beyond end of file"},
                      FileErrorCase{"OutputInMissingFolder", FileOf(MakeEnsemble(0.01L, 1, 1, 1, 1, 1)),
                                    "nowhere/out.tvx", "File not found"},
                      FileErrorCase{"OutputIsAFolder", FileOf(MakeEnsemble(0.01L, 1, 1, 1, 1, 1)), "",
                                    "File access denied"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every value of every row reads back to the very value the record holds,
// in both notations.
class TrajectoryRoundTrip : public RunTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TrajectoryRoundTrip, LastRowsReadBackToTheRecordsValues) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  const RunOutcome r = Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "7", "--formula", "EPES",
                            "--trajectory", Path("t.csv"), "--exact", GetParam()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string header;
  const auto rows = CsvRows(ReadBytes(Path("t.csv")), &header);
  EXPECT_EQ(header, "step,time,slot,set,x,y,z,u,v,w\n");
  ASSERT_EQ(rows.size(), 8u * 4u);
  EnsembleRecord out;
  std::memcpy(&out, ReadBytes(Path("out.tvx")).data(), sizeof out);
  EnsembleState e;
  e.SlotCount = MaxSlots;
  ApplyRecord(out, e);
  const int slots[] = {1, 2, 31, 47};
  const int sets[] = {1, 1, 2, 2};
  for (int k = 0; k < 4; ++k) {
    const auto& row = rows[28 + k];
    const int n = slots[k];
    EXPECT_EQ(row[0], "7");
    EXPECT_EQ(Bits(ReadBack(row[1])), Bits(7 * 0.05L));
    EXPECT_EQ(row[2], std::to_string(n));
    EXPECT_EQ(row[3], std::to_string(sets[k]));
    const Extended80 values[] = {e.PosX[n], e.PosY[n], e.PosZ[n], e.VelU[n], e.VelV[n], e.VelW[n]};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(Bits(ReadBack(row[4 + c])), Bits(values[c])) << row[4 + c];
  }
}

INSTANTIATE_TEST_SUITE_P(Notations, TrajectoryRoundTrip, ::testing::Values("decimal", "hex"));

}  // namespace
}  // namespace vorun
