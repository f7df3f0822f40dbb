// Key filters for text fields that hold numbers. A filter looks at each typed
// character on its own: it does not check where a sign or separator stands or
// how often it occurs, and text that arrives other than by typing (paste, a
// program setting the text) is not filtered.
#pragma once

#include <QChar>

class QLineEdit;

namespace vorun {

// Code that stands for "drop this key".
inline constexpr char16_t DroppedKey = 27;

// The numeric filter of the parameter and coordinate fields: digits, backspace,
// ',' '-' and '.' pass unchanged, every other code becomes DroppedKey.
QChar NumericKeyPress(QChar key);

// Slot-number fields take row numbers only: digits and backspace pass.
QChar DigitKeyPress(QChar key);

// Attach a filter to a field's typed characters. Keys that type no character
// (arrows, Delete, Enter, Escape, Tab, shortcuts such as Ctrl+V) are left to
// the field and its window, so Enter and Escape still reach the dialog.
void AttachNumericKeyFilter(QLineEdit* field);
void AttachDigitKeyFilter(QLineEdit* field);

}  // namespace vorun
