// What a long run costs in disk and memory: the bytes written on the
// progress line, gzip for names ending in .gz, and a bound on the memory of
// many jobs at once.
#include <sys/resource.h>
#include <zlib.h>

#include <regex>

#include "run/RunChild.h"
#include "run/RunFixture.h"
#include "run/RunSamples.h"

namespace vorun {
namespace {

using namespace test;

// Every gzip member of the file, one after the other, as gzip -d and
// pandas read them.
std::string Gunzip(const std::string& bytes) {
  std::string text;
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, 16 + 15), Z_OK);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  char out[65536];
  while (z.avail_in > 0) {
    z.next_out = reinterpret_cast<Bytef*>(out);
    z.avail_out = sizeof out;
    const int result = inflate(&z, Z_NO_FLUSH);
    text.append(out, sizeof out - z.avail_out);
    if (result == Z_STREAM_END)
      inflateReset(&z);
    else if (result != Z_OK)
      break;
  }
  inflateEnd(&z);
  return text;
}

TEST_F(RunTest, ANameEndingInGzIsGzipOfTheSameText) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  const auto run = [&](const std::string& t, const std::string& o) {
    return Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "300", "--formula", "PES", "--trajectory",
                Path(t), "--observables", Path(o), "--checkpoint-every", "100"});
  };
  ASSERT_EQ(run("t.csv", "o.csv").exitCode, 0);
  ASSERT_EQ(run("t.csv.gz", "o.csv.gz").exitCode, 0);
  for (const char* name : {"t.csv", "o.csv"}) {
    const std::string zipped = ReadBytes(Path(std::string(name) + ".gz"));
    ASSERT_GT(zipped.size(), 2u);
    EXPECT_EQ(zipped.substr(0, 2), "\x1f\x8b");
    EXPECT_LT(zipped.size(), ReadBytes(Path(name)).size());
    EXPECT_TRUE(Gunzip(zipped) == ReadBytes(Path(name))) << name;
  }
}

TEST_F(RunTest, TheProgressLineShowsTheBytesWritten) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  const RunOutcome r =
      Run({Path("in.tvx"), "-o", Path("out.tvx"), "-n", "5", "--trajectory", Path("t.csv")}, true);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(
      std::regex_search(r.err, std::regex("step [0-9]+ of 5, [0-9]+ steps/s, [0-9.]+ (B|kB|MB) written")))
      << r.err;
}

// Many jobs share one budget for their buffered rows. Each job's files
// stay below the buffer a single job would keep, so without the budget
// every row of every job would be in memory at the end.
TEST_F(RunTest, ManyJobsKeepTheirBufferedRowsWithinABudget) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own memory hides the measure";
#endif
  // Ten taons with no force between them: a quick step, and rows of 21
  // digits in every number.
  EnsembleState e = MakeEnsemble(0.001L, 0, 1, 1, 1, 1);
  for (int n = 1; n <= 10; ++n) Place(e, n, n / 3.0L, n / 7.0L, n / 9.0L, 1 / 3.0L, 1 / 7.0L, 1 / 11.0L);
  std::vector<std::string> args;
  for (int job = 0; job < 64; ++job) {
    const std::string name = "in" + std::to_string(job) + ".tvx";
    WriteBytes(Path(name), FileOf(e));
    args.push_back(Path(name));
  }
  args.insert(args.end(), {"--out-dir", Path("out"), "-n", "600", "--jobs", "64", "--trajectory", "{}.csv"});
  const pid_t pid = StartRun(args, Path("err.txt"));
  int status = 0;
  rusage usage{};
  ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadBytes(Path("err.txt"));
  const auto written = fs::file_size(Path("out/in0.csv"));
  ASSERT_GT(written, std::uintmax_t{700} << 10);
  // All the rows would be 64 times that; the budget is 16 MiB.
  EXPECT_LT(usage.ru_maxrss * 1024, 64 * static_cast<long>(written) * 85 / 100) << usage.ru_maxrss << " kB";
}

}  // namespace
}  // namespace vorun
