// The particle editor: a modal dialog that works directly on the ensemble. It
// edits one slot at a time ("&Yes" stores it), takes the time step and the ten
// parameters when the ensemble is saved ("OK", "Save As"), and carries four
// calculators of the distance between two rows of its grid. There is no
// private copy and no undo: Cancel only closes the dialog.
#pragma once

#include <QDialog>
#include <QSize>
#include <QString>
#include <array>
#include <memory>

#include "ui/dialogs/Dialogs.h"

class QAbstractButton;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace vorun {

class DistanceCalculator;
class StringGrid;
struct Session;

class TEditDlg : public QDialog {
  Q_OBJECT

 public:
  // The editor works directly on the session's ensemble.
  explicit TEditDlg(Session& session, QWidget* parent = nullptr);
  ~TEditDlg() override;

  // The main window's sign-mode buttons; the grid's corner names the particles
  // after them. Without them the editor assumes the start state, Gravoscope.
  void SetScopeButtons(const QAbstractButton* taoscope, const QAbstractButton* gravoscope);

  // As the main listing, by DlgListVelocities, and with the corner cell named.
  void FillEditorGrid();

 protected:
  // The page's paints: a paint of the page's own area (not a control's) refreshes the fields.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // A paint of the page's own area shows what changed in the ensemble since
  // the fields were filled; text typed and not yet taken in is kept.
  void FormPaint();
  // Loads the detail fields from the slot of the grid's current row.
  void ShowSelectedTaon();

  void DaonsTableSelectCell(int column, int row);
  void DaonsTableClick();
  void DaonsTableDblClick();
  void SubmitClick();
  // "&Yes": the slot's fields into the ensemble; false (reported) when a
  // field holds no number.
  bool StoreSlot();
  // The fields of the slot on show differ from what the ensemble holds.
  bool SlotEdited() const;
  // Closes the dialog with OK once the ensemble is saved; a cancelled save
  // dialog or a failed step (its error shown) leaves it open as it was.
  void OKBtnClick();
  void SaveasClick();

  // The controls lie at their design places on a page of the design's size,
  // which scrolls when the screen is too small for the whole dialog.
  QScrollArea* Scroller;
  QWidget* Page;
  // Each control carries the name of its member, by which tests find it.
  QLabel* Label16;
  QLabel* Label15;
  QLineEdit* EditDT;
  QLabel* Label1;
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

  // The page as designed, and the room a window frame (title bar, borders)
  // takes on screen, which is only known once the window is shown.
  static constexpr QSize DesignSize{787, 449};
  static constexpr QSize FrameRoom{8, 32};
  // The dialog's size: the page's, or what the screen leaves of it.
  void FitTheScreen();
  void BuildControls();
  void BuildCalculators();
  void NameControls();
  // Time step and parameters from their fields, each stored as soon as it is read.
  void TakeParameters();
  bool OwnAreaIn(const QRegion& region) const;
  std::array<QString, 11> ParameterTexts() const;
  std::array<QString, 6> SlotTexts(int n) const;
  // The eleven fields from the ensemble: all of them, or those whose value
  // changed since they were last filled.
  void ShowParameters(bool all);
  // The same for the six fields and the presence box of the grid's current row.
  void ShowSlot(bool all);

  Session& session_;
  // The four calculators; their controls carry the names EditCal1Part1 ... Reset4.
  std::array<std::unique_ptr<DistanceCalculator>, 4> calculators_;
  const QAbstractButton* taoscope_ = nullptr;
  const QAbstractButton* gravoscope_ = nullptr;
  // What the fields were last filled with, to tell a change of the ensemble
  // from a mere repaint.
  std::array<QString, 11> shownParameters_;
  // EditDT and EditA1 ... EditF2 in the order of ParameterFieldTable.
  std::array<QLineEdit*, 11> parameterFields_{};
  int shownRow_ = 0;
  std::array<QString, 6> shownSlot_;
  bool shownExists_ = false;
};

}  // namespace vorun
