#include "ui/widgets/StringGrid.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "model/Error.h"

namespace vorun {
namespace {

TEST(StringGrid, FixedRowAndColumnAreCellsLikeTheOthers) {
  StringGrid grid(4, 61);
  EXPECT_EQ(grid.RowCount(), 61);
  EXPECT_EQ(grid.ColumnCount(), 4);
  grid.SetCell(0, 0, "Velo");
  grid.SetCell(1, 0, "u(x)");
  grid.SetCell(0, 60, "60");
  grid.SetCell(3, 60, "-1.5");
  EXPECT_EQ(grid.Cell(0, 0), "Velo");
  EXPECT_EQ(grid.Cell(1, 0), "u(x)");
  EXPECT_EQ(grid.horizontalHeaderItem(1)->text(), "u(x)");
  EXPECT_EQ(grid.Cell(0, 60), "60");
  EXPECT_EQ(grid.Cell(3, 60), "-1.5");
  EXPECT_EQ(grid.Cell(2, 60), "");
}

TEST(StringGrid, RowsPastTheEndReadEmptyNegativeOnesAreIndexErrors) {
  StringGrid grid(4, 61);
  EXPECT_EQ(grid.Cell(1, 61), "");
  EXPECT_EQ(grid.Cell(1, 100000), "");
  EXPECT_EQ(grid.Cell(4, 1), "");
  try {
    (void)grid.Cell(1, -3);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (-3)");
  }
}

TEST(StringGrid, StartsAtRowOneAndReportsMovesBeforeAndAfter) {
  StringGrid grid(4, 61);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.Col(), 1);
  std::vector<int> rowsSeenBySelect, rowsSeenByClick, targets;
  QObject::connect(&grid, &StringGrid::SelectCell, [&](int, int row) {
    rowsSeenBySelect.push_back(grid.Row());
    targets.push_back(row);
  });
  QObject::connect(&grid, &StringGrid::Clicked, [&] { rowsSeenByClick.push_back(grid.Row()); });
  grid.SetCurrent(2, 5);
  EXPECT_EQ(rowsSeenBySelect, std::vector<int>{1});
  EXPECT_EQ(targets, std::vector<int>{5});
  EXPECT_EQ(rowsSeenByClick, std::vector<int>{5});
  EXPECT_EQ(grid.Col(), 2);
}

TEST(StringGrid, KeyboardMovesTheCurrentCellButNeverIntoTheFixedColumn) {
  StringGrid grid(4, 61);
  grid.resize(399, 399);
  grid.show();
  QSignalSpy clicks(&grid, &StringGrid::Clicked);
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(grid.Row(), 2);
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(clicks.count(), 1);
}

TEST(StringGrid, MouseClickOnAFixedCellKeepsTheCurrentCell) {
  StringGrid grid(4, 61);
  grid.resize(399, 399);
  grid.show();
  const QRect fixed = grid.visualItemRect(grid.item(3, 0));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, fixed.center());
  EXPECT_EQ(grid.Row(), 1);
  const QRect value = grid.visualItemRect(grid.item(3, 2));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, value.center());
  EXPECT_EQ(grid.Row(), 4);
  EXPECT_EQ(grid.Col(), 2);
}

TEST(StringGrid, DoubleClickOnCellsOrHeaderIsReported) {
  StringGrid grid(4, 61);
  grid.resize(399, 399);
  grid.show();
  QSignalSpy doubles(&grid, &StringGrid::DoubleClicked);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.visualItemRect(grid.item(0, 0)).center());
  QTest::mouseDClick(grid.horizontalHeader(), Qt::LeftButton, {}, QPoint(20, 5));
  EXPECT_EQ(doubles.count(), 2);
}

TEST(StringGrid, RowHeightsCountTheHeaderAsRowZero) {
  StringGrid grid(4, 61);
  grid.SetDefaultRowHeight(18);
  grid.SetRowHeight(6, 20);
  EXPECT_EQ(grid.horizontalHeader()->height(), 18);
  EXPECT_EQ(grid.rowHeight(4), 18);
  EXPECT_EQ(grid.rowHeight(5), 20);
}

}  // namespace
}  // namespace vorun
