// The radio buttons of one of the user's choices (formula, wall, colour
// split, scope): each button shows its row's caption and carries the row's
// value as its id in the group, which is how the choice is read back.
#pragma once

#include <QButtonGroup>
#include <QRadioButton>
#include <array>
#include <cstddef>

#include "model/Choices.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

template <class Row, std::size_t N>
QRadioButton* ChoiceButton(QButtonGroup* group, QWidget* parent, const std::array<Row, N>& rows,
                           decltype(Row::value) value, int x, int y, int w, int h) {
  QRadioButton* b = MakeRadio(parent, RowOf(rows, value)->caption, x, y, w, h);
  group->addButton(b, static_cast<int>(value));
  return b;
}

// The value whose button is checked. Each group is exclusive and starts with
// one button checked, so one always is.
template <class Value>
Value CheckedChoice(const QButtonGroup* group) {
  Q_ASSERT(group->checkedId() >= 0);
  return static_cast<Value>(group->checkedId());
}

}  // namespace vorun
