#include "model/EnsembleFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <type_traits>

#include "model/Ensemble.h"
#include "model/Error.h"

namespace vorun {

// The on-disk value is the first ten bytes of the value in memory. That holds
// only for the x87 format on a little-endian machine; check both, and check
// the file example (0.001) byte for byte.
static_assert(std::endian::native == std::endian::little, "ensemble files are little-endian");
static_assert(sizeof(Extended80) >= 10);
static_assert(std::is_trivially_copyable_v<EnsembleRecord> && alignof(EnsembleRecord) == 1);
namespace {
constexpr bool FirstTenBytesAre(Extended80 value, const std::array<std::uint8_t, 10>& expected) {
  const auto bytes = std::bit_cast<std::array<std::uint8_t, sizeof(Extended80)>>(value);
  for (std::size_t i = 0; i < 10; ++i)
    if (bytes[i] != expected[i]) return false;
  return true;
}
static_assert(FirstTenBytesAre(0.001L, {0x3B, 0xDF, 0x4F, 0x8D, 0x97, 0x6E, 0x12, 0x83, 0xF5, 0x3F}));
static_assert(FirstTenBytesAre(-1.5L, {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xBF}));
}  // namespace

EnsembleRecord FileRecord{};
std::string StartFilePath = DefaultStartFilePath();

namespace {

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

// Memory is copied byte for byte and never passes through arithmetic, so
// signalling NaNs, unnormals and pseudo-denormals keep their bits.
void Store(Float80Bytes& to, const Extended80& value) { std::memcpy(to.Bytes, &value, 10); }
void Load(Extended80& to, const Float80Bytes& from) { std::memcpy(&to, from.Bytes, 10); }

int ClampedSlotCount() { return Ensemble.SlotCount < 0 ? 0 : std::min(Ensemble.SlotCount, MaxSlots); }

// A file descriptor that is closed on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the result, as a close can fail too.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Opens a file for reading; returns the descriptor or -errno. A folder can be
// opened on this system but not read, so it counts as not openable.
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

// Reads until size bytes are in or the file ends; returns the count.
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
  static std::mt19937 random{std::random_device{}()};
  return folder + ".vorun-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(random() % 1000000);
}

// Puts exactly these bytes into the file `target`. The content goes to a new
// file in the same folder first, is flushed to the disk and only then renamed
// over the target, so a full disk or a failing medium leaves the old file
// intact instead of empty or cut short; the new file is removed on failure.
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

bool ReadRecord(const std::string& name, bool openMayFail) {
  const int fd = OpenForReading(name);
  if (fd < 0) {
    if (openMayFail) return false;
    ThrowFileError(-fd);
  }
  Descriptor file(fd);
  // Read into a buffer of its own: a failed read is no record read, and the
  // staging buffer keeps the padding of the last good one.
  EnsembleRecord record;
  const std::size_t n = ReadUpTo(file.get(), reinterpret_cast<char*>(&record), sizeof record);
  if (n < sizeof record) throw Error("Read beyond end of file");
  if (const int error = file.Close()) ThrowFileError(error);
  FileRecord = record;
  return true;
}

void WriteStartFile(const std::string& content) {
  // The folder is made when first needed. If that fails, the write below
  // fails too and reports the cause that matters to the user.
  const std::filesystem::path folder = std::filesystem::path(StartFilePath).parent_path();
  if (!folder.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }
  ReplaceFile(StartFilePath, content);
}

// U+0080..U+009F for the bytes 0x80..0x9F of Windows-1252. The five bytes it
// leaves undefined map to the C1 controls of the same number, as Windows does.
constexpr char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsValidUtf8(const std::string& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    int length;
    char32_t code;
    if (c < 0x80) {
      ++p;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      code = c & 0x07;
    } else {
      return false;
    }
    if (end - p < length) return false;
    for (int i = 1; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    p += length;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string FromWindows1252(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(text, b >= 0x80 && b < 0xA0 ? Windows1252High[b - 0x80] : char32_t{b});
  }
  return text;
}

// CR LF, a lone CR and a lone LF all become CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string DefaultStartFilePath() {
  // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    config = std::string(home) + "/.config";
  } else {
    config = ".config";
  }
  return config + "/vorun/Start.tvx2";
}

void CopyToRecord() {
  const auto& e = Ensemble;
  auto& r = FileRecord;
  Store(r.TimeStep, e.TimeStep);
  Store(r.A1, e.A1);
  Store(r.B1, e.B1);
  Store(r.C1, e.C1);
  Store(r.D1, e.D1);
  Store(r.F1, e.F1);
  Store(r.A2, e.A2);
  Store(r.B2, e.B2);
  Store(r.C2, e.C2);
  Store(r.D2, e.D2);
  Store(r.F2, e.F2);
  const int count = ClampedSlotCount();
  for (int n = 1; n <= count; ++n) r.Exists[n - 1] = e.Exists[n];
  for (int n = 1; n <= count; ++n) {
    Store(r.PosX[n - 1], e.PosX[n]);
    Store(r.PosY[n - 1], e.PosY[n]);
    Store(r.PosZ[n - 1], e.PosZ[n]);
    Store(r.VelU[n - 1], e.VelU[n]);
    Store(r.VelV[n - 1], e.VelV[n]);
    Store(r.VelW[n - 1], e.VelW[n]);
  }
}

void ApplyRecord() {
  auto& e = Ensemble;
  const auto& r = FileRecord;
  Load(e.TimeStep, r.TimeStep);
  Load(e.A1, r.A1);
  Load(e.B1, r.B1);
  Load(e.C1, r.C1);
  Load(e.D1, r.D1);
  Load(e.F1, r.F1);
  Load(e.A2, r.A2);
  Load(e.B2, r.B2);
  Load(e.C2, r.C2);
  Load(e.D2, r.D2);
  Load(e.F2, r.F2);
  const int count = ClampedSlotCount();
  for (int n = 1; n <= count; ++n) e.Exists[n] = r.Exists[n - 1];
  for (int n = 1; n <= count; ++n) {
    Load(e.PosX[n], r.PosX[n - 1]);
    Load(e.PosY[n], r.PosY[n - 1]);
    Load(e.PosZ[n], r.PosZ[n - 1]);
    Load(e.VelU[n], r.VelU[n - 1]);
    Load(e.VelV[n], r.VelV[n - 1]);
    Load(e.VelW[n], r.VelW[n - 1]);
  }
  SyncWorkingCopies(Ensemble, false);
}

void ReadEnsembleFile(const std::string& name) { ReadRecord(name, false); }

bool TryReadEnsembleFile(const std::string& name) { return ReadRecord(name, true); }

void WriteEnsembleFile(const std::string& name) {
  CopyToRecord();
  ReplaceFile(name, std::string(reinterpret_cast<const char*>(&FileRecord), sizeof FileRecord));
}

bool CanOpenForReading(const std::string& name) {
  const int fd = OpenForReading(name);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

void RememberFile() {
  LastFileName = FileName;
  WriteStartFile(LastFileName);
}

bool ReadStartFile() {
  const int fd = OpenForReading(StartFilePath);
  if (fd < 0) return false;
  Descriptor file(fd);
  std::string line;
  char chunk[4096];
  for (;;) {
    const std::size_t n = ReadUpTo(file.get(), chunk, sizeof chunk);
    const char* begin = chunk;
    const char* end = chunk + n;
    const char* lineEnd = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
    line.append(begin, lineEnd);
    if (lineEnd != end || n < sizeof chunk) break;
  }
  if (const int error = file.Close()) ThrowFileError(error);
  LastFileName = line;
  return true;
}

void CreateEmptyStartFile() { WriteStartFile(std::string()); }

std::string CommentFileName() {
  // Characters, not bytes: a name is UTF-8, and a continuation byte belongs
  // to the character before it.
  std::size_t cut = FileName.size();
  int dropped = 0;
  while (cut > 0 && dropped < 4) {
    --cut;
    if ((static_cast<unsigned char>(FileName[cut]) & 0xC0) != 0x80) ++dropped;
  }
  if (dropped < 4) return FileName + ".txt";
  return FileName.substr(0, cut) + ".txt";
}

std::optional<std::string> LoadComment() {
  const int fd = OpenForReading(CommentFileName());
  if (fd < 0) return std::nullopt;
  Descriptor file(fd);
  const std::string bytes = ReadAll(file);
  return WithCrLf(IsValidUtf8(bytes) ? bytes : FromWindows1252(bytes));
}

void SaveComment(const std::string& text) { ReplaceFile(CommentFileName(), WithCrLf(text)); }

}  // namespace vorun
