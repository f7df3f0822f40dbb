// What a run may do to files: never write one output over another or over
// an input, never follow another user's planted link, never leave a set of
// outputs that does not belong together, and name the file and the action
// in every message.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "run/RunFixture.h"
#include "run/RunJob.h"
#include "run/RunSamples.h"
#include "run/Summary.h"

namespace vorun {
namespace {

using namespace test;

struct ClashCase {
  const char* name;
  std::vector<std::string> args;  // names relative to the folder
  std::string message;            // the same
};

void PrintTo(const ClashCase& c, std::ostream* os) { *os << c.name; }

class Clash : public RunTest, public ::testing::WithParamInterface<ClashCase> {};

// Every file is byte for byte as before: nothing is written at all.
TEST_P(Clash, IsRefusedBeforeAnythingIsWritten) {
  const std::string in = FileOf(Sample());
  for (const char* name : {"a.tvx", "a.dat", "in.tvx"}) WriteBytes(Path(name), in);
  WriteBytes(Path("r.tvx"), "an older record");
  fs::create_directory(Path("o"));
  WriteBytes(Path("o/a.csv"), "an older trajectory");
  fs::create_symlink(Path("in.tvx"), Path("link.tvx"));
  std::vector<std::string> args = GetParam().args;
  for (std::string& a : args)
    if ((a.find('.') != std::string::npos || a == "o") && a.find("{}") == std::string::npos) a = Path(a);
  const auto before = Contents();
  const RunOutcome r = Run(args);
  EXPECT_EQ(r.exitCode, 2);
  std::string message = GetParam().message;
  for (std::size_t at = message.find('@'); at != std::string::npos; at = message.find('@', at + 1))
    message.replace(at, 1, folder_.string() + "/");
  EXPECT_EQ(r.err, "vorun-run: " + message + "\n");
  EXPECT_EQ(Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, Clash,
    ::testing::Values(
        ClashCase{
            "TwoInputsOneTrajectory",
            {"a.tvx", "a.dat", "--out-dir", "o", "--trajectory", "{}.csv", "-n", "3"},
            "@o/a.csv would be written twice, as the trajectory of @a.tvx and as the trajectory of @a.dat"},
        ClashCase{"RecordAndTrajectory",
                  {"in.tvx", "-o", "r.tvx", "--trajectory", "r.tvx", "-n", "3"},
                  "@r.tvx would be written twice, as the record and as the trajectory"},
        ClashCase{"SummaryIsTheRecord",
                  {"in.tvx", "-o", "r.tvx", "--summary", "r.tvx", "-n", "3"},
                  "@r.tvx would be written twice, as the record and as the summary"},
        ClashCase{"OutputIsTheInput",
                  {"in.tvx", "-o", "in.tvx", "-n", "3"},
                  "@in.tvx is the input @in.tvx; the record would replace it"},
        ClashCase{"OutputIsTheInputThroughALink",
                  {"in.tvx", "-o", "link.tvx", "-n", "3"},
                  "@link.tvx is the input @in.tvx; the record would replace it"},
        ClashCase{
            "SameNewFileSpelledTwoWays",
            {"in.tvx", "-o", "r.tvx", "--trajectory", "o/../t.csv", "--observables", "t.csv", "-n", "3"},
            "@t.csv would be written twice, as the trajectory and as the observables"}),
    [](const auto& info) { return std::string(info.param.name); });

// In a shared folder with the sticky bit, another user's link named like an
// output must not lead a run of root to the file it points to.
TEST_F(RunTest, AnotherUsersLinkIsReplacedItselfNotItsTarget) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant another user's link";
  ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
  const std::string in = FileOf(Sample());
  WriteBytes(Path("in.tvx"), in);
  WriteBytes(Path("victim"), "a file the link's owner may not write");
  fs::create_symlink(Path("victim"), Path("out.tvx"));
  ASSERT_EQ(::lchown(Path("out.tvx").c_str(), 65534, 65534), 0);
  // A link of one's own still leads to its target, as before.
  WriteBytes(Path("mine"), "my older record");
  fs::create_symlink(Path("mine"), Path("own.tvx"));

  ASSERT_EQ(Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "4"}).exitCode, 0);
  ASSERT_EQ(Run({Path("in.tvx"), "-o", Path("own.tvx"), "-n", "4"}).exitCode, 0);
  const std::string stepped = RecordBytes(Stepped(in, {}, 4));
  EXPECT_EQ(ReadBytes(Path("victim")), "a file the link's owner may not write");
  EXPECT_FALSE(fs::is_symlink(Path("out.tvx")));
  EXPECT_EQ(ReadBytes(Path("out.tvx")), stepped);
  EXPECT_TRUE(fs::is_symlink(Path("own.tvx")));
  EXPECT_EQ(ReadBytes(Path("mine")), stepped);
  EXPECT_EQ(ReadBytes(Path("in.tvx")), in);
}

// A target that turns into a folder during the run is found before the
// first rename: the old record stays, and no summary claims the run.
TEST_F(RunTest, ATargetSpoiltDuringTheRunStopsTheCommitBeforeAnyRename) {
  const std::string in = FileOf(Sample());
  WriteBytes(Path("in.tvx"), in);
  WriteBytes(Path("out.tvx"), "an older record");
  WriteBytes(Path("o.csv"), "older observables");
  WriteBytes(Path("s.json"), "an older summary");
  run::RunOptions options;
  options.inputs = {Path("in.tvx")};
  options.output = Path("out.tvx");
  options.steps = 5;
  options.trajectory = Path("t.csv");
  options.observables = Path("o.csv");
  options.summary = Path("s.json");
  const run::JobFiles files = run::FilesFor(options, Path("in.tvx"));
  run::JobProgress progress;
  const run::JobResult r = run::RunJob(options, files, progress, [&](std::int64_t step) {
    if (step == 3) fs::create_directory(Path("t.csv"));
  });
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.message, Path("t.csv") + ": cannot replace: File access denied");
  EXPECT_EQ(ReadBytes(Path("out.tvx")), "an older record");
  EXPECT_EQ(ReadBytes(Path("o.csv")), "older observables");
  EXPECT_EQ(ReadBytes(Path("s.json")), "an older summary");
  EXPECT_EQ(ReadBytes(Path("in.tvx")), in);
  EXPECT_TRUE(fs::is_directory(Path("t.csv")));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"in.tvx", "o.csv", "out.tvx", "s.json", "t.csv"}));
}

// The summary, written last, names the record by its hash and the CSV files
// by their sizes, so a reader can tell a set that belongs together.
TEST_F(RunTest, TheSummaryVouchesForTheFilesOfItsRun) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  const RunOutcome r = Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "9", "--trajectory", Path("t.csv"),
                            "--observables", Path("o.csv.gz"), "--summary", Path("s.json")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto summary = nlohmann::json::parse(ReadBytes(Path("s.json")));
  EXPECT_EQ(summary["outputSha256"], run::FileSha256(Path("out.tvx")));
  EXPECT_EQ(summary["trajectorySize"], fs::file_size(Path("t.csv")));
  EXPECT_EQ(summary["observablesSize"], fs::file_size(Path("o.csv.gz")));
  EXPECT_TRUE(summary["interrupted"].is_null());
  EXPECT_TRUE(summary["resumedFrom"].is_null());
  // A later run that fails leaves no stale claim: the record changes, the
  // old summary's hash no longer matches it.
  WriteBytes(Path("out.tvx"), "changed by hand");
  EXPECT_NE(summary["outputSha256"], run::FileSha256(Path("out.tvx")));
}

class Messages : public RunTest {};

// Each message says which file and what was being done with it, once.
TEST_F(Messages, NameTheFileAndTheAction) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  WriteBytes(Path("in2.tvx"), FileOf(Sample()));
  WriteBytes(Path("file"), "not a folder");
  fs::create_symlink(Path("nowhere"), Path("dangling"));
  ASSERT_EQ(::mkfifo(Path("ff").c_str(), 0600), 0);
  const auto before = Contents();
  const auto check = [&](std::vector<std::string> args, const std::string& expected) {
    const RunOutcome r = Run(args);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, "vorun-run: " + expected + "\n");
    EXPECT_EQ(Contents(), before);
  };
  check({Path("in.tvx"), Path("in2.tvx"), "--out-dir", Path("file"), "-n", "2"},
        Path("file") + ": cannot write into it: it is not a folder");
  check({Path("in.tvx"), "--out-dir", Path("dangling"), "-n", "2"},
        Path("dangling") + ": cannot create the folder: it is a symbolic link to nothing");
  check({Path("in.tvx"), "-o", Path("ff"), "-n", "2"},
        Path("ff") + ": cannot write: it is a named pipe (FIFO), not a regular file.");
  // A run that writes nothing leaves no folder of its own behind.
  check({Path("missing.tvx"), "--out-dir", Path("new"), "-n", "2"},
        Path("missing.tvx") + ": cannot read: File not found");
}

// A full disk during the run names the file that did not fit.
TEST_F(Messages, DiskFullNamesTheFileThatDidNotFit) {
  fs::create_directory(Path("small"));
  if (::mount("tmpfs", Path("small").c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  WriteBytes(Path("small/t.csv"), "an older trajectory");
  const RunOutcome r = Run({Path("in.tvx"), "-o", Path("small/out.tvx"), "-n", "400", "--trajectory",
                            Path("small/t.csv"), "--summary", Path("small/s.json")});
  const auto left = Listing(Path("small"));
  const std::string old = ReadBytes(Path("small/t.csv"));
  ::umount(Path("small").c_str());
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.err, "vorun-run: " + Path("small/t.csv") + ": cannot write: Disk full\n");
  EXPECT_EQ(left, std::vector<std::string>{"t.csv"});
  EXPECT_EQ(old, "an older trajectory");
}

}  // namespace
}  // namespace vorun
