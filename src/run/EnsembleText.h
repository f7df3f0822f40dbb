// An ensemble record as text, and back: JSON or CSV that can be read, edited,
// compared and kept under version control, and that gives back the very
// bytes of the record (padding, occupancy bytes, NaN payloads and every other
// bit pattern of the 80-bit format included). Also the field-by-field
// comparison of two records.
//
// A real is written as a number that reads back to the same ten bytes (21
// significant digits, or the hexadecimal form of C's %La), as "inf" or
// "-inf", or, for a pattern that no number text gives back (a NaN, a
// pseudo-denormal, an unnormal), as its bits: "raw:SEEE:MMMMMMMMMMMMMMMM", the
// sign and exponent word and then the significand, both in hexadecimal.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ObservablesCsv.h"
#include "model/EnsembleFile.h"

namespace vorun::run {

// A text that is no ensemble: where, and what is wrong. line counts from 1;
// field names the value ("A1", "slot 7 x"), or is empty when the fault is in
// the text's form itself.
struct TextError : std::runtime_error {
  TextError(int line, std::string field, const std::string& message)
      : std::runtime_error(message), line(line), field(std::move(field)) {}
  int line;
  std::string field;
};

std::string RealText(const Float80Bytes& value, Notation notation);

// Any of the forms RealText writes, and any decimal or hexadecimal number in
// the C locale (rounded to nearest, so "0.1" is the 80-bit value nearest 0.1).
// Gives nothing for any other text or for a number too large for the format.
std::optional<Float80Bytes> ParseRealText(std::string_view text);

// The time step, the ten parameters, the padding, and every slot that is
// occupied or holds a value other than zero; a slot left out is empty with
// all its values zero. The JSON holds one slot a line.
std::string EnsembleJson(const EnsembleRecord& record, Notation notation);
std::string EnsembleCsv(const EnsembleRecord& record, Notation notation);

// The reverse of the two above. Every name of a value must be given once and
// only once (the padding may be left out: zeros); nothing else may be. Throws
// TextError.
EnsembleRecord ParseEnsembleJson(std::string_view text);
EnsembleRecord ParseEnsembleCsv(std::string_view text);

struct FieldDifference {
  std::string field;  // "dt", "A1", "padding1", "slot 7 x", "slot 7 exists"
  std::string a, b;   // both values as the text form writes them
  // The distance in units in the last place, when both are numbers or
  // infinities; a zero and a negative zero are 0 apart.
  std::optional<unsigned __int128> ulps;
};

// Every field in which the records differ, in the order of the file.
std::vector<FieldDifference> DiffRecords(const EnsembleRecord& a, const EnsembleRecord& b, Notation notation);

// A count of units in the last place in decimal.
std::string UlpText(unsigned __int128 ulps);

}  // namespace vorun::run
