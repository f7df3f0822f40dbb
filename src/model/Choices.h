// The user's choices of law, colour split, scope and wall, each with one
// table: its value, the name a command line or a script gives it, the caption
// of the window's radio button, and for the walls their bound. The engine
// dispatches over these tables, the runner and the Python module parse and
// print their names, the window makes its buttons from them, so a new choice
// is one enumerator and one row. The engine computes with the values and the
// view colours the scene by two of them, so they live below both.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "model/Global.h"

namespace vorun {

enum class Formula { PolyExpon, Exponential, PolyExpSum, ExpoPolyExpSum, EPESminus };
// The colour split chooses where parameter set 2 begins: the last 30, 15 or 10 slots.
enum class ColourSplit { Ak, Bk, Ck };
enum class Scope { Taoscope, Gravoscope };
enum class WallMode { Thermos3X3, Thermos20X20, ThermosNXN, Thermosout };

template <class Value>
struct Choice {
  Value value;
  const char* name;     // on a command line and in a script
  const char* caption;  // of the window's radio button
};

struct SplitChoice {
  ColourSplit value;
  const char* name;
  const char* caption;
  int setTwoSize;  // the last this many slots take parameter set 2
};

struct WallChoice {
  WallMode value;
  const char* name;
  const char* caption;
  // Half-width of the square wall in the x-z plane; 0: no wall.
  Extended80 bound;
};

inline constexpr std::array<Choice<Formula>, 5> FormulaChoices{{
    {Formula::PolyExpon, "PE", "PE"},
    {Formula::Exponential, "E", "E"},
    {Formula::PolyExpSum, "PES", "PES"},
    {Formula::ExpoPolyExpSum, "EPES", "EPES"},
    {Formula::EPESminus, "EPES-", "EPES-"},
}};

// The first split's button has no caption: the two coloured fields beside it
// say what it chooses.
inline constexpr std::array<SplitChoice, 3> SplitChoices{{
    {ColourSplit::Ak, "30", "", 30},
    {ColourSplit::Bk, "15", "Bk", 15},
    {ColourSplit::Ck, "10", "Ck", 10},
}};

inline constexpr std::array<Choice<Scope>, 2> ScopeChoices{{
    {Scope::Taoscope, "taoscope", "Taoscope"},
    {Scope::Gravoscope, "gravoscope", "Gravoscope"},
}};

inline constexpr std::array<WallChoice, 4> WallChoices{{
    {WallMode::Thermos3X3, "3x3", "Thermos3X3", 1.5L},
    {WallMode::Thermos20X20, "20x20", "Thermos20X20", 10},
    {WallMode::ThermosNXN, "NxN", "ThermosNXN", 100},
    {WallMode::Thermosout, "out", "ThermosOUT", 0},
}};

// Row i holds the enumerator i, so a value finds its row by index and an
// array built from a table can be indexed by the value.
template <class Row, std::size_t N>
constexpr bool InValueOrder(const std::array<Row, N>& rows) {
  for (std::size_t i = 0; i < N; ++i)
    if (static_cast<std::size_t>(rows[i].value) != i) return false;
  return true;
}
static_assert(InValueOrder(FormulaChoices) && InValueOrder(SplitChoices) && InValueOrder(ScopeChoices) &&
              InValueOrder(WallChoices));

// The row of a value; none for a value outside the enumerators (bytes that
// were never a choice), which must not read past the table.
template <class Row, std::size_t N>
constexpr const Row* RowOf(const std::array<Row, N>& rows, decltype(Row::value) value) {
  const auto i = static_cast<std::size_t>(value);
  return i < N ? &rows[i] : nullptr;
}

template <class Row, std::size_t N>
constexpr const char* NameOf(const std::array<Row, N>& rows, decltype(Row::value) value) {
  const Row* row = RowOf(rows, value);
  return row ? row->name : "?";
}

// The value named, or nothing when no row has that name (case matters).
template <class Row, std::size_t N>
constexpr std::optional<decltype(Row::value)> ValueNamed(const std::array<Row, N>& rows,
                                                         std::string_view name) {
  for (const Row& r : rows)
    if (name == r.name) return r.value;
  return std::nullopt;
}

// "PE, E, PES, EPES, EPES-": the names in table order, for a message that
// lists the choices; with last = " or ", "PE, E, PES, EPES or EPES-".
template <class Row, std::size_t N>
std::string ChoiceNames(const std::array<Row, N>& rows, const char* last = ", ") {
  std::string names;
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) names += i + 1 == N ? last : ", ";
    names += rows[i].name;
  }
  return names;
}

constexpr int SetTwoSize(ColourSplit split) {
  const SplitChoice* row = RowOf(SplitChoices, split);
  return row ? row->setTwoSize : 30;
}

// 0 (no wall) for a value that is no wall.
constexpr Extended80 WallBound(WallMode wall) {
  const WallChoice* row = RowOf(WallChoices, wall);
  return row ? row->bound : 0;
}

}  // namespace vorun
