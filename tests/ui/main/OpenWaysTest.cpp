#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <cstring>
#include <set>

#include "model/RecentFiles.h"
#include "ui/Controls.h"
#include "ui/main/MainFormFixture.h"

namespace vorun {
namespace {

using test::ReadText;
using test::WriteText;

// The ensemble's values as a file would hold them, for a comparison bit for bit.
EnsembleRecord Snapshot(const EnsembleState& Ensemble) {
  EnsembleRecord record{};
  CopyToRecord(Ensemble, record);
  return record;
}

enum class Way { CommandLine, Drop, RecentFiles };

std::string WayName(const testing::TestParamInfo<Way>& info) {
  switch (info.param) {
    case Way::CommandLine:
      return "CommandLine";
    case Way::Drop:
      return "Drop";
    default:
      return "RecentFiles";
  }
}

// Start-up shows the spiral (no start file); ring.tvx is the sample ensemble
// with a comment beside it, short.tvx one byte short of a record.
class OpenWays : public test::MainFormTest, public testing::WithParamInterface<Way> {
 protected:
  void TearDown() override {
    // The working folder may have been the test's own, which goes away.
    QDir::setCurrent(workingFolder);
    test::MainFormTest::TearDown();
  }
  const QString workingFolder = QDir::currentPath();
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(Path("ring.txt"), "Three taons");
    WriteText(Path("short.tvx"), std::string(3775, '\0'));
  }

  // A drop as the window system delivers it: the drag enters, then the drop.
  bool Drop(const QString& name) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(name)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    // The file opens once the drop has ended.
    QApplication::processEvents();
    return drop.isAccepted();
  }

  void Open(Way way, const std::string& file) {
    switch (way) {
      case Way::CommandLine:
        // A name relative to the working folder, as typed in a shell.
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
        form->OpenFromCommandLine({QString::fromStdString(file)});
        break;
      case Way::Drop:
        ASSERT_TRUE(Drop(QString::fromStdString(Path(file))));
        break;
      case Way::RecentFiles: {
        RememberRecentFile(StartFilePath, Path(file));
        RememberRecentFile(StartFilePath, Path("elsewhere.tvx"));
        QMenu* recent = FindControl<QMenu>(form, "RecentFiles");
        emit recent->aboutToShow();
        const QList<QAction*> items = recent->actions();
        ASSERT_EQ(items.size(), 2);
        EXPECT_EQ(items[0]->text(), "&1 " + QString::fromStdString(Path("elsewhere.tvx")));
        items[1]->trigger();
        break;
      }
    }
  }
};

TEST_P(OpenWays, LoadTheFileAsOpenDoesAfterTheCommentQuestion) {
  // Typed comment text: the Open path asks about it before it is replaced.
  FindControl<QPlainTextEdit>(form, "Comment")->setPlainText("typed");
  dialogs.answers.push_back(MessageAnswer::No);
  Open(GetParam(), "ring.tvx");
  EXPECT_EQ(dialogs.Texts(), QStringList{"The text was changed. Save now?"});
  const std::string name = Path("ring.tvx");
  EXPECT_EQ(FileName, name);
  EXPECT_EQ(Line("FName")->text().toStdString(), name);
  EXPECT_EQ(ReadText(StartFilePath), name);
  EXPECT_EQ(Run.SpiralMode, 0);
  EXPECT_TRUE(Push("Go")->isEnabled());
  EXPECT_EQ(Ensemble.PosX[1], 0.5L);
  EXPECT_EQ(Ensemble.VelU[1], 1);
  EXPECT_NE(Ensemble.Exists[31], 0);
  EXPECT_EQ(Ensemble.TimeStep, 0.05L);
  EXPECT_EQ(Line("EditDT")->text(), "0.05");
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "Three taons");
  EXPECT_EQ(ReadRecentFiles(StartFilePath).front(), name);
  EXPECT_EQ(FindControl<QMenu>(form, "RecentFiles")->actions().front()->data().toString().toStdString(),
            name);
}

TEST_P(OpenWays, ABadFileIsReportedAndChangesNothing) {
  const EnsembleRecord before = Snapshot(Ensemble);
  const std::string startFile = ReadText(StartFilePath);
  const QString shown = Line("FName")->text();
  const std::string fileName = FileName;
  Open(GetParam(), "short.tvx");
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromStdString("Cannot open " + Path("short.tvx") +
                                                                ": read beyond end of file")});
  EXPECT_EQ(FileName, fileName);
  EXPECT_EQ(Line("FName")->text(), shown);
  EXPECT_EQ(ReadText(StartFilePath), startFile);
  EXPECT_EQ(Run.SpiralMode, 1);
  EXPECT_FALSE(Push("Go")->isEnabled());
  const EnsembleRecord after = Snapshot(Ensemble);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  // Not added to the recent files either (the recent-files way put it there itself).
  if (GetParam() != Way::RecentFiles) {
    EXPECT_TRUE(ReadRecentFiles(StartFilePath).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, OpenWays, testing::Values(Way::CommandLine, Way::Drop, Way::RecentFiles),
                         WayName);

using OpenWaysWindow = OpenWays;

TEST_F(OpenWaysWindow, OnlyEnsembleFilesAreTakenByADrop) {
  WriteText(Path("notes.txt"), "text");
  EXPECT_FALSE(Drop(QString::fromStdString(Path("notes.txt"))));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Run.SpiralMode, 1);
}

TEST_F(OpenWaysWindow, RecentFilesListTheLastEightNewestFirst) {
  EXPECT_EQ(FindControl<QMenu>(form, "RecentFiles")->actions().size(), 1);
  EXPECT_FALSE(FindControl<QMenu>(form, "RecentFiles")->actions().front()->isEnabled());
  for (int i = 0; i < 9; ++i) {
    const std::string name = Path("copy" + std::to_string(i) + ".tvx");
    std::filesystem::copy_file(Path("ring.tvx"), name);
    form->OpenEnsemble(QString::fromStdString(name));
  }
  // Save As names an ensemble too.
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("saved.tvx")));
  Action("Saveas1")->trigger();
  const QList<QAction*> items = FindControl<QMenu>(form, "RecentFiles")->actions();
  ASSERT_EQ(items.size(), 8);
  EXPECT_EQ(items[0]->data().toString().toStdString(), Path("saved.tvx"));
  EXPECT_EQ(items[1]->data().toString().toStdString(), Path("copy8.tvx"));
  EXPECT_EQ(items[7]->data().toString().toStdString(), Path("copy2.tvx"));
  EXPECT_TRUE(dialogs.messages.empty());
}

// The new items sit among the old ones, which keep their places and keys, and
// no two commands of the window share a shortcut.
TEST_F(OpenWaysWindow, NewItemsTakeNoKeyOfAnotherCommand) {
  QStringList file;
  for (QAction* a : FindControl<QMenu>(form, "File1")->actions())
    file << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(file, (QStringList{"New", "Open", "Recent Files", "Save", "Save As ...", "Export Picture ...",
                               "-", "Exit"}));
  EXPECT_EQ(Action("FitToView")->shortcut(), QKeySequence(Qt::Key_F9));
  std::multiset<QString> keys;
  for (QAction* a : form->findChildren<QAction*>())
    for (const QKeySequence& key : a->shortcuts()) keys.insert(key.toString());
  for (const QString& key : keys) EXPECT_EQ(keys.count(key), 1u) << key.toStdString();
  EXPECT_EQ(keys.count("F9"), 1u);
}

}  // namespace
}  // namespace vorun
