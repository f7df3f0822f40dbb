#include "model/EnsembleFile.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "model/FileAccess.h"
#include "model/FileFixture.h"

namespace vorun {
namespace {

using namespace test;
namespace fs = std::filesystem;

using EnsembleFile = FileTest;

TEST_F(EnsembleFile, WritesTheRecordLayoutByteForByte) {
  FillEnsemble(0);
  Ensemble.TimeStep = 0.001L;
  WriteEnsembleFile(Path("ring.tvx"), Ensemble, FileRecord);
  const std::string bytes = ReadBytes(Path("ring.tvx"));
  ASSERT_EQ(bytes.size(), 3776u);
  // The documented example: 0.001 as the time step at offset 0.
  EXPECT_EQ(bytes.substr(0, 10), std::string("\x3B\xDF\x4F\x8D\x97\x6E\x12\x83\xF5\x3F", 10));
  EXPECT_EQ(bytes.substr(10, 10), Bits(Ensemble.A1));
  EXPECT_EQ(bytes.substr(100, 10), Bits(Ensemble.F2));
  for (int n : {1, 2, 37, 60}) {
    const auto at = static_cast<std::size_t>(10 * (n - 1));
    EXPECT_EQ(bytes.substr(112 + at, 10), Bits(Ensemble.PosX[n])) << n;
    EXPECT_EQ(bytes.substr(712 + at, 10), Bits(Ensemble.PosY[n])) << n;
    EXPECT_EQ(bytes.substr(1312 + at, 10), Bits(Ensemble.PosZ[n])) << n;
    EXPECT_EQ(bytes.substr(1912 + at, 10), Bits(Ensemble.VelU[n])) << n;
    EXPECT_EQ(bytes.substr(2512 + at, 10), Bits(Ensemble.VelV[n])) << n;
    EXPECT_EQ(bytes.substr(3112 + at, 10), Bits(Ensemble.VelW[n])) << n;
    EXPECT_EQ(static_cast<unsigned char>(bytes[3712 + n - 1]), Ensemble.Exists[n]) << n;
  }
  // No record has been read yet, so both padding areas are zero.
  EXPECT_EQ(bytes.substr(110, 2), std::string(2, '\0'));
  EXPECT_EQ(bytes.substr(3772, 4), std::string(4, '\0'));
  EXPECT_EQ(Listing(folder_), std::vector<std::string>{"ring.tvx"});
}

// Any ten bytes are some Extended80 bit pattern and any byte some occupancy:
// a file read and saved again must come out identical, padding included.
TEST_F(EnsembleFile, AnyRecordReadAndSavedAgainIsIdentical) {
  std::mt19937 random(3776);
  std::string bytes(3776, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  const std::pair<std::size_t, std::string> special[] = {
      {0, std::string("\0\0\0\0\0\0\0\0\0\x80", 10)},                     // -0
      {10, std::string("\1\0\0\0\0\0\0\0\0\0", 10)},                      // smallest denormal
      {20, std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE\x7F", 10)},  // largest finite
      {30, std::string("\0\0\0\0\0\0\0\x80\xFF\x7F", 10)},                // +infinity
      {40, std::string("\0\0\0\0\0\0\0\x80\xFF\xFF", 10)},                // -infinity
      {50, std::string("\1\0\0\0\0\0\0\xC0\xFF\x7F", 10)},                // quiet NaN with payload
      {60, std::string("\1\0\0\0\0\0\0\x80\xFF\xFF", 10)},                // signalling NaN
      {70, std::string("\0\0\0\0\0\0\0\x80\0\0", 10)},                    // pseudo-denormal
      {80, std::string("\x34\x12\0\0\0\0\0\x00\x01\x40", 10)},            // unnormal
      {90, std::string("\0\0\0\0\0\0\0\0\xFF\x7F", 10)},                  // pseudo-infinity
      {112, std::string("\5\0\0\0\0\0\0\x40\xFF\x7F", 10)},               // pseudo-NaN
  };
  for (const auto& [offset, value] : special) bytes.replace(offset, 10, value);
  bytes[3712] = 0;
  bytes[3713] = 1;
  bytes[3714] = 2;
  bytes[3715] = static_cast<char>(255);
  WriteBytes(Path("odd.tvx"), bytes);

  ReadEnsembleFile(Path("odd.tvx"), FileRecord);
  Ensemble = EnsembleState{};  // the ensemble must come from the record alone, not from memory
  FileRecord = EnsembleRecord{};
  Ensemble.SlotCount = MaxSlots;
  ReadEnsembleFile(Path("odd.tvx"), FileRecord);
  ApplyRecord(FileRecord, Ensemble);
  EXPECT_EQ(Ensemble.Exists[3], 2);
  EXPECT_EQ(Ensemble.Exists[4], 255);
  EXPECT_EQ(Bits(Ensemble.PosX[1]), std::string("\5\0\0\0\0\0\0\x40\xFF\x7F", 10));
  // The working and view copies carry the same bits as the loaded values.
  for (int n = 1; n <= MaxSlots; ++n) {
    ASSERT_EQ(Bits(Ensemble.ViewX[n]), Bits(Ensemble.PosX[n])) << n;
    ASSERT_EQ(Bits(Ensemble.NextPosZ[n]), Bits(Ensemble.PosZ[n])) << n;
    ASSERT_EQ(Bits(Ensemble.NextVelW[n]), Bits(Ensemble.VelW[n])) << n;
  }

  FileRecord = EnsembleRecord{};
  FileRecord.Padding1[0] = bytes[110];  // keep what a read leaves in the padding
  FileRecord.Padding1[1] = bytes[111];
  std::memcpy(FileRecord.Padding2, bytes.data() + 3772, 4);
  WriteEnsembleFile(Path("again.tvx"), Ensemble, FileRecord);
  EXPECT_TRUE(ReadBytes(Path("again.tvx")) == bytes);
}

TEST_F(EnsembleFile, SavedAndReopenedEnsembleIsRestoredBitForBit) {
  FillEnsemble(7);
  Ensemble.PosX[5] = -0.0L;
  Ensemble.PosY[6] = std::numeric_limits<Extended80>::denorm_min();
  Ensemble.PosZ[7] = std::numeric_limits<Extended80>::max();
  Ensemble.VelU[8] = -std::numeric_limits<Extended80>::infinity();
  Ensemble.VelV[9] = std::numeric_limits<Extended80>::quiet_NaN();
  Ensemble.Exists[10] = 2;
  Ensemble.Exists[11] = 255;
  const EnsembleState saved = Ensemble;
  WriteEnsembleFile(Path("a.tvx"), Ensemble, FileRecord);

  Ensemble = EnsembleState{};
  FileRecord = EnsembleRecord{};
  Ensemble.SlotCount = MaxSlots;
  ReadEnsembleFile(Path("a.tvx"), FileRecord);
  ApplyRecord(FileRecord, Ensemble);
  EXPECT_EQ(Bits(Ensemble.TimeStep), Bits(saved.TimeStep));
  EXPECT_EQ(Bits(Ensemble.A1), Bits(saved.A1));
  EXPECT_EQ(Bits(Ensemble.F2), Bits(saved.F2));
  for (int n = 1; n <= MaxSlots; ++n) {
    EXPECT_EQ(Bits(Ensemble.PosX[n]), Bits(saved.PosX[n])) << n;
    EXPECT_EQ(Bits(Ensemble.PosY[n]), Bits(saved.PosY[n])) << n;
    EXPECT_EQ(Bits(Ensemble.PosZ[n]), Bits(saved.PosZ[n])) << n;
    EXPECT_EQ(Bits(Ensemble.VelU[n]), Bits(saved.VelU[n])) << n;
    EXPECT_EQ(Bits(Ensemble.VelV[n]), Bits(saved.VelV[n])) << n;
    EXPECT_EQ(Bits(Ensemble.VelW[n]), Bits(saved.VelW[n])) << n;
    EXPECT_EQ(Ensemble.Exists[n], saved.Exists[n]) << n;
  }
}

TEST_F(EnsembleFile, RecordOfZerosGivesAnEmptyEnsemble) {
  FillEnsemble(1);
  WriteBytes(Path("zero.tvx"), std::string(3776, '\0'));
  ReadEnsembleFile(Path("zero.tvx"), FileRecord);
  ApplyRecord(FileRecord, Ensemble);
  EXPECT_EQ(Bits(Ensemble.TimeStep), std::string(10, '\0'));
  for (const Extended80* p : {&Ensemble.A1, &Ensemble.B1, &Ensemble.C1, &Ensemble.D1, &Ensemble.F1,
                              &Ensemble.A2, &Ensemble.B2, &Ensemble.C2, &Ensemble.D2, &Ensemble.F2})
    EXPECT_EQ(Bits(*p), std::string(10, '\0'));
  for (int n = 1; n <= MaxSlots; ++n) {
    EXPECT_EQ(Ensemble.Exists[n], 0) << n;
    EXPECT_EQ(Bits(Ensemble.NextVelV[n]), std::string(10, '\0')) << n;
  }
}

TEST_F(EnsembleFile, OnlyTheFirstSlotCountSlotsAreCopied) {
  FillEnsemble(0);
  Ensemble.SlotCount = 2;
  CopyToRecord(Ensemble, FileRecord);
  EXPECT_EQ(FileRecord.Exists[1], 1);
  EXPECT_EQ(FileRecord.Exists[3], 0);
  EXPECT_EQ(FromBits(std::string(reinterpret_cast<char*>(FileRecord.PosX[1].Bytes), 10)), Ensemble.PosX[2]);
  EXPECT_EQ(FromBits(std::string(reinterpret_cast<char*>(FileRecord.PosX[2].Bytes), 10)), 0);
}

TEST_F(EnsembleFile, ShortFileFailsAndLongerFileIsReadFromItsStart) {
  FillEnsemble(3);
  WriteEnsembleFile(Path("good.tvx"), Ensemble, FileRecord);
  const std::string good = ReadBytes(Path("good.tvx"));
  WriteBytes(Path("short.tvx"), good.substr(0, 3775));
  WriteBytes(Path("long.tvx"), good + std::string(500, '\x77'));

  FileRecord = EnsembleRecord{};
  EXPECT_EQ(ErrorOf([&] { ReadEnsembleFile(Path("short.tvx"), FileRecord); }), "Read beyond end of file");
  EXPECT_EQ(FileRecord.Exists[0], 0) << "a failed read leaves the staging buffer alone";
  EXPECT_EQ(ErrorOf([&] { TryReadEnsembleFile(Path("short.tvx"), FileRecord); }), "Read beyond end of file");

  ReadEnsembleFile(Path("long.tvx"), FileRecord);
  EXPECT_EQ(std::memcmp(&FileRecord, good.data(), 3776), 0);
}

TEST_F(EnsembleFile, FilesThatCannotBeOpenedGiveTheirTextOrTheFallback) {
  WriteBytes(Path("plain"), "x");
  fs::create_directory(Path("folder.tvx"));
  const std::pair<std::string, std::string> cases[] = {
      {Path("missing.tvx"), "File not found"},
      {Path("plain/inside.tvx"), "File not found"},
      {"", "Invalid filename"},
      {Path(std::string(300, 'n') + ".tvx"), "Invalid filename"},
      {Path("folder.tvx"), "File access denied"},
  };
  for (const auto& [name, message] : cases) {
    EXPECT_EQ(ErrorOf([&] { ReadEnsembleFile(name, FileRecord); }), message) << name;
    EXPECT_FALSE(TryReadEnsembleFile(name, FileRecord)) << name;
    EXPECT_FALSE(CanOpenForReading(name)) << name;
  }
  EXPECT_TRUE(CanOpenForReading(Path("plain")));
}

TEST_F(EnsembleFile, PaddingCarriesTheLastRecordRead) {
  std::string bytes(3776, '\0');
  bytes[110] = '\xAA';
  bytes[111] = '\xBB';
  bytes.replace(3772, 4, "\x01\x02\x03\x04");
  WriteBytes(Path("padded.tvx"), bytes);
  ReadEnsembleFile(Path("padded.tvx"), FileRecord);

  FillEnsemble(9);
  WriteEnsembleFile(Path("out.tvx"), Ensemble, FileRecord);
  const std::string out = ReadBytes(Path("out.tvx"));
  EXPECT_EQ(out.substr(110, 2), "\xAA\xBB");
  EXPECT_EQ(out.substr(3772, 4), "\x01\x02\x03\x04");

  Ensemble = EnsembleState{};
  FileRecord = EnsembleRecord{};
  Ensemble.SlotCount = MaxSlots;
  WriteEnsembleFile(Path("fresh.tvx"), Ensemble, FileRecord);
  EXPECT_EQ(ReadBytes(Path("fresh.tvx")), std::string(3776, '\0'));
}

// A run without the window keeps an ensemble and a record of its own: the live
// Ensemble and FileRecord must not be touched, and each record carries the
// padding of the file read into it.
TEST_F(EnsembleFile, AnyEnsembleReadsAndWritesThroughItsOwnRecord) {
  std::string first(3776, '\x11'), second(3776, '\x22');
  first[3712] = 1;
  second[3712] = 0;
  WriteBytes(Path("first.tvx"), first);
  WriteBytes(Path("second.tvx"), second);
  FillEnsemble(5);
  const EnsembleState live = Ensemble;

  EnsembleState a, b;
  a.SlotCount = b.SlotCount = MaxSlots;
  EnsembleRecord recordA{}, recordB{};
  ReadEnsembleFile(Path("first.tvx"), a, recordA);
  ReadEnsembleFile(Path("second.tvx"), b, recordB);
  EXPECT_EQ(a.Exists[1], 1);
  EXPECT_EQ(b.Exists[1], 0);
  EXPECT_EQ(Bits(a.NextVelW[60]), first.substr(3112 + 590, 10)) << "working copies follow the load";
  WriteEnsembleFile(Path("a.tvx"), a, recordA);
  WriteEnsembleFile(Path("b.tvx"), b, recordB);
  EXPECT_TRUE(ReadBytes(Path("a.tvx")) == first);
  EXPECT_TRUE(ReadBytes(Path("b.tvx")) == second);

  EXPECT_EQ(std::memcmp(&FileRecord, std::string(3776, '\0').data(), 3776), 0);
  for (int n = 1; n <= MaxSlots; ++n) ASSERT_EQ(Bits(Ensemble.PosY[n]), Bits(live.PosY[n])) << n;

  // A failed read changes neither the ensemble nor its record.
  b.PosX[1] = 42;
  EXPECT_EQ(ErrorOf([&] { ReadEnsembleFile(Path("missing.tvx"), b, recordB); }), "File not found");
  EXPECT_EQ(b.PosX[1], 42);
  EXPECT_EQ(recordB.Padding2[0], 0x22);
}

}  // namespace
}  // namespace vorun
