// A run stopped by a signal writes what it has; a run resumed from its
// checkpoint ends in the very bytes of a run that never stopped. Signals go
// to a real vorun-run process, as Ctrl+C, timeout or a batch system send them.
#include <nlohmann/json.hpp>
#include <regex>

#include "run/RunChild.h"
#include "run/RunFixture.h"
#include "run/RunSamples.h"

namespace vorun {
namespace {

using namespace test;

// True once the process catches sig: before that a signal would kill it
// outright, and the test would say nothing about the program's handling.
bool Catches(pid_t pid, int sig) {
  const std::string status = ReadBytes("/proc/" + std::to_string(pid) + "/status");
  const std::size_t at = status.find("SigCgt:");
  if (at == std::string::npos) return false;
  const unsigned long long mask = std::stoull(status.substr(at + 7), nullptr, 16);
  return (mask >> (sig - 1)) & 1;
}

std::int64_t InterruptedStep(const std::string& err) {
  std::smatch m;
  if (!std::regex_search(err, m, std::regex("interrupted at step ([0-9]+)\n"))) return -1;
  return std::stoll(m[1]);
}

// 60 taons on a loose grid: a step long enough that a signal always finds
// the run in the middle of one.
EnsembleState Cloud() {
  EnsembleState e = MakeEnsemble(0.001L, 1, 2.718L, 5, 10, 20);
  for (int n = 1; n <= 60; ++n)
    Place(e, n, (n % 4) * 1.5L, (n / 4 % 4) * 1.5L, (n / 16) * 1.5L, 0.01L * (n % 3), 0, -0.01L * (n % 5));
  return e;
}

class Stop : public RunTest, public ::testing::WithParamInterface<int> {};

// The current step ends, then the record, the CSV files up to that step and
// a summary marked as interrupted are written; the exit status is 128 plus
// the signal's number.
TEST_P(Stop, WritesTheLastCompletedStepAndExitsWithTheSignal) {
  const int sig = GetParam();
  const std::string in = FileOf(Sample());
  WriteBytes(Path("in.tvx"), in);
  const pid_t pid =
      StartRun({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "2000000000", "--every", "1000", "--trajectory",
                Path("t.csv"), "--observables", Path("o.csv"), "--summary", Path("s.json"), "--threads", "1"},
               Path("err.txt"));
  ASSERT_TRUE(WaitUntil([&] { return Catches(pid, sig); }, 20));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(::kill(pid, sig), 0);
  const int status = WaitForRun(pid);
  const std::string err = ReadBytes(Path("err.txt"));
  ASSERT_TRUE(WIFEXITED(status)) << err;
  EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
  const std::int64_t k = InterruptedStep(err);
  EXPECT_EQ(err, "vorun-run: interrupted at step " + std::to_string(k) + "\n");
  ASSERT_GT(k, 0);

  EXPECT_EQ(ReadBytes(Path("out.tvx")), RecordBytes(Stepped(in, {}, static_cast<int>(k))));
  const auto trajectory = CsvRows(ReadBytes(Path("t.csv")));
  ASSERT_GE(trajectory.size(), 8u);
  EXPECT_EQ(trajectory.back()[0], std::to_string(k));
  if (k % 1000 != 0) {
    EXPECT_EQ(trajectory[trajectory.size() - 5][0], std::to_string(k / 1000 * 1000));
  }
  EXPECT_EQ(CsvRows(ReadBytes(Path("o.csv"))).back()[0], std::to_string(k));
  const auto summary = nlohmann::json::parse(ReadBytes(Path("s.json")));
  EXPECT_EQ(summary["stepsDone"], k);
  EXPECT_EQ(summary["interrupted"]["step"], k);
  EXPECT_EQ(summary["interrupted"]["signal"], sig == SIGINT ? "SIGINT" : "SIGTERM");
  EXPECT_TRUE(summary["fault"].is_null());
}

INSTANTIATE_TEST_SUITE_P(Signals, Stop, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "Int" : "Term"; });

// A second signal does not wait for the step: the process ends at once and
// no file is touched.
TEST_F(RunTest, ASecondSignalEndsTheRunAtOnceAndWritesNothing) {
  WriteBytes(Path("in.tvx"), FileOf(Cloud()));
  WriteBytes(Path("out.tvx"), "an older record");
  WriteBytes(Path("t.csv"), "an older trajectory");
  const pid_t pid = StartRun({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "2000000000", "--formula", "EPES",
                              "--trajectory", Path("t.csv"), "--summary", Path("s.json"), "--threads", "1"},
                             "/dev/null");
  ASSERT_TRUE(WaitUntil([&] { return Catches(pid, SIGTERM) && Catches(pid, SIGINT); }, 20));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto before = Contents();
  // Two signals of one kind may merge into one while pending; Ctrl+C and
  // then a batch system's SIGTERM are two.
  ASSERT_EQ(::kill(pid, SIGINT), 0);
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  const int status = WaitForRun(pid);
  // The signals come in either order.
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_TRUE(WTERMSIG(status) == SIGTERM || WTERMSIG(status) == SIGINT) << WTERMSIG(status);
  EXPECT_EQ(Contents(), before);
}

struct ResumeCase {
  const char* formula;
  int steps;  // a fraction of a second, long enough for the signal to fall within
};

void PrintTo(const ResumeCase& c, std::ostream* os) { *os << c.formula; }

class Resume : public RunTest, public ::testing::WithParamInterface<ResumeCase> {};

// The run is stopped by SIGTERM after its first checkpoint, then resumed
// with the same command: the record and both CSV files (one of them gzip)
// are byte for byte those of a run that went through without a stop.
TEST_P(Resume, AStoppedAndResumedRunEndsInTheBitsOfAnUnbrokenOne) {
  const std::string in = FileOf(Sample());
  WriteBytes(Path("in.tvx"), in);
  fs::create_directory(Path("whole"));
  fs::create_directory(Path("split"));
  const std::string steps = std::to_string(GetParam().steps);
  const auto args = [&](const std::string& dir) {
    return std::vector<std::string>{Path("in.tvx"),
                                    "-o",
                                    Path(dir + "/out.tvx"),
                                    "-n",
                                    steps,
                                    "--formula",
                                    GetParam().formula,
                                    "--every",
                                    "97",
                                    "--checkpoint-every",
                                    std::to_string(GetParam().steps / 4),
                                    "--trajectory",
                                    Path(dir + "/t.csv"),
                                    "--observables",
                                    Path(dir + "/o.csv.gz"),
                                    "--threads",
                                    "1",
                                    "--resume"};
  };
  const RunOutcome whole = Run(args("whole"));
  ASSERT_EQ(whole.exitCode, 0) << whole.err;

  const pid_t pid = StartRun(args("split"), Path("err.txt"));
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(Path("split/out.tvx.checkpoint")); }, 60));
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  const int status = WaitForRun(pid);
  const std::string err = ReadBytes(Path("err.txt"));
  ASSERT_TRUE(WIFEXITED(status)) << err;
  ASSERT_EQ(WEXITSTATUS(status), 143) << err << "(the run ended before the signal: give it more steps)";
  const std::int64_t k = InterruptedStep(err);
  ASSERT_LT(k, GetParam().steps);
  const auto checkpoint = nlohmann::json::parse(ReadBytes(Path("split/out.tvx.checkpoint")));
  EXPECT_GT(checkpoint["step"], 0);
  EXPECT_LE(checkpoint["step"], k);

  const RunOutcome rest = Run(args("split"));
  ASSERT_EQ(rest.exitCode, 0) << rest.err;
  for (const char* name : {"out.tvx", "t.csv", "o.csv.gz"}) {
    const std::string a = ReadBytes(Path(std::string("whole/") + name));
    EXPECT_GT(a.size(), 0u);
    EXPECT_TRUE(a == ReadBytes(Path(std::string("split/") + name))) << name << " differs";
  }
  const auto rows = CsvRows(ReadBytes(Path("split/t.csv")));
  EXPECT_EQ(rows.back()[0], std::to_string(GetParam().steps / 97 * 97));
}

INSTANTIATE_TEST_SUITE_P(Formulas, Resume,
                         ::testing::Values(ResumeCase{"PE", 40000}, ResumeCase{"E", 40000},
                                           ResumeCase{"PES", 40000}, ResumeCase{"EPES", 16000},
                                           ResumeCase{"EPES-", 16000}),
                         [](const auto& info) {
                           std::string name = info.param.formula;
                           std::replace(name.begin(), name.end(), '-', 'm');
                           return name;
                         });

// The largest step count ends: the counter does not wrap. The run starts
// from a checkpoint a few steps short of it.
TEST_F(RunTest, TheLargestStepCountEnds) {
  const std::string in = FileOf(Sample());
  WriteBytes(Path("in.tvx"), in);
  const std::vector<std::string> common{
      Path("in.tvx"),       "-o", Path("out.tvx"), "--trajectory", Path("t.csv"),
      "--checkpoint-every", "5",  "--summary",     Path("s.json")};
  std::vector<std::string> first = common;
  first.insert(first.end(), {"-n", "10"});
  ASSERT_EQ(Run(first).exitCode, 0);
  auto checkpoint = nlohmann::ordered_json::parse(ReadBytes(Path("out.tvx.checkpoint")));
  ASSERT_EQ(checkpoint["step"], 5);
  checkpoint["step"] = 2147483640;
  WriteBytes(Path("out.tvx.checkpoint"), checkpoint.dump());

  std::vector<std::string> last = common;
  last.insert(last.end(), {"-n", "2147483647", "--resume"});
  const RunOutcome r = Run(last);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadBytes(Path("out.tvx")), RecordBytes(Stepped(in, {}, 12)));
  const auto rows = CsvRows(ReadBytes(Path("t.csv")));
  ASSERT_EQ(rows.size(), (6u + 7u) * 4u);  // steps 0 to 5, then the last seven
  EXPECT_EQ(rows[6 * 4][0], "2147483641");
  EXPECT_EQ(rows.back()[0], "2147483647");
  const auto summary = nlohmann::json::parse(ReadBytes(Path("s.json")));
  EXPECT_EQ(summary["stepsDone"], 2147483647);
  EXPECT_EQ(summary["resumedFrom"], 2147483640);
}

// A checkpoint of another run is refused, not continued from.
TEST_F(RunTest, ACheckpointOfAnotherRunIsRefused) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  ASSERT_EQ(Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "10", "--checkpoint-every", "4"}).exitCode, 0);
  const auto before = Contents();
  const RunOutcome r =
      Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "10", "--formula", "PES", "--resume"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.err, "vorun-run: " + Path("out.tvx.checkpoint") +
                       ": cannot resume from: Cannot resume from this checkpoint: the settings differ\n");
  EXPECT_EQ(Contents(), before);
}

}  // namespace
}  // namespace vorun
