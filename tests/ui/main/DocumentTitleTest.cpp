// The window's caption names the file on show and marks an ensemble that
// differs from it; replacing or quitting such an ensemble asks first.
#include <QAction>
#include <QLineEdit>
#include <QWindow>
#include <filesystem>

#include "model/EnsembleFile.h"
#include "ui/SampleFiles.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/MainFormProbe.h"

namespace vorun {
namespace {

using test::ReadText;
using test::WriteText;

const QString Dash = QString::fromUtf8("\u2013");

class DocumentTitle : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("Lattice7.tvx"));
    std::filesystem::copy_file(Path("Lattice7.tvx"), Path("other.tvx"));
    WriteText(StartFilePath, Path("Lattice7.tvx"));
  }
  // The caption as the window system shows it, the mark in place.
  QString ShownTitle() const { return form->windowHandle()->title(); }
  void RunOneStep() {
    QMetaObject::invokeMethod(Push("Go"), "click", Qt::QueuedConnection);
    Push("Go")->click();
  }
  void Open(const std::string& path) {
    dialogs.openAnswers.push_back(QString::fromStdString(path));
    Action("Open1")->trigger();
  }
};

TEST_F(DocumentTitle, NamesTheFileAndMarksEveryKindOfChangeUntilSaved) {
  EXPECT_EQ(ShownTitle(), "Lattice7.tvx " + Dash + " Vorun - Quarvel");
  RunOneStep();
  EXPECT_EQ(ShownTitle(), "Lattice7.tvx* " + Dash + " Vorun - Quarvel");
  Action("Save1")->trigger();
  EXPECT_EQ(ShownTitle(), "Lattice7.tvx " + Dash + " Vorun - Quarvel");

  // Zeroing the velocities, its save dialog cancelled.
  dialogs.saveAnswers.push_back(std::nullopt);
  MainFormProbe::Null00Handler(*form);
  EXPECT_TRUE(form->isWindowModified());
  Action("Save1")->trigger();
  EXPECT_FALSE(form->isWindowModified());

  // A time step typed and taken.
  Line("EditDT")->setText("0.02");
  Leave(Line("EditDT"));
  EXPECT_TRUE(form->isWindowModified());
  Line("EditDT")->setText("0.05");
  Leave(Line("EditDT"));
  EXPECT_FALSE(form->isWindowModified()) << "back to what the file holds";
}

TEST_F(DocumentTitle, QuittingAChangedEnsembleAsksSaveDiscardOrCancel) {
  RunOneStep();
  const std::string before = ReadText(Path("Lattice7.tvx"));
  dialogs.answers.push_back(MessageAnswer::Cancel);
  form->close();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::SaveDiscardCancel);
  EXPECT_TRUE(form->isVisible());

  dialogs.answers.push_back(MessageAnswer::Save);
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(ReadText(Path("Lattice7.tvx")), before);
  EnsembleState saved{};
  saved.SlotCount = MaxSlots;
  EnsembleRecord record{};
  ReadEnsembleFile(Path("Lattice7.tvx"), saved, record);
  EXPECT_EQ(saved.PosX[1], Ensemble.PosX[1]);
}

TEST_F(DocumentTitle, OpeningAnotherFileAsksAndCancelKeepsTheRun) {
  RunOneStep();
  const Extended80 moved = Ensemble.PosX[1];
  dialogs.answers.push_back(MessageAnswer::Cancel);
  Open(Path("other.tvx"));
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(Ensemble.PosX[1], moved);
  EXPECT_EQ(FileName, Path("Lattice7.tvx"));

  dialogs.answers.push_back(MessageAnswer::Discard);
  Open(Path("other.tvx"));
  EXPECT_EQ(FileName, Path("other.tvx"));
  EXPECT_EQ(ShownTitle(), "other.tvx " + Dash + " Vorun - Quarvel");
  EXPECT_EQ(ReadText(Path("Lattice7.tvx")), ReadText(Path("other.tvx")));
}

// The spiral belongs to no file: its caption is the program's, and nothing is asked.
TEST_F(DocumentTitle, TheSpiralNeverAsks) {
  dialogs.answers.push_back(MessageAnswer::Discard);
  RunOneStep();
  Action("Spiral1")->trigger();
  EXPECT_EQ(dialogs.messages.size(), 1u);  // the run on show, before the spiral replaced it
  EXPECT_EQ(ShownTitle(), "Vorun - Quarvel");
  MainFormProbe::TimerTick(*form);
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace vorun
