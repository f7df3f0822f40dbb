// The strip above the scene: the blockade switch and one radio button for each
// row of the wall table, placed in a row and wrapped when the window is
// narrow. The step reads its blockade and wall from here.
#pragma once

#include "engine/Settings.h"
#include "ui/widgets/Widgets.h"

class QButtonGroup;
class QCheckBox;

namespace vorun {

class TWallBar : public RowStrip {
 public:
  // Arranged for the given width at once; a resize arranges it anew.
  TWallBar(QWidget* parent, int width);

  // Blockade and wall into settings; the rest is chosen elsewhere.
  void ReadInto(StepSettings& settings) const;

 private:
  QCheckBox* Blockade;
  QButtonGroup* group_;
};

}  // namespace vorun
