// The ensemble file: one 3776-byte record of raw bytes, no header, and the
// copy between a record and an ensemble. Every caller passes the ensemble and
// the record it works with: the windows their session's staging buffer, a
// headless run or a test one of its own. Failures
// throw Error with the user's text ("File not found", "Read beyond end of
// file", ...). A save never replaces a file until the whole new record is
// safely on disk, so a failed save keeps the old file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/Global.h"

namespace vorun {

// An Extended80 as it lies on disk: the significand in bytes 0..7, sign and
// exponent in bytes 8..9, little-endian. These are exactly the first ten
// bytes of the value in memory, so any bit pattern read is written back.
struct Float80Bytes {
  std::uint8_t Bytes[10];
};

// One ensemble file. Slot n of every array is at index n - 1. No header, no
// version: the layout is the format, so every offset is fixed below.
struct EnsembleRecord {
  Float80Bytes TimeStep;
  Float80Bytes A1, B1, C1, D1, F1;
  Float80Bytes A2, B2, C2, D2, F2;
  std::uint8_t Padding1[2];
  Float80Bytes PosX[MaxSlots], PosY[MaxSlots], PosZ[MaxSlots];
  Float80Bytes VelU[MaxSlots], VelV[MaxSlots], VelW[MaxSlots];
  std::uint8_t Exists[MaxSlots];
  std::uint8_t Padding2[4];
};

static_assert(sizeof(EnsembleRecord) == 3776);
static_assert(offsetof(EnsembleRecord, TimeStep) == 0);
static_assert(offsetof(EnsembleRecord, A1) == 10);
static_assert(offsetof(EnsembleRecord, F2) == 100);
static_assert(offsetof(EnsembleRecord, Padding1) == 110);
static_assert(offsetof(EnsembleRecord, PosX) == 112);
static_assert(offsetof(EnsembleRecord, PosY) == 712);
static_assert(offsetof(EnsembleRecord, PosZ) == 1312);
static_assert(offsetof(EnsembleRecord, VelU) == 1912);
static_assert(offsetof(EnsembleRecord, VelV) == 2512);
static_assert(offsetof(EnsembleRecord, VelW) == 3112);
static_assert(offsetof(EnsembleRecord, Exists) == 3712);
static_assert(offsetof(EnsembleRecord, Padding2) == 3772);

// The time step, the parameters, and the first SlotCount slots' occupancy,
// positions and velocities of state into record. Padding is left as it is.
void CopyToRecord(const EnsembleState& state, EnsembleRecord& record);

// The reverse of CopyToRecord, then SyncWorkingCopies over all slots.
void ApplyRecord(const EnsembleRecord& record, EnsembleState& state);

// Reads the first 3776 bytes of the file into record. A missing file, a
// shorter file and every other failure throw; record then stays as it was, so
// its padding still holds the bytes of the last record read.
void ReadEnsembleFile(const std::string& name, EnsembleRecord& record);

// ReadEnsembleFile for the opens that have a fallback: returns false, with
// nothing changed and nothing reported, when the file cannot be opened for
// reading. Failures after a successful open still throw.
bool TryReadEnsembleFile(const std::string& name, EnsembleRecord& record);

// ReadEnsembleFile into record, then ApplyRecord into state. When the read
// fails, state and record stay as they were.
void ReadEnsembleFile(const std::string& name, EnsembleState& state, EnsembleRecord& record);

// CopyToRecord, then the whole record, padding included, as the file's only
// content.
void WriteEnsembleFile(const std::string& name, const EnsembleState& state, EnsembleRecord& record);

}  // namespace vorun
