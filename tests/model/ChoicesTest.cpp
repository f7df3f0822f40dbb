#include "model/Choices.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vorun {
namespace {

// Every name a command line or a script gives is unique in its table and
// finds its own row again, so the runner and the module read what the window
// shows.
template <class Row, std::size_t N>
void ExpectNamesFindTheirRows(const std::array<Row, N>& rows) {
  std::set<std::string> names, captions;
  for (const Row& r : rows) {
    EXPECT_TRUE(names.insert(r.name).second) << r.name;
    if (*r.caption) {
      EXPECT_TRUE(captions.insert(r.caption).second) << r.caption;
    }
    ASSERT_TRUE(ValueNamed(rows, r.name).has_value()) << r.name;
    EXPECT_EQ(*ValueNamed(rows, r.name), r.value);
    EXPECT_STREQ(NameOf(rows, r.value), r.name);
  }
}

TEST(ChoicesTest, EveryNameFindsItsOwnRow) {
  ExpectNamesFindTheirRows(FormulaChoices);
  ExpectNamesFindTheirRows(SplitChoices);
  ExpectNamesFindTheirRows(ScopeChoices);
  ExpectNamesFindTheirRows(WallChoices);
}

TEST(ChoicesTest, NamesAreExactAndUnknownNamesFindNothing) {
  for (const char* name : {"", "pe", "Exponential", "EPES-x", " E", "E "})
    EXPECT_FALSE(ValueNamed(FormulaChoices, name).has_value()) << "'" << name << "'";
  EXPECT_FALSE(ValueNamed(ScopeChoices, "Taoscope").has_value());
  EXPECT_FALSE(ValueNamed(SplitChoices, "20").has_value());
  EXPECT_FALSE(ValueNamed(WallChoices, "nxn").has_value());
}

TEST(ChoicesTest, ListsOfNamesForMessagesAndHelp) {
  EXPECT_EQ(ChoiceNames(FormulaChoices), "PE, E, PES, EPES, EPES-");
  EXPECT_EQ(ChoiceNames(FormulaChoices, " or "), "PE, E, PES, EPES or EPES-");
  EXPECT_EQ(ChoiceNames(SplitChoices, " or "), "30, 15 or 10");
  EXPECT_EQ(ChoiceNames(ScopeChoices, " or "), "taoscope or gravoscope");
  EXPECT_EQ(ChoiceNames(WallChoices), "3x3, 20x20, NxN, out");
}

// The bounds and set sizes are values of the law: a slip in the table moves
// every wall or recolours every ensemble.
TEST(ChoicesTest, WallBoundsAndSetSizes) {
  EXPECT_EQ(WallBound(WallMode::Thermos3X3), 1.5L);
  EXPECT_EQ(WallBound(WallMode::Thermos20X20), 10);
  EXPECT_EQ(WallBound(WallMode::ThermosNXN), 100);
  EXPECT_EQ(WallBound(WallMode::Thermosout), 0);
  EXPECT_EQ(SetTwoSize(ColourSplit::Ak), 30);
  EXPECT_EQ(SetTwoSize(ColourSplit::Bk), 15);
  EXPECT_EQ(SetTwoSize(ColourSplit::Ck), 10);
  for (const SplitChoice& r : SplitChoices) EXPECT_EQ(std::to_string(r.setTwoSize), r.name);
}

// A value that is no enumerator (bytes from a damaged settings block) must
// not read past a table: it has no name and no wall.
TEST(ChoicesTest, AValueOutsideTheEnumeratorsHasNoRow) {
  const auto formula = static_cast<Formula>(FormulaChoices.size());
  const auto wall = static_cast<WallMode>(77);
  EXPECT_EQ(RowOf(FormulaChoices, formula), nullptr);
  EXPECT_STREQ(NameOf(FormulaChoices, formula), "?");
  EXPECT_EQ(WallBound(wall), 0);
  EXPECT_EQ(SetTwoSize(static_cast<ColourSplit>(-1)), 30);
}

}  // namespace
}  // namespace vorun
