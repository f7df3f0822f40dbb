#include "ui/readouts/Readouts.h"

#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "engine/ObservablesCsv.h"
#include "model/FileAccess.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/FileErrors.h"
#include "ui/main/Main.h"
#include "ui/widgets/Widgets.h"
#include "ui/widgets/WindowPlaces.h"

namespace vorun {

namespace {

constexpr int RefreshPeriodMs = 100;
// Redrawing the chart costs far more than measuring: a few times a second is
// live enough.
constexpr int PlotPeriods = 5;
// The rate is taken over at least this long, so that it reads steadily.
constexpr qint64 RatePeriodMs = 500;
// More points than this in a series and it keeps every other one of them.
constexpr qsizetype MaxPlotPoints = 2000;

QLabel* Value(QWidget* parent) {
  auto* label = new QLabel("-", parent);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Room for the longest number text from the start, so that the window
  // neither grows nor jumps while the values change.
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance("-8.88888888888888E-4444") + 8);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return label;
}

// The lowest and highest finite y of a series, padded so that a flat line
// lies inside the plot rather than on its edge.
void FitAxis(QValueAxis* axis, const QLineSeries* series) {
  qreal low = 0, high = 0;
  bool any = false;
  for (const QPointF& p : series->points()) {
    low = any ? std::min(low, p.y()) : p.y();
    high = any ? std::max(high, p.y()) : p.y();
    any = true;
  }
  if (!any) return;
  // A flat line (a run's first step, taons at rest) gets a scale of its own
  // size, or a unit one at zero: a span too small for the chart to tell from
  // none leaves the axis undrawn.
  const bool flat = high - low <= 1e-9 * std::max<qreal>(1, std::max(std::abs(low), std::abs(high)));
  qreal pad = (high - low) * 0.05;
  if (flat) pad = std::abs(high) * 0.05 >= 1e-9 ? std::abs(high) * 0.05 : 0.5;
  // Both plotted quantities are never negative; their scale need not be either.
  axis->setRange(low >= 0 ? std::max<qreal>(0, low - pad) : low - pad, high + pad);
}

// The steps on whole ticks, 1, 2 or 5 times a power of ten apart, at most
// five of them: every label a different step, however short the history.
void FitStepAxis(QValueAxis* axis, qreal first, qreal last) {
  const qreal span = last > first ? last - first : 1;
  qreal interval = 1;
  for (int i = 0; span / interval > 5; ++i) interval *= i % 3 == 1 ? 2.5 : 2;
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(first);
  axis->setTickInterval(interval);
  axis->setRange(first, first + span);
}

}  // namespace

TReadoutsWindow::TReadoutsWindow(TMainForm* form, Session& session)
    : QWidget(form, Qt::Window), form_(form), session_(session) {
  setObjectName("Readouts");
  setWindowTitle("Readouts");
  // On a small screen (or a large scale) the values and the plot scroll
  // rather than push the buttons off the screen.
  auto* page = new QWidget;

  auto* values = new QGridLayout;
  int row = 0;
  const auto line = [&](const QString& caption, std::initializer_list<QLabel**> fields) {
    values->addWidget(new QLabel(caption, page), row, 0);
    // A vector's components one under the other, so that the window stays
    // narrow enough for a small screen (or a large scale).
    for (QLabel** field : fields) {
      *field = Value(page);
      values->addWidget(*field, row++, 1);
    }
  };
  line("Step", {&StepValue});
  line("Time", {&TimeValue});
  line("Steps per second", {&RateValue});
  line("Kinetic energy", {&EnergyValue});
  line("Mean kinetic energy per taon", {&MeanEnergyValue});
  line("Momentum x, y, z", {&MomentumValue[0], &MomentumValue[1], &MomentumValue[2]});
  line("Centre of mass x, y, z", {&CentreValue[0], &CentreValue[1], &CentreValue[2]});
  line("Smallest pair distance", {&ClosestValue});
  line("Largest distance from the origin", {&RadiusValue});
  values->setColumnStretch(1, 1);

  EnergySeries = new QLineSeries(this);
  EnergySeries->setName("Kinetic energy");
  DistanceSeries = new QLineSeries(this);
  DistanceSeries->setName("Smallest pair distance");
  auto* chart = new QChart;
  chart->addSeries(EnergySeries);
  chart->addSeries(DistanceSeries);
  StepAxis = new QValueAxis(chart);
  StepAxis->setTitleText("Step");
  StepAxis->setLabelFormat("%.0f");
  EnergyAxis = new QValueAxis(chart);
  EnergyAxis->setTitleText("Kinetic energy");
  DistanceAxis = new QValueAxis(chart);
  DistanceAxis->setTitleText("Smallest pair distance");
  // Short labels whatever the size of the values; the exact numbers are above.
  EnergyAxis->setLabelFormat("%.4g");
  DistanceAxis->setLabelFormat("%.4g");
  chart->addAxis(StepAxis, Qt::AlignBottom);
  chart->addAxis(EnergyAxis, Qt::AlignLeft);
  chart->addAxis(DistanceAxis, Qt::AlignRight);
  EnergySeries->attachAxis(StepAxis);
  EnergySeries->attachAxis(EnergyAxis);
  DistanceSeries->attachAxis(StepAxis);
  DistanceSeries->attachAxis(DistanceAxis);
  // Each value axis in the colour of its series, so the two scales are told apart.
  EnergyAxis->setLinePenColor(EnergySeries->color());
  EnergyAxis->setLabelsColor(EnergySeries->color());
  DistanceAxis->setLinePenColor(DistanceSeries->color());
  DistanceAxis->setLabelsColor(DistanceSeries->color());
  ChartView = new QChartView(chart, page);
  ChartView->setMinimumSize(420, 260);

  ClearButton = new QPushButton("Clear", page);
  SaveButton = new QPushButton("Save as CSV ...", page);
  connect(ClearButton, &QPushButton::clicked, this, &TReadoutsWindow::ClearClick);
  connect(SaveButton, &QPushButton::clicked, this, &TReadoutsWindow::SaveCsvClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ClearButton);
  buttons->addWidget(SaveButton);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(values);
  layout->addWidget(ChartView, 1);
  layout->addLayout(buttons);
  auto* scroller = new QScrollArea(this);
  scroller->setObjectName("ReadoutsScroller");
  scroller->setWidgetResizable(true);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidget(page);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroller);
  // Smaller, the page scrolls, but never so far that one control cannot be
  // seen whole, nor sideways.
  const int bar = scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
  int tallest = 0;
  for (const QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    tallest = std::max(tallest, w->minimumSizeHint().expandedTo(w->minimumSize()).height());
  const QMargins margins = layout->contentsMargins();
  setMinimumSize(page->minimumSizeHint().width() + bar, tallest + margins.top() + margins.bottom() + bar);

  // It keeps measuring while hidden, so that the plot holds the whole run
  // when the window is shown again.
  clock_.start();
  RefreshTimer = new QTimer(this);
  RefreshTimer->setInterval(RefreshPeriodMs);
  plotPeriod_ = RefreshPeriodMs * PlotPeriods;
  connect(RefreshTimer, &QTimer::timeout, this, &TReadoutsWindow::Refresh);
  RefreshTimer->start();
  Refresh();
}

void TReadoutsWindow::hideEvent(QHideEvent* event) {
  SaveWindowPlace(session_.WindowPlacesPath, this, "Readouts");
  QWidget::hideEvent(event);
}

void TReadoutsWindow::SetRefreshInterval(int milliseconds) {
  RefreshTimer->setInterval(milliseconds);
  plotPeriod_ = static_cast<qint64>(milliseconds) * PlotPeriods;
}

void TReadoutsWindow::Refresh() {
  const std::int32_t step = session_.Run.StepCount;
  const qint64 now = clock_.elapsed();
  if (session_.Run.Stopped != 0) {
    RateValue->setText("0");
    rateKnown_ = false;
  } else if (!rateKnown_ || step < rateStep_) {
    rateKnown_ = true;
    rateStep_ = step;
    rateTime_ = now;
  } else if (now - rateTime_ >= RatePeriodMs) {
    RateValue->setText(QString::number(
        std::llround(static_cast<double>(step - rateStep_) * 1000.0 / static_cast<double>(now - rateTime_))));
    rateStep_ = step;
    rateTime_ = now;
  }

  if (session_.Run.SpiralMode != 0) {
    // The spiral is a figure, not an ensemble: nothing to measure.
    for (QLabel* label :
         {StepValue, TimeValue, EnergyValue, MeanEnergyValue, MomentumValue[0], MomentumValue[1],
          MomentumValue[2], CentreValue[0], CentreValue[1], CentreValue[2], ClosestValue, RadiusValue})
      label->setText("-");
    return;
  }
  // step times dt, as vorun-run counts it, while the time step stays the same
  const Extended80 time = form_->SimulatedTime(step);
  const Observables o = MeasureObservables(session_.Ensemble);
  ShowValues(o, step, time);
  if (!samples_.empty() && step < samples_.back().step) ClearClick();
  if (samples_.empty() || step != samples_.back().step) AddSample({step, time, o});
  // A run that has ended shows its last samples at once.
  if (session_.Run.Stopped != 0 && plotted_ < samples_.size()) FlushPlot();
}

void TReadoutsWindow::ShowValues(const Observables& o, std::int32_t step, Extended80 time) {
  StepValue->setText(QString::number(step));
  TimeValue->setText(NumberText(time));
  EnergyValue->setText(NumberText(o.kineticEnergy));
  MeanEnergyValue->setText(o.taonCount > 0 ? NumberText(o.meanKineticEnergy) : QString("-"));
  const Extended80 momentum[] = {o.momentumX, o.momentumY, o.momentumZ};
  const Extended80 centre[] = {o.centreX, o.centreY, o.centreZ};
  for (int i = 0; i < 3; ++i) {
    MomentumValue[i]->setText(NumberText(momentum[i]));
    CentreValue[i]->setText(o.taonCount > 0 ? NumberText(centre[i]) : QString("-"));
  }
  ClosestValue->setText(o.closestA == 0 ? QString("none (fewer than two taons)")
                                        : QString("%1 (slots %2 and %3)")
                                              .arg(NumberText(o.smallestDistance))
                                              .arg(o.closestA)
                                              .arg(o.closestB));
  RadiusValue->setText(NumberText(o.largestRadius));
}

void TReadoutsWindow::AddSample(const Sample& sample) {
  samples_.push_back(sample);
  const qint64 now = clock_.elapsed();
  if (now - plotTime_ < plotPeriod_) return;
  plotTime_ = now;
  FlushPlot();
}

void TReadoutsWindow::FlushPlot() {
  // A value the plot cannot place (an overflowed energy, the distance of a
  // single taon) is left out of its series; the CSV keeps it.
  QList<QPointF> energy, distance;
  for (; plotted_ < samples_.size(); ++plotted_) {
    if (plotted_ % static_cast<std::size_t>(stride_) != 0) continue;
    const Sample& s = samples_[plotted_];
    const double e = static_cast<double>(s.values.kineticEnergy),
                 d = static_cast<double>(s.values.smallestDistance);
    if (std::isfinite(e)) energy.append({static_cast<qreal>(s.step), e});
    if (std::isfinite(d)) distance.append({static_cast<qreal>(s.step), d});
  }
  if (!energy.isEmpty()) EnergySeries->append(energy);
  if (!distance.isEmpty()) DistanceSeries->append(distance);
  if (EnergySeries->count() > MaxPlotPoints || DistanceSeries->count() > MaxPlotPoints) {
    stride_ *= 2;
    RebuildSeries();
  }
  FitAxes();
}

void TReadoutsWindow::RebuildSeries() {
  EnergySeries->clear();
  DistanceSeries->clear();
  plotted_ = 0;
  FlushPlot();
}

void TReadoutsWindow::FitAxes() {
  if (samples_.empty()) return;
  FitStepAxis(StepAxis, samples_.front().step, samples_.back().step);
  FitAxis(EnergyAxis, EnergySeries);
  FitAxis(DistanceAxis, DistanceSeries);
}

void TReadoutsWindow::ClearClick() {
  samples_.clear();
  stride_ = 1;
  plotted_ = 0;
  EnergySeries->clear();
  DistanceSeries->clear();
}

void TReadoutsWindow::SaveCsvClick() {
  Guarded(this, [&] {
    const std::optional<QString> name = Dialogs().SaveFileName(this, {"CSV files (*.csv)|*.csv", "csv"});
    if (!name) return;
    std::string text = ObservablesCsvHeader();
    for (const Sample& s : samples_) text += ObservablesCsvRow(s.step, s.time, s.values);
    const std::string file = name->toStdString();
    OnFile("save", file, [&] { ReplaceFile(file, text); });
  });
}

// --- the main window's command ---------------------------------------------------

void TMainForm::ReadoutsClick() {
  if (Readouts == nullptr) {
    Readouts = new TReadoutsWindow(this, session_);
    QSize size(720, 560);
    if (const QScreen* screen = this->screen())
      size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    Readouts->resize(size.expandedTo(Readouts->minimumSize()));
    if (!RestoreWindowPlace(session_.WindowPlacesPath, Readouts, "Readouts")) {
      // Beside the main window, where it hides none of the scene; on the left
      // when the screen has no room on the right, and never off the screen.
      QPoint place = frameGeometry().topRight() + QPoint(8, 0);
      if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        if (place.x() + Readouts->width() > room.right())
          place.setX(std::max(room.left(), frameGeometry().left() - 8 - Readouts->width()));
        place.setY(
            std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() - Readouts->height())));
      }
      Readouts->move(place);
    }
  }
  Readouts->show();
  Readouts->raise();
  Readouts->activateWindow();
}

}  // namespace vorun
