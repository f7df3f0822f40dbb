// The safe replace of a file: a temporary file in the target's folder, flushed
// to the disk and renamed over the target, and the clean-up of temporary files
// that a killed save left behind.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <random>

#include "model/Error.h"
#include "model/FileAccess.h"

namespace vorun {

namespace {

int WriteAll(int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

const char* KindOfFile(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "a special file";
}

std::string TemporaryName(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  return folder + ".vorun-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(random() % 1000000);
}

// This machine's name, for the names of the files that grow during a long
// run: a process number means something only on the machine that gave it.
std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "unknown";
  std::string host(name);
  for (char& c : host)
    if (c == '/' || c == '\0') c = '_';
  return host.empty() ? "unknown" : host;
}

constexpr char PartSuffix[] = ".part";

// The process number in a name made by TemporaryName, ".vorun-PID-N-R", or
// in the name of a growing file of this machine, ".vorun-PID-N-R-HOST.part";
// -1 for any other name, and for a growing file of another machine, whose
// process cannot be looked up from here.
pid_t TemporaryOwner(const char* name) {
  static constexpr char prefix[] = ".vorun-";
  if (std::strncmp(name, prefix, sizeof prefix - 1) != 0) return -1;
  const char* p = name + sizeof prefix - 1;
  long long pid = 0;
  for (int field = 0; field < 3; ++field) {
    if (field > 0 && *p++ != '-') return -1;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
      if (digits == 10) return -1;
      if (field == 0) pid = pid * 10 + (*p - '0');
    }
    if (digits == 0) return -1;
  }
  if (*p == '-') {
    static const std::string host = HostName();
    const std::string rest(p + 1);
    if (rest != host + PartSuffix) return -1;
  } else if (*p != '\0') {
    return -1;
  }
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return -1;
  return static_cast<pid_t>(pid);
}

// A save killed half way (SIGKILL, a file size limit) leaves its temporary
// file behind, and nothing else would ever remove it. Removed here is only
// what this program made: a plain file of this user with exactly such a name,
// whose process is gone. It must also have lain unchanged for a while, since a
// process of another machine or container that shares the folder looks gone
// from here while its save may still be running.
void RemoveStrayTemporaries(int dir) {
  const int listed = ::dup(dir);
  if (listed < 0) return;
  DIR* listing = ::fdopendir(listed);
  if (listing == nullptr) {
    ::close(listed);
    return;
  }
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(listing)) {
    const pid_t pid = TemporaryOwner(entry->d_name);
    if (pid < 0) continue;
    struct stat info;
    if (::fstatat(dir, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
    if (now - info.st_mtime < StrayTemporaryAge) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(dir, entry->d_name, 0);
  }
  ::closedir(listing);
}

}  // namespace

namespace {

// Where a replacement writes and what it replaces.
struct Target {
  std::string path;    // through symbolic links: the file they point to
  std::string folder;  // with its trailing slash, or empty for the current one
  bool exists = false;
  struct stat info {};
};

// True unless name is a symbolic link whose owner is neither the user nor
// the owner of the folder that holds it.
bool TrustedLink(const std::string& name) {
  struct stat link;
  if (::lstat(name.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return true;
  if (link.st_uid == ::geteuid()) return true;
  const std::size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
  struct stat holder;
  return ::stat(folder.c_str(), &holder) == 0 && holder.st_uid == link.st_uid;
}

// The checks of every replacement before it writes. A folder as target fails
// at the rename in ReplaceFile, as it always has; the other ways say so at once.
Target PrepareTarget(const std::string& target, bool folderFailsNow) {
  if (!IsUsableFileName(target)) ThrowFileError(EINVAL);

  // Through a symbolic link, replace the file it points to, not the link;
  // but only a link that the user or the folder's owner made. Another
  // user's link in a shared folder (/tmp) may point anywhere, and a rename
  // onto its resolved target would pass by the kernel's own protection of
  // such links: that link itself is replaced.
  Target t;
  t.path = target;
  if (TrustedLink(target)) {
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
      t.path = resolved;
      std::free(resolved);
    }
  } else {
    const std::size_t slash = t.path.rfind('/');
    t.folder = slash == std::string::npos ? std::string() : t.path.substr(0, slash + 1);
    return t;
  }

  t.exists = ::stat(t.path.c_str(), &t.info) == 0;
  // Writing into a FIFO blocks until some process reads it, and a device or
  // a socket is no file to keep a save in.
  if (t.exists && !S_ISREG(t.info.st_mode) && !S_ISDIR(t.info.st_mode))
    throw Error("Cannot save to " + target + ": it is " + KindOfFile(t.info.st_mode) +
                ", not a regular file.");
  if (t.exists && S_ISDIR(t.info.st_mode) && folderFailsNow) ThrowFileError(EISDIR);
  // A write-protected file stays protected, though its folder would allow a
  // rename over it.
  if (t.exists && S_ISREG(t.info.st_mode) && ::access(t.path.c_str(), W_OK) != 0) ThrowFileError(errno);

  const std::size_t slash = t.path.rfind('/');
  t.folder = slash == std::string::npos ? std::string() : t.path.substr(0, slash + 1);
  return t;
}

// A new file in the folder, named like every temporary file of a save, with
// the suffix after the name.
int CreateNamed(const std::string& folder, std::string& name, const char* suffix = "") {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TemporaryName(folder) + suffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) ThrowFileError(errno);
  }
  ThrowFileError(EEXIST);
}

// A file without a name in the folder where the file system can make one;
// else (NFS, CIFS) a named one, ".vorun-PID-N-R-HOST.part". The stray
// clean-up removes such a file once its process is gone and it has lain
// untouched for a while, as it does for a save's, but only on the machine
// that made it: elsewhere its process cannot be looked up, and the run that
// writes it may last for hours.
int CreateUnnamed(const std::string& folder, std::string& name) {
  name.clear();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd >= 0) return fd;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) ThrowFileError(errno);
  return CreateNamed(folder, name, ("-" + HostName() + PartSuffix).c_str());
}

// The replacement keeps the old file's owner and group where allowed. Only
// root may hand a file to another user; anyone else who saves over another
// user's file ends up owning the new one, and then at least keeps its group
// (a member may), so that a shared file stays writable for the rest of its
// group.
void KeepOwnerAndMode(int fd, const Target& t) {
  if (!t.exists || !S_ISREG(t.info.st_mode)) return;
  if (::fchown(fd, t.info.st_uid, t.info.st_gid) != 0) {
    [[maybe_unused]] const int grouped = ::fchown(fd, static_cast<uid_t>(-1), t.info.st_gid);
  }
  // After the owner: a change of owner may clear the set-id bits.
  ::fchmod(fd, t.info.st_mode & 07777);
}

// Makes a rename durable; the data is already safe, so a folder that cannot
// be synced or listed is no failure of the save.
void SyncFolder(const std::string& folder) {
  if (const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      dir >= 0) {
    ::fsync(dir);
    RemoveStrayTemporaries(dir);
    ::close(dir);
  }
}

}  // namespace

// The content goes to a new file in the same folder first, so a full disk or a
// failing medium leaves the old file intact instead of empty or cut short; the
// new file is removed on failure.
void ReplaceFile(const std::string& target, const std::string& content) {
  const Target t = PrepareTarget(target, false);
  std::string temporary;
  Descriptor file(CreateNamed(t.folder, temporary));
  KeepOwnerAndMode(file.get(), t);
  int error = WriteAll(file.get(), content.data(), content.size());
  if (error == 0 && ::fsync(file.get()) != 0) error = errno;
  if (const int closeError = file.Close(); error == 0) error = closeError;
  if (error == 0 && ::rename(temporary.c_str(), t.path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    ThrowFileError(error);
  }
  SyncFolder(t.folder);
}

void ReplaceFileMakingFolder(const std::string& target, const std::string& content) {
  const std::filesystem::path folder = std::filesystem::path(target).parent_path();
  if (!folder.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }
  ReplaceFile(target, content);
}

void CheckReplaceable(const std::string& target) {
  const Target t = PrepareTarget(target, true);
  std::string name;
  ::close(CreateUnnamed(t.folder, name));
  if (!name.empty()) ::unlink(name.c_str());
}

FileReplacement::FileReplacement(const std::string& target, std::size_t bufferBytes)
    : bufferBytes_(std::max<std::size_t>(bufferBytes, 1)) {
  const Target t = PrepareTarget(target, true);
  path_ = t.path;
  folder_ = t.folder;
  fd_ = CreateUnnamed(folder_, named_);
  KeepOwnerAndMode(fd_, t);
}

FileReplacement::~FileReplacement() {
  if (fd_ >= 0) ::close(fd_);
  if (!done_ && !named_.empty()) ::unlink(named_.c_str());
}

// Small pieces are gathered, so that a trajectory of short rows costs few
// system calls.
void FileReplacement::Write(std::string_view content) {
  // The buffer never grows beyond its size: a batch of many files counts
  // on that bound.
  if (buffer_.size() + content.size() > bufferBytes_) Flush();
  if (content.size() >= bufferBytes_) {
    if (const int error = WriteAll(fd_, content.data(), content.size())) Fail(error);
    written_ += content.size();
    return;
  }
  if (buffer_.capacity() < bufferBytes_) buffer_.reserve(bufferBytes_);
  buffer_.append(content);
}

void FileReplacement::Flush() {
  if (const int error = WriteAll(fd_, buffer_.data(), buffer_.size())) Fail(error);
  written_ += buffer_.size();
  buffer_.clear();
}

// The new file goes at once, so nothing is left of a failed write.
void FileReplacement::Fail(int code) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!named_.empty()) ::unlink(named_.c_str());
  done_ = true;
  ThrowFileError(code);
}

// An unnamed file stays open: closed, it would be gone.
void FileReplacement::Finish() {
  if (finished_) return;
  Flush();
  if (::fsync(fd_) != 0) Fail(errno);
  if (!named_.empty() || published_) {
    const int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) Fail(errno);
  }
  finished_ = true;
}

void FileReplacement::Commit() {
  if (done_) return;
  Finish();
  if (published_) {
    done_ = true;
    return;
  }
  if (named_.empty()) {
    // The file gets a name of a save's temporary file, then the target's.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
      named_ = TemporaryName(folder_);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named_.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      const int error = errno;
      named_.clear();
      if (error != EEXIST) Fail(error);
    }
    if (named_.empty()) Fail(EEXIST);
    const int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) Fail(errno);
  }
  if (::rename(named_.c_str(), path_.c_str()) != 0) Fail(errno);
  done_ = true;
  SyncFolder(folder_);
}

void FileReplacement::Publish() {
  if (done_ || finished_) return;
  Flush();
  if (::fsync(fd_) != 0) Fail(errno);
  if (published_) return;
  if (named_.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100 && named_.empty(); ++attempt) {
      named_ = TemporaryName(folder_);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        const int error = errno;
        named_.clear();
        if (error != EEXIST) Fail(error);
      }
    }
    if (named_.empty()) Fail(EEXIST);
  }
  // The descriptor stays open on what is now the target.
  if (::rename(named_.c_str(), path_.c_str()) != 0) Fail(errno);
  named_.clear();
  published_ = true;
  SyncFolder(folder_);
}

}  // namespace vorun
