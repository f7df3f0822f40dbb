// The window's part of a run step: the drawing and the listing refill
// allocate nothing once warm, the listing still shows the values of the last
// step whenever it is read or painted, and the View menu sets the step's
// thread count.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/Step.h"
#include "engine/WorkerPool.h"
#include "model/Ensemble.h"
#include "model/NumberText.h"
#include "ui/Controls.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/MainFormProbe.h"
#include "ui/main/SceneView.h"
#include "ui/main/ThreadMenu.h"
#include "ui/widgets/StringGrid.h"

// Counts every allocation of the test program: Qt's containers and strings
// allocate with malloc, the standard library with operator new, which ends
// in malloc too. Each call goes on to the C library's own allocator.
namespace {
std::atomic<long> allocations{0};
}  // namespace

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void __libc_free(void* p);

void* malloc(std::size_t size) noexcept {
  ++allocations;
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
  ++allocations;
  return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
  ++allocations;
  return __libc_realloc(p, size);
}
void free(void* p) noexcept { __libc_free(p); }
}

namespace vorun {
namespace {

class LeanRunLoop : public test::MainFormTest {
 protected:
  // 60 moving taons on a loose lattice, shown as a loaded ensemble.
  void SetUpCloud() {
    Ensemble = EnsembleState{};
    Ensemble.SlotCount = MaxSlots;
    Ensemble.TimeStep = 0.001L;
    Ensemble.A1 = Ensemble.A2 = 0.1L;
    Ensemble.B1 = Ensemble.B2 = 0.5L;
    Ensemble.C1 = Ensemble.C2 = 1;
    Ensemble.D1 = Ensemble.D2 = 1.5L;
    Ensemble.F1 = Ensemble.F2 = 2;
    for (int n = 1; n <= MaxSlots; ++n) {
      Ensemble.Exists[n] = n == 17 ? 0 : 1;
      Ensemble.PosX[n] = (n % 4) * 1.1L - 1.6L;
      Ensemble.PosY[n] = (n / 4 % 4) * 1.1L - 1.6L;
      Ensemble.PosZ[n] = (n / 16) * 1.1L - 1.6L;
      Ensemble.VelU[n] = n * 0.01L;
    }
    SyncWorkingCopies(Ensemble, false);
    Run.SpiralMode = 0;
    showList = FindControl<QCheckBox>(form, "ShowList");
    showList->setChecked(true);
  }

  // What the run loop does for one step between two event turns.
  void LoopStep() {
    AdvanceStep(Ensemble, form->CurrentStepSettings());
    ++Run.StepCount;
    MainFormProbe::ShowStep(*form);
  }

  QString Cell(int c, int r) const { return Grid()->Cell(c, r); }

  QCheckBox* showList = nullptr;
};

TEST_F(LeanRunLoop, DrawingListingAndStepLabelAllocateNothingPerStep) {
  SetUpCloud();
  Run.ShowStepCount = 1;
  for (int n = 0; n < 3; ++n) LoopStep();
  QApplication::processEvents();
  LoopStep();
  const long before = allocations;
  for (int n = 0; n < 20; ++n) LoopStep();
  EXPECT_EQ(allocations - before, 0);
  // The counter does count: reading a changed cell formats it.
  EXPECT_FALSE(Cell(1, 1).isEmpty());
  EXPECT_GT(allocations, before);
  // The label catches up with the last step within one pacing interval.
  QLabel* label = FindControl<QLabel>(form, "LTime");
  EXPECT_TRUE(QTest::qWaitFor([&] { return label->text() == QString::number(Run.StepCount); }, 1000));
  EXPECT_EQ(Run.StepCount, 24);
}

TEST_F(LeanRunLoop, ListingShowsTheValuesOfTheLastStep) {
  SetUpCloud();
  for (int step = 0; step < 5; ++step) {
    LoopStep();
    for (int n = 1; n <= MaxSlots; ++n) {
      if (Ensemble.Exists[n] == 0) {
        EXPECT_EQ(Cell(1, n), "");
        continue;
      }
      EXPECT_EQ(Cell(1, n).toStdString(), FloatToStr(Ensemble.PosX[n])) << n;
      EXPECT_EQ(Cell(2, n).toStdString(), FloatToStr(Ensemble.PosY[n])) << n;
      EXPECT_EQ(Cell(3, n).toStdString(), FloatToStr(Ensemble.PosZ[n])) << n;
    }
  }
  // A painted grid shows them too: the painted image changes with a step.
  FindControl<QTabWidget>(form, "PageControl")->setCurrentIndex(0);
  QApplication::processEvents();
  const QImage before = Grid()->viewport()->grab().toImage();
  Ensemble.PosX[1] = 0.125L;
  form->FillListing();
  QApplication::processEvents();
  EXPECT_EQ(Cell(1, 1), "0.125");
  EXPECT_NE(Grid()->viewport()->grab().toImage(), before);
}

// The run loop draws the scene only when its pacer fires: the first step of
// a run at once, the steps that follow within the interval not at all, and
// the last of them when the interval ends or when something needs the
// picture at once (Export Picture flushes it).
TEST_F(LeanRunLoop, SceneIsDrawnWhenThePacerFiresAndOnDemand) {
  SetUpCloud();
  Ensemble.TimeStep = 0.2L;  // moves the taons by pixels in a few steps
  auto* scene = FindControl<TSceneView>(form, "SceneView");
  LoopStep();
  const QImage first = scene->Image().copy();
  // No event turn between these steps, so the pacer's interval cannot end.
  for (int n = 0; n < 5; ++n) LoopStep();
  EXPECT_EQ(scene->Image(), first);
  const QImage exported = form->ScenePicture();
  EXPECT_NE(scene->Image(), first);
  // What was flushed is the drawing of the last step.
  MainFormProbe::PaintScene(*form);
  EXPECT_EQ(form->ScenePicture(), exported);
  // Without a flush, the pacer draws the last step when its interval ends.
  LoopStep();
  const QImage beforeTick = scene->Image().copy();
  LoopStep();
  EXPECT_EQ(scene->Image(), beforeTick);
  EXPECT_TRUE(QTest::qWaitFor([&] { return scene->Image() != beforeTick; }, 1000));
}

TEST_F(LeanRunLoop, NumbersGiveWayToTextAndBack) {
  SetUpCloud();
  form->FillListing();
  Ensemble.Exists[5] = 0;
  form->FillListing();
  EXPECT_EQ(Cell(1, 5), "");
  Ensemble.Exists[5] = 1;
  form->FillListing();
  EXPECT_EQ(Cell(1, 5).toStdString(), FloatToStr(Ensemble.PosX[5]));
  // Velocities after a double click on the table, the same values again after a second.
  emit Grid()->DoubleClicked();
  EXPECT_EQ(Cell(1, 0), "u(x)");
  EXPECT_EQ(Cell(1, 5).toStdString(), FloatToStr(Ensemble.VelU[5]));
  emit Grid()->DoubleClicked();
  EXPECT_EQ(Cell(1, 5).toStdString(), FloatToStr(Ensemble.PosX[5]));
}

TEST_F(LeanRunLoop, ViewMenuSetsTheStepThreads) {
  auto* menu = form->findChild<QMenu*>("StepThreads");
  ASSERT_NE(menu, nullptr);
  auto* automatic = form->findChild<QAction*>("Threads0");
  auto* one = form->findChild<QAction*>("Threads1");
  auto* eight = form->findChild<QAction*>("Threads8");
  ASSERT_TRUE(automatic && one && eight);
  EXPECT_TRUE(automatic->isChecked());
  one->trigger();
  EXPECT_EQ(StepThreads(), 1);
  EXPECT_TRUE(one->isChecked());
  EXPECT_FALSE(automatic->isChecked());
  eight->trigger();
  EXPECT_EQ(StepThreads(), 8);
  // A run on eight threads ends as on one.
  SetUpCloud();
  const EnsembleState start = Ensemble;
  for (int n = 0; n < 3; ++n) LoopStep();
  const EnsembleState onEight = Ensemble;
  Ensemble = start;
  one->trigger();
  for (int n = 0; n < 3; ++n) LoopStep();
  for (int n = 1; n <= MaxSlots; ++n) EXPECT_EQ(0, std::memcmp(&onEight.PosX[n], &Ensemble.PosX[n], 10)) << n;
  automatic->trigger();
  EXPECT_EQ(StepThreadsSetting(), 0);
  EXPECT_EQ(StepThreads(), DefaultStepThreads());
}

}  // namespace
}  // namespace vorun
