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
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/MainFormProbe.h"
#include "ui/widgets/StringGrid.h"

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
    Push("Go")->click();
  }
  void ExpectStopped() {
    EXPECT_EQ(Run.Stopped, 1);
    EXPECT_EQ(Push("Go")->text(), "Go");
    EXPECT_EQ(form->GoButtonKind(), GoKind::OK);
    EXPECT_EQ(FindControl<TShape>(form, "ShapeRed")->BrushColour(), QColor(128, 0, 0));
    EXPECT_EQ(FindControl<TShape>(form, "ShapeLime")->BrushColour(), QColor(0, 255, 0));
    EXPECT_TRUE(FindControl<QMenu>(form, "Images")->menuAction()->isEnabled());
    EXPECT_TRUE(FindControl<QToolButton>(form, "Null00")->isEnabled());
  }
};

TEST_F(RunLoop, APendingSecondPressEndsTheRunAfterExactlyOneStep) {
  bool sawRunning = false;
  RunWithFirstTurn([&] {
    sawRunning = Run.Stopped == 0 && Push("Go")->text() == "Stop" &&
                 FindControl<TShape>(form, "ShapeRed")->BrushColour() == QColor(255, 0, 0) &&
                 FindControl<TShape>(form, "ShapeLime")->BrushColour() == QColor(0, 128, 0) &&
                 !FindControl<QMenu>(form, "Images")->menuAction()->isEnabled() &&
                 !FindControl<QToolButton>(form, "Null00")->isEnabled() &&
                 form->GoButtonKind() == GoKind::Cancel;
    Push("Go")->click();
  });
  EXPECT_TRUE(sawRunning);
  EXPECT_EQ(Run.StepCount, 1);
  ExpectStopped();
}

TEST_F(RunLoop, EnterStartsEscapeStopsAndEnterDuringTheRunDoesNothing) {
  QTimer::singleShot(0, form.get(), [&] {
    QTest::keyClick(Line("EditA1"), Qt::Key_Return);
    EXPECT_EQ(Run.Stopped, 0);
    QTest::keyClick(Line("EditA1"), Qt::Key_Escape);
  });
  QTest::keyClick(Line("EditA1"), Qt::Key_Return);
  EXPECT_EQ(Run.StepCount, 1);
  ExpectStopped();
}

// Enter presses Go without leaving the field: what the field shows is what the
// run uses, and a text that is no number starts no run.
TEST_F(RunLoop, EnterInAFieldRunsWithTheValueTheFieldShows) {
  Line("EditDT")->setFocus();
  Line("EditDT")->selectAll();
  QTest::keyClicks(Line("EditDT"), "-");
  // Stops a run that should not have started, at its first event turn.
  bool ran = false;
  QTimer::singleShot(0, form.get(), [&] {
    ran = Run.Stopped == 0;
    if (ran) Push("Go")->click();
  });
  QTest::keyClick(Line("EditDT"), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_FALSE(ran);
  EXPECT_EQ(dialogs.Texts(), QStringList{"'-' is not a valid floating point value"});
  EXPECT_EQ(Run.StepCount, 0);
  ExpectStopped();

  Line("EditDT")->selectAll();
  QTest::keyClicks(Line("EditDT"), "0");
  QTimer::singleShot(0, form.get(), [&] { QTest::keyClick(Line("EditDT"), Qt::Key_Escape); });
  QTest::keyClick(Line("EditDT"), Qt::Key_Return);
  EXPECT_EQ(Run.StepCount, 1);
  EXPECT_EQ(Ensemble.TimeStep, 0.0L);
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);  // a step of length 0 moves nothing
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(RunLoop, StepLabelFollowsTheDisplaySwitch) {
  Run.StepCount = 7;
  QTest::mouseDClick(FindControl<QLabel>(form, "LTime"), Qt::LeftButton);
  EXPECT_EQ(Run.ShowStepCount, 1);
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "0");  // not at once: the next step writes it
  RunWithFirstTurn([&] { Push("Go")->click(); });
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "8");

  QTest::mouseDClick(FindControl<QLabel>(form, "LTime"), Qt::LeftButton);
  EXPECT_EQ(Run.ShowStepCount, 0);
  RunWithFirstTurn([&] { Push("Go")->click(); });
  EXPECT_EQ(Run.StepCount, 9);
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "8");
}

// Long runs reach counts of many digits; the label must show them whole.
TEST_F(RunLoop, StepLabelShowsTheLargestCountWhole) {
  Run.StepCount = 2147483646;
  QTest::mouseDClick(FindControl<QLabel>(form, "LTime"), Qt::LeftButton);
  RunWithFirstTurn([&] { Push("Go")->click(); });
  ASSERT_EQ(FindControl<QLabel>(form, "LTime")->text(), "2147483647");
  EXPECT_GE(FindControl<QLabel>(form, "LTime")->width(),
            FindControl<QLabel>(form, "LTime")->sizeHint().width());
  // and it stays clear of the parameter labels beside it
  EXPECT_LT(FindControl<QLabel>(form, "LTime")->geometry().right(), Line("EditA1")->x() - 17);
}

TEST_F(RunLoop, ListingFollowsEveryStepOnlyWithShowListing) {
  const QString before = Grid()->Cell(1, 1);
  QString during;
  RunWithFirstTurn([&] {
    during = Grid()->Cell(1, 1);
    Push("Go")->click();
  });
  EXPECT_EQ(during, before);
  // Stopped, it shows where the run left the ensemble.
  EXPECT_EQ(Grid()->Cell(1, 1).toStdString(), FloatToStr(Ensemble.PosX[1]));
  FindControl<QCheckBox>(form, "ShowList")->setChecked(true);
  RunWithFirstTurn([&] { Push("Go")->click(); });
  EXPECT_EQ(Grid()->Cell(1, 1).toStdString(), FloatToStr(Ensemble.PosX[1]));
  EXPECT_NE(Grid()->Cell(1, 1), before);
}

// A zero length parameter would fault in the first force evaluation, whatever
// the formula: the run does not start.
class RunFault : public RunLoop, public ::testing::WithParamInterface<Extended80 EnsembleState::*> {};

TEST_P(RunFault, ZeroLengthStopsAtTheFirstStepAndTheWindowIsStoppedAgain) {
  Ensemble.*GetParam() = 0;
  const Extended80 x1 = Ensemble.PosX[1];
  Push("Go")->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  // The check before the run names the length that every step divides by.
  const std::string name = GetParam() == &EnsembleState::B2 ? "B2" : "F2";
  EXPECT_EQ(dialogs.messages[0].text.toStdString(),
            "The parameter " + name +
                " makes every step fail: Floating point division by zero. The run "
                "does not start.");
  EXPECT_EQ(Run.StepCount, 0);
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
  FindControl<QToolButton>(form, "Null00")->click();
  for (int n = 1; n <= MaxSlots; ++n) {
    for (const SlotReals* a : {&Ensemble.VelU, &Ensemble.VelV, &Ensemble.VelW, &Ensemble.NextVelU,
                               &Ensemble.NextVelV, &Ensemble.NextVelW})
      EXPECT_EQ((*a)[n], 0.0L) << n;
  }
  EXPECT_EQ(FindControl<QToolButton>(form, "Null00")->text(), "Yes Null");
  // The whole caption fits the 41-pixel button.
  EXPECT_LE(QFontMetrics(FindControl<QToolButton>(form, "Null00")->font()).horizontalAdvance("Yes Null"),
            FindControl<QToolButton>(form, "Null00")->width() - 4);
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].filter, "Taons files (*.tvx)|*.tvx");
  // The listing shows the zeros whatever "Show Listing" says.
  emit Grid()->DoubleClicked();
  EXPECT_EQ(Grid()->Cell(1, 1), "0");

  // "Yes Null" stays until the next run starts.
  RunWithFirstTurn([&] { Push("Go")->click(); });
  EXPECT_EQ(FindControl<QToolButton>(form, "Null00")->text(), "0");
}

TEST_F(RunLoop, Null00SaveIsASaveAs) {
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("still.tvx")));
  FindControl<QToolButton>(form, "Null00")->click();
  EXPECT_EQ(std::filesystem::file_size(Path("still.tvx")), 3776u);
  EXPECT_EQ(ReadText(StartFilePath), Path("still.tvx"));
  EXPECT_EQ(Line("FName")->text().toStdString(), Path("still.tvx"));
}

TEST_F(RunLoop, Null00DoesNothingDuringARunOrWithTheSpiral) {
  RunWithFirstTurn([&] {
    MainFormProbe::Null00Handler(*form);  // the button is disabled; the handler itself refuses too
    Push("Go")->click();
  });
  EXPECT_EQ(Ensemble.VelU[1] == 0.0L, false);
  EXPECT_TRUE(dialogs.fileRequests.empty());

  dialogs.answers.push_back(MessageAnswer::Discard);  // the run's result goes
  Action("Spiral1")->trigger();
  MainFormProbe::Null00Handler(*form);
  EXPECT_NE(Ensemble.VelU[1], 0.0L);
  EXPECT_TRUE(dialogs.fileRequests.empty());
}

TEST_F(RunLoop, ImagesAreOutOfReachDuringARun) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  RunWithFirstTurn([&] {
    QTest::keyClick(form.get(), Qt::Key_F5);
    Push("Go")->click();
  });
  EXPECT_EQ(FileName, Path("ring.tvx"));
  EXPECT_NE(Ensemble.PosX[1], 0.5L);  // not reloaded
}

TEST_F(RunLoop, CommandsRunBetweenSteps) {
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("mid.tvx")));
  RunWithFirstTurn([&] {
    Action("Saveas1")->trigger();
    Push("Go")->click();
  });
  // The save wrote the state committed by the one completed step.
  const EnsembleState afterRun = Ensemble;
  ReadBack(Path("mid.tvx"));
  EXPECT_EQ(Ensemble.PosX[1], afterRun.PosX[1]);
  EXPECT_NE(Ensemble.PosX[1], 0.5L);
}

TEST_F(RunLoop, AQuietNaNIsNamedAndTheRunDoesNotStart) {
  Ensemble.PosY[2] = Ensemble.NextPosY[2] = std::numeric_limits<Extended80>::quiet_NaN();
  const EnsembleState before = Ensemble;
  Push("Go")->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].text,
            "The position y of slot 2 is not a number (NaN). The run does not start.");
  EXPECT_EQ(Run.StepCount, 0);
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "0");
  EXPECT_EQ(Ensemble.PosX[1], before.PosX[1]);
  EXPECT_EQ(Ensemble.NextPosX[1], before.NextPosX[1]);
  ExpectStopped();

  // Mended, the same press runs.
  Ensemble.PosY[2] = Ensemble.NextPosY[2] = 0;
  RunWithFirstTurn([&] { Push("Go")->click(); });
  EXPECT_EQ(Run.StepCount, 1);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(RunLoop, ExitDuringARunEndsTheRunAndThenTheProgram) {
  bool stillShownInTurn = false;
  // The run changed the ensemble: the user lets the change go.
  dialogs.answers.push_back(MessageAnswer::Discard);
  RunWithFirstTurn([&] {
    Action("Exit1")->trigger();
    stillShownInTurn = form->isVisible();
  });
  EXPECT_TRUE(stillShownInTurn);
  EXPECT_EQ(Run.StepCount, 1);
  EXPECT_EQ(Run.Stopped, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::SaveDiscardCancel);
  // The window is closed, and with it the program, which quits with its last window.
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
}

TEST_F(RunLoop, ExitWhileStoppedClosesAtOnce) {
  Action("Exit1")->trigger();
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace vorun
