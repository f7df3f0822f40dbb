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

// The scene drawn: a full ensemble seen from the main window's default view.
struct BenchScene {
  EnsembleState ensemble;
  bool spiral = false;
  ViewState view;
  NullCanvas canvas;

  BenchScene() {
    ensemble.SlotCount = MaxSlots;
    view.Zoom = 120;
    view.CenterX = 302;
    view.CenterY = 88;
  }

  Scene Make(bool showNumbers) {
    return Scene{canvas, 604, 176, Scope::Taoscope, ColourSplit::Ak, ensemble, view, spiral, showNumbers};
  }
};

void BM_DrawTaonsSixtyWithNumbers(benchmark::State& state) {
  BenchScene b;
  for (int n = 1; n <= MaxSlots; ++n) {
    b.ensemble.Exists[n] = 1;
    b.ensemble.ViewX[n] = 0.01L * n;
    b.ensemble.ViewY[n] = -0.02L * n;
    b.ensemble.ViewZ[n] = 0.03L * n;
  }
  b.view.SpinTeta = 0.3L, b.view.SpinPsi = 0.2L, b.view.SpinPhi = 0.1L;
  const Scene scene = b.Make(true);
  for (auto _ : state) DrawTaons(scene);
}
BENCHMARK(BM_DrawTaonsSixtyWithNumbers);

void BM_DrawSpiralTurning(benchmark::State& state) {
  BenchScene b;
  b.spiral = true;
  MakeStartFigure(b.ensemble, true, 1);
  b.view.Teta = 0.01L;
  const Scene scene = b.Make(false);
  for (auto _ : state) DrawSpiral(scene);
}
BENCHMARK(BM_DrawSpiralTurning);

}  // namespace
}  // namespace vorun

BENCHMARK_MAIN();
