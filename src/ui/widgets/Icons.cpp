#include "ui/widgets/Icons.h"

#include <QPainter>

#include "ui/widgets/Palette.h"

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

namespace {

// The two glyphs of Go, drawn here so that they look the same under every
// style: a green tick for OK, a red cross for Cancel.
QIcon GoGlyph(bool ok) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  if (ok) {
    painter.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
  } else {
    painter.setPen(QPen(QColor(200, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
  }
  return QIcon(pixmap);
}

}  // namespace

QIcon MakeOkGlyph() { return GoGlyph(true); }
QIcon MakeCancelGlyph() { return GoGlyph(false); }

}  // namespace vorun
