// The few colours the windows use and the small palette changes that give a
// control its colour, shared by the main window, the editor and the icons.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

namespace vorun {

inline const QColor ColourLime(0, 255, 0);
inline const QColor ColourYellow(255, 255, 0);
inline const QColor ColourRed(255, 0, 0);
inline const QColor ColourGreen(0, 128, 0);
inline const QColor ColourMaroon(128, 0, 0);
inline const QColor ColourNavy(0, 0, 128);
inline const QColor ColourBlue(0, 0, 255);
inline const QColor ColourSilver(192, 192, 192);

// The background of a text field.
inline void SetBase(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, colour);
  w->setPalette(p);
}

// The text of a field, label or button, whichever role the widget draws it in.
inline void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Text, colour);
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::ButtonText, colour);
  w->setPalette(p);
}

inline void SetBold(QWidget* w) {
  QFont f = w->font();
  f.setBold(true);
  w->setFont(f);
}

}  // namespace vorun
