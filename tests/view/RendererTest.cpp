#include "view/Renderer.h"

#include <gtest/gtest.h>

#include "view/ViewFixture.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <utility>

#include "model/Figures.h"
#include "view/Projection.h"
#include "view/RecordingCanvas.h"

namespace vorun {
namespace {

using Kind = RecordingCanvas::Kind;

class Renderer : public testing::Test {
 protected:
  void SetUp() override {
    ResetViewTestState();
    TestEnsemble.SlotCount = MaxSlots;
    TestView.CenterX = 302;
    TestView.CenterY = 88;
    // One model unit per pixel keeps the expected pixels plain integers.
    TestView.Zoom = 2;
  }

  Scene MakeScene(Scope scope = Scope::Taoscope, ColourSplit split = ColourSplit::Ak) {
    return MakeTestScene(canvas, scope, split);
  }

  // Slot n at a pixel of its own: (302 + 3n, 88 - n).
  void PlaceTaon(int n) {
    TestEnsemble.Exists[n] = 1;
    TestEnsemble.ViewX[n] = 3 * n;
    TestEnsemble.ViewY[n] = 1000;  // depth: must not matter
    TestEnsemble.ViewZ[n] = -n;
  }

  RecordingCanvas canvas;
};

TEST_F(Renderer, ClearingFillsTheSceneAboveThePanelWithBlack) {
  ClearScene(MakeScene());
  ASSERT_EQ(canvas.fills.size(), 1u);
  EXPECT_EQ(canvas.fills[0], (RecordingCanvas::Fill{0, 0, 604, 176, Black, Black}));
}

TEST_F(Renderer, AnEnsembleWithoutTaonsGivesOnlyTheClearing) {
  // Positions are present but every slot is empty.
  for (int n = 1; n <= MaxSlots; ++n) TestEnsemble.ViewX[n] = n;
  TestShowNumbers = true;
  DrawTaons(MakeScene());
  ASSERT_EQ(canvas.calls.size(), 3u);
  EXPECT_EQ(canvas.calls[0].kind, Kind::PenColour);
  EXPECT_EQ(canvas.calls[1].kind, Kind::BrushColour);
  EXPECT_EQ(canvas.calls[2].kind, Kind::FillRect);
  EXPECT_EQ(canvas.fills[0], (RecordingCanvas::Fill{0, 0, 604, 176, Black, Black}));
}

TEST_F(Renderer, DotsAreTwoByTwoInSlotOrderAfterTheClearing) {
  PlaceTaon(9);
  PlaceTaon(2);
  TestEnsemble.Exists[5] = 0;  // an empty slot between them is skipped
  DrawTaons(MakeScene());
  ASSERT_EQ(canvas.calls[2].kind, Kind::FillRect);
  const std::vector<RecordingCanvas::Pixel> want{
      {308, 86, Lime}, {309, 86, Lime}, {308, 87, Lime}, {309, 87, Lime},
      {329, 79, Red},  {330, 79, Red},  {329, 80, Red},  {330, 80, Red},
  };
  EXPECT_EQ(canvas.pixels, want);
  EXPECT_EQ(canvas.calls.size(), 3u + 8u);
}

TEST_F(Renderer, TheHigherSlotCoversTheLowerOnTheSamePixel) {
  for (int n : {3, 4}) {
    TestEnsemble.Exists[n] = 1;
    TestEnsemble.ViewX[n] = 10;
  }
  DrawTaons(MakeScene());
  ASSERT_EQ(canvas.pixels.size(), 8u);
  EXPECT_EQ(canvas.pixels[0].colour, Red);   // slot 3 first
  EXPECT_EQ(canvas.pixels[4].colour, Lime);  // slot 4 drawn over it
  EXPECT_EQ(canvas.pixels[0].x, canvas.pixels[4].x);
}

TEST_F(Renderer, TaonsAreProjectedWithTheOrientationAndTheViewCopyStays) {
  PlaceTaon(1);
  // A quarter turn about y: rotated x is the old z, rotated z the old -x.
  TestView.SpinPsi = 1.5707963267948966192313216916397514L;
  DrawTaons(MakeScene());
  EXPECT_EQ(TestView.ScreenX[1], 302 - 1);
  EXPECT_EQ(TestView.ScreenY[1], 88 - 3);
  EXPECT_EQ(TestEnsemble.ViewX[1], 3);
}

TEST_F(Renderer, TaonsAtInfinityOrNaNAreDrawnFarOffWithoutAFault) {
  PlaceTaon(1);
  PlaceTaon(2);
  TestEnsemble.ViewX[1] = std::numeric_limits<Extended80>::infinity();
  TestEnsemble.ViewZ[2] = std::numeric_limits<Extended80>::quiet_NaN();
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_OVERFLOW);  // left by the engine: must survive the drawing
  DrawTaons(MakeScene());
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_OVERFLOW);
  std::feclearexcept(FE_ALL_EXCEPT);
  ASSERT_EQ(canvas.pixels.size(), 8u);
  EXPECT_EQ(canvas.pixels[0].x, PixelLimit);
  EXPECT_EQ(canvas.pixels[4].y, PixelLimit);
}

TEST_F(Renderer, EmptySlotsKeepTheirOldScreenPlace) {
  TestView.ScreenX[7] = -55;
  TestView.ScreenY[7] = 77;
  TestEnsemble.ViewX[7] = 1;
  DrawTaons(MakeScene());
  EXPECT_EQ(TestView.ScreenX[7], -55);
  EXPECT_EQ(TestView.ScreenY[7], 77);
}

struct SchemeCase {
  const char* name;
  Scope scope;
  ColourSplit split;
  int lastLime;  // Gravoscope: slots up to here lime, above yellow
  friend void PrintTo(const SchemeCase& c, std::ostream* os) { *os << c.name; }
};

class ColourScheme : public Renderer, public testing::WithParamInterface<SchemeCase> {};

TEST_P(ColourScheme, ColoursEverySlotByItsScheme) {
  for (int n = 1; n <= MaxSlots; ++n) PlaceTaon(n);
  TestShowNumbers = true;
  const SchemeCase& c = GetParam();
  DrawTaons(MakeScene(c.scope, c.split));
  ASSERT_EQ(canvas.pixels.size(), 4u * MaxSlots);
  ASSERT_EQ(canvas.texts.size(), size_t{MaxSlots});
  for (int n = 1; n <= MaxSlots; ++n) {
    Colour want;
    if (c.scope == Scope::Taoscope)
      want = n % 2 == 1 ? Red : Lime;
    else
      want = n <= c.lastLime ? Lime : Yellow;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(canvas.pixels[4 * (n - 1) + i].colour, want) << "slot " << n;
    EXPECT_EQ(canvas.texts[n - 1].colour, want) << "number " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Schemes, ColourScheme,
                         testing::Values(SchemeCase{"Taoscope", Scope::Taoscope, ColourSplit::Ak, 0},
                                         // The split is ignored under Taoscope.
                                         SchemeCase{"TaoscopeCk", Scope::Taoscope, ColourSplit::Ck, 0},
                                         SchemeCase{"Ak", Scope::Gravoscope, ColourSplit::Ak, 30},
                                         SchemeCase{"Bk", Scope::Gravoscope, ColourSplit::Bk, 45},
                                         SchemeCase{"Ck", Scope::Gravoscope, ColourSplit::Ck, 50}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Renderer, NumbersSitTwoPixelsRightAndBelowInTheDotsColourAfterAllDots) {
  PlaceTaon(7);
  PlaceTaon(12);
  TestShowNumbers = true;
  DrawTaons(MakeScene());
  const std::vector<RecordingCanvas::Text> want{{302 + 21 + 2, 88 - 7 + 2, "7", Red},
                                                {302 + 36 + 2, 88 - 12 + 2, "12", Lime}};
  EXPECT_EQ(canvas.texts, want);
  const auto firstText = std::find_if(canvas.calls.begin(), canvas.calls.end(),
                                      [](const auto& call) { return call.kind == Kind::TextOut; });
  EXPECT_TRUE(std::none_of(firstText, canvas.calls.end(),
                           [](const auto& call) { return call.kind == Kind::SetPixel; }));
}

TEST_F(Renderer, NoNumbersUnlessAskedFor) {
  PlaceTaon(7);
  DrawTaons(MakeScene());
  EXPECT_TRUE(canvas.texts.empty());
}

class SpiralRenderer : public Renderer {
 protected:
  void SetUp() override {
    Renderer::SetUp();
    TestView.Zoom = 120;
    TestRun.SpiralMode = 1;
    TestRun.SpiralVariant = 1;
    MakeStartFigure(TestEnsemble, TestRun.SpiralMode != 0, TestRun.SpiralVariant);
  }

  // The point drawn at a pixel, 0 for none.
  int PointAt(int x, int y) const {
    for (int k = 1; k <= SpiralPointCount; ++k)
      if (TestView.ScreenX[k] == x && TestView.ScreenY[k] == y) return k;
    return 0;
  }
};

TEST_F(SpiralRenderer, DrawsFiftyOneEdgesWithTheAxisInWhite) {
  // Seen unturned, points 4 and 5 cover each other; a slant view parts all 19.
  TestView.Teta = 0.3L;
  TestView.Psi = 0.2L;
  DrawSpiral(MakeScene());
  std::set<std::pair<int, int>> places;
  for (int k = 1; k <= SpiralPointCount; ++k) places.insert({TestView.ScreenX[k], TestView.ScreenY[k]});
  ASSERT_EQ(places.size(), size_t{SpiralPointCount});
  ASSERT_EQ(canvas.lines.size(), 51u);
  std::set<std::pair<int, int>> edges;
  for (const auto& line : canvas.lines) {
    const int from = PointAt(line.x1, line.y1), to = PointAt(line.x2, line.y2);
    ASSERT_NE(from, 0);
    ASSERT_NE(to, 0);
    const std::pair<int, int> edge{std::min(from, to), std::max(from, to)};
    edges.insert(edge);
    const bool axis = edge == std::pair{1, 2} || edge == std::pair{2, 10} || edge == std::pair{10, 16};
    EXPECT_EQ(line.colour, axis ? White : Red) << from << "-" << to;
  }
  EXPECT_EQ(edges.size(), 51u);
  // The first three form the base triangle, the white one first.
  EXPECT_EQ(PointAt(canvas.lines[0].x1, canvas.lines[0].y1), 1);
  EXPECT_EQ(PointAt(canvas.lines[0].x2, canvas.lines[0].y2), 2);
  EXPECT_EQ(PointAt(canvas.lines[2].x2, canvas.lines[2].y2), 1);
  // Point 14 is joined to its construction face 10, 12, 13.
  EXPECT_TRUE(edges.count({10, 14}) && edges.count({12, 14}) && edges.count({13, 14}));
}

TEST_F(SpiralRenderer, ClearsBeforeItDraws) {
  DrawSpiral(MakeScene());
  ASSERT_GE(canvas.calls.size(), 3u);
  EXPECT_EQ(canvas.calls[2].kind, Kind::FillRect);
  EXPECT_EQ(canvas.fills.size(), 1u);
}

TEST_F(SpiralRenderer, LabelsAreLimeAtThePointsWhateverTheScheme) {
  TestShowNumbers = true;
  DrawSpiral(MakeScene(Scope::Gravoscope, ColourSplit::Bk));
  ASSERT_EQ(canvas.texts.size(), size_t{SpiralPointCount});
  for (int k = 1; k <= SpiralPointCount; ++k) {
    const auto& text = canvas.texts[k - 1];
    EXPECT_EQ(text,
              (RecordingCanvas::Text{TestView.ScreenX[k], TestView.ScreenY[k], std::to_string(k), Lime}));
  }
  // Point 2 is (1, 0, 0): one unit, 60 pixels, right of the centre.
  EXPECT_EQ(canvas.texts[1].x, 362);
  EXPECT_EQ(canvas.texts[1].y, 88);
}

TEST_F(SpiralRenderer, ZeroIncrementsLeaveTheFigureExactlyWhereItWas) {
  const EnsembleState before = TestEnsemble;
  DrawSpiral(MakeScene());
  DrawSpiral(MakeScene());
  for (int k = 1; k <= SpiralPointCount; ++k) {
    EXPECT_EQ(std::memcmp(&TestEnsemble.ViewX[k], &before.ViewX[k], 10), 0) << k;
    EXPECT_EQ(std::memcmp(&TestEnsemble.ViewZ[k], &before.ViewZ[k], 10), 0) << k;
  }
}

TEST_F(SpiralRenderer, PendingIncrementsTurnTheFigureInPlaceAtEveryDrawing) {
  TestView.Phi = 0.25L;
  TestView.SpinPhi = 5;  // the spiral has no stored orientation: this must not count
  DrawSpiral(MakeScene());
  // Point 2 = (1, 0, 0) turned by 0.25 about z.
  EXPECT_NEAR(TestEnsemble.ViewX[2], std::cos(0.25L), 1e-18L);
  EXPECT_NEAR(TestEnsemble.ViewY[2], std::sin(0.25L), 1e-18L);
  DrawSpiral(MakeScene());
  EXPECT_NEAR(TestEnsemble.ViewX[2], std::cos(0.5L), 1e-18L);
  EXPECT_NEAR(TestEnsemble.ViewY[2], std::sin(0.5L), 1e-18L);
  // Slots beyond the figure are not turned.
  EXPECT_EQ(TestEnsemble.ViewX[20], 0);
}

TEST_F(SpiralRenderer, TurnFigureIgnoresOccupancy) {
  // The spiral is no ensemble: empty slots are turned and placed all the same.
  std::fill(TestEnsemble.Exists.begin(), TestEnsemble.Exists.end(), 0);
  TestView.Teta = 0.5L;
  BuildStepMatrix(TestView);
  TurnFigure(TestEnsemble, TestView, SpiralPointCount);
  EXPECT_EQ(TestView.ScreenX[2], 362);
  EXPECT_NE(TestEnsemble.ViewZ[3], 0.866025403784438646763723170752936183L);
}

TEST_F(Renderer, RedrawFollowsTheMode) {
  PlaceTaon(1);
  TestRun.SpiralMode = 0;
  Redraw(MakeScene());
  EXPECT_TRUE(canvas.lines.empty());
  EXPECT_EQ(canvas.pixels.size(), 4u);
  canvas.Clear();
  TestRun.SpiralMode = 1;
  TestRun.SpiralVariant = 1;
  MakeStartFigure(TestEnsemble, TestRun.SpiralMode != 0, TestRun.SpiralVariant);
  Redraw(MakeScene());
  EXPECT_EQ(canvas.lines.size(), 51u);
  EXPECT_TRUE(canvas.pixels.empty());
}

}  // namespace
}  // namespace vorun
