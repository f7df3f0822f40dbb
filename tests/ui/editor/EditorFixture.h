// The particle editor on its own, over an ensemble whose values all differ, with
// helpers to open it, pick a row, type and click as a user would.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/ScriptedDialogs.h"
#include "ui/editor/Edit.h"
#include "ui/widgets/StringGrid.h"

namespace vorun::test {

// Slots 1..10 are occupied, the rest empty; every value differs from every
// other so that a value in the wrong place shows.
inline void FillEnsemble(EnsembleState& e) {
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

class Editor : public testing::Test, public SessionParts {
 protected:
  // The session's run flags, not the test's own Run().
  using SessionParts::Run;

  void SetUp() override {
    DecimalSeparator = '.';
    FillEnsemble(Ensemble);
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
  ScriptedDialogs dialogs;
  TEditDlg dlg{session};
};

}  // namespace vorun::test
