#include "ui/main/FormulaBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <algorithm>
#include <vector>

#include "ui/widgets/ChoiceButtons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

namespace {

// The box is two columns of rows 16 pixels apart. The left column's first
// row and the whole right column hold formulas; the left column's other
// three rows hold the shell check boxes.
constexpr int LeftX = 8, LeftWidth = 56;
constexpr int RightX = 64, RightWidth = 49;
constexpr int TopY = 16, RowStep = 16, Rows = 4, ButtonHeight = 17;

// The formulas of the design, in the order they take the places: the left
// column's first row, then the right column from the top; and the names the
// window's buttons have always carried. A formula not named here follows them
// in the order of the table, named after its caption.
struct DesignButton {
  Formula value;
  const char* objectName;
};
constexpr DesignButton DesignOrder[] = {
    {Formula::ExpoPolyExpSum, "ExpoPolyExpSum"}, {Formula::EPESminus, "EPESminus"},
    {Formula::Exponential, "Exponential"},       {Formula::PolyExpon, "PolyExpon"},
    {Formula::PolyExpSum, "PolyExpSum"},
};

}  // namespace

TFormulaBox::TFormulaBox(QWidget* parent) : QGroupBox("Formula", parent) {
  setObjectName("RadioGroup1");
  setGeometry(0, 0, 113, 89);
  group_ = new QButtonGroup(this);
  group_->setObjectName("FormulaGroup");

  std::vector<std::pair<Formula, QString>> order;
  for (const DesignButton& d : DesignOrder)
    if (RowOf(FormulaChoices, d.value) != nullptr) order.emplace_back(d.value, d.objectName);
  for (const auto& row : FormulaChoices)
    if (std::none_of(order.begin(), order.end(), [&](const auto& o) { return o.first == row.value; }))
      order.emplace_back(row.value, QString("Formula") + row.caption);

  // The right column shares its height among its buttons: a row each while
  // they fit, closer together when the table has more formulas than rows.
  const int rightCount = static_cast<int>(order.size()) - 1;
  const int step = rightCount <= Rows ? RowStep : RowStep * (Rows - 1) / (rightCount - 1);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto& [value, name] = order[i];
    const int k = static_cast<int>(i) - 1;
    QRadioButton* b =
        i == 0 ? ChoiceButton(group_, this, FormulaChoices, value, LeftX, TopY, LeftWidth, ButtonHeight)
               : ChoiceButton(group_, this, FormulaChoices, value, RightX, TopY + k * step, RightWidth,
                              ButtonHeight);
    b->setObjectName(name);
  }
  if (QRadioButton* pes = Button(Formula::PolyExpSum)) SetTextColour(pes, ColourBlue);
  Button(Formula::Exponential)->setChecked(true);

  CheckBox1 = MakeCheck(this, "(1+6)'", LeftX, TopY + RowStep, LeftWidth, ButtonHeight);
  CheckBox2 = MakeCheck(this, "(2)'", LeftX, TopY + 2 * RowStep + 1, LeftWidth, ButtonHeight);
  CheckBox3 = MakeCheck(this, "(3-:-5)'", LeftX, TopY + 3 * RowStep, LeftWidth, ButtonHeight);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox2->setObjectName("CheckBox2");
  CheckBox3->setObjectName("CheckBox3");
  for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3}) SetTextColour(b, ColourBlue);
}

QRadioButton* TFormulaBox::Button(Formula formula) const {
  return qobject_cast<QRadioButton*>(group_->button(static_cast<int>(formula)));
}

void TFormulaBox::ReadInto(LawSettings& law) const {
  law.formula = CheckedChoice<Formula>(group_);
  law.noShellB = CheckBox2->isChecked();
  law.noShellsCDF = CheckBox3->isChecked();
}

}  // namespace vorun
