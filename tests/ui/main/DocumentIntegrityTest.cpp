// What the window holds is the file on show and what the user typed, never a
// left-over of another file: the comment follows its ensemble, a comment
// that could not be saved is still a change, the listing shows the ensemble
// once it is looked at, and the menu bar is no way to leave the memo.
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <filesystem>

#include "model/NumberText.h"
#include "ui/SampleFiles.h"
#include "ui/dialogs/FileErrors.h"
#include "ui/main/MainFormFixture.h"
#include "ui/widgets/Widgets.h"

namespace vorun {
namespace {

using test::ReadText;
using test::WriteText;

// Every comment file of the folder, name and bytes, so that a stray one shows.
std::map<std::string, std::string> CommentFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".txt")
      files[entry.path().filename().string()] =
          entry.is_regular_file() ? ReadText(entry.path().string()) : std::string("(not a file)");
  return files;
}

// Starts with a.tvx and its comment a.txt on show; b.tvx, the same ensemble,
// has no comment of its own.
class CommentOfTheFile : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("a.tvx"));
    std::filesystem::copy_file(Path("a.tvx"), Path("b.tvx"));
    WriteText(Path("a.txt"), "First comment\r\nline two");
    WriteText(StartFilePath, Path("a.tvx"));
  }
  void Open(const std::string& path) {
    dialogs.openAnswers.push_back(QString::fromStdString(path));
    Action("Open1")->trigger();
  }
  QPlainTextEdit* Memo() const { return FindControl<QPlainTextEdit>(form, "Comment"); }
  void TypeIntoMemo(const QString& text) {
    Memo()->setFocus();
    Memo()->moveCursor(QTextCursor::End);
    QTest::keyClicks(Memo(), text);
  }
};

TEST_F(CommentOfTheFile, OpeningAFileWithoutCommentEmptiesTheMemoAndTypedTextGoesBesideIt) {
  ASSERT_EQ(Memo()->toPlainText(), "First comment\nline two");
  Open(Path("b.tvx"));
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
  EXPECT_EQ(Memo()->toPlainText(), "");

  TypeIntoMemo("For b");
  dialogs.answers.push_back(MessageAnswer::Yes);
  Leave(Memo());
  EXPECT_EQ(dialogs.Texts(), QStringList{"The text was changed. Save now?"});
  EXPECT_EQ(CommentFiles(folder.path().toStdString()),
            (std::map<std::string, std::string>{{"a.txt", "First comment\r\nline two"}, {"b.txt", "For b"}}));
}

TEST_F(CommentOfTheFile, ACommentThatCannotBeReadIsReportedAndNotTakenFromTheFileBefore) {
  ASSERT_EQ(::mkfifo(Path("b.txt").c_str(), 0600), 0);
  Open(Path("b.tvx"));
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QString::fromStdString("Cannot read " + Path("b.txt") + ": file access denied")});
  EXPECT_EQ(Memo()->toPlainText(), "");

  TypeIntoMemo("For b");
  dialogs.answers.push_back(MessageAnswer::Yes);
  Leave(Memo());
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[2].kind, MessageKind::Error);
  EXPECT_EQ(CommentFiles(folder.path().toStdString()),
            (std::map<std::string, std::string>{{"a.txt", "First comment\r\nline two"},
                                                {"b.txt", "(not a file)"}}));
}

TEST_F(CommentOfTheFile, ACommentWhoseSaveFailedIsAskedAboutAgainAtQuit) {
  std::filesystem::create_directory(Path("gone"));
  std::filesystem::copy_file(Path("b.tvx"), Path("gone/c.tvx"));
  Open(Path("gone/c.tvx"));
  std::filesystem::remove_all(Path("gone"));

  TypeIntoMemo("Words that must not be lost");
  dialogs.answers.push_back(MessageAnswer::Yes);
  Leave(Memo());
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text,
            QString::fromStdString("Cannot save " + Path("gone/c.txt") + ": the folder does not exist"));

  dialogs.answers.push_back(MessageAnswer::Cancel);
  form->close();
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[2].text, "The text was changed. Save now?");
  EXPECT_EQ(dialogs.messages[2].buttons, MessageButtons::YesNoCancel);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Memo()->toPlainText(), "Words that must not be lost");
}

// A question about leaving the memo can be regretted: Cancel goes back into it.
TEST_F(CommentOfTheFile, CancelWhenLeavingTheMemoKeepsTheChangeOnItsPage) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  FindControl<QTabWidget>(form, "PageControl")->setCurrentIndex(1);
  TypeIntoMemo("typed");
  dialogs.answers.push_back(MessageAnswer::Cancel);
  // Away to the other page, as a click on its tab does.
  FindControl<QTabWidget>(form, "PageControl")->setCurrentIndex(0);
  QApplication::processEvents();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(FindControl<QTabWidget>(form, "PageControl")->currentIndex(), 1);
  EXPECT_TRUE(Memo()->hasFocus());
  EXPECT_EQ(Memo()->toPlainText(), "First comment\nline twotyped");
  EXPECT_EQ(ReadText(Path("a.txt")), "First comment\r\nline two");
  // Still a change: leaving again asks again.
  dialogs.answers.push_back(MessageAnswer::No);
  Leave(Memo());
  EXPECT_EQ(dialogs.messages.size(), 2u);
}

// The keyboard's way into the menu is no leave of the memo, as a click on
// the menu is not: the menu opens and nothing is asked.
TEST_F(CommentOfTheFile, AltFFromTheMemoOpensTheMenuWithoutAQuestion) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  FindControl<QTabWidget>(form, "PageControl")->setCurrentIndex(1);
  TypeIntoMemo("typed");
  ASSERT_TRUE(Memo()->hasFocus());
  QTest::keyClick(Memo(), Qt::Key_F, Qt::AltModifier);
  QApplication::processEvents();
  QMenu* file = FindControl<QMenu>(form, "File1");
  EXPECT_TRUE(file->isVisible());
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
  file->close();
  EXPECT_EQ(Display.CommentChanged, 1);
}

// Started on a.tvx with the listing not following the run.
using ListingAfterARun = CommentOfTheFile;

TEST_F(ListingAfterARun, ShowsTheCommittedStateWhenTheRunStopsAndWhenTicked) {
  ASSERT_FALSE(FindControl<QCheckBox>(form, "ShowList")->isChecked());
  ASSERT_EQ(Grid()->Cell(1, 1), "0.5");
  QMetaObject::invokeMethod(Push("Go"), "click", Qt::QueuedConnection);
  Push("Go")->click();
  ASSERT_EQ(Run.StepCount, 1);
  ASSERT_NE(Ensemble.PosX[1], 0.5L);
  EXPECT_EQ(Grid()->Cell(1, 1), NumberText(Ensemble.PosX[1]));

  // Changed behind the listing's back, as a run with the listing off does it.
  Ensemble.PosX[1] = 3;
  FindControl<QCheckBox>(form, "ShowList")->setChecked(true);
  EXPECT_EQ(Grid()->Cell(1, 1), "3");
}

struct FileMessageCase {
  std::string action, name, reason, expected;
};

class FileMessages : public testing::TestWithParam<FileMessageCase> {};

TEST_P(FileMessages, NameTheActionAndTheFileAndKeepTheCause) {
  const FileMessageCase& c = GetParam();
  EXPECT_EQ(FileActionMessage(c.action, c.name, c.reason), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, FileMessages,
    testing::Values(
        FileMessageCase{"open", "/tmp/a.tvx", "File not found", "Cannot open /tmp/a.tvx: file not found"},
        // A save into a folder that has gone finds no file, but the folder is what is missing.
        FileMessageCase{"save", "/tmp/no-such-folder-here/a.txt", "File not found",
                        "Cannot save /tmp/no-such-folder-here/a.txt: the folder does not exist"},
        FileMessageCase{"save", "/tmp/a.tvx", "I/O error 5", "Cannot save /tmp/a.tvx: I/O error 5"},
        FileMessageCase{"save", "/tmp/a.tvx", "Disk full", "Cannot save /tmp/a.tvx: disk full"},
        // Already said with the name: not said twice.
        FileMessageCase{"save", "/tmp/p", "Cannot save to /tmp/p: it is a device, not a regular file.",
                        "Cannot save to /tmp/p: it is a device, not a regular file."}));

}  // namespace
}  // namespace vorun
