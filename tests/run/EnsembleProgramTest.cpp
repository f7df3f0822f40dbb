#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "run/EnsembleMain.h"
#include "run/RunFixture.h"
#include "run/RunSamples.h"

namespace vorun {
namespace {

using namespace test;

class EnsembleProgram : public RunTest {
 protected:
  RunOutcome Ensemble(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "vorun-ensemble");
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = run::EnsembleMain(args, in, out, err);
    return {code, out.str(), err.str()};
  }
};

TEST_F(EnsembleProgram, ShowThenMakeGivesTheSameBytesInEveryFormAndNotation) {
  const std::string original = FileOf(Sample());
  WriteBytes(Path("a.tvx"), original);
  for (const char* format : {"json", "csv"}) {
    for (const char* exact : {"decimal", "hex"}) {
      SCOPED_TRACE(std::string(format) + " " + exact);
      const RunOutcome shown = Ensemble({"show", Path("a.tvx"), "--format", format, "--exact", exact});
      ASSERT_EQ(shown.exitCode, 0) << shown.err;
      EXPECT_EQ(shown.err, "");
      const std::string text = Path(std::string("a.") + format);
      WriteBytes(text, shown.out);
      const RunOutcome made = Ensemble({"make", text, "-o", Path("b.tvx")});
      ASSERT_EQ(made.exitCode, 0) << made.err;
      EXPECT_EQ(ReadBytes(Path("b.tvx")), original);
      // From standard input the format is named.
      ASSERT_EQ(Ensemble({"make", "-", "--format", format, "-o", Path("c.tvx")}, shown.out).exitCode, 0);
      EXPECT_EQ(ReadBytes(Path("c.tvx")), original);
    }
  }
}

// The example of a user's edit: a parameter changed in the text is the only
// difference, found by diff with its distance.
TEST_F(EnsembleProgram, DiffListsTheFieldsThatDifferAndExitsLikeCmp) {
  EnsembleState e = Sample();
  WriteBytes(Path("a.tvx"), FileOf(e));
  e.VelU[2] = std::nextafter(e.VelU[2], -1.0L);  // 0 to the largest negative subnormal
  e.C2 = 6;
  WriteBytes(Path("b.tvx"), FileOf(e));
  const RunOutcome same = Ensemble({"diff", Path("a.tvx"), Path("a.tvx")});
  EXPECT_EQ(same.exitCode, 0) << same.err;
  EXPECT_EQ(same.out, "");
  const RunOutcome differ = Ensemble({"diff", Path("a.tvx"), Path("b.tvx"), "--exact", "hex"});
  EXPECT_EQ(differ.exitCode, 1) << differ.err;
  EXPECT_EQ(differ.out,
            "C2: 0xap-1 | 0xcp-1 (2305843009213693952 ulps)\n"
            "slot 2 u: 0x0p+0 | -0x0.000000000000001p-16385 (1 ulp)\n");
}

struct BadText {
  const char* name;  // the text file's name, which says its form
  std::string text;
  std::string message;  // after "vorun-ensemble: <file> "
};

void PrintTo(const BadText& c, std::ostream* os) { *os << c.message; }

class BadEnsembleText : public EnsembleProgram, public ::testing::WithParamInterface<BadText> {};

// The text is checked whole before anything is written: an existing output
// keeps its bytes.
TEST_P(BadEnsembleText, NamesTheLineAndFieldExits2AndWritesNothing) {
  const BadText& c = GetParam();
  WriteBytes(Path(c.name), c.text);
  WriteBytes(Path("out.tvx"), "old");
  const auto before = Contents();
  const RunOutcome r = Ensemble({"make", Path(c.name), "-o", Path("out.tvx")});
  EXPECT_EQ(r.exitCode, 2);
  // The JSON library's own words for a syntax error are its own; the rest
  // of each message is the program's.
  EXPECT_EQ(r.err.rfind("vorun-ensemble: " + Path(c.name) + " " + c.message, 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(Contents(), before);
}

// A CSV text that is right but for the lines each case puts in.
std::string Csv(const std::string& params, const std::string& slots = "1,1,0,0,0,0,0,0\n") {
  return "name,value\n" + params + "\nslot,exists,x,y,z,u,v,w\n" + slots;
}
const std::string Params = "dt,0.01\nA1,1\nB1,1\nC1,2\nD1,3\nF1,4\nA2,1\nB2,1\nC2,2\nD2,3\nF2,4\n";
std::string Json(const std::string& middle, const std::string& slots = "") {
  return "{\n  \"dt\": \"0.01\",\n  \"A1\": \"1\",\n  \"B1\": \"1\",\n  \"C1\": \"2\",\n  \"D1\": \"3\",\n  "
         "\"F1\": "
         "\"4\",\n  \"A2\": \"1\",\n  \"B2\": \"1\",\n  \"C2\": \"2\",\n  \"D2\": \"3\",\n" +
         middle + "  \"slots\": [" + slots + "]\n}\n";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadEnsembleText,
    ::testing::Values(
        BadText{"a.csv", Csv("dt,0.01\nA1,1,5\n" + Params.substr(13)),
                "line 3, field A1: needs one value: NAME,VALUE"},
        BadText{"a.csv", Csv(Params + "A1,2\n"), "line 13, field A1: is given twice"},
        BadText{"a.csv", Csv(Params + "G1,2\n"), "line 13, field G1: is no field of an ensemble"},
        BadText{"a.csv", Csv("dt,0.01\nA1,0x1p-3q\n" + Params.substr(13)),
                "line 3, field A1: \"0x1p-3q\" is no real: a number with a point as decimal separator, inf, "
                "-inf or "
                "raw:SEEE:MMMMMMMMMMMMMMMM"},
        BadText{"a.csv", Csv(Params.substr(0, Params.size() - 5)), "line 12, field F2: is missing"},
        BadText{"a.csv", Csv(Params + "padding1,abc\n"),
                "line 13, field padding1: \"abc\" is not 2 bytes in hex digits"},
        BadText{"a.csv", Csv(Params, "1,1,0,0,0,0,0,0\n61,1,0,0,0,0,0,0\n"),
                "line 16, field slot: \"61\" is no slot number from 1 to 60"},
        BadText{"a.csv", Csv(Params, "7,1,0,0,0,0,0,0\n7,1,0,0,0,0,0,0\n"),
                "line 16, field slot: slot 7 is given twice"},
        BadText{"a.csv", Csv(Params, "7,256,0,0,0,0,0,0\n"),
                "line 15, field slot 7 exists: \"256\" is no byte from 0 to 255"},
        BadText{"a.csv", Csv(Params, "7,1,0,0,0,0,0\n"),
                "line 15, field slot 7 : needs 8 cells: slot,exists,x,y,z,u,v,w"},
        BadText{"a.csv", Csv(Params, "7,1,0,0,nan,0,0,0\n"),
                "line 15, field slot 7 z: \"nan\" is no real: a number with a point as decimal separator, "
                "inf, -inf "
                "or raw:SEEE:MMMMMMMMMMMMMMMM"},
        BadText{"a.csv", "slot,exists\n", "line 1: the first line must be \"name,value\""},
        BadText{"a.json", Json("  \"F2\": \"4\",\n  \"F2\": \"4\",\n"), "line 13, field F2: is given twice"},
        BadText{"a.json", Json("  \"F2\": 4.5e,\n"), "line 12: not JSON: syntax error while parsing value"},
        BadText{"a.json", Json("  \"F2\": true,\n"),
                "line 12, field F2: true is no real: write it as a string, \"0.5\""},
        BadText{"a.json", Json("  \"F2\": \"4\",\n  \"f2\": \"4\",\n"),
                "line 13, field f2: is no field of an ensemble"},
        BadText{"a.json", Json(""), "line 13, field F2: is missing"},
        BadText{"a.json",
                Json("  \"F2\": \"4\",\n",
                     "\n    {\"slot\": 3, \"exists\": 1, \"x\": \"0\", \"y\": \"0\", \"z\": \"0\", "
                     "\"u\": \"0\", \"v\": \"0\", \"q\": \"0\"}\n  "),
                "line 14, field slot 3 q: is no field of a slot (exists, x, y, z, u, v, w)"},
        BadText{"a.json",
                Json("  \"F2\": \"4\",\n",
                     "\n    {\"slot\": 3, \"exists\": 1, \"x\": \"0\", \"y\": \"0\", \"z\": \"0\", "
                     "\"u\": \"0\", \"v\": \"0\"}\n  "),
                "line 14, field slot 3 w: is missing"},
        BadText{"a.json", Json("  \"F2\": \"4\",\n", "\n    {\"slot\": 2.5, \"exists\": 1}\n  "),
                "line 14, field slots[0] slot: \"2.5\" is no slot number from 1 to 60"},
        BadText{"a.json", "[1, 2]\n", "line 1: the text is no JSON object"}));

// A JSON number is read from its own text, so no value passes through a
// double: 0.1 as a number and as a string give the same bytes.
TEST_F(EnsembleProgram, JsonNumbersAreReadFromTheirText) {
  const std::string json = Json("  \"F2\": 0.1,\n",
                                "\n    {\"slot\": 3, \"exists\": 1, \"x\": 0.1, \"y\": -7, \"z\": "
                                "\"0.1\", \"u\": 0, \"v\": 0, \"w\": 0}\n  ");
  WriteBytes(Path("a.json"), json);
  const RunOutcome r = Ensemble({"make", Path("a.json"), "-o", Path("a.tvx")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string bytes = ReadBytes(Path("a.tvx"));
  EXPECT_EQ(bytes.substr(100, 10), Bits(0.1L));
  EXPECT_EQ(bytes.substr(112 + 20, 10), Bits(0.1L));
  EXPECT_EQ(bytes.substr(712 + 20, 10), Bits(-7.0L));
  EXPECT_EQ(bytes.substr(1312 + 20, 10), Bits(0.1L));
}

struct BadUse {
  std::vector<std::string> args;
  std::string message;
};

void PrintTo(const BadUse& c, std::ostream* os) { *os << c.message; }

class BadEnsembleOption : public EnsembleProgram, public ::testing::WithParamInterface<BadUse> {};

TEST_P(BadEnsembleOption, PrintsItsMessageAndTheUsageAndExits2) {
  WriteBytes(Path("a.tvx"), FileOf(Sample()));
  WriteBytes(Path("a.txt"), Csv(Params));
  std::vector<std::string> args = GetParam().args;
  for (std::string& a : args)
    if (a.find('.') != std::string::npos) a = Path(a);
  const auto before = Contents();
  const RunOutcome r = Ensemble(args);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "vorun-ensemble: " + GetParam().message);
  EXPECT_NE(r.err.find("Usage: vorun-ensemble"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadEnsembleOption,
    ::testing::Values(
        BadUse{{}, "A subcommand is required"},
        BadUse{{"print", "a.tvx"}, "no command is named \"print\"; the commands are show, make and diff"},
        BadUse{{"show", "a.tvx", "--format", "xml"}, "--format must be json or csv"},
        BadUse{{"show", "a.tvx", "--exact", "octal"}, "--exact must be decimal or hex"},
        BadUse{{"diff", "a.tvx", "a.tvx", "--exact", "octal"}, "--exact must be decimal or hex"},
        BadUse{{"make", "a.txt", "-o", "b.tvx"},
               "--format json or csv is needed for a text not named .json or .csv"},
        BadUse{{"make", "a.txt", "--format", "yaml", "-o", "b.tvx"}, "--format must be json or csv"},
        BadUse{{"make", "a.txt", "--format", "csv"}, "--output is required"},
        BadUse{{"diff", "a.tvx"}, "B.tvx is required"}));

TEST_F(EnsembleProgram, FileErrorsExit3NameTheFileAndWriteNothing) {
  WriteBytes(Path("a.tvx"), FileOf(Sample()));
  WriteBytes(Path("short.tvx"), FileOf(Sample()).substr(0, 3775));
  WriteBytes(Path("a.csv"), Csv(Params));
  const auto before = Contents();
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"show", Path("missing.tvx")}, Path("missing.tvx") + ": File not found"},
      {{"show", Path("short.tvx")}, Path("short.tvx") + ": Read beyond end of file"},
      {{"diff", Path("a.tvx"), Path("short.tvx")}, Path("short.tvx") + ": Read beyond end of file"},
      {{"make", Path("missing.csv"), "-o", Path("b.tvx")}, Path("missing.csv") + ": File not found"},
      {{"make", Path("a.csv"), "-o", Path("no/such/folder/b.tvx")},
       Path("no/such/folder/b.tvx") + ": File not found"},
      {{"make", Path("a.csv"), "-o", folder_.string()}, folder_.string() + ": "},
  };
  for (const auto& c : cases) {
    const RunOutcome r = Ensemble(c.args);
    EXPECT_EQ(r.exitCode, 3) << c.message;
    EXPECT_EQ(r.err.rfind("vorun-ensemble: " + c.message, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Contents(), before);
  }
}

// A write that fails half way leaves the old output whole: the save goes
// through a new file beside it.
TEST_F(EnsembleProgram, AFailedMakeKeepsTheOldOutput) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
  WriteBytes(Path("a.csv"), Csv(Params));
  fs::create_directory(Path("ro"));
  WriteBytes(Path("ro/out.tvx"), "old");
  ::chmod(Path("ro").c_str(), 0555);
  const RunOutcome r = Ensemble({"make", Path("a.csv"), "-o", Path("ro/out.tvx")});
  ::chmod(Path("ro").c_str(), 0755);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(ReadBytes(Path("ro/out.tvx")), "old");
}

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The installed program as a shell uses it: a pipe from show to make, and
// the exit status of diff in a condition.
TEST_F(EnsembleProgram, TheProgramPipesAndExitsAsAShellExpects) {
  const std::string program = VORUN_ENSEMBLE_PROGRAM;
  EnsembleState e = Sample();
  WriteBytes(Path("a.tvx"), FileOf(e));
  e.A1 = 3;
  WriteBytes(Path("b.tvx"), FileOf(e));
  EXPECT_EQ(
      Shell(program + " show " + Path("a.tvx") + " --format csv --exact hex | " + program +
            " make - --format csv -o " + Path("c.tvx") + " && cmp -s " + Path("a.tvx") + " " + Path("c.tvx")),
      0);
  EXPECT_EQ(Shell(program + " diff " + Path("a.tvx") + " " + Path("c.tvx")), 0);
  EXPECT_EQ(Shell(program + " diff " + Path("a.tvx") + " " + Path("b.tvx") + " > " + Path("d.txt")), 1);
  EXPECT_EQ(ReadBytes(Path("d.txt")), "A1: 1 | 3 (13835058055282163712 ulps)\n");
  EXPECT_EQ(Shell(program + " show " + Path("missing.tvx") + " 2> /dev/null"), 3);
  EXPECT_EQ(Shell(program + " --help > /dev/null"), 0);
}

}  // namespace
}  // namespace vorun
