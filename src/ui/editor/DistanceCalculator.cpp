#include "ui/editor/DistanceCalculator.h"

#include <QLineEdit>
#include <QPushButton>

#include "model/Distance.h"
#include "model/NumberText.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/KeyFilter.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/ToolTips.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

DistanceCalculator::DistanceCalculator(QWidget* editor, int group, const StringGrid* grid)
    : editor_(editor), grid_(grid) {
  const int t = 72 + 80 * group;
  // The last group sits a little lower than the rhythm of the others.
  const int fieldTop = group == 3 ? 327 : t + 16;
  const int buttonTop = group == 3 ? 355 : t + 40;
  const QString number = QString::number(group + 1);
  MakeLabel(editor, "Calculation of distance " + number, 8, t);
  MakeLabel(editor, "Result " + number, 136, t);
  part1_ = MakeField(editor, "0", 8, fieldTop, 25);
  part2_ = MakeField(editor, "0", 40, fieldTop, 25);
  result_ = MakeField(editor, "0", 72, fieldTop, 105);
  part1_->setObjectName("EditCal" + number + "Part1");
  part2_->setObjectName("EditCal" + number + "Part2");
  result_->setObjectName("EditResult" + number);
  AttachDigitKeyFilter(part1_);
  AttachDigitKeyFilter(part2_);
  ShowWholeTextWhenCut(result_);
  QPushButton* calculate = MakeButton(editor, "Calculate " + number, 8, buttonTop, 57, 25);
  QPushButton* reset = MakeButton(editor, "Reset " + number, 72, buttonTop, 105, 25);
  calculate->setObjectName("Calculate" + number);
  reset->setObjectName("Reset" + number);
  QObject::connect(calculate, &QPushButton::clicked, editor, [this] { Calculate(); });
  QObject::connect(reset, &QPushButton::clicked, editor, [this] { Reset(); });
}

void DistanceCalculator::Calculate() {
  Guarded(editor_, [this] {
    const Extended80 distance =
        RowDistance(part1_->text().toStdString(), part2_->text().toStdString(),
                    [this](int column, int row) { return grid_->Cell(column, row).toStdString(); });
    ShowFromStart(result_, NumberText(distance));
  });
}

void DistanceCalculator::Reset() {
  for (QLineEdit* field : {part1_, part2_, result_}) field->setText("0");
}

}  // namespace vorun
