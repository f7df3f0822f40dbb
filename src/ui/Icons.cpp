#include "ui/Icons.h"

#include <QPainter>

#include "ui/Palette.h"

namespace vorun {

namespace {

QPixmap ProgramPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(QPen(QColor(96, 96, 96), 1));
  p.setBrush(Qt::black);
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 4, 4);
  // A tetrahedron's edges, as the spiral view draws them.
  const QPointF a(6, 24), b(26, 22), c(15, 5), d(18, 15);
  p.setPen(QPen(ColourLime, 1.2));
  for (const auto& [from, to] : {std::pair{a, b}, {b, c}, {c, a}, {a, d}, {b, d}, {c, d}})
    p.drawLine(from, to);
  p.setPen(Qt::NoPen);
  p.setBrush(ColourRed);
  p.drawEllipse(c, 2.5, 2.5);
  p.drawEllipse(b, 2.5, 2.5);
  p.setBrush(ColourYellow);
  p.drawEllipse(a, 2.5, 2.5);
  p.drawEllipse(d, 2.5, 2.5);
  return pixmap;
}

}  // namespace

QIcon MakeProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 64}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

QPixmap MakeAboutIcon() {
  QPixmap pixmap(33, 33);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 0, 128), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(2, 9, 29, 15));
  p.setPen(Qt::NoPen);
  p.setBrush(ColourRed);
  p.drawEllipse(QPointF(16.5, 16.5), 5, 5);
  p.setBrush(ColourLime.darker(120));
  p.drawEllipse(QPointF(29, 13.5), 3, 3);
  return pixmap;
}

}  // namespace vorun
