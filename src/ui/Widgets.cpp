#include "ui/Widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "model/NumberText.h"

namespace vorun {

namespace {

template <class Control>
Control* Placed(Control* control, int x, int y, int w, int h) {
  control->setGeometry(x, y, w, h);
  return control;
}

}  // namespace

QRadioButton* MakeRadio(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
  return Placed(new QRadioButton(caption, parent), x, y, w, h);
}

QCheckBox* MakeCheck(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
  return Placed(new QCheckBox(caption, parent), x, y, w, h);
}

QLineEdit* MakeField(QWidget* parent, const QString& text, int x, int y, int w, int h) {
  auto* field = Placed(new QLineEdit(text, parent), x, y, w, h);
  field->setCursorPosition(0);
  return field;
}

QString NumberText(Extended80 value) { return QString::fromStdString(FloatToStr(value)); }

void ShowFromStart(QLineEdit* field, const QString& text) {
  field->setText(text);
  field->setCursorPosition(0);
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, int x, int y) {
  auto* label = new QLabel(caption, parent);
  label->move(x, y);
  label->adjustSize();
  return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
  return Placed(new QPushButton(caption, parent), x, y, w, h);
}

QToolButton* MakeFlatButton(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
  auto* button = Placed(new QToolButton(parent), x, y, w, h);
  button->setText(caption);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::Button, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void SetFieldColour(QLineEdit* field, const QColor& colour) {
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base, colour);
  palette.setColor(QPalette::Text, Qt::black);
  field->setPalette(palette);
}

void FitWidth(QLabel* label, int width) {
  QFont font = label->font();
  while (label->sizeHint().width() > width && font.pixelSize() > 8) {
    font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
  }
  label->adjustSize();
}

}  // namespace vorun
