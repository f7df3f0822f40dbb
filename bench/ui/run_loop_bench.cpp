// Steps per second of the real run loop: the main window on the offscreen
// platform, Go pressed, each step followed by the drawing, the optional listing
// and the event turn, until a stop press after a fixed number of steps. Beside
// it, AdvanceStep alone on the same ensemble and formula, so the cost of the
// window's part of a step shows. The ensemble is the 60-taon cloud of
// step_bench (same generator and seed), rebuilt for every run of RunSteps steps
// so that it never collapses or flies apart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/Step.h"
#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "ui/Dialogs.h"
#include "ui/Main.h"

namespace vorun {
namespace {

constexpr int RunSteps = 64;

Extended80 NextCoordinate(std::uint64_t& seed) {
  seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<Extended80>(seed >> 11) / static_cast<Extended80>(1ULL << 53) * 6 - 3;
}

// 60 taons within +-3, no two closer than 0.3: the cloud of step_bench.
void MakeCloud() {
  auto& e = Ensemble;
  e = EnsembleState{};
  e.SlotCount = MaxSlots;
  e.TimeStep = 0.001L;
  e.A1 = 0.1L, e.B1 = 0.5L, e.C1 = 1, e.D1 = 1.5L, e.F1 = 2;
  e.A2 = 0.12L, e.B2 = 0.6L, e.C2 = 1.1L, e.D2 = 1.6L, e.F2 = 2.1L;
  std::uint64_t seed = 20261208;
  for (int n = 1; n <= MaxSlots;) {
    const Extended80 x = NextCoordinate(seed), y = NextCoordinate(seed), z = NextCoordinate(seed);
    bool apart = true;
    for (int m = 1; m < n && apart; ++m) {
      const Extended80 dx = x - e.PosX[m], dy = y - e.PosY[m], dz = z - e.PosZ[m];
      apart = dx * dx + dy * dy + dz * dz >= 0.09L;
    }
    if (!apart) continue;
    e.PosX[n] = x, e.PosY[n] = y, e.PosZ[n] = z;
    e.Exists[n] = 1;
    ++n;
  }
  SyncWorkingCopies(false);
}

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

TMainForm& Window() {
  static QTemporaryDir folder;
  static NoDialogs dialogs;
  static std::unique_ptr<TMainForm> form;
  if (!form) {
    SetDialogs(&dialogs);
    StartFilePath = (folder.path() + "/Start.tvx2").toStdString();
    form = std::make_unique<TMainForm>();
    form->show();
    QApplication::processEvents();
  }
  return *form;
}

void RunLoopBench(benchmark::State& state, Formula formula, bool listing) {
  TMainForm& form = Window();
  (formula == Formula::Exponential ? form.Exponential : form.PolyExpSum)->setChecked(true);
  form.ShowList->setChecked(listing);
  // Presses Go again once the run has done its steps; a zero timer fires at every event turn.
  QTimer stopper;
  stopper.setInterval(0);
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (vorun::Run.StepCount >= RunSteps && vorun::Run.Stopped == 0) form.Go->click();
  });
  std::int64_t steps = 0;
  for (auto _ : state) {
    MakeCloud();
    vorun::Run.SpiralMode = 0;
    vorun::Run.StepCount = 0;
    form.Go->setEnabled(true);
    stopper.start();
    form.Go->click();
    stopper.stop();
    steps += vorun::Run.StepCount;
  }
  state.SetItemsProcessed(steps);
  state.counters["steps_per_run"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
}

void AdvanceStepBench(benchmark::State& state, Formula formula) {
  StepSettings settings;
  settings.law.formula = formula;
  int count = 0;
  for (auto _ : state) {
    if (count++ % RunSteps == 0) MakeCloud();
    AdvanceStep(settings);
    benchmark::DoNotOptimize(Ensemble.NextPosX[MaxSlots]);
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(AdvanceStepBench, Exponential, Formula::Exponential)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunLoopBench, Exponential_Drawing, Formula::Exponential, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunLoopBench, Exponential_DrawingAndListing, Formula::Exponential, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AdvanceStepBench, PolyExpSum, Formula::PolyExpSum)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunLoopBench, PolyExpSum_Drawing, Formula::PolyExpSum, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunLoopBench, PolyExpSum_DrawingAndListing, Formula::PolyExpSum, true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorun

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
