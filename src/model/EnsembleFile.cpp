#include "model/EnsembleFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#include "model/Ensemble.h"
#include "model/Error.h"
#include "model/FileAccess.h"
#include "model/Parameters.h"

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

namespace {

// Memory is copied byte for byte and never passes through arithmetic, so
// signalling NaNs, unnormals and pseudo-denormals keep their bits.
void Store(Float80Bytes& to, const Extended80& value) { std::memcpy(to.Bytes, &value, 10); }
void Load(Extended80& to, const Float80Bytes& from) { std::memcpy(&to, from.Bytes, 10); }

bool ReadRecord(const std::string& name, EnsembleRecord& into, bool openMayFail) {
  const int fd = OpenForReading(name);
  if (fd < 0) {
    if (openMayFail) return false;
    ThrowFileError(-fd);
  }
  Descriptor file(fd);
  // Read into a buffer of its own: a failed read is no record read, and the
  // caller's record keeps the padding of the last good one.
  EnsembleRecord record;
  const std::size_t n = ReadUpTo(file.get(), reinterpret_cast<char*>(&record), sizeof record);
  if (n < sizeof record) throw Error("Read beyond end of file");
  if (const int error = file.Close()) ThrowFileError(error);
  into = record;
  return true;
}

}  // namespace

void CopyToRecord(const EnsembleState& e, EnsembleRecord& r) {
  for (const ParameterName& p : ParameterNames) Store(r.*p.record, e.*p.state);
  const int count = ClampedSlotCount(e);
  for (int n = 1; n <= count; ++n) {
    r.Exists[n - 1] = e.Exists[n];
    for (const SlotFieldName& f : SlotFieldNames) Store((r.*f.record)[n - 1], (e.*f.state)[n]);
  }
}

void ApplyRecord(const EnsembleRecord& r, EnsembleState& e) {
  for (const ParameterName& p : ParameterNames) Load(e.*p.state, r.*p.record);
  const int count = ClampedSlotCount(e);
  for (int n = 1; n <= count; ++n) {
    e.Exists[n] = r.Exists[n - 1];
    for (const SlotFieldName& f : SlotFieldNames) Load((e.*f.state)[n], (r.*f.record)[n - 1]);
  }
  SyncWorkingCopies(e, false);
}

void ReadEnsembleFile(const std::string& name, EnsembleRecord& record) { ReadRecord(name, record, false); }

bool TryReadEnsembleFile(const std::string& name, EnsembleRecord& record) {
  return ReadRecord(name, record, true);
}

void ReadEnsembleFile(const std::string& name, EnsembleState& state, EnsembleRecord& record) {
  ReadEnsembleFile(name, record);
  ApplyRecord(record, state);
}

void WriteEnsembleFile(const std::string& name, const EnsembleState& state, EnsembleRecord& record) {
  CopyToRecord(state, record);
  ReplaceFile(name, std::string(reinterpret_cast<const char*>(&record), sizeof record));
}

}  // namespace vorun
