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
#include "run/Summary.h"

namespace vorun {
namespace {

using namespace test;

// Rows of a CSV file without its header, split at commas.
std::vector<std::vector<std::string>> CsvRows(const std::string& text, std::string* header = nullptr) {
  std::vector<std::vector<std::string>> rows;
  std::size_t at = text.find('\n');
  if (header) *header = text.substr(0, at + 1);
  for (std::size_t start = at + 1; start < text.size(); start = at + 1) {
    at = text.find('\n', start);
    const std::string line = text.substr(start, at - start);
    std::vector<std::string> cells;
    for (std::size_t from = 0;;) {
      const std::size_t comma = line.find(',', from);
      cells.push_back(line.substr(from, comma - from));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    rows.push_back(cells);
  }
  return rows;
}

// strtold in the C locale, the way a reader of the CSV takes the numbers back.
Extended80 ReadBack(const std::string& text) {
  char* end = nullptr;
  const Extended80 v = std::strtold(text.c_str(), &end);
  EXPECT_EQ(*end, '\0') << text;
  return v;
}

// A small ensemble that moves without faulting under every formula: taons
// in both parameter sets, one off the plane y = 0, an empty slot with values
// of its own, an occupancy byte of 2.
EnsembleState Sample() {
  EnsembleState e = MakeEnsemble(0.05L, 1, 2.718L, 5, 10, 20);
  e.A2 = 0.5L;
  Place(e, 1, 0.5L, 0, 0, 1, 0, 0);
  Place(e, 2, -0.5L, 0.25L, 0, 0, 0.5L, 0);
  Place(e, 31, 0, 0, 0.75L, 0, 0, -0.25L);
  Place(e, 47, 1.25L, -0.5L, -1, 0.125L, 0, 0);
  e.Exists[47] = 2;
  e.PosX[9] = 42;  // empty
  return e;
}

// The sample stepped by the engine directly: what a run must give.
EnsembleRecord Stepped(const std::string& file, const StepSettings& settings, int steps) {
  EnsembleRecord record;
  std::memcpy(&record, file.data(), sizeof record);
  EnsembleState e;
  e.SlotCount = MaxSlots;
  ApplyRecord(record, e);
  for (int n = 0; n < steps; ++n) AdvanceStep(e, settings);
  CopyToRecord(e, record);
  return record;
}

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

// Two taons 2 apart closing in at speed 1 each with no force (A = 0) meet
// after 4 steps of 0.25; the fifth step takes ln 0 for their distance.
EnsembleState Collision() {
  EnsembleState e = MakeEnsemble(0.25L, 0, 1, 1, 1, 1);
  Place(e, 1, -1, 0, 0, 1);
  Place(e, 3, 1, 0, 0, -1);
  return e;
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
  EXPECT_EQ(r.err, "vorun-run: step 1: Floating point division by zero\n");
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
  const std::string culprit =
      GetParam().input.empty() || GetParam().input.size() < 3776 ? Path("in.tvx") : output;
  EXPECT_EQ(r.err, "vorun-run: " + culprit + ": " + GetParam().message + "\n");
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

// Hand-checked: taons at rest 3 and 4 apart along x and z (distance 5 from
// each other), and one more with velocity (3, 4, 0): kinetic energy 12.5,
// mean 12.5 / 3, momentum (3, 4, 0), centre (1, 0, 4/3), farthest from the
// origin slot 4 at (3, 0, 4): 5.
TEST_F(RunTest, ObservablesOfAHandCheckedEnsemble) {
  EnsembleState e = MakeEnsemble(0.5L, 0, 1, 1, 1, 1);
  Place(e, 2, 0, 0, 0);
  Place(e, 4, 3, 0, 4);
  Place(e, 7, 0, 0, 0, 3, 4, 0);
  e.PosX[7] = 0, e.PosZ[7] = 0;
  e.PosY[7] = -1;  // moves 2 along y per step: off the others' plane
  WriteBytes(Path("in.tvx"), FileOf(e));
  const RunOutcome r =
      Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "2", "--observables", Path("o.csv")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string header;
  const auto rows = CsvRows(ReadBytes(Path("o.csv")), &header);
  EXPECT_EQ(header,
            "step,time,taons,kinetic_energy,mean_kinetic_energy,momentum_x,momentum_y,momentum_z,centre_x,"
            "centre_y,centre_z,smallest_distance,closest_a,closest_b,largest_radius\n");
  ASSERT_EQ(rows.size(), 3u);
  // At step 0, slot 7 sits at (0, -1, 0): 1 from slot 2, the closest pair.
  EXPECT_EQ(rows[0], (std::vector<std::string>{
                         "0", "0", "3", "12.5", run::FormatReal(12.5L / 3, run::Notation::Decimal), "3", "4",
                         "0", "1", run::FormatReal(-1.0L / 3, run::Notation::Decimal),
                         run::FormatReal(4.0L / 3, run::Notation::Decimal), "1", "2", "7", "5"}));
  // At step 2 (time 1) slot 7 is at (3, 3, 0): sqrt(18) from slot 2 at the
  // origin, 5 from slot 4, which is 5 from slot 2 too.
  EXPECT_EQ(rows[2][0], "2");
  EXPECT_EQ(rows[2][1], "1");
  EXPECT_EQ(rows[2][3], "12.5");
  EXPECT_EQ(rows[2][9], "1");  // centre y: 3 / 3
  EXPECT_EQ(rows[2][11], run::FormatReal(std::sqrt(18.0L), run::Notation::Decimal));
  EXPECT_EQ(rows[2][12], "2");
  EXPECT_EQ(rows[2][13], "7");
}

TEST_F(RunTest, ALoneTaonHasNoPairAndItsCellsStayEmpty) {
  EnsembleState e = MakeEnsemble(0.5L, 1, 1, 1, 1, 1);
  Place(e, 5, 0, 2, 0);
  WriteBytes(Path("in.tvx"), FileOf(e));
  ASSERT_EQ(Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "0", "--observables", Path("o.csv")}).exitCode,
            0);
  EXPECT_EQ(
      CsvRows(ReadBytes(Path("o.csv")))[0],
      (std::vector<std::string>{"0", "0", "1", "0", "0", "0", "0", "0", "0", "2", "0", "", "", "", "2"}));
}

// Three different inputs on two threads: every file each job writes is the
// one a run of that input alone writes; the summaries differ only in wall
// time and file names.
TEST_F(RunTest, JobsGiveTheResultsOfSingleRuns) {
  const std::string names[] = {"a", "b", "c"};
  std::vector<std::string> args;
  for (int k = 0; k < 3; ++k) {
    EnsembleState e = Sample();
    e.A1 = 0.25L * (k + 1);
    WriteBytes(Path(names[k] + ".tvx"), FileOf(e));
    args.push_back(Path(names[k] + ".tvx"));
  }
  const std::vector<std::string> common = {"-n", "30", "--formula", "EPES-", "--heater", "--wall", "20x20"};
  for (int k = 0; k < 3; ++k) {
    std::vector<std::string> single = {args[k],
                                       "-o",
                                       Path(names[k] + ".single.tvx"),
                                       "--trajectory",
                                       Path(names[k] + ".t.csv"),
                                       "--observables",
                                       Path(names[k] + ".o.csv"),
                                       "--summary",
                                       Path(names[k] + ".s.json")};
    single.insert(single.end(), common.begin(), common.end());
    ASSERT_EQ(Run(single).exitCode, 0);
  }
  args.insert(args.end(), {"--jobs", "2", "--out-dir", Path("out"), "--trajectory", "{}.t.csv",
                           "--observables", "{}.o.csv", "--summary", "{}.s.json"});
  args.insert(args.end(), common.begin(), common.end());
  const RunOutcome r = Run(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const std::string& n : names) {
    EXPECT_EQ(ReadBytes(Path("out/" + n + ".tvx")), ReadBytes(Path(n + ".single.tvx"))) << n;
    EXPECT_EQ(ReadBytes(Path("out/" + n + ".t.csv")), ReadBytes(Path(n + ".t.csv"))) << n;
    EXPECT_EQ(ReadBytes(Path("out/" + n + ".o.csv")), ReadBytes(Path(n + ".o.csv"))) << n;
    auto jobSummary = nlohmann::json::parse(ReadBytes(Path("out/" + n + ".s.json")));
    auto singleSummary = nlohmann::json::parse(ReadBytes(Path(n + ".s.json")));
    EXPECT_EQ(jobSummary["output"], Path("out/" + n + ".tvx"));
    for (auto* s : {&jobSummary, &singleSummary})
      for (const char* key : {"wallSeconds", "output", "trajectory", "observables"}) s->erase(key);
    EXPECT_EQ(jobSummary, singleSummary) << n;
  }
  // The three really differ, so the comparison could fail.
  EXPECT_NE(ReadBytes(Path("a.single.tvx")), ReadBytes(Path("b.single.tvx")));
}

TEST_F(RunTest, JobsReportEachFailureByInputAndExitWithTheHighestStatus) {
  WriteBytes(Path("good.tvx"), FileOf(Sample()));
  WriteBytes(Path("fault.tvx"), FileOf(Collision()));
  const RunOutcome r = Run({Path("good.tvx"), Path("missing.tvx"), Path("fault.tvx"), "--out-dir",
                            Path("out"), "-n", "6", "--jobs", "2"});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_NE(
      r.err.find("vorun-run: " + Path("missing.tvx") + ": " + Path("missing.tvx") + ": File not found\n"),
      std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("vorun-run: " + Path("fault.tvx") + ": step 5: Floating point division by zero\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadBytes(Path("out/good.tvx")).size(), 3776u);
  EXPECT_FALSE(fs::exists(Path("out/missing.tvx")));
  EXPECT_EQ(ReadBytes(Path("out/fault.tvx")).size(), 3776u);
}

TEST_F(RunTest, SummaryNamesTheSettingsTheInputsHashAndTheFinalState) {
  // No force (A = 0); slot 1 is held by the blockade, slot 5 slows by 0.99
  // per step under the cooler.
  EnsembleState e = MakeEnsemble(0.25L, 0, 1, 1, 1, 1);
  Place(e, 1, -1, 0, 0, 1);
  Place(e, 5, 1, 0, 0, -1);
  const std::string in = FileOf(e);
  WriteBytes(Path("in.tvx"), in);
  const RunOutcome r =
      Run({Path("in.tvx"), "-o",  Path("out.tvx"), "-n",       "2",         "--formula",   "PE",
           "--split",      "10",  "--scope",       "taoscope", "--check2",  "--blockade",  "--cooler",
           "--wall",       "NxN", "--dt",          "0.125",    "--summary", Path("s.json")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto s = nlohmann::json::parse(ReadBytes(Path("s.json")));
  EXPECT_EQ(s["inputSha256"], run::FileSha256(Path("in.tvx")));
  EXPECT_EQ(
      s["settings"],
      nlohmann::json::parse(R"({"formula":"PE","split":"10","scope":"taoscope","check1":false,"check2":true,
              "check3":false,"blockade":true,"heater":false,"cooler":true,"wall":"NxN","dt":"0.125",
              "dtFrom":"option","steps":2,"every":1,"exact":"decimal"})"));
  EXPECT_EQ(s["stepsDone"], 2);
  EXPECT_TRUE(s["fault"].is_null());
  EXPECT_GE(s["wallSeconds"].get<double>(), 0.0);
  EXPECT_EQ(s["final"]["step"], 2);
  EXPECT_EQ(s["final"]["time"], "0.25");
  EXPECT_EQ(s["final"]["taons"], 2);
  // 1/2 (1 + 0.99^4), and bit for bit what the shared routine gives for the output.
  const std::string energy = s["final"]["kineticEnergy"];
  EXPECT_NEAR(static_cast<double>(ReadBack(energy)), 0.5 * (1 + 0.99 * 0.99 * 0.99 * 0.99), 1e-15);
  EnsembleRecord out;
  std::memcpy(&out, ReadBytes(Path("out.tvx")).data(), sizeof out);
  EnsembleState final;
  final.SlotCount = MaxSlots;
  ApplyRecord(out, final);
  EXPECT_EQ(energy, run::FormatReal(MeasureObservables(final).kineticEnergy, run::Notation::Decimal));
}

TEST(Sha256, KnownDigests) {
  char name[] = "/tmp/vorun-sha-XXXXXX";
  const int fd = ::mkstemp(name);
  ASSERT_GE(fd, 0);
  ::close(fd);
  WriteBytes(name, "abc");
  EXPECT_EQ(run::FileSha256(name), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Longer than one read of the file, so the pieces must chain.
  WriteBytes(name, std::string(1000000, 'a'));
  EXPECT_EQ(run::FileSha256(name), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  ::unlink(name);
}

TEST_F(RunTest, ProgressLineOnlyOnATerminalAndNotWithQuiet) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  const std::vector<std::string> args = {Path("in.tvx"), "-o", Path("out.tvx"), "-n", "3"};
  EXPECT_EQ(Run(args, false).err, "");
  std::vector<std::string> quiet = args;
  quiet.push_back("--quiet");
  EXPECT_EQ(Run(quiet, true).err, "");
  const std::string shown = Run(args, true).err;
  EXPECT_EQ(shown.rfind("\rstep 0 of 3, ", 0), 0u) << shown;
  EXPECT_NE(shown.find("steps/s"), std::string::npos);
  EXPECT_NE(shown.find(" left"), std::string::npos);
}

// The program itself, as a shell runs it: its exit status, and a quiet
// stderr when it is not a terminal.
TEST_F(RunTest, TheProgramExitsWithTheStatusOfItsRun) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  const auto status = [&](const std::string& arguments) {
    const std::string command = std::string(VORUN_RUN_PROGRAM) + " " + arguments + " 2>" + Path("err.txt");
    const int s = std::system(command.c_str());
    return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  };
  EXPECT_EQ(status(Path("in.tvx") + " -o " + Path("out.tvx") + " -n 4"), 0);
  EXPECT_EQ(ReadBytes(Path("err.txt")), "");
  EXPECT_EQ(status(Path("in.tvx") + " -o " + Path("out.tvx") + " -n 4 --every 0"), 2);
  EXPECT_EQ(status(Path("none.tvx") + " -o " + Path("out.tvx") + " -n 4"), 3);
}

}  // namespace
}  // namespace vorun
