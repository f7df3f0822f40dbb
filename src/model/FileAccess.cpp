#include "model/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <random>

#include "model/Error.h"

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

std::string TemporaryName(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  return folder + ".vorun-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(random() % 1000000);
}

}  // namespace

[[noreturn]] void ThrowFileError(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR:
      throw Error("File not found");
    case ENAMETOOLONG:
    case EINVAL:
      throw Error("Invalid filename");
    case EMFILE:
    case ENFILE:
      throw Error("Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      throw Error("File access denied");
    case ENOSPC:
    case EDQUOT:
      throw Error("Disk full");
    default:
      throw Error("I/O error " + std::to_string(code));
  }
}

Descriptor::~Descriptor() {
  if (fd_ >= 0) ::close(fd_);
}

// A close can fail too (a full disk on a network file system), so it is
// reported like a write.
int Descriptor::Close() {
  const int result = ::close(fd_);
  fd_ = -1;
  return result == 0 ? 0 : errno;
}

int OpenForReading(const std::string& name) {
  if (name.empty()) return -EINVAL;
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    return -EISDIR;
  }
  return fd;
}

bool CanOpenForReading(const std::string& name) {
  const int fd = OpenForReading(name);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::size_t ReadUpTo(int fd, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, buffer + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowFileError(errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::string ReadAll(Descriptor& file) {
  std::string content;
  char chunk[65536];
  for (;;) {
    const std::size_t n = ReadUpTo(file.get(), chunk, sizeof chunk);
    content.append(chunk, n);
    if (n < sizeof chunk) break;
  }
  if (const int error = file.Close()) ThrowFileError(error);
  return content;
}

// The content goes to a new file in the same folder first, so a full disk or a
// failing medium leaves the old file intact instead of empty or cut short; the
// new file is removed on failure.
void ReplaceFile(const std::string& target, const std::string& content) {
  FileReplacement file(target);
  file.Write(content);
  file.Commit();
}

FileReplacement::FileReplacement(const std::string& target) {
  if (target.empty()) ThrowFileError(EINVAL);

  // Through a symbolic link, replace the file it points to, not the link.
  path_ = target;
  if (char* resolved = ::realpath(target.c_str(), nullptr)) {
    path_ = resolved;
    std::free(resolved);
  }

  struct stat existing;
  const bool exists = ::stat(path_.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) ThrowFileError(EISDIR);
  if (exists && !S_ISREG(existing.st_mode)) {
    // A device or a pipe has no content to keep; write into it as it is.
    fd_ = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) ThrowFileError(errno);
    return;
  }
  // A write-protected file stays protected, though its folder would allow a
  // rename over it.
  if (exists && ::access(path_.c_str(), W_OK) != 0) ThrowFileError(errno);

  const std::size_t slash = path_.rfind('/');
  folder_ = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);

  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = TemporaryName(folder_);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) ThrowFileError(errno);
  }
  if (fd_ < 0) ThrowFileError(EEXIST);

  if (exists) {
    // The replacement keeps the old file's owner and group where allowed.
    // Only root may hand a file to another user; anyone else who saves over
    // another user's file ends up owning the new one, and then at least keeps
    // its group (a member may), so that a shared file stays writable for the
    // rest of its group.
    if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
      [[maybe_unused]] const int grouped = ::fchown(fd_, static_cast<uid_t>(-1), existing.st_gid);
    }
    // After the owner: a change of owner may clear the set-id bits.
    ::fchmod(fd_, existing.st_mode & 07777);
  }
}

FileReplacement::~FileReplacement() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

// Small pieces are gathered, so that a trajectory of short rows costs few
// system calls.
void FileReplacement::Write(std::string_view content) {
  buffer_.append(content);
  if (buffer_.size() >= (1u << 20)) Flush();
}

void FileReplacement::Flush() {
  if (const int error = WriteAll(fd_, buffer_.data(), buffer_.size())) Fail(error);
  buffer_.clear();
}

// The temporary file goes at once, so nothing is left of a failed write.
void FileReplacement::Fail(int code) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  finished_ = true;
  committed_ = true;
  ThrowFileError(code);
}

void FileReplacement::Finish() {
  if (finished_) return;
  Flush();
  if (!temporary_.empty() && ::fsync(fd_) != 0) Fail(errno);
  const int result = ::close(fd_);
  fd_ = -1;
  if (result != 0) Fail(errno);
  finished_ = true;
}

void FileReplacement::Commit() {
  if (committed_) return;
  Finish();
  if (temporary_.empty()) {
    committed_ = true;
    return;
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) Fail(errno);
  committed_ = true;
  // Make the rename itself durable; the data is already safe, so a folder
  // that cannot be synced is no failure of the save.
  if (const int dir = ::open(folder_.empty() ? "." : folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace vorun
