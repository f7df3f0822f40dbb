// The "Listing" page of the main window: the grid of the slots' positions or
// velocities and the colour split that chooses where parameter set 2 begins.
// A double click on the grid is told to the window, which switches what the
// grid lists.
#pragma once

#include <QWidget>

#include "model/Choices.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace vorun {

class StringGrid;

class TListingPage : public QWidget {
  Q_OBJECT

 public:
  TListingPage();

  StringGrid* Grid() const { return DaonsTable; }
  ColourSplit Split() const;
  // The grid follows the left edge of the run panel, at panelLeft.
  void FollowPanelEdge(int panelLeft);
  // What would run past the page's edge is cut back to it, and the value
  // columns share what the number column leaves.
  void FitIntoPage(int panelLeft);

 signals:
  void GridDoubleClicked();

 private:
  StringGrid* DaonsTable;
  QGroupBox* Colours;
  QButtonGroup* SplitGroup;
  QRadioButton* Ak;
  QLineEdit* Edit7;
  QLineEdit* Edit8;
  QRadioButton* Bk;
  QRadioButton* Ck;
};

}  // namespace vorun
