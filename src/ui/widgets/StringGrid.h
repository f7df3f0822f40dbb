// A read-only grid of text cells as the windows list the slots: row 0 is a
// fixed header row that stays in view while the rest scrolls, column 0 a fixed
// column (the slot numbers). Rows and columns are counted with the fixed ones,
// so row n of the grid is slot n and Cell(0, 0) is the corner.
#pragma once

#include <QString>
#include <QTableWidget>

#include "model/Global.h"
#include "ui/widgets/RepaintPacer.h"

namespace vorun {

class StringGrid : public QTableWidget {
  Q_OBJECT

 public:
  StringGrid(int columns, int rows, QWidget* parent = nullptr);

  int ColumnCount() const { return columnCount(); }
  int RowCount() const { return rowCount() + 1; }

  // Text of a cell. A row or column past the last reads as empty text; a
  // negative one is an index error, Error("List index out of bounds (-1)").
  QString Cell(int column, int row) const;
  void SetCell(int column, int row, const QString& text);

  // A value cell (row 1 on, column 1 on) that shows a number as FloatToStr
  // writes it. The text is formed when the cell is read or painted, not
  // here: a listing refilled after every step formats only the few cells in
  // view, and a value that did not change costs a comparison. Allocates
  // nothing. Once the refill is done, ShowChangedNumbers repaints the grid if
  // any number changed; while repaints are paced (a grid refilled at every
  // step of a run) it is painted at most once an interval, always with the
  // values of the last refill.
  void SetNumber(int column, int row, Extended80 value);
  void ShowChangedNumbers();
  void SetPacedRepaints(bool paced) { paced_ = paced; }

  // The current cell; never in the fixed row or column.
  int Row() const { return row_; }
  int Col() const { return col_; }
  void SetCurrent(int column, int row);
  // Called from a SelectCell handler: the current cell stays where it was.
  void RefuseSelection() { refused_ = true; }

  void SetDefaultColumnWidth(int width);
  void SetDefaultRowHeight(int height);
  void SetRowHeight(int row, int height);

 signals:
  // A new cell becomes current, by mouse or keyboard. SelectCell comes first,
  // while Row() and Col() still give the old cell, and its handler may refuse
  // the move; Clicked follows once they give the new one.
  void SelectCell(int column, int row);
  void Clicked();
  // A double click anywhere on the grid, fixed cells included.
  void DoubleClicked();

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A value cut at its cell's edge shows whole in a tooltip.
  bool viewportEvent(QEvent* event) override;

 private:
  int row_ = 1;
  int col_ = 1;
  bool numbersChanged_ = false;
  bool paced_ = false;
  bool refused_ = false;
  RepaintPacer pacer_{[this] { viewport()->update(); }};
};

}  // namespace vorun
