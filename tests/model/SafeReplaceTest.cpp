// The safe replace under pressure: unusable names, no descriptors left, piece
// by piece replacement, protected files, group ownership and the clean-up of
// stray temporary files.
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

// Names that every system call would cut short at the NUL byte.
TEST_F(SafeReplace, NameWithANulByteIsInvalid) {
  WriteBytes(Path("a.tvx"), std::string(3776, '\0'));
  const std::string cut = Path("a.tvx") + std::string(1, '\0') + "more";
  EXPECT_EQ(ErrorOf([&] { ReadEnsembleFile(cut, FileRecord); }), "Invalid filename");
  EXPECT_EQ(ErrorOf([&] { WriteEnsembleFile(cut, Ensemble, FileRecord); }), "Invalid filename");
  EXPECT_EQ(ReadBytes(Path("a.tvx")), std::string(3776, '\0'));
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
    ReadEnsembleFile(Path("a.tvx"), FileRecord);
  } catch (...) {
    readError = std::current_exception();
  }
  try {
    WriteEnsembleFile(Path("a.tvx"), Ensemble, FileRecord);
  } catch (...) {
    writeError = std::current_exception();
  }
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(ErrorOf([&] { std::rethrow_exception(readError); }), "Too many open files");
  EXPECT_EQ(ErrorOf([&] { std::rethrow_exception(writeError); }), "Too many open files");
  EXPECT_EQ(ReadBytes(Path("a.tvx")), std::string(3776, '\0'));
}

// A long trajectory goes through the replacement in many pieces, more than
// it gathers in memory at once; until the commit the old file stays whole,
// and a replacement given up leaves nothing behind.
TEST_F(SafeReplace, PieceByPieceReplacementChangesTheTargetOnlyAtCommit) {
  WriteBytes(Path("t.csv"), "old");
  std::string all;
  {
    FileReplacement file(Path("t.csv"));
    for (int n = 0; n < 30000; ++n) {
      const std::string row = std::to_string(n) + ",0.000999999999999999999958,-1.5\n";
      file.Write(row);
      all += row;
    }
    file.Finish();
    EXPECT_EQ(ReadBytes(Path("t.csv")), "old");
    // Where the file system can, the new file has no name yet, so that no
    // clean-up of stray temporary files can take it during a long run.
    EXPECT_EQ(Listing(folder_), std::vector<std::string>{"t.csv"});
    file.Commit();
  }
  EXPECT_GT(all.size(), 1u << 20);
  EXPECT_EQ(ReadBytes(Path("t.csv")), all);
  {
    FileReplacement dropped(Path("t.csv"));
    dropped.Write("never seen");
    dropped.Finish();
  }
  EXPECT_EQ(ReadBytes(Path("t.csv")), all);
  EXPECT_EQ(Listing(folder_), std::vector<std::string>{"t.csv"});
}

// Permission bits do not stop root, so these run only for other users.
TEST_F(SafeReplace, ProtectedFileOrFolderIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  fs::create_directory(Path("locked"));
  WriteBytes(Path("locked/ring.tvx"), "old");
  fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  FillEnsemble(1);
  EXPECT_EQ(ErrorOf([&] { WriteEnsembleFile(Path("locked/ring.tvx"), Ensemble, FileRecord); }),
            "File access denied");
  EXPECT_EQ(ReadBytes(Path("locked/ring.tvx")), "old");
  fs::permissions(Path("locked"), fs::perms::owner_all);
  fs::permissions(Path("locked/ring.tvx"), fs::perms::owner_read);
  EXPECT_EQ(ErrorOf([&] { WriteEnsembleFile(Path("locked/ring.tvx"), Ensemble, FileRecord); }),
            "File access denied");
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
      WriteEnsembleFile(Path("shared.tvx"), Ensemble, FileRecord);
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

// Process numbers of a process that has ended: a child that exited at once.
pid_t DeadProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

void Age(const std::string& path, int seconds) {
  const timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// A save killed half way leaves its temporary file. The next save into the
// same folder removes those of a process that is gone, and only those.
TEST_F(SafeReplace, TemporaryFilesOfADeadProcessAreRemovedByTheNextSave) {
  const std::string dead = std::to_string(DeadProcess());
  const std::string alive = std::to_string(getpid());
  const auto stray = [&](const std::string& name) {
    WriteBytes(Path(name), "half a record");
    Age(Path(name), 3600);
  };
  stray(".vorun-" + dead + "-3-123456");            // removed
  stray(".vorun-" + alive + "-5-7");                // its process still runs
  stray(".vorun-" + dead + "-x-1");                 // not a name this program makes
  stray(".vorun-" + dead + "-3-123456-copy");       // nor this
  WriteBytes(Path(".vorun-" + dead + "-4-1"), "");  // written just now
  fs::create_directory(Path(".vorun-" + dead + "-6-1"));
  fs::create_symlink(Path("elsewhere"), Path(".vorun-" + dead + "-7-1"));
  Age(Path(".vorun-" + dead + "-7-1"), 3600);
  fs::create_directory(Path("sub"));
  stray("sub/.vorun-" + dead + "-8-1");  // another folder
  if (geteuid() == 0) {
    stray(".vorun-" + dead + "-9-1");  // another user's
    ASSERT_EQ(chown(Path(".vorun-" + dead + "-9-1").c_str(), 1, 1), 0);
  }
  // The growing files of a long run where the file system has no unnamed
  // files: only this machine's may be judged by their process number.
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  stray(".vorun-" + dead + "-10-42-" + host + ".part");      // removed
  stray(".vorun-" + alive + "-11-42-" + host + ".part");     // its process still runs
  stray(".vorun-" + dead + "-12-42-" + host + "x.part");     // another machine's
  stray(".vorun-" + dead + "-13-42-" + host + ".part.old");  // not a name this program makes
  auto expected = Listing(folder_);
  std::erase(expected, ".vorun-" + dead + "-3-123456");
  std::erase(expected, ".vorun-" + dead + "-10-42-" + host + ".part");
  expected.push_back("ring.tvx");
  std::sort(expected.begin(), expected.end());

  FillEnsemble(1);
  WriteEnsembleFile(Path("ring.tvx"), Ensemble, FileRecord);
  EXPECT_EQ(Listing(folder_), expected);
  EXPECT_EQ(Listing(Path("sub")), std::vector<std::string>{".vorun-" + dead + "-8-1"});
}

}  // namespace
}  // namespace vorun
