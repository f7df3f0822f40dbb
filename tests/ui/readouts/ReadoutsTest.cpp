#include <QAction>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <QValueAxis>
#include <cstring>

#include "engine/ObservablesCsv.h"
#include "engine/Step.h"
#include "ui/Controls.h"
#include "ui/main/MainFormFixture.h"
#include "ui/readouts/Readouts.h"

namespace vorun {
namespace {

using test::ReadText;
using test::WriteText;

bool SameBits(Extended80 a, Extended80 b) { return std::memcmp(&a, &b, 10) == 0; }

// The sample ensemble (three taons, slot 1 moving) loaded at start-up, and
// the readouts window open.
class Readouts : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(StartFilePath, Path("ring.tvx"));
  }
  void SetUp() override {
    test::MainFormTest::SetUp();
    Action("ShowReadouts")->trigger();
    readouts = FindControl<TReadoutsWindow>(form, "Readouts");
  }
  // Runs exactly `steps` steps: a zero timer presses Go again once they are done.
  void RunSteps(int steps) {
    QTimer stopper;
    stopper.setInterval(0);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
      if (Run.StepCount >= steps && Run.Stopped == 0) Push("Go")->click();
    });
    stopper.start();
    Push("Go")->click();
  }
  TReadoutsWindow* readouts = nullptr;
};

// By hand: kinetic energy 1/2 * 1^2; the centre (0.5 - 0.5 + 0, 0, 0.75) / 3;
// slot 31 at (0, 0, 0.75) lies sqrt(0.8125) from slots 1 and 2, closer than
// the 1 between them, and the first pair in slot order keeps the tie.
TEST_F(Readouts, ShowTheHandCheckedValuesOfTheSample) {
  EXPECT_TRUE(readouts->isVisible());
  EXPECT_EQ(readouts->StepValue->text(), "0");
  EXPECT_EQ(readouts->TimeValue->text(), "0");
  EXPECT_EQ(readouts->RateValue->text(), "0");
  EXPECT_EQ(readouts->EnergyValue->text(), "0.5");
  EXPECT_EQ(readouts->MeanEnergyValue->text(), "0.166666666666667");
  EXPECT_EQ(readouts->MomentumValue[0]->text(), "1");
  EXPECT_EQ(readouts->MomentumValue[1]->text(), "0");
  EXPECT_EQ(readouts->MomentumValue[2]->text(), "0");
  EXPECT_EQ(readouts->CentreValue[0]->text(), "0");
  EXPECT_EQ(readouts->CentreValue[1]->text(), "0");
  EXPECT_EQ(readouts->CentreValue[2]->text(), "0.25");
  EXPECT_EQ(readouts->ClosestValue->text(), "0.901387818865997 (slots 1 and 31)");
  EXPECT_EQ(readouts->RadiusValue->text(), "0.75");
  // The window opens on the screen beside the main window, not over its
  // scene, where the screen has room for both.
  const QRect room = form->screen()->availableGeometry();
  const QRect main = form->frameGeometry(), beside = readouts->frameGeometry();
  EXPECT_TRUE(room.contains(beside.topLeft()));
  if (room.width() >= main.width() + beside.width() + 16) {
    EXPECT_FALSE(beside.intersects(main));
  }
}

// Sampled at every event turn, so at every step: each sample, and each point
// of both series, is what the observables routine gives for the same
// ensemble stepped alone.
TEST_F(Readouts, PlotSeriesEqualTheObservablesAtTheirSteps) {
  readouts->SetRefreshInterval(0);
  EnsembleState alone = Ensemble;
  const StepSettings settings = form->CurrentStepSettings();
  RunSteps(6);
  readouts->Refresh();
  const auto& samples = readouts->Samples();
  ASSERT_GE(samples.size(), 6u);
  EXPECT_EQ(samples.front().step, 0);
  EXPECT_EQ(samples.back().step, Run.StepCount);
  ASSERT_EQ(readouts->EnergySeries->count(), static_cast<qsizetype>(samples.size()));
  ASSERT_EQ(readouts->DistanceSeries->count(), static_cast<qsizetype>(samples.size()));
  std::int32_t step = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    while (step < samples[i].step) {
      AdvanceStep(alone, settings);
      ++step;
    }
    const Observables expected = MeasureObservables(alone);
    const Observables& got = samples[i].values;
    EXPECT_TRUE(SameBits(got.kineticEnergy, expected.kineticEnergy)) << "step " << step;
    EXPECT_TRUE(SameBits(got.smallestDistance, expected.smallestDistance)) << "step " << step;
    EXPECT_TRUE(SameBits(got.centreX, expected.centreX)) << "step " << step;
    EXPECT_TRUE(SameBits(got.momentumX, expected.momentumX)) << "step " << step;
    EXPECT_TRUE(SameBits(samples[i].time, step * Ensemble.TimeStep));
    const QPointF energy = readouts->EnergySeries->at(static_cast<qsizetype>(i));
    const QPointF distance = readouts->DistanceSeries->at(static_cast<qsizetype>(i));
    EXPECT_EQ(energy, QPointF(step, static_cast<double>(expected.kineticEnergy)));
    EXPECT_EQ(distance, QPointF(step, static_cast<double>(expected.smallestDistance)));
  }
  EXPECT_EQ(readouts->StepValue->text(), QString::number(Run.StepCount));
}

TEST_F(Readouts, SavedCsvHoldsEverySampleUnderTheRunnersColumns) {
  readouts->SetRefreshInterval(0);
  RunSteps(3);
  readouts->Refresh();
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("run.csv")));
  readouts->SaveButton->click();
  EXPECT_EQ(dialogs.fileRequests.back().defaultExtension, "csv");
  std::string expected = ObservablesCsvHeader();
  for (const auto& s : readouts->Samples()) expected += ObservablesCsvRow(s.step, s.time, s.values);
  EXPECT_EQ(ReadText(Path("run.csv")), expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'),
            1 + static_cast<long>(readouts->Samples().size()));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Readouts, ClearEmptiesThePlotAndANewEnsembleStartsANewHistory) {
  readouts->SetRefreshInterval(0);
  RunSteps(3);
  readouts->Refresh();
  ASSERT_GT(readouts->Samples().size(), 1u);
  readouts->ClearButton->click();
  EXPECT_TRUE(readouts->Samples().empty());
  EXPECT_EQ(readouts->EnergySeries->count(), 0);
  // The next tick samples the state on show again.
  readouts->Refresh();
  ASSERT_EQ(readouts->Samples().size(), 1u);
  EXPECT_EQ(readouts->Samples().front().step, Run.StepCount);

  RunSteps(Run.StepCount + 2);
  readouts->Refresh();
  ASSERT_GT(readouts->Samples().size(), 1u);
  // Opening resets the step count: the old history belongs to another ensemble.
  dialogs.answers.push_back(MessageAnswer::Discard);
  form->OpenEnsemble(QString::fromStdString(Path("ring.tvx")));
  readouts->Refresh();
  ASSERT_EQ(readouts->Samples().size(), 1u);
  EXPECT_EQ(readouts->Samples().front().step, 0);
  EXPECT_EQ(readouts->EnergySeries->count(), 1);
}

// During a run the window measures on its timer, about ten times a second,
// and shows how fast the run goes.
TEST_F(Readouts, MeasureDuringARunAndShowTheRate) {
  QString rate;
  QTimer stopper;
  stopper.setInterval(0);
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (clock.elapsed() > 1500 && Run.Stopped == 0) {
      rate = readouts->RateValue->text();
      Push("Go")->click();
    }
  });
  stopper.start();
  Push("Go")->click();
  EXPECT_GT(rate.toLongLong(), 0) << rate.toStdString();
  // Far fewer samples than steps: the window never measures once per step.
  const auto samples = readouts->Samples().size();
  EXPECT_GE(samples, 5u);
  EXPECT_LT(samples, 40u);
  EXPECT_LT(static_cast<std::int64_t>(samples), Run.StepCount);
}

// The time is the sum of the steps taken: a new time step counts from now on.
TEST_F(Readouts, TimeIsTheSumOfTheTimeStepsUsed) {
  readouts->SetRefreshInterval(0);
  RunSteps(2);
  Line("EditDT")->setText("0.5");
  Leave(Line("EditDT"));
  RunSteps(3);
  readouts->Refresh();
  ASSERT_EQ(readouts->Samples().back().step, 3);
  EXPECT_TRUE(SameBits(readouts->Samples().back().time, 2 * 0.05L + 0.5L));
}

// The labels a value axis shows, in its own format.
QStringList TickLabels(const QValueAxis* axis) {
  QStringList labels;
  const QByteArray format = axis->labelFormat().toLatin1();
  if (axis->tickType() == QValueAxis::TicksDynamic) {
    for (qreal v = axis->tickAnchor(); v <= axis->max() + 1e-9; v += axis->tickInterval())
      if (v >= axis->min() - 1e-9) labels << QString::asprintf(format.constData(), v);
  } else {
    for (int i = 0; i < axis->tickCount(); ++i)
      labels << QString::asprintf(format.constData(),
                                  axis->min() + (axis->max() - axis->min()) * i / (axis->tickCount() - 1));
  }
  return labels;
}

// At step 0, moving or at rest, the plot has one sample: each axis still
// shows distinct labels around it, and the energy axis is drawn in its colour.
class ReadoutsAtStepZero : public Readouts, public testing::WithParamInterface<bool> {
 protected:
  // The window opens on the ensemble as it is: moving, or brought to rest first.
  void SetUp() override {
    test::MainFormTest::SetUp();
    if (GetParam())
      for (int n = 1; n <= MaxSlots; ++n) Ensemble.VelU[n] = Ensemble.VelV[n] = Ensemble.VelW[n] = 0;
    Action("ShowReadouts")->trigger();
    readouts = FindControl<TReadoutsWindow>(form, "Readouts");
  }
};

TEST_P(ReadoutsAtStepZero, AxesShowDistinctLabelsAndTheEnergyAxis) {
  readouts->SetRefreshInterval(0);
  QTest::qWait(50);
  ASSERT_EQ(readouts->EnergySeries->count(), 1);
  const qreal energy = readouts->EnergySeries->at(0).y();
  EXPECT_EQ(energy, GetParam() ? 0.0 : 0.5);

  for (const QValueAxis* axis : {readouts->StepAxis, readouts->EnergyAxis, readouts->DistanceAxis}) {
    const QStringList labels = TickLabels(axis);
    EXPECT_GE(labels.size(), 2) << axis->titleText().toStdString();
    EXPECT_EQ(QSet<QString>(labels.begin(), labels.end()).size(), labels.size())
        << axis->titleText().toStdString() << ": " << labels.join(" ").toStdString();
  }
  EXPECT_EQ(TickLabels(readouts->StepAxis).first(), "0");
  EXPECT_TRUE(readouts->EnergySeries->attachedAxes().contains(readouts->EnergyAxis));
  EXPECT_LE(readouts->EnergyAxis->min(), energy);
  EXPECT_GT(readouts->EnergyAxis->max(), energy);

  // The energy axis's line and labels, in the energy's colour, along the plot's
  // left edge, once the chart has drawn its new ranges.
  QTest::qWait(50);
  const QImage plot = readouts->ChartView->grab().toImage();
  const QRgb colour = readouts->EnergyAxis->linePenColor().rgb();
  int drawn = 0;
  for (int y = plot.height() / 4; y < plot.height(); ++y)
    for (int x = 0; x < plot.width() / 5; ++x) drawn += (plot.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  EXPECT_GT(drawn, 50);
}

INSTANTIATE_TEST_SUITE_P(MovingAndAtRest, ReadoutsAtStepZero, testing::Bool());

}  // namespace
}  // namespace vorun
