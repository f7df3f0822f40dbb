#include "model/EnsembleFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#include "model/Ensemble.h"
#include "model/Error.h"
#include "model/FileAccess.h"

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

namespace {

// Memory is copied byte for byte and never passes through arithmetic, so
// signalling NaNs, unnormals and pseudo-denormals keep their bits.
void Store(Float80Bytes& to, const Extended80& value) { std::memcpy(to.Bytes, &value, 10); }
void Load(Extended80& to, const Float80Bytes& from) { std::memcpy(&to, from.Bytes, 10); }

int ClampedSlotCount(const EnsembleState& e) { return e.SlotCount < 0 ? 0 : std::min(e.SlotCount, MaxSlots); }

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
  const int count = ClampedSlotCount(e);
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

void ApplyRecord(const EnsembleRecord& r, EnsembleState& e) {
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
  const int count = ClampedSlotCount(e);
  for (int n = 1; n <= count; ++n) e.Exists[n] = r.Exists[n - 1];
  for (int n = 1; n <= count; ++n) {
    Load(e.PosX[n], r.PosX[n - 1]);
    Load(e.PosY[n], r.PosY[n - 1]);
    Load(e.PosZ[n], r.PosZ[n - 1]);
    Load(e.VelU[n], r.VelU[n - 1]);
    Load(e.VelV[n], r.VelV[n - 1]);
    Load(e.VelW[n], r.VelW[n - 1]);
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

void CopyToRecord() { CopyToRecord(Ensemble, FileRecord); }

void ApplyRecord() { ApplyRecord(FileRecord, Ensemble); }

void ReadEnsembleFile(const std::string& name) { ReadEnsembleFile(name, FileRecord); }

bool TryReadEnsembleFile(const std::string& name) { return TryReadEnsembleFile(name, FileRecord); }

void WriteEnsembleFile(const std::string& name) { WriteEnsembleFile(name, Ensemble, FileRecord); }

}  // namespace vorun
