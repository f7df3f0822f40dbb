// The particle editor's controls at their design places, and the names they
// carry: the time step and parameters, one slot's fields, the grid, the
// buttons and the four distance calculators.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <utility>

#include "ui/DistanceCalculator.h"
#include "ui/Edit.h"
#include "ui/KeyFilter.h"
#include "ui/Palette.h"
#include "ui/ParameterFields.h"
#include "ui/StringGrid.h"
#include "ui/ToolTips.h"
#include "ui/Widgets.h"

namespace vorun {

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

  // The time step, A1 ... D1 and the slot's six fields take only number keys.
  for (std::size_t i = 0; i <= 4; ++i) AttachNumericKeyFilter(parameterFields_[i]);
  for (QLineEdit* field : {EditX, EditY, EditZ, EditV, EditU, EditW}) AttachNumericKeyFilter(field);
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

void TEditDlg::NameControls() {
  const std::pair<QObject*, const char*> names[] = {
      {Label16, "Label16"},
      {Label15, "Label15"},
      {Label1, "Label1"},
      {Label12, "Label12"},
      {NumberOfTaon, "NumberOfTaon"},
      {Label4, "Label4"},
      {EditX, "EditX"},
      {EditY, "EditY"},
      {EditZ, "EditZ"},
      {Label8, "Label8"},
      {EditV, "EditV"},
      {EditU, "EditU"},
      {EditW, "EditW"},
      {DaoTrue, "DaoTrue"},
      {Submit, "Submit"},
      {Saveas, "Saveas"},
      {Label13, "Label13"},
      {EditFileName, "EditFileName"},
      {DaonsTable, "DaonsTable"},
      {OKBtn, "OKBtn"},
      {CancelBtn, "CancelBtn"},
      {Bevel1, "Bevel1"},
      {Label30, "Label30"},
  };
  // The eleven parameter fields are named above, from the table of fields.
  for (const auto& [control, name] : names) control->setObjectName(name);
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

}  // namespace vorun
