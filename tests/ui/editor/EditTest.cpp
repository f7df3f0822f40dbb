// The particle editor: its layout, its first opening, Submit and presence,
// and typed text across row clicks, repaints and scrolls.
#include "ui/editor/Edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>
#include <cstring>

#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/ScriptedDialogs.h"
#include "ui/ToolTipProbe.h"
#include "ui/editor/EditorFixture.h"
#include "ui/widgets/ParameterFields.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::Editor;
using test::FillEnsemble;

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

TEST_F(Editor, TypedTextIsDroppedOnAnotherSelectionOnlyWhenTheUserSaysNo) {
  Open();
  Select(2);
  Type(Line("EditX"), "42");
  dialogs.answers.push_back(MessageAnswer::No);
  Select(6);
  EXPECT_EQ(dialogs.Texts(), QStringList{"The values of slot 2 were changed. Store them?"});
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
  Select(2);
  EXPECT_EQ(Line("EditX")->text(), "2");
  EXPECT_EQ(Ensemble.PosX[2], 2);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

// Cancel stays on the row with the typed values; Yes stores them as the
// "Yes" button does, then moves on.
TEST_F(Editor, LeavingAnEditedRowAsksAndCancelOrYesLoseNothing) {
  Open();
  Select(2);
  Type(Line("EditX"), "42");
  FindControl<QCheckBox>(dlg, "DaoTrue")->setChecked(false);
  dialogs.answers.push_back(MessageAnswer::Cancel);
  const QRect cell = Grid()->visualItemRect(Grid()->item(5, 1));
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
  QApplication::processEvents();
  EXPECT_EQ(Grid()->Row(), 2);
  EXPECT_EQ(FindControl<QLabel>(dlg, "NumberOfTaon")->text(), "2");
  EXPECT_EQ(Line("EditX")->text(), "42");
  EXPECT_EQ(Ensemble.PosX[2], 2);

  dialogs.answers.push_back(MessageAnswer::Yes);
  Select(6);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(Ensemble.PosX[2], 42);
  EXPECT_EQ(Ensemble.Exists[2], 0);
  EXPECT_EQ(Line("EditX")->text(), "6");
  // Stored, the row holds nothing typed: back and away again asks nothing.
  Select(2);
  Select(3);
  EXPECT_EQ(dialogs.messages.size(), 2u);
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
  // Another row asks about the typed X; the user lets it go.
  dialogs.answers.push_back(MessageAnswer::No);
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

}  // namespace
}  // namespace vorun
