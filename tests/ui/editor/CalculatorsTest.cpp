// The particle editor's four distance calculators: distances and relative
// speeds of two rows of its grid, long results, bad rows and their reset.
#include "ui/editor/Edit.h"

#include <gtest/gtest.h>

#include <QLineEdit>
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
