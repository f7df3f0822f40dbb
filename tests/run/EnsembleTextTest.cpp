#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "run/EnsembleText.h"
#include "run/RunFixture.h"
#include "run/RunSamples.h"

namespace vorun {
namespace {

using namespace test;
using vorun::Notation;

Float80Bytes Raw(std::uint16_t se, std::uint64_t mant) {
  Float80Bytes v;
  std::memcpy(v.Bytes, &mant, 8);
  std::memcpy(v.Bytes + 8, &se, 2);
  return v;
}

Float80Bytes Of(Extended80 x) {
  Float80Bytes v;
  std::memcpy(v.Bytes, &x, 10);
  return v;
}

std::string Hex(const Float80Bytes& v) { return std::string(reinterpret_cast<const char*>(v.Bytes), 10); }

constexpr std::uint64_t Top = std::uint64_t{1} << 63;

// Every class of ten bytes a record can hold, each often enough to be met
// many times: the random patterns alone would almost never give a NaN, a
// subnormal or a pseudo-denormal.
Float80Bytes RandomReal(std::mt19937_64& rng) {
  const std::uint64_t bits = rng();
  const auto sign = static_cast<std::uint16_t>(rng() & 0x8000);
  const auto exponent = static_cast<std::uint16_t>(rng() % 0x7fff);
  switch (rng() % 9) {
    case 0:  // anything at all
      return Raw(static_cast<std::uint16_t>(rng()), bits);
    case 1:  // NaNs with payloads, pseudo-NaNs and pseudo-infinities (no integer bit)
      return Raw(sign | 0x7fff, rng() % 4 == 0 ? bits & ~Top : bits | Top);
    case 2:  // pseudo-denormals
      return Raw(sign, bits | Top);
    case 3:  // subnormals
      return Raw(sign, (bits & ~Top) >> (rng() % 64));
    case 4:  // unnormals
      return Raw(sign | static_cast<std::uint16_t>(exponent + 1), bits & ~Top);
    case 5:  // normal numbers of any size
      return Raw(sign | static_cast<std::uint16_t>(exponent + 1), bits | Top);
    case 6:  // zeros and infinities
      return Raw(sign | (rng() % 2 ? 0x7fff : 0), rng() % 2 ? Top : 0);
    case 7:  // short decimals, as people type them
      return Of(static_cast<Extended80>(static_cast<std::int64_t>(bits % 200001) - 100000) / 1000);
    default:  // numbers near 1, where a last digit too few would show
      return Raw(sign | static_cast<std::uint16_t>(16382 + rng() % 3), bits | Top);
  }
}

EnsembleRecord RandomRecord(std::mt19937_64& rng) {
  EnsembleRecord r;
  const auto fill = [&](Float80Bytes& v) { v = RandomReal(rng); };
  fill(r.TimeStep);
  for (Float80Bytes* p : {&r.A1, &r.B1, &r.C1, &r.D1, &r.F1, &r.A2, &r.B2, &r.C2, &r.D2, &r.F2}) fill(*p);
  for (std::uint8_t& b : r.Padding1) b = static_cast<std::uint8_t>(rng());
  for (std::uint8_t& b : r.Padding2) b = static_cast<std::uint8_t>(rng());
  for (int n = 0; n < MaxSlots; ++n) {
    // Half the slots empty and zero (left out of the text), some empty with
    // values, the rest occupied by any byte.
    const int kind = static_cast<int>(rng() % 6);
    r.Exists[n] = kind < 4 ? 0 : static_cast<std::uint8_t>(1 + rng() % 255);
    for (Float80Bytes(*a)[MaxSlots] : {&r.PosX, &r.PosY, &r.PosZ, &r.VelU, &r.VelV, &r.VelW})
      (*a)[n] = kind < 3 ? Raw(0, 0) : RandomReal(rng);
  }
  return r;
}

std::string Bytes(const EnsembleRecord& r) { return RecordBytes(r); }

// Under AddressSanitizer every access is checked and the unoptimised build
// runs this some twenty times slower; a tenth of the records still meets
// every class of pattern hundreds of times, and the plain build runs them all.
#if defined(__SANITIZE_ADDRESS__)
constexpr int RoundTrips = 1000;
#else
constexpr int RoundTrips = 10000;
#endif

// show then make gives the record back byte for byte, whatever it holds, in
// both forms and both notations; and a value that is a proper number is
// written as a number, never in the raw form.
TEST(EnsembleText, RandomRecordsOfEveryKindComeBackByteForByte) {
  std::mt19937_64 rng(20261209);
  int numbers = 0;
  for (int i = 0; i < RoundTrips; ++i) {
    const EnsembleRecord record = RandomRecord(rng);
    const Notation notation = i % 4 < 2 ? Notation::Decimal : Notation::Hex;
    const bool json = i % 2 == 0;
    const std::string text = json ? run::EnsembleJson(record, notation) : run::EnsembleCsv(record, notation);
    EnsembleRecord back;
    try {
      back = json ? run::ParseEnsembleJson(text) : run::ParseEnsembleCsv(text);
    } catch (const run::TextError& e) {
      FAIL() << "record " << i << " line " << e.line << " " << e.field << ": " << e.what() << "\n" << text;
    }
    ASSERT_EQ(Bytes(back), Bytes(record)) << "record " << i << "\n" << text;
    if (i % 100 == 0) {
      const Extended80 x = [&] {
        Extended80 v = 0;
        std::memcpy(&v, record.A1.Bytes, 10);
        return v;
      }();
      const std::uint16_t se = static_cast<std::uint16_t>(record.A1.Bytes[8] | record.A1.Bytes[9] << 8);
      const bool proper = (se & 0x7fff) != 0x7fff && ((se & 0x7fff) == 0) == !(record.A1.Bytes[7] & 0x80);
      if (proper && std::isfinite(x)) {
        ++numbers;
        EXPECT_NE(run::RealText(record.A1, notation).rfind("raw:", 0), 0u)
            << run::RealText(record.A1, notation);
      }
    }
  }
  EXPECT_GT(numbers, RoundTrips / 1000);
}

TEST(EnsembleText, RealsReadAsNumbersInfinitiesOrRawBits) {
  const std::pair<const char*, Float80Bytes> good[] = {
      {"0.1", Of(0.1L)},
      {"-0", Of(-0.0L)},
      {"+2.5e-3", Of(2.5e-3L)},
      {"0x8.3126e978d4fdf3bp-13", Of(0x8.3126e978d4fdf3bp-13L)},
      {"3.64519953188247460253e-4951", Raw(0, 1)},  // the smallest subnormal, which from_chars refuses
      {"0x0.000000000000001p-16385", Raw(0, 1)},
      {"1e-99999", Of(0.0L)},  // rounds to zero as any reader would
      {"inf", Of(std::numeric_limits<Extended80>::infinity())},
      {"-inf", Of(-std::numeric_limits<Extended80>::infinity())},
      {"raw:7fff:c000000000000001", Raw(0x7fff, 0xc000000000000001)},
      {"raw:0000:8000000000000000", Raw(0, Top)},
      {"raw:FFFF:0000000000000000", Raw(0xffff, 0)},
  };
  for (const auto& [text, bytes] : good) {
    const auto v = run::ParseRealText(text);
    ASSERT_TRUE(v) << text;
    EXPECT_EQ(Hex(*v), Hex(bytes)) << text;
  }
  for (const char* bad : {"", " 1", "1 ", "nan", "NaN", "infinity", "0x", "1e99999", "-1e99999", "1,5", "--1",
                          "+-1", "1e", ".", "raw:7fff:c00000000000000", "raw:7fffc000000000000001",
                          "raw:7fff:c00000000000000g", "raw:17fff:c000000000000000"})
    EXPECT_FALSE(run::ParseRealText(bad)) << bad;
  // Patterns that no number text gives back are written raw.
  EXPECT_EQ(run::RealText(Raw(0x7fff, 0xc000000000000001), Notation::Decimal), "raw:7fff:c000000000000001");
  EXPECT_EQ(run::RealText(Raw(0x8000, Top | 5), Notation::Hex), "raw:8000:8000000000000005");
  EXPECT_EQ(run::RealText(Raw(0x3fff, 0), Notation::Decimal), "raw:3fff:0000000000000000");  // unnormal zero
  EXPECT_EQ(run::RealText(Of(-std::numeric_limits<Extended80>::infinity()), Notation::Decimal), "-inf");
  EXPECT_EQ(run::RealText(Of(0.001L), Notation::Decimal), "0.000999999999999999999958");
}

// The text is what a person reads and a version control system compares:
// one value a line, one slot a line, empty slots left out.
TEST(EnsembleText, ShowsEachValueAndEachKeptSlotOnALine) {
  EnsembleRecord r{};
  EnsembleState e = Sample();
  CopyToRecord(e, r);
  r.Padding1[0] = 0xa5;
  const std::string json = run::EnsembleJson(r, Notation::Decimal);
  EXPECT_EQ(json.substr(0, json.find("\"C1\"")),
            "{\n  \"dt\": \"0.0500000000000000000007\",\n  \"A1\": \"1\",\n  \"B1\": "
            "\"2.71799999999999999998\",\n  ");
  EXPECT_NE(json.find("  \"padding1\": \"a500\",\n  \"padding2\": \"00000000\",\n  \"slots\": [\n"),
            std::string::npos);
  EXPECT_NE(json.find("\n    {\"slot\": 9, \"exists\": 0, \"x\": \"42\", \"y\": \"0\", \"z\": \"0\", \"u\": "
                      "\"0\", \"v\": \"0\", \"w\": \"0\"},\n"),
            std::string::npos);
  EXPECT_NE(json.find("{\"slot\": 47, \"exists\": 2, \"x\": \"1.25\", \"y\": \"-0.5\", \"z\": \"-1\", \"u\": "
                      "\"0.125\", \"v\": \"0\", \"w\": \"0\"}\n  ]\n}\n"),
            std::string::npos);
  EXPECT_EQ(json.find("\"slot\": 3,"), std::string::npos);
  const std::string csv = run::EnsembleCsv(r, Notation::Hex);
  EXPECT_EQ(csv.substr(0, csv.find("B1")), "name,value\ndt,0xc.ccccccccccccccdp-8\nA1,0x8p-3\n");
  EXPECT_NE(csv.find("\n\nslot,exists,x,y,z,u,v,w\n1,1,0x8p-4,0x0p+0,0x0p+0,0x8p-3,0x0p+0,0x0p+0\n2,1,"),
            std::string::npos);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 11 + 2 + 1 + 1 + 5);
}

EnsembleRecord RecordOf(const EnsembleState& e) {
  EnsembleRecord r{};
  CopyToRecord(e, r);
  return r;
}

TEST(EnsembleDiff, OneUlpInOneFieldIsFoundAndNamed) {
  EnsembleState e = Sample();
  const EnsembleRecord a = RecordOf(e);
  e.PosZ[31] = std::nextafter(e.PosZ[31], 2.0L);
  const EnsembleRecord b = RecordOf(e);
  EXPECT_TRUE(run::DiffRecords(a, a, Notation::Decimal).empty());
  const auto d = run::DiffRecords(a, b, Notation::Decimal);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].field, "slot 31 z");
  EXPECT_EQ(d[0].a, "0.75");
  EXPECT_EQ(d[0].b, "0.750000000000000000054");
  ASSERT_TRUE(d[0].ulps);
  EXPECT_EQ(run::UlpText(*d[0].ulps), "1");
}

// The distance counts representable values between the two, across the
// places where the exponent changes, through the subnormals and over zero.
TEST(EnsembleDiff, UlpsCountTheValuesBetweenAcrossBinadesAndZero) {
  constexpr Extended80 Min = std::numeric_limits<Extended80>::min();
  constexpr Extended80 Tiny = std::numeric_limits<Extended80>::denorm_min();
  constexpr Extended80 Max = std::numeric_limits<Extended80>::max();
  constexpr Extended80 Inf = std::numeric_limits<Extended80>::infinity();
  const struct {
    Extended80 a, b;
    const char* ulps;
  } cases[] = {
      {1.0L, std::nextafter(1.0L, 0.0L), "1"},
      {Min, std::nextafter(Min, 0.0L), "1"},
      {0.0L, Tiny, "1"},
      {-Tiny, Tiny, "2"},
      {0.0L, -0.0L, "0"},
      {Max, Inf, "1"},
      {1.0L, 2.0L, "9223372036854775808"},
      {-Inf, Inf, "604444463063240877801472"},  // 2 * (0x7fff << 63)
  };
  for (const auto& c : cases) {
    EnsembleRecord a{}, b{};
    a.A2 = Of(c.a);
    b.A2 = Of(c.b);
    const auto d = run::DiffRecords(a, b, Notation::Hex);
    ASSERT_EQ(d.size(), 1u) << c.ulps;
    EXPECT_EQ(d[0].field, "A2");
    ASSERT_TRUE(d[0].ulps) << c.ulps;
    EXPECT_EQ(run::UlpText(*d[0].ulps), c.ulps);
  }
}

// No distance to a NaN; bytes that are no reals are compared as bytes.
TEST(EnsembleDiff, NaNsPaddingAndOccupancyDifferWithoutADistance) {
  EnsembleRecord a{}, b{};
  b.TimeStep = Raw(0x7fff, 0xc000000000000000);
  b.Padding2[3] = 1;
  b.Exists[59] = 3;
  const auto d = run::DiffRecords(a, b, Notation::Decimal);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].field, "dt");
  EXPECT_EQ(d[0].a, "0");
  EXPECT_EQ(d[0].b, "raw:7fff:c000000000000000");
  EXPECT_FALSE(d[0].ulps);
  EXPECT_EQ(d[1].field, "padding2");
  EXPECT_EQ(d[1].a, "00000000");
  EXPECT_EQ(d[1].b, "00000001");
  EXPECT_EQ(d[2].field, "slot 60 exists");
  EXPECT_EQ(d[2].a, "0");
  EXPECT_EQ(d[2].b, "3");
}

}  // namespace
}  // namespace vorun
