#include "ui/editor/Edit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/FileErrors.h"
#include "ui/editor/DistanceCalculator.h"
#include "ui/widgets/ParameterFields.h"
#include "ui/widgets/SlotListing.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/Widgets.h"
#include "ui/widgets/WindowPlaces.h"

namespace vorun {

namespace {

Extended80 Value(const QLineEdit* field) { return StrToFloat(field->text().toStdString()); }

}  // namespace

TEditDlg::TEditDlg(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setWindowTitle(" Editing of gravon's or taon's values");
  // The places are fixed pixels, so the captions need a narrow font to fit.
  QFont font = this->font();
  font.setFamilies(
      {"Microsoft Sans Serif", "Arial", "Liberation Sans", "Helvetica", "DejaVu Sans Condensed"});
  font.setPixelSize(11);
  setFont(font);
  // A palette that looks the same in both states keeps a change of the active
  // window (an error box coming and going) from repainting the whole dialog.
  QPalette same = palette();
  for (int role = 0; role < QPalette::NColorRoles; ++role) {
    const auto r = static_cast<QPalette::ColorRole>(role);
    same.setBrush(QPalette::Inactive, r, same.brush(QPalette::Active, r));
  }
  setPalette(same);
  // The page is inside the dialog before its buttons are made: a button learns
  // of the dialog whose default it may be when it is made.
  Scroller = new QScrollArea(this);
  Scroller->setFrameShape(QFrame::NoFrame);
  // The controls take the focus, not the scroller: a scroller losing it would
  // repaint the whole page, which would read as a change of the ensemble.
  Scroller->setFocusPolicy(Qt::NoFocus);
  Page = new QWidget;
  Page->setFixedSize(DesignSize);
  Scroller->setWidget(Page);
  // The dialog's background shows through the scroller and the page, as it
  // did under the controls before: a paint of the dialog (uncovered, asked
  // for) then reaches the page. Opaque, they would hide it, and Qt would
  // leave the page unpainted, taking its pixels as unchanged.
  Scroller->viewport()->setAutoFillBackground(false);
  Page->setAutoFillBackground(false);
  Page->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Scroller);
  BuildControls();
  BuildCalculators();
  NameControls();
  FitTheScreen();
  RestoreWindowPlace(session_.WindowPlacesPath, this, "Editor");
}

void TEditDlg::FitTheScreen() {
  // Larger than the page there is nothing to show; smaller, the page scrolls,
  // but never so far that one control cannot be seen whole.
  const int bar = Scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Scroller);
  QSize widest;
  for (const QWidget* w : Page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    widest = widest.expandedTo(w->size());
  setMinimumSize(widest + QSize(bar, bar));
  setMaximumSize(DesignSize);
  QSize size = DesignSize;
  if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size() - FrameRoom);
  resize(size.expandedTo(minimumSize()));
}

void TEditDlg::hideEvent(QHideEvent* event) {
  SaveWindowPlace(session_.WindowPlacesPath, this, "Editor");
  QDialog::hideEvent(event);
}

TEditDlg::~TEditDlg() = default;

void TEditDlg::SetScopeButtons(const QAbstractButton* taoscope, const QAbstractButton* gravoscope) {
  taoscope_ = taoscope;
  gravoscope_ = gravoscope;
}

std::array<QString, 11> TEditDlg::ParameterTexts() const {
  std::array<QString, 11> texts;
  for (std::size_t i = 0; i < texts.size(); ++i)
    texts[i] = NumberText(session_.Ensemble.*ParameterFieldTable[i].member);
  return texts;
}

std::array<QString, 6> TEditDlg::SlotTexts(int n) const {
  const auto& e = session_.Ensemble;
  return {NumberText(e.PosX[n]), NumberText(e.PosY[n]), NumberText(e.PosZ[n]),
          NumberText(e.VelU[n]), NumberText(e.VelV[n]), NumberText(e.VelW[n])};
}

void TEditDlg::ShowParameters(bool all) {
  const std::array<QString, 11> texts = ParameterTexts();
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (all || texts[i] != shownParameters_[i]) ShowFromStart(parameterFields_[i], texts[i]);
  shownParameters_ = texts;
}

void TEditDlg::showEvent(QShowEvent* event) {
  // Each opening starts from the ensemble, whatever an earlier one left typed.
  ShowSelectedTaon();
  ShowParameters(true);
  QDialog::showEvent(event);
}

// A paint only brings in what changed in the ensemble since it was shown:
// text the user typed and has not yet taken in stays.
void TEditDlg::FormPaint() {
  EditFileName->setText(QString::fromStdString(session_.FileName));
  if (DaonsTable->Row() != shownRow_) {
    ShowSelectedTaon();
  } else {
    ShowSlot(false);
  }
  ShowParameters(false);
  FillEditorGrid();
}

void TEditDlg::ShowSelectedTaon() {
  const int n = DaonsTable->Row();
  NumberOfTaon->setText(QString::fromStdString(IntToStr(n)));
  NumberOfTaon->adjustSize();
  shownRow_ = n;
  ShowSlot(true);
}

void TEditDlg::ShowSlot(bool all) {
  const int n = DaonsTable->Row();
  const std::array<QString, 6> texts = SlotTexts(n);
  const std::array<QLineEdit*, 6> fields{EditX, EditY, EditZ, EditV, EditU, EditW};
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (all || texts[i] != shownSlot_[i]) ShowFromStart(fields[i], texts[i]);
  shownSlot_ = texts;
  const bool exists = session_.Ensemble.Exists[n] != 0;
  if (all || exists != shownExists_) DaoTrue->setChecked(exists);
  shownExists_ = exists;
}

void TEditDlg::FillEditorGrid() {
  const bool velocities = session_.Display.DlgListVelocities != 0;
  if (velocities) {
    DaonsTable->SetCell(0, 0, "Velo");
  } else {
    // Exactly one of the two is checked on the main window; without it the
    // editor shows the start state.
    const bool taoscope = taoscope_ != nullptr && taoscope_->isChecked();
    const bool gravoscope = gravoscope_ != nullptr ? gravoscope_->isChecked() : !taoscope;
    if (taoscope) DaonsTable->SetCell(0, 0, "Taons");
    if (gravoscope) DaonsTable->SetCell(0, 0, "Gravons");
  }
  FillSlotGrid(*DaonsTable, session_.Ensemble, velocities);
}

void TEditDlg::DaonsTableSelectCell(int, int) {
  // Typed values of the row being left are not dropped without a word; "Yes"
  // stores them as the button of that name does.
  if (SlotEdited()) {
    const QString question =
        QString("The values of slot %1 were changed. Store them?").arg(NumberOfTaon->text());
    switch (Dialogs().Message(this, MessageKind::Confirmation, question, MessageButtons::YesNoCancel)) {
      case MessageAnswer::Yes:
        if (StoreSlot()) break;
        [[fallthrough]];
      case MessageAnswer::Cancel:
        DaonsTable->RefuseSelection();
        return;
      default:
        break;
    }
  }
  // The row still current is shown once more, which drops what was typed.
  ShowSelectedTaon();
}

bool TEditDlg::SlotEdited() const {
  const std::array<const QLineEdit*, 6> fields{EditX, EditY, EditZ, EditV, EditU, EditW};
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i]->text() != shownSlot_[i]) return true;
  return DaoTrue->isChecked() != shownExists_;
}

void TEditDlg::DaonsTableClick() {
  ShowSelectedTaon();
  FillEditorGrid();
}

void TEditDlg::DaonsTableDblClick() {
  session_.Display.DlgListVelocities ^= 1;
  FillEditorGrid();
}

void TEditDlg::SubmitClick() { StoreSlot(); }

bool TEditDlg::StoreSlot() {
  return Guarded(this, [this] {
    const int n = StrToInt(NumberOfTaon->text().toStdString());
    auto& e = session_.Ensemble;
    // Each value is stored as soon as it is read: a bad field stops the rest.
    e.PosX[n] = Value(EditX);
    e.PosY[n] = Value(EditY);
    e.PosZ[n] = Value(EditZ);
    e.VelU[n] = Value(EditV);
    e.VelV[n] = Value(EditU);
    e.VelW[n] = Value(EditW);
    e.Exists[n] = DaoTrue->isChecked() ? 1 : 0;
    FillEditorGrid();
    // The fields now show what the slot holds, so that nothing counts as typed.
    ShowSlot(true);
  });
}

void TEditDlg::TakeParameters() {
  for (std::size_t i = 0; i < ParameterFieldTable.size(); ++i)
    session_.Ensemble.*ParameterFieldTable[i].member = Value(parameterFields_[i]);
}

void TEditDlg::OKBtnClick() {
  bool finished = false;
  Guarded(this, [&] {
    const auto name = Dialogs().SaveFileName(this, TaonsFiles);
    // Cancelled: back to the editor with everything typed still in place.
    if (!name) return;
    const std::string file = name->toStdString();
    OnFile("save", file, [&] { CheckRememberable(file); });
    TakeParameters();
    OnFile("save", file, [&] { WriteEnsembleFile(file, session_.Ensemble, session_.FileRecord); });
    session_.FileName = file;
    OnFile("update the start file", session_.StartFilePath,
           [&] { RememberFile(session_.StartFilePath, session_.FileName, session_.LastFileName); });
    SyncWorkingCopies(session_.Ensemble, true);
    finished = true;
  });
  // After a failure the user's text stays in the fields and nothing claims a
  // saved ensemble: closing with OK would refresh the main window as if it were.
  if (finished) accept();
}

void TEditDlg::SaveasClick() {
  Guarded(this, [this] {
    const auto name = Dialogs().SaveFileName(this, TaonsFiles);
    if (!name) return;
    EditFileName->setText(*name);
    TakeParameters();
    const std::string file = name->toStdString();
    OnFile("save", file, [&] { WriteEnsembleFile(file, session_.Ensemble, session_.FileRecord); });
  });
}

bool TEditDlg::OwnAreaIn(const QRegion& region) const {
  // Labels are drawn on the page itself; every other control draws its own
  // area, and its repaints (a caret, typing, a hovered button) are no paint of
  // the page.
  QRegion own = region;
  for (const QObject* child : Page->children()) {
    const auto* widget = qobject_cast<const QWidget*>(child);
    if (widget == nullptr || !widget->isVisible() || qobject_cast<const QLabel*>(widget) != nullptr) continue;
    own -= widget->geometry();
  }
  return !own.isEmpty();
}

bool TEditDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Page && event->type() == QEvent::Paint &&
      OwnAreaIn(static_cast<QPaintEvent*>(event)->region()))
    FormPaint();
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorun
