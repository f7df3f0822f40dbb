// The particle editor: a modal dialog that works directly on the ensemble. It
// edits one slot at a time ("&Yes" stores it), takes the time step and the ten
// parameters when the ensemble is saved ("OK", "Save As"), and carries four
// calculators of the distance between two rows of its grid. There is no
// private copy and no undo: Cancel only closes the dialog.
#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "ui/Dialogs.h"

class QAbstractButton;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorun {

class StringGrid;

class TEditDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TEditDlg(QWidget* parent = nullptr);

  // The main window's sign-mode buttons; the grid's corner names the particles
  // after them. Without them the editor assumes the start state, Gravoscope.
  void SetScopeButtons(const QAbstractButton* taoscope, const QAbstractButton* gravoscope);

  // A paint of the dialog's own area shows what changed in the ensemble since
  // the fields were filled; text typed and not yet taken in is kept.
  void FormPaint();
  // Loads the detail fields from the slot of the grid's current row.
  void ShowSelectedTaon();
  // As the main listing, by DlgListVelocities, and with the corner cell named.
  void FillEditorGrid();

  void DaonsTableSelectCell(int column, int row);
  void DaonsTableClick();
  void DaonsTableDblClick();
  void SubmitClick();
  // Closes the dialog with OK once the ensemble is saved; a cancelled save
  // dialog or a failed step (its error shown) leaves it open as it was.
  void OKBtnClick();
  void SaveasClick();

  void Calculate1Click() { Calculate(0); }
  void Calculate2Click() { Calculate(1); }
  void Calculate3Click() { Calculate(2); }
  void Calculate4Click() { Calculate(3); }
  void Reset1Click() { Reset(0); }
  void Reset2Click() { Reset(1); }
  void Reset3Click() { Reset(2); }
  void Reset4Click() { Reset(3); }

  static const FileDialogRequest SaveDialog;

  QLabel* Label16;
  QLabel* Label15;
  QLineEdit* EditDT;
  QLabel* Label1;
  QLineEdit* EditA1;
  QLineEdit* EditB1;
  QLineEdit* EditC1;
  QLineEdit* EditD1;
  QLineEdit* EditF1;
  QLineEdit* EditA2;
  QLineEdit* EditB2;
  QLineEdit* EditC2;
  QLineEdit* EditD2;
  QLineEdit* EditF2;
  QLabel* Label12;
  QLabel* NumberOfTaon;
  QLabel* Label4;
  QLineEdit* EditX;
  QLineEdit* EditY;
  QLineEdit* EditZ;
  QLabel* Label8;
  // Mind the names: EditV holds the first velocity component, EditU the second.
  QLineEdit* EditV;
  QLineEdit* EditU;
  QLineEdit* EditW;
  QCheckBox* DaoTrue;
  QPushButton* Submit;
  QPushButton* Saveas;
  QLabel* Label13;
  QLineEdit* EditFileName;
  StringGrid* DaonsTable;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QFrame* Bevel1;

  QLabel* Label30;
  QLineEdit* EditCal1Part1;
  QLineEdit* EditCal1Part2;
  QLineEdit* EditResult1;
  QPushButton* Calculate1;
  QPushButton* Reset1;
  QLineEdit* EditCal2Part1;
  QLineEdit* EditCal2Part2;
  QLineEdit* EditResult2;
  QPushButton* Calculate2;
  QPushButton* Reset2;
  QLineEdit* EditCal3Part1;
  QLineEdit* EditCal3Part2;
  QLineEdit* EditResult3;
  QPushButton* Calculate3;
  QPushButton* Reset3;
  QLineEdit* EditCal4Part1;
  QLineEdit* EditCal4Part2;
  QLineEdit* EditResult4;
  QPushButton* Calculate4;
  QPushButton* Reset4;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Calculator {
    QLineEdit* part1;
    QLineEdit* part2;
    QLineEdit* result;
  };

  void BuildControls();
  void BuildCalculators();
  // Time step and parameters from their fields, each stored as soon as it is read.
  void TakeParameters();
  void Calculate(int group);
  void Reset(int group);
  bool OwnAreaIn(const QRegion& region) const;
  std::array<QLineEdit*, 11> ParameterFields() const;
  static std::array<QString, 11> ParameterTexts();
  static std::array<QString, 6> SlotTexts(int n);
  static void ShowText(QLineEdit* field, const QString& text);
  // The eleven fields from the ensemble: all of them, or those whose value
  // changed since they were last filled.
  void ShowParameters(bool all);

  std::array<Calculator, 4> calculators_{};
  const QAbstractButton* taoscope_ = nullptr;
  const QAbstractButton* gravoscope_ = nullptr;
  // What the fields were last filled with, to tell a change of the ensemble
  // from a mere repaint.
  std::array<QString, 11> shownParameters_;
  int shownRow_ = 0;
  std::array<QString, 6> shownSlot_;
  bool shownExists_ = false;
};

// The one editor, created at start after the main window and kept for the
// whole run, so that its current row and modes survive between openings.
extern TEditDlg* EditDlg;

}  // namespace vorun
