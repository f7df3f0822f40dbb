#include "ui/Edit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <algorithm>

#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/DistanceCalculator.h"
#include "ui/KeyFilter.h"
#include "ui/Palette.h"
#include "ui/ParameterFields.h"
#include "ui/StringGrid.h"
#include "ui/ToolTips.h"
#include "ui/Widgets.h"
#include "ui/WindowState.h"

namespace vorun {

namespace {

QString Text(Extended80 value) { return QString::fromStdString(FloatToStr(value)); }

Extended80 Value(const QLineEdit* field) { return StrToFloat(field->text().toStdString()); }

}  // namespace

TEditDlg* EditDlg = nullptr;

const FileDialogRequest TEditDlg::SaveDialog{"Taons files (*.tvx)|*.tvx", "tvx"};

TEditDlg::TEditDlg(QWidget* parent) : QDialog(parent) {
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
  BuildControls();
  BuildCalculators();
  setFixedSize(787, 449);
}

TEditDlg::~TEditDlg() = default;

void TEditDlg::BuildControls() {
  Label16 = MakeLabel(this, "Differential of time", 0, 0);
  Label15 = MakeLabel(this, "dt=", 0, 21);
  EditDT = MakeField(this, "0,01", 16, 16, 65);
  Bevel1 = new QFrame(this);
  Bevel1->setGeometry(97, 10, 24, 23);
  Bevel1->hide();

  Label1 = MakeLabel(this, "Parametrs", 200, 0);
  // Row by row, the set 1 field and then the set 2 field, which is also the
  // order Tab takes.
  parameterFields_[0] = EditDT;
  for (std::size_t row = 0; row < 5; ++row) {
    for (std::size_t i : {1 + row, 6 + row}) {
      const ParameterField& entry = ParameterFieldTable[i];
      const int column = entry.set == 1 ? 200 : 304;
      const int top = 16 + 24 * static_cast<int>(row);
      MakeLabel(this, entry.name, column - 16, top + 4);
      parameterFields_[i] = MakeField(this, entry.designText, column, top, 81);
      SetFieldColour(parameterFields_[i], entry.set == 1 ? ColourLime : ColourYellow);
    }
  }
  for (std::size_t i = 0; i < ParameterFieldTable.size(); ++i)
    parameterFields_[i]->setObjectName(QString("Edit") + ParameterFieldTable[i].name);
  EditA1 = parameterFields_[1], EditB1 = parameterFields_[2], EditC1 = parameterFields_[3];
  EditD1 = parameterFields_[4], EditF1 = parameterFields_[5], EditA2 = parameterFields_[6];
  EditB2 = parameterFields_[7], EditC2 = parameterFields_[8], EditD2 = parameterFields_[9];
  EditF2 = parameterFields_[10];

  Label12 = MakeLabel(this, "Gravon or Taon", 240, 152);
  SetTextColour(Label12, ColourNavy);
  NumberOfTaon = MakeLabel(this, "1", 336, 149);
  SetBold(NumberOfTaon);
  NumberOfTaon->setMinimumWidth(24);
  NumberOfTaon->adjustSize();

  // A slot's position, then its velocity, three rows each. Mind the names:
  // EditV holds the first velocity component, EditU the second.
  const struct {
    QLabel** title;
    const char* caption;
    int top;
    std::array<QLineEdit**, 3> fields;
    std::array<const char*, 3> labels;
    int labelLeft;
  } blocks[] = {{&Label4, "Coordinats", 176, {&EditX, &EditY, &EditZ}, {"X =", "Y =", "Z ="}, 220},
                {&Label8, "VeloCity", 272, {&EditV, &EditU, &EditW}, {"u(x)=", "u(y)=", "u(z)="}, 211}};
  for (const auto& block : blocks) {
    *block.title = MakeLabel(this, block.caption, 240, block.top);
    for (int i = 0; i < 3; ++i) *block.fields[i] = MakeField(this, "0", 240, block.top + 16 + 24 * i, 121);
    for (int i = 0; i < 3; ++i) MakeLabel(this, block.labels[i], block.labelLeft, block.top + 20 + 24 * i);
  }

  DaoTrue = new QCheckBox("There is Gravon or Taon", this);
  DaoTrue->setGeometry(224, 368, 137, 17);
  Submit = MakeButton(this, "&Yes", 224, 387, 65, 25);
  Submit->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
  Saveas = MakeButton(this, "Save As", 296, 387, 67, 25);

  Label13 = MakeLabel(this, "FileName", 16, 400);
  SetTextColour(Label13, ColourNavy);
  EditFileName = MakeField(this, "EditFileName", 8, 419, 593, 24);
  SetBold(EditFileName);
  SetTextColour(EditFileName, ColourBlue);

  DaonsTable = new StringGrid(4, 61, this);
  DaonsTable->setGeometry(386, 2, 399, 399);
  DaonsTable->SetDefaultColumnWidth(92);
  DaonsTable->SetDefaultRowHeight(18);
  DaonsTable->SetRowHeight(6, 20);
  DaonsTable->SetRowHeight(12, 19);

  // Enter pressed away from the buttons means OK, not "&Yes": a dialog has
  // one default button, and a focused button takes Enter for itself.
  OKBtn = MakeButton(this, "OK", 623, 418, 75, 26);
  OKBtn->setDefault(true);
  CancelBtn = MakeButton(this, "Cancel", 703, 418, 75, 26);

  for (QLineEdit* field : {EditDT, EditA1, EditB1, EditC1, EditD1, EditX, EditY, EditZ, EditV, EditU, EditW})
    AttachNumericKeyFilter(field);
  for (QLineEdit* field : parameterFields_) ShowWholeTextWhenCut(field);
  for (QLineEdit* field : {EditX, EditY, EditZ, EditV, EditU, EditW}) ShowWholeTextWhenCut(field);

  connect(DaonsTable, &StringGrid::SelectCell, this, &TEditDlg::DaonsTableSelectCell);
  connect(DaonsTable, &StringGrid::Clicked, this, &TEditDlg::DaonsTableClick);
  connect(DaonsTable, &StringGrid::DoubleClicked, this, &TEditDlg::DaonsTableDblClick);
  connect(Submit, &QPushButton::clicked, this, &TEditDlg::SubmitClick);
  connect(OKBtn, &QPushButton::clicked, this, &TEditDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(Saveas, &QPushButton::clicked, this, &TEditDlg::SaveasClick);
}

void TEditDlg::BuildCalculators() {
  Label30 = MakeLabel(this, "Serial number of grav. or taons", 0, 40);
  SetBold(Label30);
  FitWidth(Label30, 182);  // the parameter labels start at 184
  const auto separator = [this](int top) {
    QLabel* stars = MakeLabel(this, QString(34, '*'), 0, top);
    SetBold(stars);
    SetTextColour(stars, ColourBlue);
  };
  for (int group = 0; group < 4; ++group) {
    separator(58 + 80 * group);
    calculators_[group] = std::make_unique<DistanceCalculator>(this, group, DaonsTable);
  }
  separator(383);
}

void TEditDlg::SetScopeButtons(const QAbstractButton* taoscope, const QAbstractButton* gravoscope) {
  taoscope_ = taoscope;
  gravoscope_ = gravoscope;
}

std::array<QString, 11> TEditDlg::ParameterTexts() {
  std::array<QString, 11> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = Text(Ensemble.*ParameterFieldTable[i].member);
  return texts;
}

std::array<QString, 6> TEditDlg::SlotTexts(int n) {
  const auto& e = Ensemble;
  return {Text(e.PosX[n]), Text(e.PosY[n]), Text(e.PosZ[n]),
          Text(e.VelU[n]), Text(e.VelV[n]), Text(e.VelW[n])};
}

void TEditDlg::ShowText(QLineEdit* field, const QString& text) {
  field->setText(text);
  // The first digits are the ones that say what the number is.
  field->setCursorPosition(0);
}

void TEditDlg::ShowParameters(bool all) {
  const std::array<QString, 11> texts = ParameterTexts();
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (all || texts[i] != shownParameters_[i]) ShowText(parameterFields_[i], texts[i]);
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
  EditFileName->setText(QString::fromStdString(FileName));
  const int n = DaonsTable->Row();
  const auto& e = Ensemble;
  if (n != shownRow_) {
    ShowSelectedTaon();
  } else {
    const std::array<QString, 6> texts = SlotTexts(n);
    const std::array<QLineEdit*, 6> fields{EditX, EditY, EditZ, EditV, EditU, EditW};
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (texts[i] != shownSlot_[i]) ShowText(fields[i], texts[i]);
    shownSlot_ = texts;
    if ((e.Exists[n] != 0) != shownExists_) {
      shownExists_ = e.Exists[n] != 0;
      DaoTrue->setChecked(shownExists_);
    }
  }
  ShowParameters(false);
  FillEditorGrid();
}

void TEditDlg::ShowSelectedTaon() {
  const int n = DaonsTable->Row();
  NumberOfTaon->setText(QString::fromStdString(IntToStr(n)));
  NumberOfTaon->adjustSize();
  shownRow_ = n;
  shownSlot_ = SlotTexts(n);
  const std::array<QLineEdit*, 6> fields{EditX, EditY, EditZ, EditV, EditU, EditW};
  for (std::size_t i = 0; i < fields.size(); ++i) ShowText(fields[i], shownSlot_[i]);
  shownExists_ = Ensemble.Exists[n] != 0;
  DaoTrue->setChecked(shownExists_);
}

void TEditDlg::FillEditorGrid() {
  const auto& e = Ensemble;
  const bool velocities = Display.DlgListVelocities != 0;
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
  const std::array<QString, 3> headers =
      velocities ? std::array<QString, 3>{"u(x)", "u(y)", "u(z)"} : std::array<QString, 3>{"X", "Y", "Z"};
  const std::array<const SlotReals*, 3> values =
      velocities ? std::array<const SlotReals*, 3>{&e.VelU, &e.VelV, &e.VelW}
                 : std::array<const SlotReals*, 3>{&e.PosX, &e.PosY, &e.PosZ};
  for (int c = 0; c < 3; ++c) DaonsTable->SetCell(c + 1, 0, headers[c]);
  const int last = std::min<int>(e.SlotCount, MaxSlots);
  for (int n = 1; n <= last; ++n) DaonsTable->SetCell(0, n, QString::fromStdString(IntToStr(n)));
  for (int n = 1; n <= last; ++n)
    for (int c = 0; c < 3; ++c)
      DaonsTable->SetCell(c + 1, n, e.Exists[n] != 0 ? Text((*values[c])[n]) : QString());
}

void TEditDlg::DaonsTableSelectCell(int, int) {
  // The row still current is shown once more; the move itself is always allowed.
  ShowSelectedTaon();
}

void TEditDlg::DaonsTableClick() {
  ShowSelectedTaon();
  FillEditorGrid();
}

void TEditDlg::DaonsTableDblClick() {
  Display.DlgListVelocities ^= 1;
  FillEditorGrid();
}

void TEditDlg::SubmitClick() {
  Guarded(this, [this] {
    const int n = StrToInt(NumberOfTaon->text().toStdString());
    auto& e = Ensemble;
    // Each value is stored as soon as it is read: a bad field stops the rest.
    e.PosX[n] = Value(EditX);
    e.PosY[n] = Value(EditY);
    e.PosZ[n] = Value(EditZ);
    e.VelU[n] = Value(EditV);
    e.VelV[n] = Value(EditU);
    e.VelW[n] = Value(EditW);
    e.Exists[n] = DaoTrue->isChecked() ? 1 : 0;
    FillEditorGrid();
  });
}

void TEditDlg::TakeParameters() {
  for (std::size_t i = 0; i < ParameterFieldTable.size(); ++i)
    Ensemble.*ParameterFieldTable[i].member = Value(parameterFields_[i]);
}

void TEditDlg::OKBtnClick() {
  bool finished = false;
  Guarded(this, [&] {
    const auto name = Dialogs().SaveFileName(this, SaveDialog);
    // Cancelled: back to the editor with everything typed still in place.
    if (!name) return;
    CheckRememberable(name->toStdString());
    TakeParameters();
    WriteEnsembleFile(name->toStdString());
    FileName = name->toStdString();
    RememberFile();
    SyncWorkingCopies(Ensemble, true);
    finished = true;
  });
  // After a failure the user's text stays in the fields and nothing claims a
  // saved ensemble: closing with OK would refresh the main window as if it were.
  if (finished) accept();
}

void TEditDlg::SaveasClick() {
  Guarded(this, [this] {
    const auto name = Dialogs().SaveFileName(this, SaveDialog);
    if (!name) return;
    EditFileName->setText(*name);
    TakeParameters();
    WriteEnsembleFile(name->toStdString());
  });
}

bool TEditDlg::OwnAreaIn(const QRegion& region) const {
  // Labels are drawn on the dialog itself; every other control draws its own
  // area, and its repaints (a caret, typing, a hovered button) are no paint of
  // the dialog.
  QRegion own = region;
  for (const QObject* child : children()) {
    const auto* widget = qobject_cast<const QWidget*>(child);
    if (widget == nullptr || !widget->isVisible() || qobject_cast<const QLabel*>(widget) != nullptr) continue;
    own -= widget->geometry();
  }
  return !own.isEmpty();
}

void TEditDlg::paintEvent(QPaintEvent* event) {
  if (OwnAreaIn(event->region())) FormPaint();
  QDialog::paintEvent(event);
}

}  // namespace vorun
