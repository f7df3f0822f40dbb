// Steps per second of the real run loop: the main window on the offscreen
// platform, Go pressed, each step followed by the drawing, the optional listing
// and the event turn, until a stop press after a fixed number of steps. Beside
// it, AdvanceStep alone on the same ensemble and formula, so the cost of the
// window's part of a step shows. The ensemble is the 60-taon cloud of
// step_bench (same generator and seed), rebuilt for every run of RunSteps steps
// so that it never collapses or flies apart. The step count goes on from run
// to run, as in one long run, so that with the readouts window open its plot
// holds a long history. Wall time: the step runs on all cores (or
// VORUN_THREADS), and the listing page is the one in view.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "BenchCloud.h"
#include "engine/Step.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/main/Main.h"

namespace vorun {
namespace {

constexpr int RunSteps = 256;

// No one answers dialogs here: a message means the benchmark went wrong.
class NoDialogs final : public DialogSeam {
 public:
  MessageAnswer Message(QWidget*, MessageKind, const QString& text, MessageButtons) override {
    std::fprintf(stderr, "unexpected message: %s\n", text.toUtf8().constData());
    std::abort();
  }
  std::optional<QString> OpenFileName(QWidget*, const FileDialogRequest&) override { return std::nullopt; }
  std::optional<QString> SaveFileName(QWidget*, const FileDialogRequest&) override { return std::nullopt; }
};

// Made at the first benchmark, gone before the application object is; the
// session outlives every window made over it.
Session session;
std::unique_ptr<TMainForm> window;

TMainForm& Window() {
  static QTemporaryDir folder;
  static NoDialogs dialogs;
  if (!window) {
    SetDialogs(&dialogs);
    session.StartFilePath = (folder.path() + "/Start.tvx2").toStdString();
    window = std::make_unique<TMainForm>(session);
    window->show();
    QApplication::processEvents();
  }
  return *window;
}

// The window's controls by the names they carry; it has no editor here, so
// each name is its own.
template <class Control>
Control* Find(TMainForm& form, const char* name) {
  return form.findChild<Control*>(name);
}

void RunLoopBench(benchmark::State& state, Formula formula, bool listing, bool readouts) {
  // The readouts window keeps measuring once opened; a run without it needs a
  // window that never had it.
  if (!readouts && window && window->findChild<QWidget*>("Readouts") != nullptr) window.reset();
  TMainForm& form = Window();
  Find<QRadioButton>(form, formula == Formula::Exponential ? "Exponential" : "PolyExpSum")->setChecked(true);
  Find<QCheckBox>(form, "ShowList")->setChecked(listing);
  if (readouts) {
    const auto* shown = form.findChild<QWidget*>("Readouts");
    if (shown == nullptr || !shown->isVisible()) Find<QAction>(form, "ShowReadouts")->trigger();
  }
  QPushButton* go = Find<QPushButton>(form, "Go");
  std::int32_t last = 0;
  // Presses Go again once the run has done its steps; a zero timer fires at every event turn.
  QTimer stopper;
  stopper.setInterval(0);
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (session.Run.StepCount >= last + RunSteps && session.Run.Stopped == 0) go->click();
  });
  std::int64_t steps = 0;
  for (auto _ : state) {
    session.Ensemble = bench::MakeCloud();
    session.Run.SpiralMode = 0;
    last = session.Run.StepCount;
    go->setEnabled(true);
    stopper.start();
    go->click();
    stopper.stop();
    steps += session.Run.StepCount - last;
  }
  state.SetItemsProcessed(steps);
  state.counters["steps_per_run"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
}

void AdvanceStepBench(benchmark::State& state, Formula formula) {
  StepSettings settings;
  settings.law.formula = formula;
  EnsembleState ensemble;
  int count = 0;
  for (auto _ : state) {
    if (count++ % RunSteps == 0) ensemble = bench::MakeCloud();
    AdvanceStep(ensemble, settings);
    benchmark::DoNotOptimize(ensemble.NextPosX[MaxSlots]);
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(AdvanceStepBench, Exponential, Formula::Exponential)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunLoopBench, Exponential_Drawing, Formula::Exponential, false, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunLoopBench, Exponential_DrawingAndReadouts, Formula::Exponential, false, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunLoopBench, Exponential_DrawingAndListing, Formula::Exponential, true, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(AdvanceStepBench, PolyExpSum, Formula::PolyExpSum)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunLoopBench, PolyExpSum_Drawing, Formula::PolyExpSum, false, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunLoopBench, PolyExpSum_DrawingAndReadouts, Formula::PolyExpSum, false, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunLoopBench, PolyExpSum_DrawingAndListing, Formula::PolyExpSum, true, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace vorun

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  vorun::window.reset();
  return 0;
}
