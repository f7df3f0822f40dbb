// The run panel (Panel1) at the right of the bottom panel: the formula box,
// the time and time step, Go, the arrow pad, the amplitude, Heater and Cooler,
// and the eleven parameter fields. It owns these controls, shows what the
// window tells it and says through signals what the user did; the step's
// settings are put together here.
#pragma once

#include <QFrame>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

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

// Kinds of the Go button: OK while stopped (Enter presses it), Cancel while
// running (Escape presses it, Enter does nothing).
enum class GoKind { OK, Cancel };

class TRunPanel : public QFrame {
  Q_OBJECT

 public:
  explicit TRunPanel(QWidget* parent);

  // The next step's settings: the formula box, Heater and Cooler from here,
  // the walls from the strip above the scene, the split and scope as chosen
  // on the panels that show them.
  StepSettings Settings(const TWallBar& walls, ColourSplit split, Scope scope) const;

  // The pad's buttons, for the window to listen to.
  const TNavigationPad& Pad() const { return *NavigationPad; }

  // --- the parameter fields, EditDT and EditA1 ... EditF2 in the order of
  // ParameterFieldTable ---------------------------------------------------
  void ShowParameters(const EnsembleState& e);
  // The field's text into its parameter; throws when the text is no number,
  // and the parameter keeps its value then.
  void TakeParameter(std::size_t index, EnsembleState& e) const;
  // The field's place in ParameterFieldTable, if the object is one of them.
  std::optional<std::size_t> ParameterIndex(const QObject* o) const;

  // --- the run controls ----------------------------------------------------
  // Go, the lamps and Null00 for a running or a stopped run.
  void ShowRunning(bool running);
  // Go and Null00 for an ensemble that can run, or the spiral, which cannot.
  void SetRunnable(bool runnable);
  GoKind GoButtonKind() const { return goKind_; }
  void SetGoKind(GoKind kind);
  // Enter presses Go while it reads OK and is swallowed while it reads Stop;
  // Escape presses it while it reads Stop. True when the key was Go's.
  bool PressGoFor(int key);
  void ShowStepCount(std::int32_t step);
  // Null00 says that the velocities were zeroed.
  void ShowNulled();
  // Show Listing: a run refreshes the listing at every step.
  bool ListingFollowsRun() const;
  int Amplitude() const;

 signals:
  void GoClicked();
  void NullClicked();
  void AmplitudeChanged();
  // Show Listing was ticked: the listing must show the ensemble at once.
  void ListingWanted();
  // A parameter field was left (not merely a window switch): its text
  // should now become the parameter.
  void ParameterFieldLeft(std::size_t index);
  // The time label switches between showing the step count and not.
  void TimeDoubleClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
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

  std::array<QLineEdit*, 11> fields_{};
  GoKind goKind_ = GoKind::OK;
};

}  // namespace vorun
