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
  if (target.empty()) ThrowFileError(EINVAL);

  // Through a symbolic link, replace the file it points to, not the link.
  std::string path = target;
  if (char* resolved = ::realpath(target.c_str(), nullptr)) {
    path = resolved;
    std::free(resolved);
  }

  struct stat existing;
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
    // A device or a pipe has no content to keep; write into it as it is.
    Descriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (file.get() < 0) ThrowFileError(errno);
    if (const int error = WriteAll(file.get(), content.data(), content.size())) ThrowFileError(error);
    if (const int error = file.Close()) ThrowFileError(error);
    return;
  }
  // A write-protected file stays protected, though its folder would allow a
  // rename over it.
  if (exists && S_ISREG(existing.st_mode) && ::access(path.c_str(), W_OK) != 0) ThrowFileError(errno);

  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(folder);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) ThrowFileError(errno);
  }
  if (fd < 0) ThrowFileError(EEXIST);

  Descriptor file(fd);
  if (exists && S_ISREG(existing.st_mode)) {
    // The replacement keeps the old file's owner and group where allowed.
    // Only root may hand a file to another user; anyone else who saves over
    // another user's file ends up owning the new one, and then at least keeps
    // its group (a member may), so that a shared file stays writable for the
    // rest of its group.
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      [[maybe_unused]] const int grouped = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
    // After the owner: a change of owner may clear the set-id bits.
    ::fchmod(fd, existing.st_mode & 07777);
  }
  int error = WriteAll(fd, content.data(), content.size());
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (const int closeError = file.Close(); error == 0) error = closeError;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    ThrowFileError(error);
  }
  // Make the rename itself durable; the data is already safe, so a folder
  // that cannot be synced is no failure of the save.
  if (const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace vorun
