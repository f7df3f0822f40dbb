// The run panel (Panel1) at the right of the bottom panel: the formula box,
// the time and time step, Go, the arrow pad, the amplitude, Heater and Cooler,
// and the eleven parameter fields. It owns these controls and says through
// signals what the window must do; the step's settings are put together here.
#pragma once

#include <QFrame>
#include <array>

#include "engine/Settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace vorun {

class TFormulaBox;
class TNavigationPad;
class TShape;
class TWallBar;

class TRunPanel : public QFrame {
  Q_OBJECT

 public:
  explicit TRunPanel(QWidget* parent);

  // The next step's settings: the formula box, Heater and Cooler from here,
  // the walls from the strip above the scene, the split and scope as chosen
  // on the panels that show them.
  StepSettings Settings(const TWallBar& walls, ColourSplit split, Scope scope) const;

  // EditDT and EditA1 ... EditF2 in the order of ParameterFieldTable.
  const std::array<QLineEdit*, 11>& Fields() const { return fields_; }

  TFormulaBox* FormulaBox;
  QLabel* Label1;
  QLabel* LTime;
  QLabel* DtLabel;
  QLineEdit* EditDT;
  QToolButton* Null00;
  TNavigationPad* NavigationPad;
  TShape* ShapeLime;
  TShape* ShapeRed;
  QPushButton* Go;
  QSlider* TrackBar;
  QCheckBox* ShowList;
  QCheckBox* Warm;
  QCheckBox* Cool;

 signals:
  void GoClicked();
  void NullClicked();
  void AmplitudeChanged();
  // Show Listing was ticked: the listing must show the ensemble at once.
  void ListingWanted();

 private:
  std::array<QLineEdit*, 11> fields_{};
};

}  // namespace vorun
