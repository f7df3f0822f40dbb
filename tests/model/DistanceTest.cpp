#include "model/Distance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "model/Error.h"

namespace vorun {
namespace {

// A grid held as text: rows are given as {x, y, z}; unknown cells read empty,
// as the rows of empty slots and rows past the end of the editor's grid do.
class TextGrid {
 public:
  void Row(int row, std::string x, std::string y, std::string z) {
    cells_[{1, row}] = std::move(x);
    cells_[{2, row}] = std::move(y);
    cells_[{3, row}] = std::move(z);
  }
  CellReader Reader() {
    return [this](int column, int row) {
      reads.emplace_back(column, row);
      const auto it = cells_.find({column, row});
      return it == cells_.end() ? std::string() : it->second;
    };
  }
  std::vector<std::pair<int, int>> reads;

 private:
  std::map<std::pair<int, int>, std::string> cells_;
};

std::string ErrorOf(const std::string& first, const std::string& second, TextGrid& grid) {
  try {
    RowDistance(first, second, grid.Reader());
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(RowDistance, ThreeFourFiveTriangle) {
  TextGrid grid;
  grid.Row(1, "0", "0", "0");
  grid.Row(2, "3", "4", "0");
  EXPECT_EQ(RowDistance("1", "2", grid.Reader()), 5);
  EXPECT_EQ(RowDistance("2", "1", grid.Reader()), 5);
}

TEST(RowDistance, SameRowTwiceIsZero) {
  TextGrid grid;
  grid.Row(7, "-1.25", "3E-5", "12345.678");
  EXPECT_EQ(RowDistance("7", " 7 ", grid.Reader()), 0);
}

TEST(RowDistance, KeepsTheExtendedPrecisionOfTheCellText) {
  // 1 + 2^-60 is no double; in double precision the two rows would coincide.
  TextGrid grid;
  grid.Row(1, "1", "0", "0");
  grid.Row(2, "1.000000000000000000867361737988403547205962240695953369140625", "0", "0");
  EXPECT_EQ(RowDistance("1", "2", grid.Reader()), std::ldexp(Extended80{1}, -60));
}

TEST(RowDistance, ReadsTheFirstRowBeforeConvertingTheSecondNumber) {
  TextGrid grid;
  grid.Row(1, "1", "2", "3");
  grid.Row(2, "4", "6", "3");
  EXPECT_EQ(RowDistance("1", "2", grid.Reader()), 5);
  const std::vector<std::pair<int, int>> order{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}};
  EXPECT_EQ(grid.reads, order);
}

struct BadInput {
  const char* first;
  const char* second;
  const char* message;
};

class RowDistanceErrors : public testing::TestWithParam<BadInput> {};

TEST_P(RowDistanceErrors, FirstBadTextIsReported) {
  TextGrid grid;
  grid.Row(0, "X", "Y", "Z");
  grid.Row(1, "0", "0", "0");
  grid.Row(2, "1", "abc", "0");
  EXPECT_EQ(ErrorOf(GetParam().first, GetParam().second, grid), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(InOrderOfReading, RowDistanceErrors,
                         testing::Values(BadInput{"", "1", "'' is not a valid integer value"},
                                         BadInput{"1.5", "x", "'1.5' is not a valid integer value"},
                                         // The header row is reached before the second number is looked at.
                                         BadInput{"0", "x", "'X' is not a valid floating point value"},
                                         BadInput{"1", "x", "'x' is not a valid integer value"},
                                         BadInput{"1", "2", "'abc' is not a valid floating point value"},
                                         BadInput{"1", "0", "'X' is not a valid floating point value"},
                                         // An empty slot's row and a row past the last hold no text.
                                         BadInput{"1", "3", "'' is not a valid floating point value"},
                                         BadInput{"61", "1", "'' is not a valid floating point value"}));

TEST(RowDistance, TooLargeADistanceIsAnOverflowNotInfinity) {
  TextGrid grid;
  grid.Row(1, "1E4000", "0", "0");
  grid.Row(2, "-1E4000", "0", "0");
  grid.Row(3, "0", "1E2500", "0");
  EXPECT_EQ(ErrorOf("1", "2", grid), "Floating point overflow");
  EXPECT_EQ(ErrorOf("1", "3", grid), "Floating point overflow");
}

}  // namespace
}  // namespace vorun
