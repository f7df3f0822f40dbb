// vorun-run beyond one record: the observables, several inputs in parallel jobs,
// the JSON summary, the progress line and the exit status.
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
  EXPECT_NE(r.err.find("vorun-run: " + Path("missing.tvx") + ": " + Path("missing.tvx") +
                       ": cannot read: File not found\n"),
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
