// The controls of the windows at their design places: each factory makes one
// control as a child of the given parent at fixed pixels. Shared by the main
// window and the editor, whose places are both given in pixels.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

#include "model/Global.h"

class QCheckBox;
class QFocusEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace vorun {

QRadioButton* MakeRadio(QWidget* parent, const QString& caption, int x, int y, int w, int h);
QCheckBox* MakeCheck(QWidget* parent, const QString& caption, int x, int y, int w, int h);
// A text field that shows the start of its text.
QLineEdit* MakeField(QWidget* parent, const QString& text, int x, int y, int w, int h = 21);
// A label as wide as its caption.
QLabel* MakeLabel(QWidget* parent, const QString& caption, int x, int y);
QPushButton* MakeButton(QWidget* parent, const QString& caption, int x, int y, int w, int h);
// A flat button of the arrow pad, which takes no focus. The arrows stand for
// the symbol-font codes of the design (0xEC, 0xED zoom; 0xEF-0xF2 and 0xF6,
// 0xF7 rotation).
QToolButton* MakeFlatButton(QWidget* parent, const QString& caption, int x, int y, int w, int h);

// A real as the program shows it everywhere (FloatToStr's text).
QString NumberText(Extended80 value);

// Puts text into a field scrolled to its start: the first digits are the ones
// that say what a number is.
void ShowFromStart(QLineEdit* field, const QString& text);

// A focus loss that leaves a field, not a window switch: a message box or
// another window taking the focus does not leave it. The menu bar counts as a
// popup: Alt, F10 or a click on a menu leave the field alike, which is not at
// all, so the menu opens with nothing asked.
bool IsLeave(const QFocusEvent* focus);

// A field in the colour of its parameter set, with black text on either colour.
void SetFieldColour(QLineEdit* field, const QColor& colour);

// A caption wider than the room the design gives it would run under its
// neighbours; a smaller size of the same font keeps it whole.
void FitWidth(QLabel* label, int width);

// A filled background for a control that draws none of its own (a check box).
void SetBackground(QWidget* w, const QColor& colour);

// A strip of controls side by side at their natural widths, as high as one
// row; when the strip is too narrow for them all (a wider font), the rest go
// on further rows and the strip grows by a row each.
class RowStrip : public QWidget {
 public:
  explicit RowStrip(QWidget* parent);
  void Add(QWidget* control);
  // Places the controls for the given width and takes the height they need.
  void Arrange(int width);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // A control whose size changed (a new font or caption) asks for a new place.
  bool event(QEvent* event) override;

 private:
  std::vector<QWidget*> controls_;
};

}  // namespace vorun
