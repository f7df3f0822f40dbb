#include <cmath>
#include <sstream>

#include "DecimalCommaLocale.h"
#include "model/Error.h"
#include "model/StartFile.h"
#include "run/RunFixture.h"
#include "run/RunOptions.h"

namespace vorun {
namespace {

using namespace test;

struct BadCase {
  std::vector<std::string> args;
  std::string message;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.message; }

std::string LineBreakRefusal() {
  try {
    CheckRememberable("a\nb");
  } catch (const Error& e) {
    return e.what();
  }
  return "no refusal";
}

class BadOption : public RunTest, public ::testing::WithParamInterface<BadCase> {};

// Each bad option names its own problem, then the usage follows; the run
// does not start, so nothing is written.
TEST_P(BadOption, PrintsItsMessageAndTheUsageAndExits2) {
  WriteBytes(Path("in.tvx"), FileOf(MakeEnsemble(0.01L, 1, 1, 1, 1, 1)));
  std::vector<std::string> args = GetParam().args;
  for (std::string& a : args)
    if (a == "IN") a = Path("in.tvx");
  const auto before = Contents();
  const RunOutcome r = Run(args);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "vorun-run: " + GetParam().message);
  EXPECT_NE(r.err.find("\nUsage: vorun-run [OPTIONS] IN.tvx..."), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadOption,
    ::testing::Values(
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--every", "0"}, "--every must be a positive integer"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--every", "2.5"}, "--every must be a positive integer"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--every", "-3"}, "--every must be a positive integer"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--jobs", "0"}, "--jobs must be a positive integer"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--threads", "0"}, "--threads must be a positive integer"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--threads", "two"}, "--threads must be a positive integer"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "-1"}, "--steps must be an integer from 0 to 2147483647"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "2147483648"}, "--steps must be an integer from 0 to 2147483647"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "1e3"}, "--steps must be an integer from 0 to 2147483647"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--dt", "0,5"},
                "--dt must be a finite number with a point as decimal separator"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--dt", "inf"},
                "--dt must be a finite number with a point as decimal separator"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--formula", "PEX"},
                "--formula must be one of PE, E, PES, EPES, EPES-"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--split", "20"}, "--split must be one of 30, 15, 10"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--scope", "Taoscope"},
                "--scope must be one of taoscope, gravoscope"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--wall", "4x4"},
                "--wall must be one of 3x3, 20x20, NxN, out"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--exact", "oct"}, "--exact must be decimal or hex"},
        BadCase{{"IN", "-n", "5"}, "--output or --out-dir is required"},
        BadCase{{"IN", "-n", "5", "-o", "x.tvx", "--out-dir", "d"},
                "--output and --out-dir exclude each other"},
        BadCase{{"IN", "IN", "-n", "5", "-o", "x.tvx"}, "--output takes one input; use --out-dir"},
        BadCase{{"IN", "IN", "-n", "5", "--out-dir", "d"},
                "two inputs named in.tvx would write the same output"},
        BadCase{{"IN", "b.tvx", "-n", "5", "--out-dir", "d", "--trajectory", "t.csv"},
                "--trajectory needs {} in its name with several inputs"},
        BadCase{{"IN", "-o", "x.tvx"}, "--steps is required"},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--frobnicate"},
                "The following argument was not expected: --frobnicate"},
        BadCase{{"-o", "x.tvx", "-n", "5"}, "IN.tvx is required"},
        // The window's own words for a name with a line break.
        BadCase{{"a\nb.tvx", "-o", "x.tvx", "-n", "5"}, LineBreakRefusal()},
        BadCase{{"IN", "-o", "x\r.tvx", "-n", "5"}, LineBreakRefusal()},
        BadCase{{"IN", "-o", "x.tvx", "-n", "5", "--summary", "s\n.json"}, LineBreakRefusal()},
        BadCase{{"IN", "b.tvx", "--out-dir", "d\ne", "-n", "5"}, LineBreakRefusal()}));

TEST_F(RunTest, HelpListsEveryOptionWithItsDefaultAndTheLocaleRule) {
  const RunOutcome r = Run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  for (const char* option :
       {"--output",  "--out-dir", "--steps",      "--dt",     "--formula",  "--split",
        "--scope",   "--check1",  "--check2",     "--check3", "--blockade", "--heater",
        "--cooler",  "--wall",    "--trajectory", "--every",  "--exact",    "--observables",
        "--summary", "--jobs",    "--threads",    "--quiet"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  for (const char* shown : {"--dt X=the record's own", "--formula F=E ", "--split T=30 ",
                            "--scope S=gravoscope ", "--wall W=out ", "--exact E=decimal ", "--every K=1 ",
                            "--jobs J=1 ", "--threads T=auto ", "Flags are off unless given"})
    EXPECT_NE(r.out.find(shown), std::string::npos) << shown;
  EXPECT_NE(r.out.find("C locale"), std::string::npos);
}

TEST_F(RunTest, ThreadsAreAutomaticUnlessGiven) {
  WriteBytes(Path("in.tvx"), FileOf(MakeEnsemble(0.01L, 1, 1, 1, 1, 1)));
  std::ostringstream out, err;
  const auto automatic =
      run::ParseRunOptions({"vorun-run", Path("in.tvx"), "-o", Path("x.tvx"), "-n", "5"}, out, err);
  ASSERT_TRUE(automatic.options) << err.str();
  EXPECT_EQ(automatic.options->threads, 0);
  const auto three = run::ParseRunOptions(
      {"vorun-run", Path("in.tvx"), "-o", Path("x.tvx"), "-n", "5", "--threads", "3"}, out, err);
  ASSERT_TRUE(three.options);
  EXPECT_EQ(three.options->threads, 3);
}

TEST(ParseReal, ReadsDecimalAndHexInTheCLocaleAndNothingElse) {
  EXPECT_EQ(run::ParseReal("0.5"), 0.5L);
  EXPECT_EQ(run::ParseReal("-0.001"), -0.001L);  // the nearest 80-bit value, as the compiler rounds it
  EXPECT_EQ(run::ParseReal("1e-3"), 0.001L);
  EXPECT_EQ(run::ParseReal("0x1p-10"), 0x1p-10L);
  EXPECT_EQ(run::ParseReal("-0x8.3126e978d4fdf3bp-13"), -0x8.3126e978d4fdf3bp-13L);
  for (const char* bad : {"", "0,5", " 0.5", "0.5 ", "--1", "+-1", "0x", "inf", "nan", "1e99999", "1.0.0"})
    EXPECT_FALSE(run::ParseReal(bad)) << bad;
}

// A locale with a decimal comma must not change what "0.5" means.
TEST(ParseReal, IgnoresTheUsersLocale) {
  std::optional<Extended80> half, comma;
  {
    const test::DecimalCommaLocale locale;
    if (!locale.Active()) GTEST_SKIP() << "no locale with a decimal comma can be built here";
    half = run::ParseReal("0.5");
    comma = run::ParseReal("0,5");
  }
  EXPECT_EQ(half, 0.5L);
  EXPECT_FALSE(comma);
}

}  // namespace
}  // namespace vorun
