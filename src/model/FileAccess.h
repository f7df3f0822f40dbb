// How the file layer touches the disk: opening a file for reading, reading a
// bounded amount, and replacing a file safely. A replacement reaches the target
// only once the whole new content is on disk, so a failed save keeps the old
// file. Failures throw Error with the user's text for the cause ("File not
// found", "File access denied", "Disk full", "I/O error %d", ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorun {

// False for a name no system call can take whole: empty, or holding a NUL
// byte, at which every call would cut it short.
bool IsUsableFileName(const std::string& name);

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

// Opens a regular file for reading; returns the descriptor or -errno. Nothing
// else is opened, and the open never waits: a folder gives -EISDIR, a FIFO, a
// device or a socket -EACCES ("File access denied"), as a file that cannot be
// read; a name that is empty or holds a NUL byte gives -EINVAL.
int OpenForReading(const std::string& name);

// True when OpenForReading would succeed.
bool CanOpenForReading(const std::string& name);

// Reads until size bytes are in or the file ends; returns the count. A failed
// read throws.
std::size_t ReadUpTo(int fd, char* buffer, std::size_t size);

// The rest of the file into content, then closes it. Returns false, with
// content empty and the file left open, when the file holds more than limit
// bytes; nothing beyond limit + 1 bytes is read. Failures throw.
bool ReadAtMost(Descriptor& file, std::size_t limit, std::string& content);

// Puts exactly these bytes into the file `target`, through a temporary file in
// the same folder that is flushed to the disk and then renamed over the target.
// A symbolic link stays a link: the file it points to is replaced. The old
// file's permissions, and its owner and group where allowed, carry over. A
// target that exists and is neither a regular file nor a folder (a FIFO, a
// device, a socket) is refused with an Error that says what it is. After a
// save, temporary files that an earlier save of this program left in the
// folder are removed, but only those of a process that is gone and that have
// not been written for StrayTemporaryAge seconds.
constexpr int StrayTemporaryAge = 60;
void ReplaceFile(const std::string& target, const std::string& content);

// ReplaceFile for the program's own files (the start file, the recent files):
// their folder is made when first needed. A folder that cannot be made fails
// the replacement, which reports the cause that matters to the user.
void ReplaceFileMakingFolder(const std::string& target, const std::string& content);

// Throws the Error that a ReplaceFile of target would be sure to meet, before
// any work is done for it: a name that cannot be used, a target that is a
// folder or not a regular file, a write-protected file, a folder that is
// missing or takes no new file. Leaves nothing behind.
void CheckReplaceable(const std::string& target);

// ReplaceFile for content that comes piece by piece and may be larger than
// memory (a long trajectory), with the same checks and the same care for the
// old file. The new file is created at once, so a target that cannot be
// written is reported before any work is done; the target changes only at
// Commit. Where the file system allows, the new file has no name until the
// commit: nothing can remove it during a long run (not even the stray
// clean-up of a save on another machine sharing the folder), and nothing is
// left of it when the process dies. Destroyed without a Commit, the new file
// goes and the target stays as it was.
class FileReplacement {
 public:
  // bufferBytes: how much is gathered before a write to the file.
  explicit FileReplacement(const std::string& target, std::size_t bufferBytes = std::size_t{1} << 20);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  void Write(std::string_view content);
  // Everything written is on the disk; the target is still untouched.
  // Several replacements can thus be finished first and committed together,
  // so that a failure leaves none of them half done.
  void Finish();
  // Finish, then the new file takes the target's place.
  void Commit();
  // Everything so far is on the disk and under the target's name, and the
  // writing goes on in that same file: a long run's checkpoint. From here
  // on the target grows in place; Commit only makes the rest durable.
  void Publish();
  // The bytes written so far, gathered ones included.
  std::uint64_t Size() const { return written_ + buffer_.size(); }

 private:
  void Flush();
  [[noreturn]] void Fail(int code);

  std::string path_;
  std::string folder_;
  std::string named_;  // the new file's name; empty while it has none
  std::string buffer_;
  std::size_t bufferBytes_;
  std::uint64_t written_ = 0;
  int fd_ = -1;
  bool published_ = false;  // the file is the target already
  bool finished_ = false;
  bool done_ = false;  // committed, or failed and cleaned up
};

}  // namespace vorun
