// View > Readouts: a window beside the main window with what the engine's
// observables routine measures of the live ensemble (step, simulated time,
// steps per second, energy, momentum, centre of mass, closest pair), and below
// it a plot of the kinetic energy and the smallest pair distance against the
// step, kept for the whole run and saved as CSV.
//
// It measures on a timer, about ten times a second, never once per step: the
// run loop serves the event queue between two steps, so a tick always sees the
// state of a completed step, and a run pays only for the ticks.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "engine/Observables.h"

class QLabel;
class QLineSeries;
class QPushButton;
class QTimer;
class QValueAxis;
class QChart;
class QChartView;

namespace vorun {

class TMainForm;
struct Session;

class TReadoutsWindow : public QWidget {
 public:
  TReadoutsWindow(TMainForm* form, Session& session);

  struct Sample {
    std::int32_t step;
    Extended80 time;
    Observables values;
  };
  // One sample per tick at which the step count had moved on, in step order.
  // A step count that went back (another ensemble was opened, the editor
  // stored one) starts a new history.
  const std::vector<Sample>& Samples() const { return samples_; }

  // The period of the measurement; the plot is redrawn at most every five
  // periods. Tests take 0: both at every event turn.
  void SetRefreshInterval(int milliseconds);
  // One tick: measures the ensemble now, shows it and samples it.
  void Refresh();
  void ClearClick();
  void SaveCsvClick();

  QLabel* StepValue;
  QLabel* TimeValue;
  QLabel* RateValue;
  QLabel* EnergyValue;
  QLabel* MeanEnergyValue;
  QLabel* MomentumValue[3];
  QLabel* CentreValue[3];
  QLabel* ClosestValue;
  QLabel* RadiusValue;
  QChartView* ChartView;
  QLineSeries* EnergySeries;
  QLineSeries* DistanceSeries;
  QValueAxis* StepAxis;
  QValueAxis* EnergyAxis;
  QValueAxis* DistanceAxis;
  QPushButton* ClearButton;
  QPushButton* SaveButton;
  QTimer* RefreshTimer;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowValues(const Observables& o, std::int32_t step, Extended80 time);
  void AddSample(const Sample& sample);
  // The samples not yet in the series go in, and the axes follow.
  void FlushPlot();
  // The series hold every stride-th sample, so a long run keeps a plot that
  // draws as fast as a short one; the CSV keeps every sample.
  void RebuildSeries();
  void FitAxes();

  TMainForm* form_;
  Session& session_;
  std::vector<Sample> samples_;
  int stride_ = 1;
  // Samples from this index on are not in the series yet.
  std::size_t plotted_ = 0;
  qint64 plotPeriod_ = 0;
  qint64 plotTime_ = 0;
  QElapsedTimer clock_;
  std::int32_t rateStep_ = 0;
  qint64 rateTime_ = 0;
  bool rateKnown_ = false;
};

}  // namespace vorun
