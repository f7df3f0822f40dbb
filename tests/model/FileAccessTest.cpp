#include "model/FileAccess.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <exception>

#include "FifoDeadline.h"
#include "model/CommentFile.h"
#include "model/EnsembleFile.h"
#include "model/FileFixture.h"
#include "model/StartFile.h"

namespace vorun {
namespace {

using namespace test;
namespace fs = std::filesystem;

using SafeReplace = FileTest;

TEST_F(SafeReplace, SaveReplacesThroughLinksAndKeepsPermissions) {
  WriteBytes(Path("real.tvx"), "old");
  fs::permissions(Path("real.tvx"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(Path("real.tvx"), Path("link.tvx"));
  FillEnsemble(2);
  WriteEnsembleFile(Path("link.tvx"), Ensemble, FileRecord);
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
        return WriteEnsembleFile(FileName, Ensemble, FileRecord);
      case 1:
        return RememberFile(StartFilePath, FileName, LastFileName);
      default:
        return SaveComment(FileName, std::string(300, 'c'));
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

// Things in the file system that are not regular files. A FIFO blocks an
// open until the other side comes, /dev/zero never ends, a socket cannot be
// opened at all.
enum class Odd { Fifo, Zero, Full, Socket, Folder };

struct OddFile {
  Odd kind;
  const char* what;  // as the refused save names it
};

class NotARegularFile : public FileTest, public testing::WithParamInterface<OddFile> {
 protected:
  // Puts the odd thing at path, through a symbolic link for a device.
  void Make(const std::string& path) {
    switch (GetParam().kind) {
      case Odd::Fifo:
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        break;
      case Odd::Zero:
        fs::create_symlink("/dev/zero", path);
        break;
      case Odd::Full:
        fs::create_symlink("/dev/full", path);
        break;
      case Odd::Socket: {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof address.sun_path);
        std::strcpy(address.sun_path, path.c_str());
        if (socket_ >= 0) close(socket_);  // the bound name stays a socket
        socket_ = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(socket_, 0);
        ASSERT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        break;
      }
      case Odd::Folder:
        fs::create_directory(path);
        break;
    }
  }
  void TearDown() override {
    if (socket_ >= 0) close(socket_);
    FileTest::TearDown();
  }
  int socket_ = -1;
};

// Each reader takes the odd file as one it cannot open: the ensemble file
// reports it, the start file and the comment file take their fallback.
TEST_P(NotARegularFile, IsNotReadAndNothingWaits) {
  if (GetParam().kind == Odd::Zero && !fs::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
  const std::string odd = Path("odd.tvx");
  Make(odd);
  FileName = odd;
  fs::create_symlink(odd, Path("odd.txt"));  // the comment file
  StartFilePath = odd;
  LastFileName = "kept";
  FileRecord.Exists[0] = 7;
  EXPECT_TRUE(FinishesWithoutHelp(odd, [&] {
    EXPECT_EQ(ErrorOf([&] { ReadEnsembleFile(odd, FileRecord); }), "File access denied");
    EXPECT_FALSE(TryReadEnsembleFile(odd, FileRecord));
    EXPECT_FALSE(CanOpenForReading(odd));
    EXPECT_FALSE(ReadStartFile(StartFilePath, LastFileName));
    EXPECT_EQ(LoadComment(FileName), std::nullopt);
  }));
  EXPECT_EQ(LastFileName, "kept");
  EXPECT_EQ(FileRecord.Exists[0], 7);
}

// A save says what the target is and leaves it as it was, with no temporary
// file beside it. A folder is refused at the rename, as a file that cannot be
// written.
TEST_P(NotARegularFile, IsNotReplacedBySaving) {
  if (GetParam().kind == Odd::Zero || GetParam().kind == Odd::Full)
    if (!fs::exists("/dev/zero") || !fs::exists("/dev/full")) GTEST_SKIP() << "no devices";
  const std::string odd = Path("odd.tvx");
  Make(odd);
  const fs::file_type type = fs::status(odd).type();
  const auto before = Listing(folder_);
  FileName = odd;
  // The comment file is an odd file of its own: a link to the ensemble file,
  // or to the same device, would be refused earlier, as the ensemble file
  // itself.
  if (GetParam().kind == Odd::Zero)
    fs::create_symlink("/dev/full", Path("odd.txt"));
  else if (GetParam().kind == Odd::Full)
    fs::create_symlink("/dev/zero", Path("odd.txt"));
  else
    Make(Path("odd.txt"));
  StartFilePath = odd;
  FillEnsemble(1);
  const bool folder = GetParam().kind == Odd::Folder;
  const auto refusal = [&](const std::string& name) {
    return folder ? std::string("File access denied")
                  : "Cannot save to " + name + ": it is " + GetParam().what + ", not a regular file.";
  };
  const std::string message = refusal(odd);
  const std::string commentMessage = refusal(Path("odd.txt"));
  EXPECT_TRUE(FinishesWithoutHelp(odd, [&] {
    EXPECT_EQ(ErrorOf([&] { WriteEnsembleFile(odd, Ensemble, FileRecord); }), message);
    EXPECT_EQ(ErrorOf([&] { RememberFile(StartFilePath, FileName, LastFileName); }), message);
    EXPECT_EQ(ErrorOf([&] { SaveComment(FileName, "text"); }), commentMessage);
  }));
  EXPECT_EQ(fs::status(odd).type(), type);
  auto after = Listing(folder_);
  std::erase(after, "odd.txt");
  EXPECT_EQ(after, before);
}

std::string KindName(const testing::TestParamInfo<OddFile>& info) {
  const char* const names[] = {"Fifo", "DevZero", "DevFull", "Socket", "Folder"};
  return names[static_cast<int>(info.param.kind)];
}

INSTANTIATE_TEST_SUITE_P(Kinds, NotARegularFile,
                         testing::Values(OddFile{Odd::Fifo, "a named pipe (FIFO)"},
                                         OddFile{Odd::Zero, "a device"}, OddFile{Odd::Full, "a device"},
                                         OddFile{Odd::Socket, "a socket"}, OddFile{Odd::Folder, ""}),
                         KindName);

}  // namespace
}  // namespace vorun
