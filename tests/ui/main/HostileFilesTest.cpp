// The window against files that are not what they seem: named pipes where a
// file is expected, devices that never end, names with a line break. Nothing
// may hang the window, and every refusal is reported or takes its fallback.
#include <sys/stat.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <filesystem>

#include "FifoDeadline.h"
#include "model/Ensemble.h"
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/main/MainFormFixture.h"

namespace vorun {
namespace {

using test::FinishesWithoutHelp;
using test::ReadText;
using test::WriteText;

// The window is created while the watchdog watches the pipe, so a start-up
// that blocks on it fails the test instead of hanging it.
class StartUpWithAPipe : public test::MainFormTest {
 protected:
  void SetUp() override {
    pipe = Path("pipe.tvx");
    startedAlone = FinishesWithoutHelp(pipe, [this] { MainFormTest::SetUp(); });
  }
  void MakePipe(const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }
  std::string pipe;
  bool startedAlone = false;
};

class StartFileNamesAPipe : public StartUpWithAPipe {
 protected:
  void PrepareFiles() override {
    MakePipe(pipe);
    WriteText(StartFilePath, pipe);
  }
};

TEST_F(StartFileNamesAPipe, ShowsTheEasySquareAsForAMissingFile) {
  EXPECT_TRUE(startedAlone);
  EXPECT_EQ(Line("FName")->text(), "The easy square");
  EXPECT_EQ(Ensemble.Exists[4], 1);
  EXPECT_TRUE(dialogs.messages.empty());
}

class StartFileIsAPipe : public StartUpWithAPipe {
 protected:
  void PrepareFiles() override {
    StartFilePath = pipe;
    MakePipe(pipe);
  }
};

// No start file can be read, so the spiral shows; the empty start file that
// start-up then writes is refused, and the message says why.
TEST_F(StartFileIsAPipe, ShowsTheSpiralAndSaysThePipeIsNoStartFile) {
  EXPECT_TRUE(startedAlone);
  EXPECT_EQ(Run.SpiralMode, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.toStdString(),
            "Cannot save to " + pipe + ": it is a named pipe (FIFO), not a regular file.");
  struct stat info;
  ASSERT_EQ(stat(pipe.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

class CommentFileIsAPipe : public StartUpWithAPipe {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(StartFilePath, Path("ring.tvx"));
    pipe = Path("ring.txt");
    MakePipe(pipe);
  }
};

// The pipe is no comment of this file: the memo is empty, not the design's
// text, and the user learns why once the window is up.
TEST_F(CommentFileIsAPipe, LoadsTheEnsembleEmptiesTheMemoAndSaysWhy) {
  EXPECT_TRUE(startedAlone);
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "");
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QString::fromStdString("Cannot read " + Path("ring.txt") + ": file access denied")});
}

class StartFileIsDevZero : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    StartFilePath = Path("Start.tvx2");
    std::filesystem::create_symlink("/dev/zero", StartFilePath);
  }
};

// Once read whole: 4 GB and a std::bad_alloc after half a minute.
TEST_F(StartFileIsDevZero, IsNoStartFile) {
  if (!std::filesystem::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
  EXPECT_EQ(Run.SpiralMode, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.toStdString(),
            "Cannot save to " + StartFilePath + ": it is a device, not a regular file.");
}

class HostileNames : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("other\r.tvx"), 0.25L);
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(StartFilePath, Path("ring.tvx"));
  }
};

TEST_F(HostileNames, OpenOnAPipeReportsItAndDoesNotWait) {
  const std::string pipe = Path("pipe.tvx");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  dialogs.openAnswers.push_back(QString::fromStdString(pipe));
  EXPECT_TRUE(FinishesWithoutHelp(pipe, [&] { Action("Open1")->trigger(); }));
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QString::fromStdString("Cannot open " + pipe + ": file access denied")});
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);
}

const std::string LineBreakRefusal =
    ": a file name with a line break cannot be remembered for the next start. Choose a name without one.";

// The start file would give back "…/ring" and the next start would load
// another file, so the name is refused before anything changes.
TEST_F(HostileNames, SaveAsWithALineBreakIsRefusedBeforeAnythingIsWritten) {
  const std::string name = Path("ring\nother.tvx");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  Action("Saveas1")->trigger();
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromStdString("Cannot save " + name + LineBreakRefusal)});
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(FileName, Path("ring.tvx"));
  EXPECT_EQ(Line("FName")->text().toStdString(), Path("ring.tvx"));
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
}

TEST_F(HostileNames, OpenWithALineBreakIsRefusedBeforeAnythingChanges) {
  const std::string name = Path("other\r.tvx");
  dialogs.openAnswers.push_back(QString::fromStdString(name));
  Action("Open1")->trigger();
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromStdString("Cannot open " + name + LineBreakRefusal)});
  EXPECT_EQ(FileName, Path("ring.tvx"));
  EXPECT_EQ(Ensemble.TimeStep, 0.05L);
  EXPECT_EQ(ReadText(StartFilePath), Path("ring.tvx"));
}

}  // namespace
}  // namespace vorun
