// The run loop redraws after every step, so a drawing must stay far below the
// cost of a step. A canvas that does nothing isolates the renderers' own work
// (matrix, projection, half-even rounding, colour choice).
#include <benchmark/benchmark.h>

#include "model/Figures.h"
#include "view/Renderer.h"

namespace vorun {
namespace {

class NullCanvas : public Canvas {
 public:
  void SetPenColour(Colour) override {}
  void SetBrushColour(Colour) override {}
  void SetTextColour(Colour) override {}
  void FillRect(int, int, int, int) override {}
  void SetPixel(int x, int y, Colour) override { benchmark::DoNotOptimize(x + y); }
  void MoveTo(int, int) override {}
  void LineTo(int x, int y) override { benchmark::DoNotOptimize(x + y); }
  void TextOut(int, int, const std::string& text) override { benchmark::DoNotOptimize(text.data()); }
};

void SetUpView() {
  ResetGlobals();
  Ensemble.SlotCount = MaxSlots;
  View.Zoom = 120;
  View.CenterX = 302;
  View.CenterY = 88;
}

void BM_DrawTaonsSixtyWithNumbers(benchmark::State& state) {
  SetUpView();
  for (int n = 1; n <= MaxSlots; ++n) {
    Ensemble.Exists[n] = 1;
    Ensemble.ViewX[n] = 0.01L * n;
    Ensemble.ViewY[n] = -0.02L * n;
    Ensemble.ViewZ[n] = 0.03L * n;
  }
  Display.ShowNumbers = 1;
  View.SpinTeta = 0.3L, View.SpinPsi = 0.2L, View.SpinPhi = 0.1L;
  NullCanvas canvas;
  const Scene scene{canvas, 604, 176, Scope::Taoscope, ColourSplit::Ak};
  for (auto _ : state) DrawTaons(scene);
}
BENCHMARK(BM_DrawTaonsSixtyWithNumbers);

void BM_DrawSpiralTurning(benchmark::State& state) {
  SetUpView();
  Run.SpiralMode = 1;
  Run.SpiralVariant = 1;
  MakeStartFigure();
  View.Teta = 0.01L;
  NullCanvas canvas;
  const Scene scene{canvas, 604, 176, Scope::Taoscope, ColourSplit::Ak};
  for (auto _ : state) DrawSpiral(scene);
}
BENCHMARK(BM_DrawSpiralTurning);

}  // namespace
}  // namespace vorun

BENCHMARK_MAIN();
