#include "model/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "model/Error.h"

namespace vorun {

bool IsUsableFileName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

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
  if (!IsUsableFileName(name)) return -EINVAL;
  // Only a regular file is opened: a FIFO blocks the open until some other
  // process writes to it, a device may never end (/dev/zero) or do something
  // of its own when opened. The open does not block either, in case the name
  // is swapped for a FIFO between the look and the open.
  struct stat info;
  if (::stat(name.c_str(), &info) != 0) return -errno;
  if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? -EISDIR : -EACCES;
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -errno;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -EACCES;
  }
  // Reading a regular file never waits anyway; the flag goes so that no read
  // depends on it.
  if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
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

bool ReadAtMost(Descriptor& file, std::size_t limit, std::string& content) {
  content.clear();
  struct stat info;
  if (::fstat(file.get(), &info) == 0 && info.st_size > 0 && static_cast<std::uint64_t>(info.st_size) > limit)
    return false;
  // One byte beyond the limit tells a file that grew since the look.
  char chunk[65536];
  for (;;) {
    const std::size_t want = std::min(sizeof chunk, limit + 1 - content.size());
    const std::size_t n = ReadUpTo(file.get(), chunk, want);
    content.append(chunk, n);
    if (content.size() > limit) {
      content.clear();
      return false;
    }
    if (n < want) break;
  }
  if (const int error = file.Close()) ThrowFileError(error);
  return true;
}

}  // namespace vorun
