#include <limits>

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

#include "model/Ensemble.h"
#include "ui/MainFormFixture.h"
#include "ui/SampleFiles.h"
#include "ui/StringGrid.h"

namespace vorun {
namespace {

using test::ReadText;
using test::WriteText;

// The sample ensemble loaded at start-up, stopped and ready to run.
class RunLoop : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(StartFilePath, Path("ring.tvx"));
  }
  // Queues work for the first event turn of the run, then presses Go.
  void RunWithFirstTurn(std::function<void()> firstTurn) {
    QTimer::singleShot(0, form.get(), std::move(firstTurn));
    form->Go->click();
  }
  void ExpectStopped() {
    EXPECT_EQ(vorun::Run.Stopped, 1);
    EXPECT_EQ(form->Go->text(), "Go");
    EXPECT_EQ(form->GoButtonKind(), GoKind::OK);
    EXPECT_EQ(form->ShapeRed->BrushColour(), QColor(128, 0, 0));
    EXPECT_EQ(form->ShapeLime->BrushColour(), QColor(0, 255, 0));
    EXPECT_TRUE(form->Images->menuAction()->isEnabled());
    EXPECT_TRUE(form->Null00->isEnabled());
  }
};

TEST_F(RunLoop, APendingSecondPressEndsTheRunAfterExactlyOneStep) {
  bool sawRunning = false;
  RunWithFirstTurn([&] {
    sawRunning = vorun::Run.Stopped == 0 && form->Go->text() == "Stop" &&
                 form->ShapeRed->BrushColour() == QColor(255, 0, 0) &&
                 form->ShapeLime->BrushColour() == QColor(0, 128, 0) &&
                 !form->Images->menuAction()->isEnabled() && !form->Null00->isEnabled() &&
                 form->GoButtonKind() == GoKind::Cancel;
    form->Go->click();
  });
  EXPECT_TRUE(sawRunning);
  EXPECT_EQ(vorun::Run.StepCount, 1);
  ExpectStopped();
}

TEST_F(RunLoop, EnterStartsEscapeStopsAndEnterDuringTheRunDoesNothing) {
  QTimer::singleShot(0, form.get(), [&] {
    QTest::keyClick(form->EditA1, Qt::Key_Return);
    EXPECT_EQ(vorun::Run.Stopped, 0);
    QTest::keyClick(form->EditA1, Qt::Key_Escape);
  });
  QTest::keyClick(form->EditA1, Qt::Key_Return);
  EXPECT_EQ(vorun::Run.StepCount, 1);
  ExpectStopped();
}

// Enter presses Go without leaving the field: what the field shows is what the
// run uses, and a text that is no number starts no run.
TEST_F(RunLoop, EnterInAFieldRunsWithTheValueTheFieldShows) {
  form->EditDT->setFocus();
  form->EditDT->selectAll();
  QTest::keyClicks(form->EditDT, "-");
  // Stops a run that should not have started, at its first event turn.
  bool ran = false;
  QTimer::singleShot(0, form.get(), [&] {
    ran = vorun::Run.Stopped == 0;
    if (ran) form->Go->click();
  });
  QTest::keyClick(form->EditDT, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_FALSE(ran);
  EXPECT_EQ(dialogs.Texts(), QStringList{"'-' is not a valid floating point value"});
  EXPECT_EQ(vorun::Run.StepCount, 0);
  ExpectStopped();

  form->EditDT->selectAll();
  QTest::keyClicks(form->EditDT, "0");
  QTimer::singleShot(0, form.get(), [&] { QTest::keyClick(form->EditDT, Qt::Key_Escape); });
  QTest::keyClick(form->EditDT, Qt::Key_Return);
  EXPECT_EQ(vorun::Run.StepCount, 1);
  EXPECT_EQ(Ensemble.TimeStep, 0.0L);
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);  // a step of length 0 moves nothing
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(RunLoop, StepLabelFollowsTheDisplaySwitch) {
  vorun::Run.StepCount = 7;
  QTest::mouseDClick(form->LTime, Qt::LeftButton);
  EXPECT_EQ(vorun::Run.ShowStepCount, 1);
  EXPECT_EQ(form->LTime->text(), "0");  // not at once: the next step writes it
  RunWithFirstTurn([&] { form->Go->click(); });
  EXPECT_EQ(form->LTime->text(), "8");

  QTest::mouseDClick(form->LTime, Qt::LeftButton);
  EXPECT_EQ(vorun::Run.ShowStepCount, 0);
  RunWithFirstTurn([&] { form->Go->click(); });
  EXPECT_EQ(vorun::Run.StepCount, 9);
  EXPECT_EQ(form->LTime->text(), "8");
}

// Long runs reach counts of many digits; the label must show them whole.
TEST_F(RunLoop, StepLabelShowsTheLargestCountWhole) {
  vorun::Run.StepCount = 2147483646;
  QTest::mouseDClick(form->LTime, Qt::LeftButton);
  RunWithFirstTurn([&] { form->Go->click(); });
  ASSERT_EQ(form->LTime->text(), "2147483647");
  EXPECT_GE(form->LTime->width(), form->LTime->sizeHint().width());
  // and it stays clear of the parameter labels beside it
  EXPECT_LT(form->LTime->geometry().right(), form->EditA1->x() - 17);
}

TEST_F(RunLoop, ListingFollowsEveryStepOnlyWithShowListing) {
  const QString before = form->DaonsTable->Cell(1, 1);
  RunWithFirstTurn([&] { form->Go->click(); });
  EXPECT_EQ(form->DaonsTable->Cell(1, 1), before);
  form->ShowList->setChecked(true);
  RunWithFirstTurn([&] { form->Go->click(); });
  EXPECT_EQ(form->DaonsTable->Cell(1, 1).toStdString(), FloatToStr(Ensemble.PosX[1]));
  EXPECT_NE(form->DaonsTable->Cell(1, 1), before);
}

// A zero length parameter faults in the first force evaluation, whatever the formula.
class RunFault : public RunLoop, public ::testing::WithParamInterface<Extended80 EnsembleState::*> {};

TEST_P(RunFault, ZeroLengthStopsAtTheFirstStepAndTheWindowIsStoppedAgain) {
  Ensemble.*GetParam() = 0;
  const Extended80 x1 = Ensemble.PosX[1];
  form->Go->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Floating point division by zero");
  EXPECT_EQ(vorun::Run.StepCount, 0);
  EXPECT_EQ(Ensemble.PosX[1], x1);
  ExpectStopped();
}

INSTANTIATE_TEST_SUITE_P(B2AndF2, RunFault, ::testing::Values(&EnsembleState::B2, &EnsembleState::F2));

TEST_F(RunLoop, Null00WithCancelZeroesEveryVelocityAndSavesNothing) {
  for (int n = 1; n <= MaxSlots; ++n) {
    Ensemble.VelV[n] = n;  // empty slots too
    Ensemble.NextVelW[n] = -n;
  }
  dialogs.saveAnswers.push_back(std::nullopt);
  form->Null00->click();
  for (int n = 1; n <= MaxSlots; ++n) {
    for (const SlotReals* a : {&Ensemble.VelU, &Ensemble.VelV, &Ensemble.VelW, &Ensemble.NextVelU,
                               &Ensemble.NextVelV, &Ensemble.NextVelW})
      EXPECT_EQ((*a)[n], 0.0L) << n;
  }
  EXPECT_EQ(form->Null00->text(), "Yes Null");
  // The whole caption fits the 41-pixel button.
  EXPECT_LE(QFontMetrics(form->Null00->font()).horizontalAdvance("Yes Null"), form->Null00->width() - 4);
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].filter, "Taons files (*.tvx)|*.tvx");
  // The listing shows the zeros whatever "Show Listing" says.
  form->DaonsTableDblClick();
  EXPECT_EQ(form->DaonsTable->Cell(1, 1), "0");

  // "Yes Null" stays until the next run starts.
  RunWithFirstTurn([&] { form->Go->click(); });
  EXPECT_EQ(form->Null00->text(), "0");
}

TEST_F(RunLoop, Null00SaveIsASaveAs) {
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("still.tvx")));
  form->Null00->click();
  EXPECT_EQ(std::filesystem::file_size(Path("still.tvx")), 3776u);
  EXPECT_EQ(ReadText(StartFilePath), Path("still.tvx"));
  EXPECT_EQ(form->FName->text().toStdString(), Path("still.tvx"));
}

TEST_F(RunLoop, Null00DoesNothingDuringARunOrWithTheSpiral) {
  RunWithFirstTurn([&] {
    form->Null00Click();  // the button is disabled; the handler itself refuses too
    form->Go->click();
  });
  EXPECT_EQ(Ensemble.VelU[1] == 0.0L, false);
  EXPECT_TRUE(dialogs.fileRequests.empty());

  form->Spiral1->trigger();
  form->Null00Click();
  EXPECT_NE(Ensemble.VelU[1], 0.0L);
  EXPECT_TRUE(dialogs.fileRequests.empty());
}

TEST_F(RunLoop, ImagesAreOutOfReachDuringARun) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  RunWithFirstTurn([&] {
    QTest::keyClick(form.get(), Qt::Key_F5);
    form->Go->click();
  });
  EXPECT_EQ(FileName, Path("ring.tvx"));
  EXPECT_NE(Ensemble.PosX[1], 0.5L);  // not reloaded
}

TEST_F(RunLoop, CommandsRunBetweenSteps) {
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("mid.tvx")));
  RunWithFirstTurn([&] {
    form->Saveas1->trigger();
    form->Go->click();
  });
  // The save wrote the state committed by the one completed step.
  const EnsembleState afterRun = Ensemble;
  test::ResetProgramState();
  Ensemble.SlotCount = MaxSlots;
  ReadEnsembleFile(Path("mid.tvx"));
  ApplyRecord();
  EXPECT_EQ(Ensemble.PosX[1], afterRun.PosX[1]);
  EXPECT_NE(Ensemble.PosX[1], 0.5L);
}

TEST_F(RunLoop, AQuietNaNIsNamedAndTheRunDoesNotStart) {
  Ensemble.PosY[2] = Ensemble.NextPosY[2] = std::numeric_limits<Extended80>::quiet_NaN();
  const EnsembleState before = Ensemble;
  form->Go->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].text,
            "The position y of slot 2 is not a number (NaN). The run does not start.");
  EXPECT_EQ(vorun::Run.StepCount, 0);
  EXPECT_EQ(form->LTime->text(), "0");
  EXPECT_EQ(Ensemble.PosX[1], before.PosX[1]);
  EXPECT_EQ(Ensemble.NextPosX[1], before.NextPosX[1]);
  ExpectStopped();

  // Mended, the same press runs.
  Ensemble.PosY[2] = Ensemble.NextPosY[2] = 0;
  RunWithFirstTurn([&] { form->Go->click(); });
  EXPECT_EQ(vorun::Run.StepCount, 1);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(RunLoop, ExitDuringARunEndsTheRunAndThenTheProgram) {
  bool stillShownInTurn = false;
  RunWithFirstTurn([&] {
    form->Exit1->trigger();
    stillShownInTurn = form->isVisible();
  });
  EXPECT_TRUE(stillShownInTurn);
  EXPECT_EQ(vorun::Run.StepCount, 1);
  EXPECT_EQ(vorun::Run.Stopped, 1);
  // The window is closed, and with it the program, which quits with its last window.
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
}

TEST_F(RunLoop, ExitWhileStoppedClosesAtOnce) {
  form->Exit1->trigger();
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace vorun
