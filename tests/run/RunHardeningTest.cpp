// vorun-run where users and machines are unkind: names that are not UTF-8,
// no thread to spare, jobs that fail in unforeseen ways.
#include <sys/resource.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "run/RunChild.h"
#include "run/RunFixture.h"
#include "run/RunJob.h"
#include "run/RunSamples.h"

namespace vorun {
namespace {

using namespace test;

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char c : bytes) (text += digits[c >> 4]) += digits[c & 15];
  return text;
}

// The summary must neither abort on such a name nor lose it; the other job
// of the batch is untouched by it.
TEST_F(RunTest, ANameThatIsNotUtf8IsKeptInTheSummaryByteForByte) {
  const std::string in = FileOf(Sample());
  const std::string odd = Path("caf\xe9.tvx");
  WriteBytes(odd, in);
  WriteBytes(Path("plain.tvx"), in);
  const RunOutcome r = Run({odd, Path("plain.tvx"), "--out-dir", Path("out"), "-n", "3", "--jobs", "2",
                            "--summary", "{}.json", "--trajectory", "{}.csv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* name : {"caf\xe9.tvx", "plain.tvx"})
    EXPECT_EQ(ReadBytes(Path("out/") + name), RecordBytes(Stepped(in, {}, 3))) << name;

  const auto summary = nlohmann::json::parse(ReadBytes(Path("out/caf\xe9.json")));
  EXPECT_EQ(summary["input"], Path("caf\xef\xbf\xbd.tvx"));
  EXPECT_EQ(summary["inputBytes"], Hex(odd));
  EXPECT_EQ(summary["trajectoryBytes"], Hex(Path("out/caf\xe9.csv")));
  const auto plain = nlohmann::json::parse(ReadBytes(Path("out/plain.json")));
  EXPECT_EQ(plain["input"], Path("plain.tvx"));
  EXPECT_FALSE(plain.contains("inputBytes"));
}

// The process may start no thread at all, as under a tight limit of a
// container or a batch system: the run still ends with the right records.
class NoThreads : public RunTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(NoThreads, TheRunMakesDoWithTheThreadsItHas) {
  const std::string in = FileOf(Sample());
  ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
  for (const char* name : {"a.tvx", "b.tvx"}) {
    WriteBytes(Path(name), in);
    ASSERT_EQ(::chmod(Path(name).c_str(), 0644), 0);
  }
  std::vector<std::string> args = GetParam();
  for (std::string& a : args)
    if (a.find(".tvx") != std::string::npos) a = Path(a);
  args.insert(args.end(), {"--out-dir", Path("out"), "-n", "6", "--formula", "PES"});
  // Root is not held by the limit, so the run goes on as nobody.
  const pid_t pid = StartRun(args, Path("err.txt"), [] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(126);
    const rlimit one{1, 1};
    if (::setrlimit(RLIMIT_NPROC, &one) != 0) ::_exit(125);
  });
  const int status = WaitForRun(pid);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status) << ": " << ReadBytes(Path("err.txt"));
  ASSERT_EQ(WEXITSTATUS(status), 0) << ReadBytes(Path("err.txt"));
  StepSettings s;
  s.law.formula = Formula::PolyExpSum;
  EXPECT_EQ(ReadBytes(Path("out/a.tvx")), RecordBytes(Stepped(in, s, 6)));
  if (args[1].find(".tvx") != std::string::npos) {
    EXPECT_EQ(ReadBytes(Path("out/b.tvx")), RecordBytes(Stepped(in, s, 6)));
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, NoThreads,
                         ::testing::Values(std::vector<std::string>{"a.tvx", "b.tvx", "--jobs", "2"},
                                           std::vector<std::string>{"a.tvx", "--threads", "4"}),
                         [](const auto& info) { return info.index == 0 ? "TwoJobs" : "StepThreads"; });

// Whatever a job meets, it reports and ends with a defined code; the files
// stay as they were, and the next job runs as if nothing had happened.
TEST_F(RunTest, AFailureOfAnyKindEndsOnlyItsOwnJob) {
  const std::string in = FileOf(Sample());
  WriteBytes(Path("in.tvx"), in);
  WriteBytes(Path("out.tvx"), "older");
  const auto before = Contents();
  run::RunOptions options;
  options.inputs = {Path("in.tvx")};
  options.output = Path("out.tvx");
  options.steps = 5;
  options.trajectory = Path("t.csv");
  const run::JobFiles files = run::FilesFor(options, Path("in.tvx"));
  run::JobProgress progress;
  for (const auto& [thrown, message] : std::vector<std::pair<std::function<void()>, std::string>>{
           {[] { throw std::runtime_error("surprise"); }, "surprise"},
           {[] { throw std::bad_alloc(); }, "Out of memory"},
           {[] { throw 42; }, "Unexpected failure"}}) {
    const run::JobResult failed = run::RunJob(options, files, progress, [&](std::int64_t step) {
      if (step == 2) thrown();
    });
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_EQ(failed.message, Path("in.tvx") + ": cannot run: " + message);
    EXPECT_EQ(Contents(), before);
  }
  const run::JobResult next = run::RunJob(options, files, progress);
  EXPECT_EQ(next.exitCode, 0) << next.message;
  EXPECT_EQ(ReadBytes(Path("out.tvx")), RecordBytes(Stepped(in, {}, 5)));
}

}  // namespace
}  // namespace vorun
