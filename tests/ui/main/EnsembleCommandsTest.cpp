#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/main/MainFormFixture.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::ReadText;
using test::WriteText;

// Starts with no start file (spiral on show, empty start file created) and a
// sample ensemble with its comment lying ready in the test folder.
class Commands : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(Path("ring.txt"), "Ring of three");
  }
  void Open(const std::string& path) {
    dialogs.openAnswers.push_back(QString::fromStdString(path));
    Action("Open1")->trigger();
  }
  void RunOneStep() {
    QMetaObject::invokeMethod(Push("Go"), "click", Qt::QueuedConnection);
    Push("Go")->click();
  }
};

TEST_F(Commands, OpenLoadsTheFileAndRemembersIt) {
  Run.StepCount = 12;
  FindControl<QLabel>(form, "LTime")->setText("12");
  Open(Path("ring.tvx"));
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].filter, "Taons files (*.tvx)|*.tvx");
  EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "tvx");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Run.SpiralMode, 0);
  EXPECT_TRUE(Push("Go")->isEnabled());
  EXPECT_TRUE(FindControl<QToolButton>(form, "Null00")->isEnabled());
  EXPECT_EQ(Line("FName")->text().toStdString(), Path("ring.tvx"));
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);
  EXPECT_EQ(Ensemble.ViewX[1], 0.5L);
  EXPECT_EQ(Run.StepCount, 0);
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "0");
  EXPECT_EQ(Grid()->Cell(1, 2), "-0.5");
  EXPECT_EQ(Line("EditDT")->text(), "0.05");
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Ring of three");
}

TEST_F(Commands, CancelledOpenChangesNothing) {
  dialogs.openAnswers.push_back(std::nullopt);
  Action("Open1")->trigger();
  EXPECT_EQ(Run.SpiralMode, 1);
  EXPECT_FALSE(Push("Go")->isEnabled());
}

// The memo holds the comment of the file on show: words left from before
// would otherwise be saved beside a file they were never written for.
TEST_F(Commands, OpenWithoutCommentFileEmptiesTheMemo) {
  std::filesystem::remove(Path("ring.txt"));
  FindControl<QPlainTextEdit>(form, "Comment")->setPlainText("Earlier words");
  dialogs.answers.push_back(MessageAnswer::No);  // let "Earlier words" go unsaved
  Open(Path("ring.tvx"));
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "");
  EXPECT_EQ(Display.CommentChanged, 0);
}

// A file that fails to load changes nothing: neither the show, nor the name,
// nor the start file.
TEST_F(Commands, OpenOfAMissingNameReportsItAndChangesNothing) {
  Open(Path("gone.tvx"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.toStdString(), "Cannot open " + Path("gone.tvx") + ": file not found");
  EXPECT_EQ(Line("FName")->text(), "File Name");
  EXPECT_FALSE(Push("Go")->isEnabled());
  EXPECT_EQ(Run.SpiralMode, 1);
  EXPECT_EQ(FileName, "ThetraSpiral");
  EXPECT_EQ(ReadText(StartFilePath), "");
}

// The failed file must never become the Save target: Ctrl+S afterwards writes
// the ensemble on show to its own file and leaves the failed one as it was.
TEST_F(Commands, FailedOpenKeepsTheEnsembleItsNameAndTheSaveTarget) {
  Open(Path("ring.tvx"));
  const std::string tenBytes = "0123456789";
  WriteText(Path("ten.tvx"), tenBytes);
  Open(Path("ten.tvx"));
  ASSERT_EQ(dialogs.Texts(), QStringList{QString::fromStdString("Cannot open " + Path("ten.tvx") +
                                                                ": read beyond end of file")});
  EXPECT_EQ(Line("FName")->text().toStdString(), Path("ring.tvx"));
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);

  Ensemble.PosX[2] = 9;
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadText(Path("ten.tvx")), tenBytes);
  EXPECT_EQ(dialogs.fileRequests.size(), 2u);  // the two open dialogs, no save dialog
  ReadBack(Path("ring.tvx"));
  EXPECT_EQ(Ensemble.PosX[2], 9.0L);
}

TEST_F(Commands, SaveRightAfterOpenWritesToTheOpenedName) {
  Open(Path("ring.tvx"));
  Ensemble.PosX[2] = 9;
  Action("Save1")->trigger();
  EXPECT_EQ(dialogs.fileRequests.size(), 1u);  // only the open dialog
  ReadBack(Path("ring.tvx"));
  EXPECT_EQ(Ensemble.PosX[2], 9.0L);
  EXPECT_EQ(Ensemble.TimeStep, 0.05L);
}

TEST_F(Commands, SaveAsWritesTheFileAndTheStartFile) {
  Open(Path("ring.tvx"));
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("copy.tvx")));
  Action("Saveas1")->trigger();
  EXPECT_EQ(std::filesystem::file_size(Path("copy.tvx")), 3776u);
  EXPECT_EQ(ReadText(Path("copy.tvx")), ReadText(Path("ring.tvx")));
  EXPECT_EQ(ReadText(StartFilePath), Path("copy.tvx"));
  EXPECT_EQ(FileName, Path("copy.tvx"));
  EXPECT_EQ(Line("FName")->text().toStdString(), Path("copy.tvx"));

  dialogs.saveAnswers.push_back(std::nullopt);
  Action("Saveas1")->trigger();
  EXPECT_EQ(ReadText(StartFilePath), Path("copy.tvx"));
}

TEST_F(Commands, TaonsWithAnEmptyStartFileShowsTheEasySquare) {
  Action("Daons1")->trigger();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Run.SpiralMode, 0);
  EXPECT_TRUE(Push("Go")->isEnabled());
  EXPECT_EQ(FileName, "This is a stabil structur of taons");
  EXPECT_EQ(Line("FName")->text(), "This is a stabil structur of taons");
  EXPECT_EQ(Grid()->Cell(1, 4), "-0.212");
  EXPECT_EQ(Ensemble.Exists[4], 1);
}

// The easy square of an empty start file comes from no file: Save asks for
// one instead of writing a file named after the caption.
TEST_F(Commands, SaveWithoutAChosenFileIsSaveAs) {
  Action("Daons1")->trigger();
  dialogs.saveAnswers.push_back(std::nullopt);
  Action("Save1")->trigger();
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists("This is a stabil structur of taons"));
  EXPECT_FALSE(std::filesystem::exists(Path("This is a stabil structur of taons")));

  dialogs.saveAnswers.push_back(QString::fromStdString(Path("square.tvx")));
  Action("Save1")->trigger();
  EXPECT_EQ(std::filesystem::file_size(Path("square.tvx")), 3776u);
  EXPECT_EQ(ReadText(StartFilePath), Path("square.tvx"));
  EXPECT_EQ(Line("FName")->text().toStdString(), Path("square.tvx"));
  // Now that it has a file, Save writes there without asking.
  Ensemble.PosX[1] = 7;
  Action("Save1")->trigger();
  EXPECT_EQ(dialogs.fileRequests.size(), 2u);
  EXPECT_NE(ReadText(Path("square.tvx")), std::string(3776, '\0'));
  const std::string saved = ReadText(Path("square.tvx"));
  ReadBack(Path("square.tvx"));
  EXPECT_EQ(Ensemble.PosX[1], 7.0L);
}

TEST_F(Commands, TaonsWithoutStartFileSaysSoAndReloadsNothing) {
  std::filesystem::remove(StartFilePath);
  Action("Daons1")->trigger();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "The start File not found.");
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  EXPECT_TRUE(Push("Go")->isEnabled());
  EXPECT_EQ(Run.SpiralMode, 0);
  EXPECT_EQ(Ensemble.Exists[1], 0);
}

TEST_F(Commands, TaonsAfterARunReloadsAndTheStepCounterContinues) {
  Open(Path("ring.tvx"));
  RunOneStep();
  ASSERT_EQ(Run.StepCount, 1);
  EXPECT_NE(Ensemble.PosX[1], 0.5L);
  Line("EditDT")->setText("7");
  // Reloading the file throws the run's result away, which is asked first.
  dialogs.answers.push_back(MessageAnswer::Discard);
  Action("Daons1")->trigger();
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);
  EXPECT_EQ(Run.StepCount, 1);
  EXPECT_EQ(Line("EditDT")->text(), "7");  // the fields are not refreshed
  RunOneStep();
  EXPECT_EQ(Run.StepCount, 2);
}

TEST_F(Commands, SpiralDisablesGoAndNull00) {
  Open(Path("ring.tvx"));
  Action("Spiral1")->trigger();
  EXPECT_EQ(Run.SpiralMode, 1);
  EXPECT_FALSE(Push("Go")->isEnabled());
  EXPECT_FALSE(FindControl<QToolButton>(form, "Null00")->isEnabled());
  EXPECT_NEAR(static_cast<double>(Ensemble.ViewX[16]), 2.981456, 1e-6);
  // The ensemble itself is untouched.
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);
}

TEST_F(Commands, MenuItemsHaveTheirShortcuts) {
  EXPECT_EQ(Action("Open1")->text(), "Open");
  EXPECT_EQ(Action("Open1")->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(Action("Save1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(Action("Saveas1")->text(), "Save As ...");
  EXPECT_TRUE(Action("Saveas1")->shortcut().isEmpty());
  EXPECT_EQ(Action("Exit1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
  EXPECT_EQ(FindControl<QMenu>(form, "Images")->title(), "Show Images");
  EXPECT_EQ(Action("Daons1")->text(), "Taons");
  EXPECT_EQ(Action("Daons1")->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_TRUE(Action("Spiral1")->shortcut().isEmpty());
}

// --- the comment prompt ---------------------------------------------------------------

// A loaded comment is the file's own text: only what the user types is a change.
TEST_F(Commands, LoadingACommentIsNoChangeToAskAbout) {
  Open(Path("ring.tvx"));  // "Ring of three" replaces "No Comment"
  ASSERT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Ring of three");
  EXPECT_EQ(Display.CommentChanged, 0);
  std::filesystem::copy_file(Path("ring.tvx"), Path("star.tvx"));
  WriteText(Path("star.txt"), "Star");
  Open(Path("star.tvx"));
  Leave(FindControl<QPlainTextEdit>(form, "Comment"));
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Star");
}

class CommentPrompt : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    Open(Path("ring.tvx"));
    // The user types a blank and takes it back: a change all the same.
    QTest::keyClick(FindControl<QPlainTextEdit>(form, "Comment"), Qt::Key_Space);
    QTest::keyClick(FindControl<QPlainTextEdit>(form, "Comment"), Qt::Key_Backspace);
    ASSERT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Ring of three");
    ASSERT_EQ(Display.CommentChanged, 1);
    // The comment file changes on disk, so that a save shows.
    WriteText(Path("ring.txt"), "old");
  }
};

TEST_F(CommentPrompt, YesSavesTheMemo) {
  dialogs.answers.push_back(MessageAnswer::Yes);
  Leave(FindControl<QPlainTextEdit>(form, "Comment"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "The text was changed. Save now?");
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Confirmation);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(ReadText(Path("ring.txt")), "Ring of three");
  EXPECT_EQ(Display.CommentChanged, 0);
}

TEST_F(CommentPrompt, NoSavesNothingAndAsksAgainOnlyAfterAFurtherChange) {
  dialogs.answers.push_back(MessageAnswer::No);
  Leave(FindControl<QPlainTextEdit>(form, "Comment"));
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(ReadText(Path("ring.txt")), "old");
  Leave(FindControl<QPlainTextEdit>(form, "Comment"));
  EXPECT_EQ(dialogs.messages.size(), 1u);

  FindControl<QPlainTextEdit>(form, "Comment")->setPlainText("Ring of three\nrevised");
  dialogs.answers.push_back(MessageAnswer::Yes);
  Leave(FindControl<QPlainTextEdit>(form, "Comment"));
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(ReadText(Path("ring.txt")), "Ring of three\r\nrevised");
}

TEST_F(CommentPrompt, OpeningAnotherEnsembleAsksBeforeTheTypedTextIsReplaced) {
  // The second ensemble is a copy of the first; only its comment differs.
  std::filesystem::copy_file(Path("ring.tvx"), Path("star.tvx"));
  WriteText(Path("star.txt"), "Star");
  FindControl<QPlainTextEdit>(form, "Comment")->setPlainText("Ring of three, typed");
  dialogs.answers.push_back(MessageAnswer::Yes);
  Open(Path("star.tvx"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "The text was changed. Save now?");
  // Saved beside the ensemble it was typed for, before the new comment came.
  EXPECT_EQ(ReadText(Path("ring.txt")), "Ring of three, typed");
  EXPECT_EQ(ReadText(Path("star.txt")), "Star");
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Star");
}

// Quitting with typed text asks as opening another file does, with Cancel to
// stay: by the menu, by Alt+X and by the window's close button alike.
TEST_F(CommentPrompt, QuittingAsksAndCancelKeepsTheProgramOpen) {
  dialogs.answers.push_back(MessageAnswer::Cancel);
  Action("Exit1")->trigger();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "The text was changed. Save now?");
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Display.CommentChanged, 1);

  dialogs.answers.push_back(MessageAnswer::Cancel);
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_X, Qt::AltModifier);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(form->isVisible());

  dialogs.answers.push_back(MessageAnswer::No);
  form->close();
  EXPECT_EQ(dialogs.messages.size(), 3u);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(ReadText(Path("ring.txt")), "old");
}

TEST_F(CommentPrompt, QuittingWithYesSavesTheTextFirst) {
  dialogs.answers.push_back(MessageAnswer::Yes);
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(ReadText(Path("ring.txt")), "Ring of three");
}

TEST_F(CommentPrompt, QuittingStaysOpenWhenTheTextCannotBeSaved) {
  std::filesystem::remove(Path("ring.txt"));
  std::filesystem::create_directory(Path("ring.txt"));  // no file can replace a folder
  dialogs.answers.push_back(MessageAnswer::Yes);
  form->close();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].kind, MessageKind::Error);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Ring of three");
}

TEST_F(Commands, QuittingWithoutTypedTextAsksNothing) {
  Open(Path("ring.tvx"));
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CommentPrompt, CancelledOpenDoesNotAsk) {
  FindControl<QPlainTextEdit>(form, "Comment")->setPlainText("typed");
  dialogs.openAnswers.push_back(std::nullopt);
  Action("Open1")->trigger();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Display.CommentChanged, 1);
}

}  // namespace
}  // namespace vorun
