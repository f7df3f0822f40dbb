#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/editor/Edit.h"
#include "ui/main/MainFormFixture.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

// The main window with its editor, as the program creates them. The window
// starts without a start file, so it shows the spiral with Go disabled.
class NewCommand : public test::MainFormTest {
 protected:
  void SetUp() override {
    test::MainFormTest::SetUp();
    editor = std::make_unique<TEditDlg>(session, form.get());
    form->AttachDialogs(editor.get(), nullptr);
    Ensemble.SlotCount = MaxSlots;
    for (int n = 1; n <= 4; ++n) {
      Ensemble.Exists[n] = 1;
      Ensemble.PosX[n] = n;
      Ensemble.PosY[n] = 2 * n;
      Ensemble.PosZ[n] = 3 * n;
    }
    Ensemble.TimeStep = 0.001L;
    Run.StepCount = 77;
    FindControl<QLabel>(form, "LTime")->setText("77");
    Line("FName")->setText("before");
    form->FillListing();
  }

  void TearDown() override {
    form->AttachDialogs(nullptr, nullptr);
    editor.reset();
    test::MainFormTest::TearDown();
  }

  // Opens the editor with File > "New" and acts in it once it is shown; the
  // action must close it.
  void New(const std::function<void(TEditDlg&)>& act) {
    QTimer::singleShot(0, [this, act] {
      ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
      QApplication::processEvents();
      act(*editor);
      if (editor->isVisible()) {
        ADD_FAILURE() << "the editor is still open";
        editor->reject();
      }
    });
    Action("New1")->trigger();
  }

  static void Type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
  }

  std::unique_ptr<TEditDlg> editor;
};

TEST_F(NewCommand, IsTheFirstFileItemOnF2) {
  EXPECT_EQ(Action("New1")->text(), "New");
  EXPECT_EQ(Action("New1")->shortcut(), QKeySequence(Qt::Key_F2));
  EXPECT_EQ(FindControl<QMenu>(form, "File1")->actions().first(), Action("New1"));
}

TEST_F(NewCommand, F2OpensTheEditorModally) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  bool opened = false;
  // A timer of the test's own, so that it dies with the test if F2 does nothing.
  QTimer inside;
  inside.setSingleShot(true);
  QObject::connect(&inside, &QTimer::timeout, [&] {
    opened = editor->isVisible() && editor->isModal();
    editor->reject();
  });
  inside.start(0);
  QTest::keyClick(form.get(), Qt::Key_F2);
  EXPECT_TRUE(opened);
}

TEST_F(NewCommand, StartsFromTheLiveEnsembleAndTheMainWindowsSignMode) {
  FindControl<QRadioButton>(form, "Taoscope")->setChecked(true);
  New([](TEditDlg& dlg) {
    EXPECT_EQ(FindControl<StringGrid>(dlg, "DaonsTable")->Cell(0, 0), "Taons");
    EXPECT_EQ(FindControl<QLineEdit>(dlg, "EditY")->text(), "2");
    EXPECT_EQ(FindControl<QLineEdit>(dlg, "EditDT")->text(), "0.001");
    FindControl<QPushButton>(dlg, "CancelBtn")->click();
  });
}

TEST_F(NewCommand, SubmitThenCancelLeavesTheMainWindowAsItWas) {
  New([this](TEditDlg& dlg) {
    Type(FindControl<QLineEdit>(dlg, "EditX"), "9");
    FindControl<QPushButton>(dlg, "Submit")->click();
    FindControl<QPushButton>(dlg, "CancelBtn")->click();
  });
  EXPECT_EQ(Ensemble.PosX[1], 9);
  EXPECT_EQ(Grid()->Cell(1, 1), "1");
  EXPECT_EQ(Run.StepCount, 77);
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "77");
  EXPECT_EQ(Line("FName")->text(), "before");
  EXPECT_FALSE(Push("Go")->isEnabled());
}

TEST_F(NewCommand, OkSavesAndShowsTheEnsembleAsFreshlyOpened) {
  const std::string name = Path("new.tvx");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  New([this](TEditDlg& dlg) {
    Type(FindControl<QLineEdit>(dlg, "EditX"), "9");
    FindControl<QPushButton>(dlg, "Submit")->click();
    Type(FindControl<QLineEdit>(dlg, "EditDT"), "0.02");
    Type(FindControl<QLineEdit>(dlg, "EditB2"), "6");
    FindControl<QPushButton>(dlg, "OKBtn")->click();
  });
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
  EXPECT_EQ(QFileInfo(QString::fromStdString(name)).size(), 3776);
  EXPECT_EQ(test::ReadText(StartFilePath), name);
  EXPECT_EQ(Run.SpiralMode, 0);
  EXPECT_TRUE(Push("Go")->isEnabled());
  EXPECT_TRUE(FindControl<QToolButton>(form, "Null00")->isEnabled());
  EXPECT_EQ(Line("FName")->text().toStdString(), name);
  EXPECT_EQ(Run.StepCount, 0);
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "0");
  EXPECT_EQ(Grid()->Cell(1, 1), "9");
  EXPECT_EQ(Line("EditDT")->text(), "0.02");
  EXPECT_EQ(Line("EditB2")->text(), "6");
  EXPECT_EQ(Ensemble.ViewX[1], 9);
}

// Saved under a name the user chose, the ensemble joins the recent files as
// one opened or saved with Save As does.
TEST_F(NewCommand, OkPutsTheSavedFileAtTheTopOfTheRecentFiles) {
  const std::string name = Path("chosen.tvx");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  New([](TEditDlg& dlg) { FindControl<QPushButton>(dlg, "OKBtn")->click(); });
  QMenu* recent = FindControl<QMenu>(form, "RecentFiles");
  emit recent->aboutToShow();
  ASSERT_FALSE(recent->actions().isEmpty());
  EXPECT_EQ(recent->actions().first()->text(), "&1 " + QString::fromStdString(name));
}

// A cancelled save dialog returns to the editor; closed then with Cancel, it
// leaves the main window as it was.
TEST_F(NewCommand, OkWithCancelledSaveDialogReturnsToTheEditor) {
  dialogs.saveAnswers.push_back(std::nullopt);
  New([](TEditDlg& dlg) {
    Type(FindControl<QLineEdit>(dlg, "EditDT"), "0.5");
    FindControl<QPushButton>(dlg, "OKBtn")->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(FindControl<QLineEdit>(dlg, "EditDT")->text(), "0.5");
    FindControl<QPushButton>(dlg, "CancelBtn")->click();
  });
  EXPECT_EQ(Ensemble.TimeStep, 0.001L);
  EXPECT_EQ(Run.StepCount, 77);
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "77");
  EXPECT_FALSE(Push("Go")->isEnabled());
}

TEST_F(NewCommand, OkWithBadTextNeitherSavesNorRefreshes) {
  const std::string name = Path("bad.tvx");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  New([](TEditDlg& dlg) {
    FindControl<QLineEdit>(dlg, "EditA2")->setText("x");
    FindControl<QPushButton>(dlg, "OKBtn")->click();
    EXPECT_TRUE(dlg.isVisible());
    FindControl<QPushButton>(dlg, "CancelBtn")->click();
  });
  EXPECT_EQ(dialogs.Texts(), QStringList{"'x' is not a valid floating point value"});
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(name)));
  EXPECT_EQ(Run.StepCount, 77);
  EXPECT_EQ(Line("FName")->text(), "before");
  EXPECT_FALSE(Push("Go")->isEnabled());
}

}  // namespace
}  // namespace vorun
