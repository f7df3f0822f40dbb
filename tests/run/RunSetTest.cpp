#include <cstring>
#include <nlohmann/json.hpp>

#include "run/RunFixture.h"
#include "run/RunSamples.h"

namespace vorun {
namespace {

using namespace test;

struct SetCase {
  const char* name;
  std::size_t offset;  // in the file, written out here rather than taken from the program's table
  const char* text;
  Extended80 value;
};

void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name << "=" << c.text; }

class SetOverride : public RunTest, public ::testing::WithParamInterface<SetCase> {};

// --set must give exactly the run of a record whose field was edited by hand:
// the value lands in the state before the first step, is read as --dt is
// (decimal values that no binary fraction holds included), and is stored in
// the output. The shell lengths are near the sample's distances, so that
// their terms are far from underflowing and move the taons.
TEST_P(SetOverride, GivesTheRunOfTheRecordEditedByHand) {
  const SetCase& c = GetParam();
  const std::string original = FileOf(Sample());
  std::string edited = original;
  edited.replace(c.offset, 10, Bits(c.value));
  WriteBytes(Path("in.tvx"), original);
  WriteBytes(Path("edited.tvx"), edited);
  const std::vector<std::string> settings = {"-n", "20", "--formula", "EPES", "--split", "15", "-q"};
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.end(), settings.begin(), settings.end());
    const RunOutcome r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
  };
  run({Path("in.tvx"), "-o", Path("set.tvx"), "--set", std::string(c.name) + "=" + c.text});
  run({Path("edited.tvx"), "-o", Path("by-hand.tvx")});
  run({Path("in.tvx"), "-o", Path("unchanged.tvx")});

  const std::string set = ReadBytes(Path("set.tvx"));
  ASSERT_EQ(set.size(), 3776u);
  EXPECT_EQ(set, ReadBytes(Path("by-hand.tvx")));
  EXPECT_EQ(set.substr(c.offset, 10), Bits(c.value));
  // The value took part in the steps, not only in the stored record.
  EXPECT_NE(set.substr(112, 3600), ReadBytes(Path("unchanged.tvx")).substr(112, 3600));
}

INSTANTIATE_TEST_SUITE_P(
    EveryName, SetOverride,
    ::testing::Values(SetCase{"dt", 0, "0x1p-5", 0x1p-5L}, SetCase{"A1", 10, "0.3", 0.3L},
                      SetCase{"B1", 20, "0x1.8p+1", 3.0L}, SetCase{"C1", 30, "1.1", 1.1L},
                      SetCase{"D1", 40, "0.9", 0.9L}, SetCase{"F1", 50, "1.3", 1.3L},
                      SetCase{"A2", 60, "-2.5e-1", -0.25L}, SetCase{"B2", 70, "2.2", 2.2L},
                      SetCase{"C2", 80, "1.05", 1.05L}, SetCase{"D2", 90, "0x1.cp-1", 0.875L},
                      SetCase{"F2", 100, "1.2", 1.2L}),
    [](const auto& info) { return std::string(info.param.name); });

// A sweep's inputs all take the value; the summary of each says what was set,
// in the order given and in the notation of the run.
TEST_F(RunTest, SetAppliesToEveryInputAndTheSummaryRecordsIt) {
  EnsembleState a = Sample(), b = Sample();
  b.A1 = 7;
  WriteBytes(Path("a.tvx"), FileOf(a));
  WriteBytes(Path("b.tvx"), FileOf(b));
  const RunOutcome r =
      Run({Path("a.tvx"), Path("b.tvx"), "--out-dir", Path("out"), "-n", "5", "--set", "A1=0.5", "--set",
           "dt=0x1p-6", "--exact", "hex", "--summary", "{}.json", "--jobs", "2"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadBytes(Path("out/a.tvx")), ReadBytes(Path("out/b.tvx")));
  for (const char* name : {"out/a.json", "out/b.json"}) {
    const auto s = nlohmann::ordered_json::parse(ReadBytes(Path(name)));
    EXPECT_EQ(s["set"].dump(), R"({"A1":"0x8p-4","dt":"0x8p-9"})") << name;
    EXPECT_EQ(s["settings"]["dt"], "0x8p-9");
    EXPECT_EQ(s["settings"]["dtFrom"], "option");
  }
  ASSERT_EQ(
      Run({Path("a.tvx"), "-o", Path("plain.tvx"), "-n", "0", "--summary", Path("plain.json")}).exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(ReadBytes(Path("plain.json")))["set"], nlohmann::json::object());
}

struct BadSet {
  std::vector<std::string> sets;
  std::string message;
};

void PrintTo(const BadSet& c, std::ostream* os) { *os << c.message; }

class BadSetOption : public RunTest, public ::testing::WithParamInterface<BadSet> {};

TEST_P(BadSetOption, NamesItAndExits2WithNothingWritten) {
  WriteBytes(Path("in.tvx"), FileOf(Sample()));
  std::vector<std::string> args = {Path("in.tvx"), "-o", Path("out.tvx"), "-n", "1"};
  for (const std::string& s : GetParam().sets) args.push_back(s);
  const auto before = Contents();
  const RunOutcome r = Run(args);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "vorun-run: " + GetParam().message);
  EXPECT_EQ(Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadSetOption,
    ::testing::Values(
        BadSet{
            {"--set", "G1=1"},
            "--set: no parameter is named \"G1\"; the names are dt, A1, B1, C1, D1, F1, A2, B2, C2, D2, F2"},
        BadSet{
            {"--set", "a1=1"},
            "--set: no parameter is named \"a1\"; the names are dt, A1, B1, C1, D1, F1, A2, B2, C2, D2, F2"},
        BadSet{{"--set", "A1"}, "--set needs NAME=VALUE, not \"A1\""},
        BadSet{{"--set", "A1=0,5"},
               "--set A1: \"0,5\" is not a finite number with a point as decimal separator"},
        BadSet{{"--set", "B2="}, "--set B2: \"\" is not a finite number with a point as decimal separator"},
        BadSet{{"--set", "dt=nan"},
               "--set dt: \"nan\" is not a finite number with a point as decimal separator"},
        BadSet{{"--set", "F1=1e99999"},
               "--set F1: \"1e99999\" is not a finite number with a point as decimal separator"},
        BadSet{{"--set", "C1=1", "--set", "C1=2"}, "--set C1 is given twice"},
        BadSet{{"--dt", "0.5", "--set", "dt=0.25"}, "--dt and --set dt exclude each other"}));

}  // namespace
}  // namespace vorun
