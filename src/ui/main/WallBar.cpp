#include "ui/main/WallBar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>

#include "ui/widgets/ChoiceButtons.h"

namespace vorun {

TWallBar::TWallBar(QWidget* parent, int width) : RowStrip(parent) {
  setObjectName("TopStrip");
  Blockade = MakeCheck(this, "* Blockade  X, Y, Z in positions - 1 -:- 4 *", 0, 0, 361, 17);
  Blockade->setObjectName("Blockade");
  Add(Blockade);
  group_ = new QButtonGroup(this);
  group_->setObjectName("ThermostatGroup");
  // No wall first, as the design has it, then the walls in the order of the
  // table. A button is named after its caption; the no-wall button keeps the
  // name it has always had.
  const auto add = [&](const WallChoice& row) {
    QRadioButton* b = ChoiceButton(group_, this, WallChoices, row.value, 0, 0, 89, 17);
    b->setObjectName(row.value == WallMode::Thermosout ? QString("Thermosout") : QString(row.caption));
    Add(b);
    if (row.value == WallMode::Thermosout) b->setChecked(true);
  };
  for (const WallChoice& row : WallChoices)
    if (row.bound == 0) add(row);
  for (const WallChoice& row : WallChoices)
    if (row.bound != 0) add(row);
  Arrange(width);
}

void TWallBar::ReadInto(StepSettings& settings) const {
  settings.blockade = Blockade->isChecked();
  settings.wall = CheckedChoice<WallMode>(group_);
}

}  // namespace vorun
