// The "Formula" box of the run panel: one radio button for each row of the
// formula table and the three shell check boxes. The law's part of the
// settings is read from here and from nowhere else.
#pragma once

#include <QGroupBox>

#include "engine/Settings.h"

class QButtonGroup;
class QCheckBox;
class QRadioButton;

namespace vorun {

class TFormulaBox : public QGroupBox {
  Q_OBJECT

 public:
  explicit TFormulaBox(QWidget* parent);

  // The chosen formula and the two shell switches into law; the colour split
  // and the scope are chosen elsewhere and left as they are.
  void ReadInto(LawSettings& law) const;
  QRadioButton* Button(Formula formula) const;

 private:
  QButtonGroup* group_;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
};

}  // namespace vorun
