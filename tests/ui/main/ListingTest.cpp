#include <QHeaderView>
#include <cmath>
#include <limits>

#include "ui/Controls.h"
#include "ui/main/MainFormFixture.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::MainFormTest;

class Listing : public MainFormTest {
 protected:
  QString Cell(int c, int r) const { return Grid()->Cell(c, r); }
  void DoubleClick() {
    QWidget* cells = Grid()->viewport();
    QTest::mouseDClick(cells, Qt::LeftButton, {}, QPoint(30, 10));
  }
  void Occupy(int n, Extended80 x, Extended80 y, Extended80 z, Extended80 u, Extended80 v, Extended80 w) {
    Ensemble.Exists[n] = 1;
    Ensemble.PosX[n] = x;
    Ensemble.PosY[n] = y;
    Ensemble.PosZ[n] = z;
    Ensemble.VelU[n] = u;
    Ensemble.VelV[n] = v;
    Ensemble.VelW[n] = w;
  }
};

TEST_F(Listing, GridShapeRowHeightsAndColumns) {
  EXPECT_EQ(Grid()->RowCount(), 61);
  EXPECT_EQ(Grid()->ColumnCount(), 4);
  EXPECT_EQ(Grid()->horizontalHeader()->height(), 18);
  EXPECT_EQ(Grid()->rowHeight(0), 20);  // grid row 1
  EXPECT_EQ(Grid()->rowHeight(1), 18);
  EXPECT_EQ(Grid()->rowHeight(59), 18);
  EXPECT_EQ(Grid()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(Grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(Grid()->geometry().topLeft(), QPoint(0, 6));
  EXPECT_EQ(Grid()->height(), 99);
}

TEST_F(Listing, StartStateListsPositionsWithNumberedRows) {
  EXPECT_EQ(Cell(0, 0), "");
  EXPECT_EQ(Cell(1, 0), "X");
  EXPECT_EQ(Cell(2, 0), "Y");
  EXPECT_EQ(Cell(3, 0), "Z");
  for (int n = 1; n <= 60; ++n) {
    EXPECT_EQ(Cell(0, n), QString::number(n));
    // The spiral start builds no ensemble: every slot is empty.
    EXPECT_EQ(Cell(1, n), "");
    EXPECT_EQ(Cell(3, n), "");
  }
}

TEST_F(Listing, DoubleClicksSwitchBetweenPositionsAndVelocities) {
  Occupy(3, 1.5L, -2, 0, 0.25L, -0.5L, 7);
  form->FillListing();
  EXPECT_EQ(Cell(1, 3), "1.5");
  EXPECT_EQ(Cell(2, 3), "-2");

  DoubleClick();
  EXPECT_EQ(Display.ListVelocities, 1);
  EXPECT_EQ(Cell(0, 0), "");
  EXPECT_EQ(Cell(1, 0), "u(x)");
  EXPECT_EQ(Cell(2, 0), "u(y)");
  EXPECT_EQ(Cell(3, 0), "u(z)");
  EXPECT_EQ(Cell(1, 3), "0.25");
  EXPECT_EQ(Cell(2, 3), "-0.5");
  EXPECT_EQ(Cell(3, 3), "7");

  DoubleClick();
  EXPECT_EQ(Display.ListVelocities, 0);
  EXPECT_EQ(Cell(1, 0), "X");
  EXPECT_EQ(Cell(1, 3), "1.5");
}

TEST_F(Listing, DoubleClickOnTheHeaderRowSwitchesToo) {
  QTest::mouseDClick(Grid()->horizontalHeader(), Qt::LeftButton, {}, QPoint(70, 5));
  EXPECT_EQ(Cell(1, 0), "u(x)");
}

TEST_F(Listing, AnEmptiedSlotShowsOnlyItsNumberAndKeepsItsValues) {
  Occupy(60, 1, 2, 3, 4, 5, 6);
  form->FillListing();
  EXPECT_EQ(Cell(3, 60), "3");
  Ensemble.Exists[60] = 0;
  form->FillListing();
  EXPECT_EQ(Cell(0, 60), "60");
  EXPECT_EQ(Cell(1, 60), "");
  EXPECT_EQ(Cell(2, 60), "");
  EXPECT_EQ(Cell(3, 60), "");
  EXPECT_EQ(Ensemble.PosZ[60], 3.0L);
  // Any non-zero occupancy byte counts as present.
  Ensemble.Exists[60] = 255;
  form->FillListing();
  EXPECT_EQ(Cell(3, 60), "3");
}

// 0.0001 is the smallest magnitude in fixed notation; one tenth of it turns scientific.
TEST_F(Listing, SmallValuesAndTheLocaleSeparator) {
  Occupy(1, 0.00001L, 0.0001L, -0.00001L, 0, 0, 0);
  form->FillListing();
  EXPECT_EQ(Cell(1, 1), "1E-5");
  EXPECT_EQ(Cell(2, 1), "0.0001");
  EXPECT_EQ(Cell(3, 1), "-1E-5");
  DecimalSeparator = ',';
  form->FillListing();
  EXPECT_EQ(Cell(2, 1), "0,0001");
}

TEST_F(Listing, ValuesThatAreNotFinite) {
  Occupy(2, std::numeric_limits<Extended80>::infinity(), -std::numeric_limits<Extended80>::infinity(),
         std::numeric_limits<Extended80>::quiet_NaN(), 0, 0, 0);
  form->FillListing();
  EXPECT_EQ(Cell(1, 2), "INF");
  EXPECT_EQ(Cell(2, 2), "-INF");
  EXPECT_EQ(Cell(3, 2), "NAN");
}

}  // namespace
}  // namespace vorun
