// The three files of the program: the ensemble file (one 3776-byte record of
// raw bytes), the comment file beside it, and the start file that names the
// last ensemble file. Every record passes through the one staging buffer
// FileRecord. Failures throw Error with the user's text ("File not found",
// "Read beyond end of file", ...). A write never replaces a file until the
// whole new content is safely on disk, so a failed save keeps the old file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// The staging buffer between the ensemble and the disk. Zero at start; its
// padding keeps the bytes of the last record read (ResetGlobals zeroes it).
extern EnsembleRecord FileRecord;

// Full path of the start file. Set at start to DefaultStartFilePath(); tests
// point it into a folder of their own.
extern std::string StartFilePath;

// $XDG_CONFIG_HOME/vorun/Start.tvx2, by default ~/.config/vorun/Start.tvx2.
std::string DefaultStartFilePath();

// Time step, parameters, and the first SlotCount slots' occupancy, positions
// and velocities into FileRecord. Padding is left as it is.
void CopyToRecord();

// The reverse of CopyToRecord, then SyncWorkingCopies over all slots.
void ApplyRecord();

// Reads the first 3776 bytes of the file into FileRecord. A missing file, a
// shorter file and every other failure throw; FileRecord then stays as it was.
void ReadEnsembleFile(const std::string& name);

// ReadEnsembleFile for the opens that have a fallback: returns false, with
// nothing changed and nothing reported, when the file cannot be opened for
// reading. Failures after a successful open still throw.
bool TryReadEnsembleFile(const std::string& name);

// CopyToRecord, then the whole record as the file's only content.
void WriteEnsembleFile(const std::string& name);

// True when the file exists and can be opened for reading (not a folder).
bool CanOpenForReading(const std::string& name);

// LastFileName := FileName, and the start file holds exactly that name.
void RememberFile();

// The start file's first line (up to CR, LF or the end) into LastFileName.
// Returns false, changing nothing, when the start file cannot be opened.
bool ReadStartFile();

// Creates the start file, and its folder, empty: "no last file".
void CreateEmptyStartFile();

// FileName less its last four characters, plus ".txt" (a name of up to three
// characters keeps them all): ring.tvx -> ring.txt, name.ab -> nam.txt.
std::string CommentFileName();

// The text of the comment file, lines separated by CR LF, or nothing when no
// comment file can be opened. A file that is not UTF-8 is taken as
// Windows-1252, so every byte of an old file shows as some character.
std::optional<std::string> LoadComment();

// Writes the memo's text as UTF-8, any line break (CR LF, CR or LF) as CR LF,
// with no line break added after the last line.
void SaveComment(const std::string& text);

}  // namespace vorun
