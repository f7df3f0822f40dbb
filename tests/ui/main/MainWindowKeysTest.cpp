// The main window's keys: the filters and commits of the eleven parameter
// fields, and Go's default and cancel roles.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <functional>

#include "ui/Controls.h"
#include "ui/ToolTipProbe.h"
#include "ui/editor/Edit.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/MainFormProbe.h"
#include "ui/widgets/ParameterFields.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::MainFormTest;

// --- keys ---------------------------------------------------------------------------

// The eleven fields, found by the names the table gives them.
class ParameterFieldKeys : public MainFormTest, public ::testing::WithParamInterface<int> {
 protected:
  QLineEdit* Field() {
    const QString name = QString("Edit") + ParameterFieldTable[GetParam()].name;
    QLineEdit* field = form->findChild<QLineEdit*>(name);
    EXPECT_NE(field, nullptr) << name.toStdString();
    return field;
  }
};

TEST_P(ParameterFieldKeys, LettersAreDroppedNumberCharactersPass) {
  QLineEdit* field = Field();
  field->setText("7");
  field->setCursorPosition(1);
  QTest::keyClicks(field, "a");
  EXPECT_EQ(field->text(), "7");
  QTest::keyClicks(field, "E+ x");
  EXPECT_EQ(field->text(), "7");
  field->clear();
  QTest::keyClicks(field, "-1,5.2");
  EXPECT_EQ(field->text(), "-1,5.2");
  QTest::keyClick(field, Qt::Key_Backspace);
  EXPECT_EQ(field->text(), "-1,5.");
}

INSTANTIATE_TEST_SUITE_P(AllEleven, ParameterFieldKeys, ::testing::Range(0, 11));

// Values whose decimal text is exact in binary, so the expected Extended80 is exact.
// Each field by its name, with the parameter it must set written out here
// rather than taken from the table.
struct CommitCase {
  const char* name;
  Extended80 EnsembleState::*target;
  QLineEdit* Field(const TMainForm& form) const { return form.findChild<QLineEdit*>(QString("Edit") + name); }
};

class ParameterCommit : public MainFormTest, public ::testing::WithParamInterface<CommitCase> {};

TEST_P(ParameterCommit, LeavingTheFieldSetsItsParameter) {
  DecimalSeparator = ',';
  QLineEdit* field = GetParam().Field(*form);
  ASSERT_NE(field, nullptr);
  Extended80& target = Ensemble.*GetParam().target;
  field->setText("0,5");
  Leave(field);
  EXPECT_EQ(target, 0.5L);
  EXPECT_TRUE(dialogs.messages.empty());

  field->setText("-2,25E3");
  Leave(field);
  EXPECT_EQ(target, -2250.0L);
}

TEST_P(ParameterCommit, BadTextReportsTheErrorAndKeepsTheParameterAndTheText) {
  DecimalSeparator = ',';
  QLineEdit* field = GetParam().Field(*form);
  ASSERT_NE(field, nullptr);
  Extended80& target = Ensemble.*GetParam().target;
  target = 3;
  field->setText("0.5");
  Leave(field);
  EXPECT_EQ(target, 3.0L);
  EXPECT_EQ(field->text(), "0.5");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "'0.5' is not a valid floating point value");
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
}

#define COMMIT(member) \
  CommitCase { #member, &EnsembleState::member }

INSTANTIATE_TEST_SUITE_P(AllEleven, ParameterCommit,
                         ::testing::Values(CommitCase{"DT", &EnsembleState::TimeStep}, COMMIT(A1), COMMIT(B1),
                                           COMMIT(C1), COMMIT(D1), COMMIT(F1), COMMIT(A2), COMMIT(B2),
                                           COMMIT(C2), COMMIT(D2), COMMIT(F2)),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, ScientificTextCommitsAlthoughEcannotBeTyped) {
  Line("EditDT")->setText("1E-5");
  Leave(Line("EditDT"));
  EXPECT_EQ(Ensemble.TimeStep, 1E-5L);
}

TEST_F(MainFormTest, RealFocusChangeCommitsButAWindowSwitchDoesNot) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  Line("EditDT")->setFocus();
  Line("EditDT")->setText("0.25");
  Line("EditA1")->setFocus();
  EXPECT_EQ(Ensemble.TimeStep, 0.25L);

  Line("EditA1")->setText("bad");
  QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(Line("EditA1"), &away);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainFormTest, AMenuOrPopupTakingTheFocusLeavesNoField) {
  const Extended80 before = Ensemble.A1;
  Line("EditA1")->setText("bad");
  for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::MenuBarFocusReason}) {
    QFocusEvent away(QEvent::FocusOut, reason);
    QApplication::sendEvent(Line("EditA1"), &away);
  }
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Ensemble.A1, before);

  // A real leave still commits what the field shows.
  Line("EditA1")->setText("0.5");
  QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(Line("EditA1"), &leave);
  EXPECT_EQ(Ensemble.A1, 0.5L);
}

TEST_F(MainFormTest, RefreshWritesTheElevenFieldsFromTheEnsemble) {
  Ensemble.TimeStep = 0.05L;
  Ensemble.A1 = 1;
  Ensemble.B1 = 2.718L;
  Ensemble.F2 = -1E-5L;
  form->RefreshParameterFields();
  EXPECT_EQ(Line("EditDT")->text(), "0.05");
  EXPECT_EQ(Line("EditA1")->text(), "1");
  EXPECT_EQ(Line("EditB1")->text(), "2.718");
  EXPECT_EQ(Line("EditC1")->text(), "0");
  EXPECT_EQ(Line("EditF2")->text(), "-1E-5");
}

// --- Go's default and cancel roles ------------------------------------------------------

class GoRoles : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    // Counted without running anything: only the roles are under test here.
    QObject::disconnect(Push("Go"), &QPushButton::clicked, nullptr, nullptr);
    Push("Go")->setEnabled(true);
  }
};

TEST_F(GoRoles, EnterPressesGoFromAnyControlButTheMemo) {
  QSignalSpy clicks(Push("Go"), &QPushButton::clicked);
  for (QWidget* w : std::initializer_list<QWidget*>{Line("EditA1"), Line("EditDT"), Grid(),
                                                    FindControl<QCheckBox>(form, "ShowList"),
                                                    FindControl<QRadioButton>(form, "Exponential"),
                                                    FindControl<QSlider>(form, "TrackBar"), Line("FName")}) {
    QTest::keyClick(w, Qt::Key_Return);
  }
  EXPECT_EQ(clicks.count(), 7);
  QTest::keyClick(Line("EditA1"), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(clicks.count(), 8);

  FindControl<QPlainTextEdit>(form, "Comment")->setPlainText("No Comment");
  FindControl<QPlainTextEdit>(form, "Comment")->moveCursor(QTextCursor::End);
  QTest::keyClick(FindControl<QPlainTextEdit>(form, "Comment"), Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 8);
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "No Comment\n");

  QTest::keyClick(Line("EditA1"), Qt::Key_Escape);
  EXPECT_EQ(clicks.count(), 8);
}

TEST_F(GoRoles, WithTheCancelKindEscapePressesGoAndEnterDoesNothing) {
  MainFormProbe::SetGoKind(*form, GoKind::Cancel);
  QSignalSpy clicks(Push("Go"), &QPushButton::clicked);
  QTest::keyClick(Line("EditA1"), Qt::Key_Return);
  QTest::keyClick(FindControl<QPlainTextEdit>(form, "Comment"), Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 0);
  QTest::keyClick(Line("EditA1"), Qt::Key_Escape);
  QTest::keyClick(FindControl<QPlainTextEdit>(form, "Comment"), Qt::Key_Escape);
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(GoRoles, DisabledGoTakesNoKeys) {
  Push("Go")->setEnabled(false);
  QSignalSpy clicks(Push("Go"), &QPushButton::clicked);
  QTest::keyClick(Line("EditA1"), Qt::Key_Return);
  MainFormProbe::SetGoKind(*form, GoKind::Cancel);
  QTest::keyClick(Line("EditA1"), Qt::Key_Escape);
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(GoRoles, GlyphFollowsTheKind) {
  const QImage ok = Push("Go")->icon().pixmap(16).toImage();
  MainFormProbe::SetGoKind(*form, GoKind::Cancel);
  const QImage cancel = Push("Go")->icon().pixmap(16).toImage();
  EXPECT_NE(ok, cancel);
}

}  // namespace
}  // namespace vorun
