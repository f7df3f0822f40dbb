#include "model/EnsembleFile.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <random>

#include "model/Error.h"

namespace vorun {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Bits(const Extended80& value) { return std::string(reinterpret_cast<const char*>(&value), 10); }

Extended80 FromBits(const std::string& bytes) {
  Extended80 value = 0;
  std::memcpy(&value, bytes.data(), 10);
  return value;
}

std::string ErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

// Every test works in a folder of its own, with the start file inside it.
class FileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vorun-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    savedStartFile_ = StartFilePath;
    StartFilePath = (folder_ / "config" / "vorun" / "Start.tvx2").string();
    ResetGlobals();
    FileRecord = EnsembleRecord{};
    Ensemble.SlotCount = MaxSlots;
  }
  void TearDown() override {
    StartFilePath = savedStartFile_;
    fs::remove_all(folder_);
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  // Names in the folder, to find temporary files left behind.
  std::vector<std::string> Listing(const fs::path& where) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(where)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder_;
  std::string savedStartFile_;
};

// Distinct values in every field so that a field landing at the wrong place
// shows.
void FillEnsemble(Extended80 base) {
  auto& e = Ensemble;
  e.TimeStep = base + 0.5L;
  Extended80* params[] = {&e.A1, &e.B1, &e.C1, &e.D1, &e.F1, &e.A2, &e.B2, &e.C2, &e.D2, &e.F2};
  for (int i = 0; i < 10; ++i) *params[i] = base + i + 1;
  for (int n = 1; n <= MaxSlots; ++n) {
    e.PosX[n] = base + 100 + n;
    e.PosY[n] = base + 200 + n;
    e.PosZ[n] = base + 300 + n;
    e.VelU[n] = -(base + 400 + n) / 3;
    e.VelV[n] = -(base + 500 + n) / 3;
    e.VelW[n] = -(base + 600 + n) / 3;
    e.Exists[n] = n % 3 == 0 ? 0 : 1;
  }
}

using EnsembleFile = FileTest;

TEST_F(EnsembleFile, WritesTheRecordLayoutByteForByte) {
  FillEnsemble(0);
  Ensemble.TimeStep = 0.001L;
  WriteEnsembleFile(Path("ring.tvx"));
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

  ReadEnsembleFile(Path("odd.tvx"));
  ResetGlobals();
  FileRecord = EnsembleRecord{};  // the ensemble must come from the record alone, not from memory
  Ensemble.SlotCount = MaxSlots;
  ReadEnsembleFile(Path("odd.tvx"));
  ApplyRecord();
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
  WriteEnsembleFile(Path("again.tvx"));
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
  WriteEnsembleFile(Path("a.tvx"));

  ResetGlobals();
  FileRecord = EnsembleRecord{};
  Ensemble.SlotCount = MaxSlots;
  ReadEnsembleFile(Path("a.tvx"));
  ApplyRecord();
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
  ReadEnsembleFile(Path("zero.tvx"));
  ApplyRecord();
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
  CopyToRecord();
  EXPECT_EQ(FileRecord.Exists[1], 1);
  EXPECT_EQ(FileRecord.Exists[3], 0);
  EXPECT_EQ(FromBits(std::string(reinterpret_cast<char*>(FileRecord.PosX[1].Bytes), 10)), Ensemble.PosX[2]);
  EXPECT_EQ(FromBits(std::string(reinterpret_cast<char*>(FileRecord.PosX[2].Bytes), 10)), 0);
}

TEST_F(EnsembleFile, ShortFileFailsAndLongerFileIsReadFromItsStart) {
  FillEnsemble(3);
  WriteEnsembleFile(Path("good.tvx"));
  const std::string good = ReadBytes(Path("good.tvx"));
  WriteBytes(Path("short.tvx"), good.substr(0, 3775));
  WriteBytes(Path("long.tvx"), good + std::string(500, '\x77'));

  FileRecord = EnsembleRecord{};
  EXPECT_EQ(ErrorOf([&] { ReadEnsembleFile(Path("short.tvx")); }), "Read beyond end of file");
  EXPECT_EQ(FileRecord.Exists[0], 0) << "a failed read leaves the staging buffer alone";
  EXPECT_EQ(ErrorOf([&] { TryReadEnsembleFile(Path("short.tvx")); }), "Read beyond end of file");

  ReadEnsembleFile(Path("long.tvx"));
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
    EXPECT_EQ(ErrorOf([&] { ReadEnsembleFile(name); }), message) << name;
    EXPECT_FALSE(TryReadEnsembleFile(name)) << name;
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
  ReadEnsembleFile(Path("padded.tvx"));

  FillEnsemble(9);
  WriteEnsembleFile(Path("out.tvx"));
  const std::string out = ReadBytes(Path("out.tvx"));
  EXPECT_EQ(out.substr(110, 2), "\xAA\xBB");
  EXPECT_EQ(out.substr(3772, 4), "\x01\x02\x03\x04");

  ResetGlobals();
  FileRecord = EnsembleRecord{};
  Ensemble.SlotCount = MaxSlots;
  WriteEnsembleFile(Path("fresh.tvx"));
  EXPECT_EQ(ReadBytes(Path("fresh.tvx")), std::string(3776, '\0'));
}

TEST_F(EnsembleFile, SaveReplacesThroughLinksAndKeepsPermissions) {
  WriteBytes(Path("real.tvx"), "old");
  fs::permissions(Path("real.tvx"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(Path("real.tvx"), Path("link.tvx"));
  FillEnsemble(2);
  WriteEnsembleFile(Path("link.tvx"));
  EXPECT_TRUE(fs::is_symlink(Path("link.tvx")));
  EXPECT_EQ(ReadBytes(Path("real.tvx")).size(), 3776u);
  EXPECT_EQ(fs::status(Path("real.tvx")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Listing(folder_), (std::vector<std::string>{"link.tvx", "real.tvx"}));
}

// The three writers share one way to the disk; each must leave an existing
// file exactly as it was when the write fails, and leave no temporary file.
// The parameter picks the writer: 0 ensemble file, 1 start file, 2 comment.
class FailedWrite : public FileTest, public testing::WithParamInterface<int> {
 protected:
  std::string Target() {
    switch (GetParam()) {
      case 0:
        FillEnsemble(4);
        FileName = Path("ring.tvx");
        return FileName;
      case 1:
        // A name longer than the size limit below.
        FileName = Path(std::string(200, 'r') + ".tvx");
        return StartFilePath;
      default:
        FileName = Path("ring.tvx");
        return Path("ring.txt");
    }
  }
  void Write() {
    switch (GetParam()) {
      case 0:
        return WriteEnsembleFile(FileName);
      case 1:
        return RememberFile();
      default:
        return SaveComment(std::string(300, 'c'));
    }
  }
};

TEST_P(FailedWrite, WhenTheTargetIsAFolderItStaysAndNothingIsLeft) {
  const std::string target = Target();
  fs::create_directories(target);
  WriteBytes(fs::path(target) / "inside", "kept");
  const auto before = Listing(fs::path(target).parent_path());
  EXPECT_EQ(ErrorOf([&] { Write(); }), "File access denied");
  EXPECT_EQ(Listing(fs::path(target).parent_path()), before);
  EXPECT_EQ(ReadBytes(fs::path(target) / "inside"), "kept");
}

// The size limit makes the kernel refuse the write half way, as a full disk
// would; it binds root as well.
TEST_P(FailedWrite, WhenTheWriteBreaksOffTheOldFileIsKeptByteForByte) {
  const std::string target = Target();
  fs::create_directories(fs::path(target).parent_path());
  const std::string old = "the good old content\r\n";
  WriteBytes(target, old);
  const auto before = Listing(fs::path(target).parent_path());

  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 100;
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string error = ErrorOf([&] { Write(); });
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);

  EXPECT_EQ(error, "I/O error " + std::to_string(EFBIG));
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(Listing(fs::path(target).parent_path()), before);
}

TEST_P(FailedWrite, IntoAMissingFolderReportsFileNotFound) {
  StartFilePath = (folder_ / "plain" / "Start.tvx2").string();
  WriteBytes(Path("plain"), "a file, not a folder");
  Target();
  if (GetParam() != 1) FileName = Path("nowhere/ring.tvx");
  EXPECT_EQ(ErrorOf([&] { Write(); }), "File not found");
  EXPECT_EQ(Listing(folder_), std::vector<std::string>{"plain"});
}

INSTANTIATE_TEST_SUITE_P(EnsembleStartAndComment, FailedWrite, testing::Values(0, 1, 2));

TEST_F(EnsembleFile, DeviceReportsDiskFull) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(ErrorOf([] { WriteEnsembleFile("/dev/full"); }), "Disk full");
}

TEST_F(EnsembleFile, NoDescriptorLeftReportsTooManyOpenFiles) {
  WriteBytes(Path("a.tvx"), std::string(3776, '\0'));
  // With the limit at the lowest free descriptor, no file can be opened.
  const int lowest = dup(0);
  ASSERT_GE(lowest, 0);
  close(lowest);
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit none = saved;
  none.rlim_cur = static_cast<rlim_t>(lowest);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
  // Only catch while the limit holds: the sanitizers' checks on a virtual
  // call need a descriptor of their own.
  std::exception_ptr readError, writeError;
  try {
    ReadEnsembleFile(Path("a.tvx"));
  } catch (...) {
    readError = std::current_exception();
  }
  try {
    WriteEnsembleFile(Path("a.tvx"));
  } catch (...) {
    writeError = std::current_exception();
  }
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(ErrorOf([&] { std::rethrow_exception(readError); }), "Too many open files");
  EXPECT_EQ(ErrorOf([&] { std::rethrow_exception(writeError); }), "Too many open files");
  EXPECT_EQ(ReadBytes(Path("a.tvx")), std::string(3776, '\0'));
}

// Permission bits do not stop root, so these run only for other users.
TEST_F(EnsembleFile, ProtectedFileOrFolderIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  fs::create_directory(Path("locked"));
  WriteBytes(Path("locked/ring.tvx"), "old");
  fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  FillEnsemble(1);
  EXPECT_EQ(ErrorOf([&] { WriteEnsembleFile(Path("locked/ring.tvx")); }), "File access denied");
  EXPECT_EQ(ReadBytes(Path("locked/ring.tvx")), "old");
  fs::permissions(Path("locked"), fs::perms::owner_all);
  fs::permissions(Path("locked/ring.tvx"), fs::perms::owner_read);
  EXPECT_EQ(ErrorOf([&] { WriteEnsembleFile(Path("locked/ring.tvx")); }), "File access denied");
  EXPECT_EQ(ReadBytes(Path("locked/ring.tvx")), "old");
  EXPECT_EQ(Listing(Path("locked")), std::vector<std::string>{"ring.tvx"});
}

// A group-writable file of another user, saved by a member of its group: the
// new file can only be the saver's, but it keeps the old group, so the rest
// of the group, the old owner among them, can still write it.
TEST_F(EnsembleFile, SaveByAGroupMemberKeepsTheGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to set up another user's file and to become a member";
  constexpr uid_t owner = 1, saver = 65534;
  constexpr gid_t shared = 4242, saversOwn = 65534;
  fs::permissions(folder_, fs::perms::all);
  WriteBytes(Path("shared.tvx"), "old");
  ASSERT_EQ(chown(Path("shared.tvx").c_str(), owner, shared), 0);
  ASSERT_EQ(chmod(Path("shared.tvx").c_str(), 0664), 0);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const gid_t groups[] = {shared};
    if (setgroups(1, groups) != 0 || setgid(saversOwn) != 0 || setuid(saver) != 0) _exit(3);
    // The temporary folder may lie where other users cannot go.
    if (access(folder_.c_str(), W_OK | X_OK) != 0) _exit(4);
    try {
      WriteEnsembleFile(Path("shared.tvx"));
    } catch (...) {
      _exit(2);
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 4) GTEST_SKIP() << "the temporary folder is out of other users' reach";
  ASSERT_EQ(WEXITSTATUS(status), 0);
  struct stat info;
  ASSERT_EQ(stat(Path("shared.tvx").c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 3776);
  EXPECT_EQ(info.st_gid, shared);
  EXPECT_EQ(info.st_mode & 07777, 0664u);
}

using StartFile = FileTest;

TEST_F(StartFile, HoldsExactlyTheNameWithoutALineBreak) {
  FileName = "D:\\runs\\ring.tvx";
  RememberFile();
  EXPECT_EQ(LastFileName, "D:\\runs\\ring.tvx");
  EXPECT_EQ(ReadBytes(StartFilePath), "D:\\runs\\ring.tvx");
  EXPECT_EQ(ReadBytes(StartFilePath).size(), 16u);
  // Rewritten, not appended.
  FileName = "/b.tvx";
  RememberFile();
  EXPECT_EQ(ReadBytes(StartFilePath), "/b.tvx");
  EXPECT_EQ(Listing(fs::path(StartFilePath).parent_path()), std::vector<std::string>{"Start.tvx2"});
}

TEST_F(StartFile, YieldsItsFirstLine) {
  fs::create_directories(fs::path(StartFilePath).parent_path());
  const std::pair<std::string, std::string> cases[] = {
      {"/a/ring.tvx\r\n/b/other.tvx", "/a/ring.tvx"},
      {"/a/ring.tvx\n/b/other.tvx\n", "/a/ring.tvx"},
      {"/a/ring.tvx\r", "/a/ring.tvx"},
      {"/a/ring.tvx", "/a/ring.tvx"},
      {"", ""},
      {"\r\n/b/other.tvx", ""},
      {std::string(10000, 'x') + "\nz", std::string(10000, 'x')},
  };
  for (const auto& [content, first] : cases) {
    WriteBytes(StartFilePath, content);
    LastFileName = "stale";
    EXPECT_TRUE(ReadStartFile());
    EXPECT_EQ(LastFileName, first);
  }
}

TEST_F(StartFile, MissingFileIsReportedToTheCallerOnly) {
  LastFileName = "kept";
  EXPECT_FALSE(ReadStartFile());
  EXPECT_EQ(LastFileName, "kept");
  fs::create_directories(StartFilePath);  // a folder where the file should be
  EXPECT_FALSE(ReadStartFile());
}

TEST_F(StartFile, IsCreatedEmptyWithItsFolder) {
  CreateEmptyStartFile();
  EXPECT_TRUE(fs::is_regular_file(StartFilePath));
  EXPECT_EQ(fs::file_size(StartFilePath), 0u);
  LastFileName = "stale";
  EXPECT_TRUE(ReadStartFile());
  EXPECT_EQ(LastFileName, "");
}

TEST(StartFilePath, LivesInTheUsersConfigFolder) {
  const char* xdg = getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = xdg ? xdg : "";
  const char* home = getenv("HOME");
  const std::string savedHome = home ? home : "";

  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CONFIG_HOME", "/elsewhere/conf", 1);
  EXPECT_EQ(DefaultStartFilePath(), "/elsewhere/conf/vorun/Start.tvx2");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultStartFilePath(), "/home/someone/.config/vorun/Start.tvx2");
  setenv("XDG_CONFIG_HOME", "relative/conf", 1);  // must be ignored
  EXPECT_EQ(DefaultStartFilePath(), "/home/someone/.config/vorun/Start.tvx2");

  if (xdg)
    setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  if (home)
    setenv("HOME", savedHome.c_str(), 1);
  else
    unsetenv("HOME");
}

struct CommentName {
  const char* fileName;
  const char* commentName;
};

class CommentFileNames : public testing::TestWithParam<CommentName> {};

TEST_P(CommentFileNames, DropExactlyFourCharacters) {
  FileName = GetParam().fileName;
  EXPECT_EQ(CommentFileName(), GetParam().commentName);
  EXPECT_EQ(FileName, GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(Names, CommentFileNames,
                         testing::Values(CommentName{"name.ab", "nam.txt"}, CommentName{"abc", "abc.txt"},
                                         CommentName{"abcd", ".txt"}, CommentName{"", ".txt"},
                                         CommentName{"D:\\runs\\ring.tvx", "D:\\runs\\ring.txt"},
                                         CommentName{"/home/u/runs/ring.tvx", "/home/u/runs/ring.txt"},
                                         CommentName{"ThetraSpiral", "ThetraSp.txt"},
                                         // Characters, not bytes: "ö" takes two bytes of UTF-8.
                                         CommentName{"a.tvö", "a.txt"},
                                         CommentName{"größe.tvx", "größe.txt"}));

using Comment = FileTest;

TEST_F(Comment, LinesAreWrittenWithCrLfAndNoBreakAfterTheLast) {
  FileName = Path("ring.tvx");
  SaveComment("one\ntwo\rthree\r\nfour é");
  EXPECT_EQ(ReadBytes(Path("ring.txt")), "one\r\ntwo\r\nthree\r\nfour \xC3\xA9");
  EXPECT_EQ(LoadComment(), "one\r\ntwo\r\nthree\r\nfour é");
  EXPECT_EQ(Listing(folder_), std::vector<std::string>{"ring.txt"});
}

TEST_F(Comment, LoneCrAndLfBecomeCrLfOnLoading) {
  FileName = Path("ring.tvx");
  WriteBytes(Path("ring.txt"), "a\rb\nc\r\nd\n\r\n\r");
  EXPECT_EQ(LoadComment(), "a\r\nb\r\nc\r\nd\r\n\r\n\r\n");
}

TEST_F(Comment, MissingFileLeavesTheMemoAlone) {
  FileName = Path("ring.tvx");
  EXPECT_EQ(LoadComment(), std::nullopt);
  fs::create_directory(Path("ring.txt"));
  EXPECT_EQ(LoadComment(), std::nullopt);
}

// An old comment file in a single-byte code page: every byte must become a
// character, different bytes different characters, so saving it again loses
// nothing.
TEST_F(Comment, NonUtf8FileIsReadAsWindows1252WithoutLosingBytes) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    if (b != '\r' && b != '\n') all += static_cast<char>(b);
  FileName = Path("old.tvx");
  WriteBytes(Path("old.txt"), all);
  const auto text = LoadComment();
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find("\xE2\x82\xAC"), std::string::npos);  // 0x80 is the euro sign
  EXPECT_NE(text->find("\xC2\x81"), std::string::npos);      // undefined 0x81 stays U+0081
  EXPECT_NE(text->find("\xC5\xB8"), std::string::npos);      // 0x9F is Y with diaeresis
  EXPECT_NE(text->find("\xC3\xBF"), std::string::npos);      // 0xFF is y with diaeresis
  EXPECT_EQ(text->substr(0, 3), "\x01\x02\x03");

  // Count the characters: one per byte of the file.
  std::size_t characters = 0;
  for (char c : *text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
  EXPECT_EQ(characters, all.size());

  // Saved again it is UTF-8 and reads back unchanged.
  SaveComment(*text);
  EXPECT_EQ(ReadBytes(Path("old.txt")), *text);
  EXPECT_EQ(LoadComment(), text);
}

TEST_F(Comment, OverlongAndSurrogateSequencesAreNotTakenAsUtf8) {
  FileName = Path("x.tvx");
  WriteBytes(Path("x.txt"), "\xC0\xAF");  // an overlong "/"
  EXPECT_EQ(LoadComment(), "\xC3\x80\xC2\xAF");
  WriteBytes(Path("x.txt"), "\xED\xA0\x80");  // a surrogate
  EXPECT_EQ(LoadComment(), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
  WriteBytes(Path("x.txt"), "\xE2\x82");  // cut short
  EXPECT_EQ(LoadComment(), "\xC3\xA2\xE2\x80\x9A");
}

TEST_F(Comment, SpiralNameGoesToTheCurrentFolderEveryTime) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder_);
  FileName = "ThetraSpiral";
  SaveComment("first");
  SaveComment("second");
  fs::current_path(previous);
  EXPECT_EQ(FileName, "ThetraSpiral");
  EXPECT_EQ(ReadBytes(Path("ThetraSp.txt")), "second");
  EXPECT_EQ(Listing(folder_), std::vector<std::string>{"ThetraSp.txt"});
}

}  // namespace
}  // namespace vorun
