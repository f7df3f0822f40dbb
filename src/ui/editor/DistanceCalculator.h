// One of the editor's four distance calculators: two row numbers, the
// distance between those rows of the editor's grid, and its Calculate and
// Reset buttons. It reads the grid's text, not the ensemble. The controls
// carry the names EditCal<n>Part1, EditCal<n>Part2, EditResult<n>,
// Calculate<n> and Reset<n>, n counted from 1.
#pragma once

class QLineEdit;
class QPushButton;
class QWidget;

namespace vorun {

class StringGrid;

class DistanceCalculator {
 public:
  // Builds group `group` (0 to 3) of the editor at its design place.
  DistanceCalculator(QWidget* editor, int group, const StringGrid* grid);

  // The distance into the result; a failure is reported and leaves it.
  void Calculate();
  // All three fields back to "0".
  void Reset();

 private:
  QWidget* editor_;
  const StringGrid* grid_;
  QLineEdit* part1_;
  QLineEdit* part2_;
  QLineEdit* result_;
};

}  // namespace vorun
