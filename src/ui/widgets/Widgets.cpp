#include "ui/widgets/Widgets.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

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

bool IsLeave(const QFocusEvent* focus) {
  return focus->reason() != Qt::ActiveWindowFocusReason && focus->reason() != Qt::PopupFocusReason &&
         focus->reason() != Qt::MenuBarFocusReason;
}

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

RowStrip::RowStrip(QWidget* parent) : QWidget(parent) {}

void RowStrip::Add(QWidget* control) {
  control->setParent(this);
  controls_.push_back(control);
}

void RowStrip::Arrange(int width) {
  int x = 0, y = 0, rowHeight = 0;
  for (QWidget* c : controls_) {
    const QSize hint = c->sizeHint();
    if (x > 0 && x + hint.width() > width) {
      x = 0;
      y += rowHeight;
      rowHeight = 0;
    }
    c->setGeometry(x, y, std::min(hint.width(), width), hint.height());
    x += hint.width();
    rowHeight = std::max(rowHeight, hint.height());
  }
  const int needed = y + rowHeight;
  if (minimumHeight() != needed || maximumHeight() != needed) setFixedHeight(needed);
}

void RowStrip::resizeEvent(QResizeEvent* event) { Arrange(event->size().width()); }

bool RowStrip::event(QEvent* event) {
  if (event->type() == QEvent::LayoutRequest) Arrange(width());
  return QWidget::event(event);
}

}  // namespace vorun
