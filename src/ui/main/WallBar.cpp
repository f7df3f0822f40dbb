#include "ui/main/WallBar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>

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
    QRadioButton* b = MakeRadio(this, row.caption, 0, 0, 89, 17);
    b->setObjectName(row.value == WallMode::Thermosout ? QString("Thermosout") : QString(row.caption));
    group_->addButton(b, static_cast<int>(row.value));
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
  // The group is exclusive and starts with a button checked, so one always is.
  Q_ASSERT(group_->checkedId() >= 0);
  settings.wall = static_cast<WallMode>(group_->checkedId());
}

}  // namespace vorun
