// How the file layer touches the disk: opening a file for reading, reading a
// bounded amount, and replacing a file safely. A replacement reaches the target
// only once the whole new content is on disk, so a failed save keeps the old
// file. Failures throw Error with the user's text for the cause ("File not
// found", "File access denied", "Disk full", "I/O error %d", ...).
#pragma once

#include <cstddef>
#include <string>

namespace vorun {

// Throws the Error whose text belongs to errno value code.
[[noreturn]] void ThrowFileError(int code);

// A file descriptor that is closed on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor();
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and returns 0 or the errno of a failed close.
  int Close();

 private:
  int fd_;
};

// Opens a file for reading; returns the descriptor or -errno. A folder can be
// opened on this system but not read, so it counts as not openable.
int OpenForReading(const std::string& name);

// True when the file exists and can be opened for reading (not a folder).
bool CanOpenForReading(const std::string& name);

// Reads until size bytes are in or the file ends; returns the count. A failed
// read throws.
std::size_t ReadUpTo(int fd, char* buffer, std::size_t size);

// The rest of the file, then closes it; failures throw.
std::string ReadAll(Descriptor& file);

// Puts exactly these bytes into the file `target`, through a temporary file in
// the same folder that is flushed to the disk and then renamed over the target.
// A symbolic link stays a link: the file it points to is replaced. The old
// file's permissions, and its owner and group where allowed, carry over.
void ReplaceFile(const std::string& target, const std::string& content);

}  // namespace vorun
