// Numbers wider than their field or cell are cut at its edge; pointing at one
// shows the whole value.
#pragma once

class QLineEdit;

namespace vorun {

// The field's tooltip is its whole text whenever that text does not fit.
void ShowWholeTextWhenCut(QLineEdit* field);

}  // namespace vorun
