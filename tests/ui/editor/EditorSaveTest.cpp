// The particle editor's OK and Save As, its palette, its two grid modes, its
// Enter and Escape keys and its eleven named fields.
#include "ui/editor/Edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
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
  ReadBack(name);
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
  Session session;
  FillEnsemble(session.Ensemble);
  const QPalette original = QApplication::palette();
  QPalette dimmed = original;
  dimmed.setColor(QPalette::Inactive, QPalette::Window, Qt::darkGray);
  QApplication::setPalette(dimmed);
  {
    TEditDlg dlg(session);
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

}  // namespace
}  // namespace vorun
