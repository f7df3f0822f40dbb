// The particle editor's controls at their design places, and the names they
// carry: the time step and parameters, one slot's fields, the grid, the
// buttons and the four distance calculators.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <utility>

#include "ui/editor/DistanceCalculator.h"
#include "ui/editor/Edit.h"
#include "ui/widgets/KeyFilter.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ParameterFields.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/ToolTips.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

void TEditDlg::BuildControls() {
  Label16 = MakeLabel(Page, "Differential of time", 0, 0);
  Label15 = MakeLabel(Page, "dt=", 0, 21);
  EditDT = MakeField(Page, "0,01", 16, 16, 65);
  Bevel1 = new QFrame(Page);
  Bevel1->setGeometry(97, 10, 24, 23);
  Bevel1->hide();

  Label1 = MakeLabel(Page, "Parametrs", 200, 0);
  // Row by row, the set 1 field and then the set 2 field, which is also the
  // order Tab takes.
  parameterFields_[0] = EditDT;
  for (std::size_t row = 0; row < 5; ++row) {
    for (std::size_t i : {1 + row, 6 + row}) {
      const ParameterField& entry = ParameterFieldTable[i];
      const int column = entry.set == 1 ? 200 : 304;
      const int top = 16 + 24 * static_cast<int>(row);
      MakeLabel(Page, entry.name, column - 16, top + 4);
      parameterFields_[i] = MakeField(Page, entry.designText, column, top, 81);
      SetFieldColour(parameterFields_[i], entry.set == 1 ? ColourLime : ColourYellow);
    }
  }
  for (std::size_t i = 0; i < ParameterFieldTable.size(); ++i)
    parameterFields_[i]->setObjectName(QString("Edit") + ParameterFieldTable[i].name);

  Label12 = MakeLabel(Page, "Gravon or Taon", 240, 152);
  SetTextColour(Label12, ColourNavy);
  NumberOfTaon = MakeLabel(Page, "1", 336, 149);
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
    *block.title = MakeLabel(Page, block.caption, 240, block.top);
    for (int i = 0; i < 3; ++i) *block.fields[i] = MakeField(Page, "0", 240, block.top + 16 + 24 * i, 121);
    for (int i = 0; i < 3; ++i) MakeLabel(Page, block.labels[i], block.labelLeft, block.top + 20 + 24 * i);
  }

  DaoTrue = new QCheckBox("There is Gravon or Taon", Page);
  DaoTrue->setGeometry(224, 368, 137, 17);
  Submit = MakeButton(Page, "&Yes", 224, 387, 65, 25);
  Submit->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
  Saveas = MakeButton(Page, "Save As", 296, 387, 67, 25);

  Label13 = MakeLabel(Page, "FileName", 16, 400);
  SetTextColour(Label13, ColourNavy);
  EditFileName = MakeField(Page, "EditFileName", 8, 419, 593, 24);
  SetBold(EditFileName);
  SetTextColour(EditFileName, ColourBlue);

  DaonsTable = new StringGrid(4, 61, Page);
  DaonsTable->setGeometry(386, 2, 399, 399);
  DaonsTable->SetDefaultColumnWidth(92);
  DaonsTable->SetDefaultRowHeight(18);
  DaonsTable->SetRowHeight(6, 20);
  DaonsTable->SetRowHeight(12, 19);

  // Enter pressed away from the buttons means OK, not "&Yes": a dialog has
  // one default button, and a focused button takes Enter for itself.
  OKBtn = MakeButton(Page, "OK", 623, 418, 75, 26);
  OKBtn->setDefault(true);
  CancelBtn = MakeButton(Page, "Cancel", 703, 418, 75, 26);

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
      {Scroller, "EditorScroller"},
      {Page, "EditorPage"},
  };
  // The eleven parameter fields are named above, from the table of fields.
  for (const auto& [control, name] : names) control->setObjectName(name);
}

void TEditDlg::BuildCalculators() {
  Label30 = MakeLabel(Page, "Serial number of grav. or taons", 0, 40);
  SetBold(Label30);
  FitWidth(Label30, 182);  // the parameter labels start at 184
  const auto separator = [this](int top) {
    QLabel* stars = MakeLabel(Page, QString(34, '*'), 0, top);
    SetBold(stars);
    SetTextColour(stars, ColourBlue);
  };
  for (int group = 0; group < 4; ++group) {
    separator(58 + 80 * group);
    calculators_[group] = std::make_unique<DistanceCalculator>(Page, group, DaonsTable);
  }
  separator(383);
}

}  // namespace vorun
