#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "engine/Step.h"
#include "model/Ensemble.h"
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/main/MainFormFixture.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::MainFormTest;
using test::ReadText;
using test::WriteText;

// What every start-up leaves in place, whatever it loaded or failed to load.
void ExpectStoppedAndReady(TMainForm& form, const Session& session) {
  const RunState& Run = session.Run;
  const ViewState& View = session.View;
  EXPECT_EQ(Run.Stopped, 1);
  EXPECT_EQ(form.GoButtonKind(), GoKind::OK);
  EXPECT_EQ(FindControl<QPushButton>(form, "Go")->text(), "Go");
  EXPECT_EQ(View.PanStep, 5.0L);
  EXPECT_EQ(View.ZoomStep, 3.0L);
  EXPECT_EQ(View.AngleStep, 0.01L);
  EXPECT_EQ(View.Zoom, 120.0L);
  EXPECT_EQ(session.Ensemble.SlotCount, 60);
  EXPECT_EQ(Run.SpiralVariant, 1);
  EXPECT_EQ(FindControl<StringGrid>(form, "DaonsTable")->Cell(0, 60), "60");
  EXPECT_EQ(FindControl<StringGrid>(form, "DaonsTable")->Cell(1, 0), "X");
}

TEST_F(MainFormTest, NoStartFileShowsTheSpiralAndCreatesAnEmptyStartFile) {
  ExpectStoppedAndReady(*form, session);
  EXPECT_EQ(Run.SpiralMode, 1);
  EXPECT_TRUE(std::filesystem::exists(StartFilePath));
  EXPECT_EQ(ReadText(StartFilePath), "");
  EXPECT_EQ(FileName, "ThetraSpiral");
  EXPECT_FALSE(FindControl<QPushButton>(form, "Go")->isEnabled());
  EXPECT_EQ(Line("FName")->text(), "File Name");
  // Nothing was loaded: the run would use the default time step, and the field says so.
  EXPECT_EQ(Ensemble.TimeStep, DefaultTimeStep());
  EXPECT_EQ(Line("EditDT")->text(), "0.001");
  EXPECT_TRUE(dialogs.messages.empty());

  // With the spiral on show there is nothing to save: no file, no dialog.
  Action("Save1")->trigger();
  Action("Saveas1")->trigger();
  EXPECT_TRUE(dialogs.fileRequests.empty());
  EXPECT_FALSE(std::filesystem::exists("ThetraSpiral"));
}

class StartWithFile : public MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(Path("ring.txt"), "Ring of three\r\nmoving");
    WriteText(StartFilePath, Path("ring.tvx"));
  }
};

TEST_F(StartWithFile, LoadsTheEnsembleItsCommentAndKeepsItsTimeStep) {
  ExpectStoppedAndReady(*form, session);
  EXPECT_EQ(Run.SpiralMode, 0);
  EXPECT_TRUE(FindControl<QPushButton>(form, "Go")->isEnabled());
  EXPECT_EQ(Line("FName")->text().toStdString(), Path("ring.tvx"));
  EXPECT_EQ(FileName, Path("ring.tvx"));
  EXPECT_EQ(LastFileName, Path("ring.tvx"));
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Ring of three\nmoving");
  EXPECT_EQ(FindControl<StringGrid>(form, "DaonsTable")->Cell(1, 1), "0.5");
  EXPECT_EQ(FindControl<StringGrid>(form, "DaonsTable")->Cell(3, 31), "0.75");
  EXPECT_EQ(Line("EditDT")->text(), "0.05");
  EXPECT_EQ(Line("EditB2")->text(), "2.718");
  EXPECT_EQ(Ensemble.TimeStep, 0.05L);
  // The start file is only read.
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
  EXPECT_TRUE(dialogs.messages.empty());
}

// The run's first step must equal one engine step with the file's 0.05, bit for bit.
TEST_F(StartWithFile, ARunUsesTheTimeStepTheFieldShows) {
  const EnsembleState before = Ensemble;
  // One step, then the pending second press stops the run.
  QMetaObject::invokeMethod(FindControl<QPushButton>(form, "Go"), "click", Qt::QueuedConnection);
  FindControl<QPushButton>(form, "Go")->click();
  EXPECT_EQ(Run.StepCount, 1);
  const EnsembleState run = Ensemble;

  Ensemble = before;
  AdvanceStep(Ensemble, form->CurrentStepSettings());
  EXPECT_EQ(run.PosX[1], Ensemble.PosX[1]);
  EXPECT_EQ(run.VelU[1], Ensemble.VelU[1]);
  Ensemble = before;
  Ensemble.TimeStep = DefaultTimeStep();
  AdvanceStep(Ensemble, form->CurrentStepSettings());
  EXPECT_NE(run.PosX[1], Ensemble.PosX[1]);
}

class StartWithMissingFile : public MainFormTest {
 protected:
  void PrepareFiles() override { WriteText(StartFilePath, Path("gone.tvx")); }
};

TEST_F(StartWithMissingFile, ShowsTheEasySquare) {
  ExpectStoppedAndReady(*form, session);
  EXPECT_EQ(Run.SpiralMode, 0);
  EXPECT_TRUE(FindControl<QPushButton>(form, "Go")->isEnabled());
  EXPECT_EQ(Line("FName")->text(), "The easy square");
  EXPECT_EQ(FileName, Path("gone.tvx"));
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(Ensemble.Exists[n], 1) << n;
  EXPECT_EQ(Ensemble.Exists[5], 0);
  EXPECT_EQ(Ensemble.B1, 2.718L);
  EXPECT_EQ(FindControl<StringGrid>(form, "DaonsTable")->Cell(1, 1), "0.212");
  EXPECT_EQ(Line("EditDT")->text(), "0.001");
  EXPECT_EQ(Ensemble.TimeStep, DefaultTimeStep());
  EXPECT_TRUE(dialogs.messages.empty());
}

class StartWithShortFile : public MainFormTest {
 protected:
  void PrepareFiles() override {
    WriteText(Path("short.tvx"), std::string(3775, '\x7f'));
    WriteText(StartFilePath, Path("short.tvx"));
  }
};

TEST_F(StartWithShortFile, ReportsTheErrorAndStillOpensStoppedAndUsable) {
  ASSERT_EQ(dialogs.messages.size(), 1u);
  // Named, and over the window it concerns rather than before it.
  EXPECT_EQ(dialogs.messages[0].text.toStdString(),
            "Cannot open " + Path("short.tvx") + ": read beyond end of file");
  EXPECT_TRUE(dialogs.messages[0].overShownWindow);
  ExpectStoppedAndReady(*form, session);
  EXPECT_EQ(Line("EditDT")->text(), "0.001");
  EXPECT_EQ(Ensemble.TimeStep, DefaultTimeStep());
  EXPECT_TRUE(FindControl<QPushButton>(form, "Go")->isEnabled());
  EXPECT_TRUE(FindControl<QMenu>(form, "Images")->menuAction()->isEnabled());
  // Usable: a run starts and stops.
  QMetaObject::invokeMethod(FindControl<QPushButton>(form, "Go"), "click", Qt::QueuedConnection);
  FindControl<QPushButton>(form, "Go")->click();
  EXPECT_EQ(Run.StepCount, 1);
  EXPECT_EQ(Run.Stopped, 1);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

// The nearly whole file is reported and then treated as a missing one: the
// easy square under its caption, and Save asks for a name rather than write
// over the file.
TEST_F(StartWithShortFile, FallsBackAsForAMissingFileAndNeverSavesOverIt) {
  EXPECT_EQ(Line("FName")->text(), "The easy square");
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(Ensemble.Exists[n], 1) << n;
  EXPECT_EQ(FindControl<StringGrid>(form, "DaonsTable")->Cell(1, 1), "0.212");
  dialogs.saveAnswers.push_back(std::nullopt);
  Action("Save1")->trigger();
  EXPECT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(ReadText(Path("short.tvx")), std::string(3775, '\x7f'));
}

class StartFileCannotBeCreated : public MainFormTest {
 protected:
  void PrepareFiles() override {
    // The start file's folder is a plain file, so the start file cannot be made.
    WriteText(Path("plain"), "x");
    StartFilePath = Path("plain/Start.tvx2");
  }
};

TEST_F(StartFileCannotBeCreated, ReportsItAndStillShowsTheSpiralStopped) {
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  ExpectStoppedAndReady(*form, session);
  EXPECT_EQ(Run.SpiralMode, 1);
  EXPECT_EQ(FileName, "ThetraSpiral");
  EXPECT_EQ(Line("EditDT")->text(), "0.001");
  // The spiral was built before the failure.
  EXPECT_NEAR(static_cast<double>(Ensemble.ViewX[16]), 2.981456, 1e-6);
}

}  // namespace
}  // namespace vorun
