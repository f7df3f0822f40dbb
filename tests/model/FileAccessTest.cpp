#include "model/FileAccess.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>

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

TEST_F(SafeReplace, DeviceReportsDiskFull) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(ErrorOf([] { WriteEnsembleFile("/dev/full"); }), "Disk full");
}

TEST_F(SafeReplace, NoDescriptorLeftReportsTooManyOpenFiles) {
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
TEST_F(SafeReplace, ProtectedFileOrFolderIsNotReplaced) {
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
TEST_F(SafeReplace, SaveByAGroupMemberKeepsTheGroup) {
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

}  // namespace
}  // namespace vorun
