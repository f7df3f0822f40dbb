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

#include "model/Distance.h"
#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/KeyFilter.h"
#include "ui/Palette.h"
#include "ui/StringGrid.h"
#include "ui/ToolTips.h"
#include "ui/Widgets.h"
#include "ui/WindowState.h"

namespace vorun {

namespace {

QString Text(Extended80 value) { return QString::fromStdString(FloatToStr(value)); }

Extended80 Value(const QLineEdit* field) { return StrToFloat(field->text().toStdString()); }

// A field coloured as its parameter set, with black text on either colour.
void SetFieldColour(QLineEdit* field, const QColor& colour) {
  SetBase(field, colour);
  QPalette palette = field->palette();
  palette.setColor(QPalette::Text, Qt::black);
  field->setPalette(palette);
}

// A caption wider than the room the design gives it would run under its
// neighbours; a smaller size of the same font keeps it whole.
void FitWidth(QLabel* label, int width) {
  QFont font = label->font();
  while (label->sizeHint().width() > width && font.pixelSize() > 8) {
    font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
  }
  label->adjustSize();
}

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

void TEditDlg::BuildControls() {
  Label16 = MakeLabel(this, "Differential of time", 0, 0);
  Label15 = MakeLabel(this, "dt=", 0, 21);
  EditDT = MakeField(this, "0,01", 16, 16, 65);
  Bevel1 = new QFrame(this);
  Bevel1->setGeometry(97, 10, 24, 23);
  Bevel1->hide();

  Label1 = MakeLabel(this, "Parametrs", 200, 0);
  const std::array<int, 5> rows{16, 40, 64, 88, 112};
  const std::array<const char*, 5> designTexts{"1", "1", "2", "3", "4"};
  const std::array<QString, 5> names{"A", "B", "C", "D", "F"};
  std::array<QLineEdit*, 5> set1{}, set2{};
  for (int i = 0; i < 5; ++i) {
    MakeLabel(this, names[i] + "1", 184, rows[i] + 4);
    set1[i] = MakeField(this, designTexts[i], 200, rows[i], 81);
    SetFieldColour(set1[i], ColourLime);
    MakeLabel(this, names[i] + "2", 288, rows[i] + 4);
    set2[i] = MakeField(this, designTexts[i], 304, rows[i], 81);
    SetFieldColour(set2[i], ColourYellow);
  }
  EditA1 = set1[0], EditB1 = set1[1], EditC1 = set1[2], EditD1 = set1[3], EditF1 = set1[4];
  EditA2 = set2[0], EditB2 = set2[1], EditC2 = set2[2], EditD2 = set2[3], EditF2 = set2[4];

  Label12 = MakeLabel(this, "Gravon or Taon", 240, 152);
  SetTextColour(Label12, ColourNavy);
  NumberOfTaon = MakeLabel(this, "1", 336, 149);
  SetBold(NumberOfTaon);
  NumberOfTaon->setMinimumWidth(24);
  NumberOfTaon->adjustSize();

  Label4 = MakeLabel(this, "Coordinats", 240, 176);
  EditX = MakeField(this, "0", 240, 192, 121);
  EditY = MakeField(this, "0", 240, 216, 121);
  EditZ = MakeField(this, "0", 240, 240, 121);
  MakeLabel(this, "X =", 220, 196);
  MakeLabel(this, "Y =", 220, 220);
  MakeLabel(this, "Z =", 220, 244);

  Label8 = MakeLabel(this, "VeloCity", 240, 272);
  EditV = MakeField(this, "0", 240, 288, 121);
  EditU = MakeField(this, "0", 240, 312, 121);
  EditW = MakeField(this, "0", 240, 336, 121);
  MakeLabel(this, "u(x)=", 211, 292);
  MakeLabel(this, "u(y)=", 211, 316);
  MakeLabel(this, "u(z)=", 211, 340);

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
  for (QLineEdit* field : ParameterFields()) ShowWholeTextWhenCut(field);
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
  const std::array<QPushButton**, 4> calculates{&Calculate1, &Calculate2, &Calculate3, &Calculate4};
  const std::array<QPushButton**, 4> resets{&Reset1, &Reset2, &Reset3, &Reset4};
  const std::array<void (TEditDlg::*)(), 4> calculateHandlers{
      &TEditDlg::Calculate1Click, &TEditDlg::Calculate2Click, &TEditDlg::Calculate3Click,
      &TEditDlg::Calculate4Click};
  const std::array<void (TEditDlg::*)(), 4> resetHandlers{&TEditDlg::Reset1Click, &TEditDlg::Reset2Click,
                                                          &TEditDlg::Reset3Click, &TEditDlg::Reset4Click};
  for (int group = 0; group < 4; ++group) {
    const int t = 72 + 80 * group;
    // The last group sits a little lower than the rhythm of the others.
    const int fieldTop = group == 3 ? 327 : t + 16;
    const int buttonTop = group == 3 ? 355 : t + 40;
    const QString number = QString::number(group + 1);
    separator(t - 14);
    MakeLabel(this, "Calculation of distance " + number, 8, t);
    MakeLabel(this, "Result " + number, 136, t);
    Calculator& calculator = calculators_[group];
    calculator.part1 = MakeField(this, "0", 8, fieldTop, 25);
    calculator.part2 = MakeField(this, "0", 40, fieldTop, 25);
    calculator.result = MakeField(this, "0", 72, fieldTop, 105);
    AttachDigitKeyFilter(calculator.part1);
    AttachDigitKeyFilter(calculator.part2);
    ShowWholeTextWhenCut(calculator.result);
    QPushButton* calculate = MakeButton(this, "Calculate " + number, 8, buttonTop, 57, 25);
    QPushButton* reset = MakeButton(this, "Reset " + number, 72, buttonTop, 105, 25);
    connect(calculate, &QPushButton::clicked, this, calculateHandlers[group]);
    connect(reset, &QPushButton::clicked, this, resetHandlers[group]);
    *calculates[group] = calculate;
    *resets[group] = reset;
  }
  separator(383);
  EditCal1Part1 = calculators_[0].part1, EditCal1Part2 = calculators_[0].part2;
  EditCal2Part1 = calculators_[1].part1, EditCal2Part2 = calculators_[1].part2;
  EditCal3Part1 = calculators_[2].part1, EditCal3Part2 = calculators_[2].part2;
  EditCal4Part1 = calculators_[3].part1, EditCal4Part2 = calculators_[3].part2;
  EditResult1 = calculators_[0].result, EditResult2 = calculators_[1].result;
  EditResult3 = calculators_[2].result, EditResult4 = calculators_[3].result;
}

void TEditDlg::SetScopeButtons(const QAbstractButton* taoscope, const QAbstractButton* gravoscope) {
  taoscope_ = taoscope;
  gravoscope_ = gravoscope;
}

std::array<QLineEdit*, 11> TEditDlg::ParameterFields() const {
  return {EditDT, EditA1, EditB1, EditC1, EditD1, EditF1, EditA2, EditB2, EditC2, EditD2, EditF2};
}

std::array<QString, 11> TEditDlg::ParameterTexts() {
  const auto& e = Ensemble;
  return {Text(e.TimeStep), Text(e.A1), Text(e.B1), Text(e.C1), Text(e.D1), Text(e.F1),
          Text(e.A2),       Text(e.B2), Text(e.C2), Text(e.D2), Text(e.F2)};
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
  const std::array<QLineEdit*, 11> fields = ParameterFields();
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (all || texts[i] != shownParameters_[i]) ShowText(fields[i], texts[i]);
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
  auto& e = Ensemble;
  e.TimeStep = Value(EditDT);
  e.A1 = Value(EditA1);
  e.B1 = Value(EditB1);
  e.C1 = Value(EditC1);
  e.D1 = Value(EditD1);
  e.F1 = Value(EditF1);
  e.A2 = Value(EditA2);
  e.B2 = Value(EditB2);
  e.C2 = Value(EditC2);
  e.D2 = Value(EditD2);
  e.F2 = Value(EditF2);
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

void TEditDlg::Calculate(int group) {
  Guarded(this, [this, group] {
    const Calculator& calculator = calculators_[group];
    const Extended80 distance =
        RowDistance(calculator.part1->text().toStdString(), calculator.part2->text().toStdString(),
                    [this](int column, int row) { return DaonsTable->Cell(column, row).toStdString(); });
    ShowText(calculator.result, Text(distance));
  });
}

void TEditDlg::Reset(int group) {
  const Calculator& calculator = calculators_[group];
  calculator.part1->setText("0");
  calculator.part2->setText("0");
  calculator.result->setText("0");
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
