#include "ui/Edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>

#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/Controls.h"
#include "ui/ParameterFields.h"
#include "ui/SampleFiles.h"
#include "ui/ScriptedDialogs.h"
#include "ui/StringGrid.h"
#include "ui/ToolTipProbe.h"

namespace vorun {
namespace {

// Slots 1..10 are occupied, the rest empty; every value differs from every
// other so that a value in the wrong place shows.
void FillEnsemble() {
  auto& e = Ensemble;
  e.SlotCount = MaxSlots;
  e.TimeStep = 0.001L;
  e.A1 = 1, e.B1 = 1, e.C1 = 2, e.D1 = 3, e.F1 = 4;
  e.A2 = 1.5L, e.B2 = 2.5L, e.C2 = 3.5L, e.D2 = 4.5L, e.F2 = 5.5L;
  for (int n = 1; n <= MaxSlots; ++n) {
    e.PosX[n] = n;
    e.PosY[n] = 100 + n;
    e.PosZ[n] = -n;
    e.VelU[n] = 0.25L * n;
    e.VelV[n] = 1000 + n;
    e.VelW[n] = -0.5L * n;
    e.Exists[n] = n <= 10 ? 1 : 0;
  }
}

class Editor : public testing::Test {
 protected:
  void SetUp() override {
    test::ResetProgramState();
    DecimalSeparator = '.';
    FillEnsemble();
    FileName = "ThetraSpiral";
    ASSERT_TRUE(dir.isValid());
    StartFilePath = Path("Start.tvx2");
  }

  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

  void Open() {
    dlg.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QApplication::processEvents();
  }

  void Select(int row, int column = 1) {
    const QRect cell = Grid()->visualItemRect(Grid()->item(row - 1, column));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(Grid()->Row(), row);
    // Paints run before the user's next key, as they do between real clicks and keys.
    QApplication::processEvents();
  }

  static void Type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
  }

  static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  QString Cell(int column, int row) const { return Grid()->Cell(column, row); }

  // The dialog's controls, by the names they carry.
  QLineEdit* Line(const char* name) const { return FindControl<QLineEdit>(dlg, name); }
  QPushButton* Push(const char* name) const { return FindControl<QPushButton>(dlg, name); }
  StringGrid* Grid() const { return FindControl<StringGrid>(dlg, "DaonsTable"); }

  QTemporaryDir dir;
  test::ScriptedDialogs dialogs;
  TEditDlg dlg;
};

TEST_F(Editor, LaysOutTheDialogAsDesigned) {
  EXPECT_EQ(dlg.windowTitle(), " Editing of gravon's or taon's values");
  EXPECT_EQ(dlg.size(), QSize(787, 449));
  EXPECT_EQ(Grid()->geometry(), QRect(386, 2, 399, 399));
  EXPECT_EQ(Line("EditDT")->geometry(), QRect(16, 16, 65, 21));
  EXPECT_EQ(Line("EditF2")->geometry(), QRect(304, 112, 81, 21));
  EXPECT_EQ(Line("EditW")->geometry(), QRect(240, 336, 121, 21));
  EXPECT_EQ(Push("OKBtn")->geometry(), QRect(623, 418, 75, 26));
  EXPECT_EQ(Line("EditCal4Part2")->geometry(), QRect(40, 327, 25, 21));
  EXPECT_EQ(Push("Reset3")->geometry(), QRect(72, 272, 105, 25));
  EXPECT_EQ(Push("Submit")->text(), "&Yes");
  EXPECT_EQ(FindControl<QCheckBox>(dlg, "DaoTrue")->text(), "There is Gravon or Taon");
  EXPECT_EQ(Line("EditA1")->palette().color(QPalette::Base), QColor(0, 255, 0));
  EXPECT_EQ(Line("EditA2")->palette().color(QPalette::Base), QColor(255, 255, 0));
  EXPECT_EQ(Line("EditResult2")->text(), "0");
  EXPECT_EQ(Grid()->rowHeight(5), 20);   // row 6
  EXPECT_EQ(Grid()->rowHeight(11), 19);  // row 12
}

TEST_F(Editor, FirstOpeningShowsSlotOneInGravonPositions) {
  Open();
  EXPECT_EQ(Grid()->Row(), 1);
  EXPECT_EQ(FindControl<QLabel>(dlg, "NumberOfTaon")->text(), "1");
  EXPECT_EQ(Line("EditX")->text(), "1");
  EXPECT_EQ(Line("EditY")->text(), "101");
  EXPECT_EQ(Line("EditV")->text(), "0.25");  // first velocity component
  EXPECT_EQ(Line("EditU")->text(), "1001");  // second
  EXPECT_TRUE(FindControl<QCheckBox>(dlg, "DaoTrue")->isChecked());
  EXPECT_EQ(Line("EditDT")->text(), "0.001");
  EXPECT_EQ(Line("EditF2")->text(), "5.5");
  EXPECT_EQ(Line("EditFileName")->text(), "ThetraSpiral");
  EXPECT_EQ(Cell(0, 0), "Gravons");
  EXPECT_EQ(Cell(1, 0), "X");
  EXPECT_EQ(Cell(2, 0), "Y");
  EXPECT_EQ(Cell(3, 0), "Z");
  EXPECT_EQ(Cell(0, 60), "60");
  EXPECT_EQ(Cell(2, 10), "110");
  EXPECT_EQ(Cell(1, 11), "");  // empty slot: its number only
}

TEST_F(Editor, CornerFollowsTheMainWindowsSignMode) {
  QRadioButton taoscope, gravoscope;
  taoscope.setChecked(true);
  dlg.SetScopeButtons(&taoscope, &gravoscope);
  Open();
  EXPECT_EQ(Cell(0, 0), "Taons");
  gravoscope.setChecked(true);
  taoscope.setChecked(false);
  dlg.FillEditorGrid();
  EXPECT_EQ(Cell(0, 0), "Gravons");
}

TEST_F(Editor, SubmitStoresTheSlotAndItsGridRow) {
  Open();
  Select(5);
  EXPECT_EQ(FindControl<QLabel>(dlg, "NumberOfTaon")->text(), "5");
  EXPECT_EQ(Line("EditX")->text(), "5");
  Type(Line("EditX"), "-2.75");
  Type(Line("EditV"), "7");
  Type(Line("EditU"), "8");
  Click(Push("Submit"));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Ensemble.PosX[5], -2.75L);
  EXPECT_EQ(Ensemble.VelU[5], 7);
  EXPECT_EQ(Ensemble.VelV[5], 8);
  EXPECT_EQ(Ensemble.PosY[5], 105);
  EXPECT_EQ(Cell(1, 5), "-2.75");
  // Only the committed values change; view and step copies wait for OK.
  EXPECT_EQ(Ensemble.ViewX[5], 0);
  EXPECT_EQ(Ensemble.NextVelU[5], 0);
  EXPECT_TRUE(dlg.isVisible());
}

TEST_F(Editor, ClearingPresenceEmptiesTheRowButKeepsTheValues) {
  Open();
  Select(3);
  FindControl<QCheckBox>(dlg, "DaoTrue")->setChecked(false);
  Click(Push("Submit"));
  EXPECT_EQ(Ensemble.Exists[3], 0);
  EXPECT_EQ(Cell(0, 3), "3");
  EXPECT_EQ(Cell(1, 3), "");
  EXPECT_EQ(Cell(3, 3), "");
  EXPECT_EQ(Ensemble.PosX[3], 3);
  // And back: a slot made present again shows its values.
  Select(4);
  Select(3);
  EXPECT_FALSE(FindControl<QCheckBox>(dlg, "DaoTrue")->isChecked());
  FindControl<QCheckBox>(dlg, "DaoTrue")->setChecked(true);
  Click(Push("Submit"));
  EXPECT_EQ(Ensemble.Exists[3], 1);
  EXPECT_EQ(Cell(2, 3), "103");
}

TEST_F(Editor, TypedTextIsLostOnAnotherSelection) {
  Open();
  Select(2);
  Type(Line("EditX"), "42");
  Select(6);
  Select(2);
  EXPECT_EQ(Line("EditX")->text(), "2");
  EXPECT_EQ(Ensemble.PosX[2], 2);
}

// Repaints come at any time (a window uncovering the dialog, a click, a scroll
// of the grid); none of them may take back what the user typed.
TEST_F(Editor, TypedValuesSurviveRepaintsRowClicksAndScrolls) {
  Open();
  Type(Line("EditDT"), "0.5");
  Type(Line("EditB2"), "9");
  Type(Line("EditX"), "42");
  dlg.repaint();
  EXPECT_EQ(Line("EditX")->text(), "42");
  Select(3);
  Grid()->verticalScrollBar()->setValue(Grid()->verticalScrollBar()->maximum());
  dlg.repaint();
  QApplication::processEvents();
  EXPECT_EQ(Line("EditDT")->text(), "0.5");
  EXPECT_EQ(Line("EditB2")->text(), "9");
  EXPECT_EQ(Line("EditX")->text(),
            "3");  // the clicked row's slot, as a row click means
  EXPECT_EQ(Ensemble.TimeStep, 0.001L);

  // A real change of the ensemble shows, in the field it concerns only.
  Ensemble.A1 = 6;
  dlg.repaint();
  EXPECT_EQ(Line("EditA1")->text(), "6");
  EXPECT_EQ(Line("EditDT")->text(), "0.5");

  // The next opening starts from the ensemble again.
  Click(Push("CancelBtn"));
  Open();
  EXPECT_EQ(Line("EditDT")->text(), "0.001");
  EXPECT_EQ(Line("EditB2")->text(), "2.5");
}

TEST_F(Editor, BadTextStopsSubmitAtThatField) {
  Open();
  Select(4);
  Type(Line("EditX"), "9");
  Line("EditY")->setText("abc");  // pasted: letters cannot be typed here
  Type(Line("EditZ"), "9");
  FindControl<QCheckBox>(dlg, "DaoTrue")->setChecked(false);
  Click(Push("Submit"));
  ASSERT_EQ(dialogs.Texts(), QStringList{"'abc' is not a valid floating point value"});
  EXPECT_EQ(Ensemble.PosX[4], 9);
  EXPECT_EQ(Ensemble.PosY[4], 104);
  EXPECT_EQ(Ensemble.PosZ[4], -4);
  EXPECT_EQ(Ensemble.Exists[4], 1);
  EXPECT_EQ(Cell(1, 4), "4");  // the grid is not refilled either
}

TEST_F(Editor, SubmitThenCancelKeepsTheSlotChanged) {
  Open();
  Select(2);
  Type(Line("EditZ"), "12");
  Click(Push("Submit"));
  Click(Push("CancelBtn"));
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(Ensemble.PosZ[2], 12);
}

TEST_F(Editor, OkWritesTheFileRemembersItAndSyncsPresentSlots) {
  Open();
  Type(Line("EditDT"), "0.02");
  Type(Line("EditF2"), "-7");
  const std::string name = Path("ring.tvx");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  Click(Push("OKBtn"));
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(dlg.isVisible());
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].filter, "Taons files (*.tvx)|*.tvx");
  EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "tvx");

  EXPECT_EQ(Ensemble.TimeStep, 0.02L);
  EXPECT_EQ(Ensemble.F2, -7);
  EXPECT_EQ(FileName, name);
  EXPECT_EQ(LastFileName, name);
  QFile start(QString::fromStdString(StartFilePath));
  ASSERT_TRUE(start.open(QIODevice::ReadOnly));
  EXPECT_EQ(start.readAll().toStdString(), name);
  // Present slots get their view and step copies, empty ones keep theirs.
  EXPECT_EQ(Ensemble.ViewY[10], 110);
  EXPECT_EQ(Ensemble.NextPosZ[10], -10);
  EXPECT_EQ(Ensemble.NextVelV[10], 1010);
  EXPECT_EQ(Ensemble.ViewY[11], 0);
  EXPECT_EQ(Ensemble.NextVelV[11], 0);

  // The file holds the ensemble with the taken time step.
  EXPECT_EQ(QFileInfo(QString::fromStdString(name)).size(), 3776);
  const EnsembleState written = Ensemble;
  test::ResetProgramState();
  Ensemble.SlotCount = MaxSlots;
  ReadEnsembleFile(name);
  ApplyRecord();
  EXPECT_EQ(Ensemble.TimeStep, written.TimeStep);
  EXPECT_EQ(Ensemble.F2, written.F2);
  EXPECT_EQ(Ensemble.PosY, written.PosY);
  EXPECT_EQ(Ensemble.Exists, written.Exists);
}

TEST_F(Editor, EnterThenCancelledSaveDialogReturnsToTheTypedValues) {
  Open();
  Type(Line("EditDT"), "0.5");
  Type(Line("EditA1"), "9");
  dialogs.saveAnswers.push_back(std::nullopt);
  QTest::keyClick(Line("EditA1"), Qt::Key_Return);
  EXPECT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  QApplication::processEvents();
  EXPECT_EQ(Line("EditDT")->text(), "0.5");
  EXPECT_EQ(Line("EditA1")->text(), "9");
  EXPECT_EQ(Ensemble.TimeStep, 0.001L);
  EXPECT_EQ(Ensemble.A1, 1);
  EXPECT_EQ(FileName, "ThetraSpiral");
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(StartFilePath)));

  // OK again with a name saves what was typed.
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("typed.tvx")));
  Click(Push("OKBtn"));
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(Ensemble.TimeStep, 0.5L);
  EXPECT_EQ(Ensemble.A1, 9);
}

TEST_F(Editor, OkWithBadTextStaysOpenWritesNothingAndKeepsTheText) {
  Open();
  Type(Line("EditDT"), "0.5");
  Type(Line("EditA1"), "2");
  Type(Line("EditC2"), "1,5");  // the other separator than the current one
  const std::string name = Path("bad.tvx");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  Click(Push("OKBtn"));
  ASSERT_EQ(dialogs.Texts(), QStringList{"'1,5' is not a valid floating point value"});
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(Line("EditC2")->text(), "1,5");
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(name)));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(StartFilePath)));
  EXPECT_EQ(FileName, "ThetraSpiral");
  // Fields before the bad one were taken, as they are read in order.
  EXPECT_EQ(Ensemble.TimeStep, 0.5L);
  EXPECT_EQ(Ensemble.A1, 2);
  EXPECT_EQ(Ensemble.C2, 3.5L);
  // The error box takes the focus from the dialog and gives it back; that is no
  // paint of the dialog, so the text survives it.
  QEvent deactivate(QEvent::WindowDeactivate), activate(QEvent::WindowActivate);
  QApplication::sendEvent(&dlg, &deactivate);
  QApplication::sendEvent(&dlg, &activate);
  QApplication::processEvents();
  EXPECT_EQ(Line("EditC2")->text(), "1,5");
  EXPECT_EQ(Line("EditDT")->text(), "0.5");

  // Corrected, the same OK saves and closes.
  Type(Line("EditC2"), "1.5");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  Click(Push("OKBtn"));
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(QFileInfo(QString::fromStdString(name)).size(), 3776);
}

TEST(EditorPalette, ActivationChangeIsNoPaintEvenWhenTheThemeDimsInactiveWindows) {
  test::ResetProgramState();
  FillEnsemble();
  const QPalette original = QApplication::palette();
  QPalette dimmed = original;
  dimmed.setColor(QPalette::Inactive, QPalette::Window, Qt::darkGray);
  QApplication::setPalette(dimmed);
  {
    TEditDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QApplication::processEvents();
    QLineEdit* x = FindControl<QLineEdit>(dlg, "EditX");
    x->setText("42");
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&dlg, &deactivate);
    QApplication::processEvents();
    EXPECT_EQ(x->text(), "42");
  }
  QApplication::setPalette(original);
}

TEST_F(Editor, OkThatCannotWriteStaysOpen) {
  Open();
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("no/such/folder/x.tvx")));
  Click(Push("OKBtn"));
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(FileName, "ThetraSpiral");
}

TEST_F(Editor, SaveAsWritesTheFileAndChangesNoName) {
  Open();
  Type(Line("EditDT"), "0.25");
  const std::string name = Path("copy.tvx");
  dialogs.saveAnswers.push_back(QString::fromStdString(name));
  Click(Push("Saveas"));
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(QFileInfo(QString::fromStdString(name)).size(), 3776);
  EXPECT_EQ(Ensemble.TimeStep, 0.25L);
  EXPECT_EQ(FileName, "ThetraSpiral");
  EXPECT_EQ(LastFileName, "");
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(StartFilePath)));
  EXPECT_EQ(Ensemble.ViewX[1], 0);
  // The chosen name shows until the next paint of the dialog.
  EXPECT_EQ(Line("EditFileName")->text().toStdString(), name);
  dlg.repaint();
  EXPECT_EQ(Line("EditFileName")->text(), "ThetraSpiral");
}

TEST_F(Editor, SaveAsCancelledDoesNothing) {
  Open();
  Type(Line("EditDT"), "0.25");
  dialogs.saveAnswers.push_back(std::nullopt);
  Click(Push("Saveas"));
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(Ensemble.TimeStep, 0.001L);
}

TEST_F(Editor, DoubleClickSwitchesBetweenPositionsAndVelocities) {
  Open();
  const QPoint inside = Grid()->visualItemRect(Grid()->item(1, 2)).center();
  QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, inside);
  EXPECT_EQ(Display.DlgListVelocities, 1);
  EXPECT_EQ(Cell(0, 0), "Velo");
  EXPECT_EQ(Cell(1, 0), "u(x)");
  EXPECT_EQ(Cell(3, 0), "u(z)");
  EXPECT_EQ(Cell(1, 4), "1");     // VelU[4]
  EXPECT_EQ(Cell(2, 4), "1004");  // VelV[4]
  EXPECT_EQ(Display.ListVelocities, 0);
  QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, inside);
  EXPECT_EQ(Display.DlgListVelocities, 0);
  EXPECT_EQ(Cell(0, 0), "Gravons");
  EXPECT_EQ(Cell(2, 4), "104");
}

TEST_F(Editor, RowAndModeSurviveAnotherOpening) {
  Open();
  Select(7);
  emit Grid()->DoubleClicked();
  Click(Push("CancelBtn"));
  Ensemble.PosX[7] = 70;
  Open();
  EXPECT_EQ(FindControl<QLabel>(dlg, "NumberOfTaon")->text(), "7");
  EXPECT_EQ(Line("EditX")->text(), "70");
  EXPECT_EQ(Cell(0, 0), "Velo");
}

TEST_F(Editor, EnterMeansOkAwayFromButtonsAndEscapeMeansCancel) {
  const QString name = QString::fromStdString(Path("enter.tvx"));
  Open();
  dialogs.saveAnswers.push_back(name);
  Line("EditX")->setFocus();
  QTest::keyClick(Line("EditX"), Qt::Key_Return);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dialogs.fileRequests.size(), 1u);

  Open();
  Line("EditY")->setFocus();
  QTest::keyClick(Line("EditY"), Qt::Key_Escape);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);

  // The grid and the check box pass Enter and Escape on in the same way.
  for (QWidget* target : std::initializer_list<QWidget*>{Grid(), FindControl<QCheckBox>(dlg, "DaoTrue")}) {
    Open();
    dialogs.saveAnswers.push_back(name);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Enter);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    Open();
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());
  }
  EXPECT_EQ(dialogs.fileRequests.size(), 3u);
}

TEST_F(Editor, EnterOnAFocusedButtonPressesThatButton) {
  Open();
  Select(2);
  Type(Line("EditX"), "5");
  Push("Submit")->setFocus();
  QTest::keyClick(Push("Submit"), Qt::Key_Return);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(Ensemble.PosX[2], 5);
  EXPECT_TRUE(dialogs.fileRequests.empty());
  // Once the focus has moved on from "&Yes", Enter means OK again.
  Line("EditZ")->setFocus();
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("enter.tvx")));
  QTest::keyClick(Line("EditZ"), Qt::Key_Return);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dialogs.fileRequests.size(), 1u);
}

TEST_F(Editor, TheElevenFieldsCarryTheirNamesAndShowTheirParameters) {
  Open();
  for (const ParameterField& entry : ParameterFieldTable) {
    const auto* field = dlg.findChild<QLineEdit*>(QString("Edit") + entry.name);
    ASSERT_NE(field, nullptr) << entry.name;
    EXPECT_EQ(field->text(), QString::fromStdString(FloatToStr(Ensemble.*entry.member))) << entry.name;
    if (entry.set == 0) continue;
    EXPECT_EQ(field->palette().color(QPalette::Base),
              entry.set == 1 ? QColor(0, 255, 0) : QColor(255, 255, 0));
  }
}

TEST_F(Editor, NumericKeyFilterOnTheElevenNamedFieldsOnly) {
  const std::vector<QLineEdit*> filtered{Line("EditDT"), Line("EditA1"), Line("EditB1"), Line("EditC1"),
                                         Line("EditD1"), Line("EditX"),  Line("EditY"),  Line("EditZ"),
                                         Line("EditV"),  Line("EditU"),  Line("EditW")};
  for (QLineEdit* field : filtered) {
    field->clear();
    QTest::keyClicks(field, "a-1,5.e");
    EXPECT_EQ(field->text(), "-1,5.") << field->geometry().x() << "," << field->geometry().y();
  }
  for (QLineEdit* field :
       {Line("EditF1"), Line("EditA2"), Line("EditF2"), Line("EditResult1"), Line("EditFileName")}) {
    field->clear();
    QTest::keyClicks(field, "1e5");
    EXPECT_EQ(field->text(), "1e5");
  }
  for (QLineEdit* field : {Line("EditCal1Part1"), Line("EditCal2Part2"), Line("EditCal4Part1")}) {
    field->clear();
    QTest::keyClicks(field, "-1.5x2");
    EXPECT_EQ(field->text(), "152");
  }
}

// Calculators

class Calculators : public Editor {
 protected:
  void SetUp() override {
    Editor::SetUp();
    // Slot 1 at the origin, slot 2 at (3, 4, 0); velocities differ by (0, 3, 4).
    Ensemble.PosX[1] = Ensemble.PosY[1] = Ensemble.PosZ[1] = 0;
    Ensemble.PosX[2] = 3, Ensemble.PosY[2] = 4, Ensemble.PosZ[2] = 0;
    Ensemble.VelU[1] = 1, Ensemble.VelV[1] = 1, Ensemble.VelW[1] = 1;
    Ensemble.VelU[2] = 1, Ensemble.VelV[2] = 4, Ensemble.VelW[2] = 5;
  }

  void SetSlots(QLineEdit* first, QLineEdit* second, const QString& a, const QString& b) {
    first->setText(a);
    second->setText(b);
  }
};

TEST_F(Calculators, DesignTextsReportTheHeaderRow) {
  Open();
  Click(Push("Calculate1"));
  EXPECT_EQ(dialogs.Texts(), QStringList{"'X' is not a valid floating point value"});
  EXPECT_EQ(Line("EditResult1")->text(), "0");
}

TEST_F(Calculators, DistanceOfTwoTaonsAndOfOneToItself) {
  Open();
  SetSlots(Line("EditCal1Part1"), Line("EditCal1Part2"), "1", "2");
  Click(Push("Calculate1"));
  EXPECT_EQ(Line("EditResult1")->text(), "5");
  SetSlots(Line("EditCal3Part1"), Line("EditCal3Part2"), "7", "7");
  Click(Push("Calculate3"));
  EXPECT_EQ(Line("EditResult3")->text(), "0");
  SetSlots(Line("EditCal4Part1"), Line("EditCal4Part2"), "2", "5");
  Click(Push("Calculate4"));
  // (5 - 3, 105 - 4, -5 - 0) read from the grid's text.
  EXPECT_EQ(Line("EditResult4")->text(), QString::fromStdString(FloatToStr(std::sqrt(4.0L + 10201 + 25))));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Calculators, VelocitiesModeGivesTheRelativeSpeed) {
  Open();
  emit Grid()->DoubleClicked();
  SetSlots(Line("EditCal2Part1"), Line("EditCal2Part2"), "2", "1");
  Click(Push("Calculate2"));
  EXPECT_EQ(Line("EditResult2")->text(), "5");
}

// A result longer than its field shows its first digits, and the whole value
// when pointed at; so do the parameter fields.
TEST_F(Calculators, LongResultsKeepTheirFirstDigitsInViewAndShowWholeInATooltip) {
  Ensemble.PosX[3] = 1E-5L / 3;
  Ensemble.PosY[3] = Ensemble.PosZ[3] = 0;
  Open();
  SetSlots(Line("EditCal1Part1"), Line("EditCal1Part2"), "1", "3");
  Click(Push("Calculate1"));
  const QString whole = Line("EditResult1")->text();
  ASSERT_TRUE(whole.startsWith("3.3333333333333")) << whole.toStdString();
  ASSERT_GT(Line("EditResult1")->fontMetrics().horizontalAdvance(whole), Line("EditResult1")->width());
  EXPECT_EQ(Line("EditResult1")->cursorPosition(), 0);
  EXPECT_EQ(test::ToolTipOf(Line("EditResult1")), whole);
  Line("EditResult1")->setText("5");
  EXPECT_EQ(test::ToolTipOf(Line("EditResult1")), "");

  Ensemble.B2 = 1.0L / 3;
  dlg.repaint();
  EXPECT_EQ(Line("EditB2")->cursorPosition(), 0);
  EXPECT_EQ(test::ToolTipOf(Line("EditB2")), QString::fromStdString(FloatToStr(1.0L / 3)));
}

TEST_F(Calculators, ReadTheGridNotTheEnsemble) {
  Open();
  Ensemble.PosX[2] = 300;  // not yet in the grid
  SetSlots(Line("EditCal1Part1"), Line("EditCal1Part2"), "1", "2");
  Click(Push("Calculate1"));
  EXPECT_EQ(Line("EditResult1")->text(), "5");
}

struct BadRows {
  const char* first;
  const char* second;
  const char* message;
};

class CalculatorErrors : public Calculators, public testing::WithParamInterface<BadRows> {};

TEST_P(CalculatorErrors, ReportAndLeaveTheResult) {
  Open();
  Line("EditResult2")->setText("old");
  SetSlots(Line("EditCal2Part1"), Line("EditCal2Part2"), GetParam().first, GetParam().second);
  Click(Push("Calculate2"));
  EXPECT_EQ(dialogs.Texts(), QStringList{GetParam().message});
  EXPECT_EQ(Line("EditResult2")->text(), "old");
}

INSTANTIATE_TEST_SUITE_P(Rows, CalculatorErrors,
                         testing::Values(BadRows{"1", "0", "'X' is not a valid floating point value"},
                                         BadRows{"1", "11", "'' is not a valid floating point value"},
                                         BadRows{"61", "1", "'' is not a valid floating point value"},
                                         BadRows{"1", "-1", "List index out of bounds (-1)"},
                                         BadRows{"", "1", "'' is not a valid integer value"},
                                         BadRows{"1", "1.5", "'1.5' is not a valid integer value"}));

TEST_F(Calculators, ResetTouchesItsOwnGroupOnly) {
  Open();
  const std::vector<QLineEdit*> fields{Line("EditCal1Part1"), Line("EditCal1Part2"), Line("EditResult1"),
                                       Line("EditCal2Part1"), Line("EditCal2Part2"), Line("EditResult2"),
                                       Line("EditCal3Part1"), Line("EditCal3Part2"), Line("EditResult3"),
                                       Line("EditCal4Part1"), Line("EditCal4Part2"), Line("EditResult4")};
  for (QLineEdit* field : fields) field->setText("9");
  Click(Push("Reset2"));
  for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i]->text(), i / 3 == 1 ? "0" : "9") << i;
}

}  // namespace
}  // namespace vorun
