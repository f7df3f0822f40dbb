#include "ui/widgets/PainterCanvas.h"

namespace vorun {

namespace {
QColor ToQColor(Colour c) { return QColor(c.r, c.g, c.b); }
}  // namespace

// Filled with the brush and outlined with the pen, as on the window's image.
void PainterCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (x2 <= x1 || y2 <= y1) return;
  painter_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), ToQColor(brush_));
  if (pen_ == brush_) return;
  const QColor edge = ToQColor(pen_);
  painter_.fillRect(QRect(x1, y1, x2 - x1, 1), edge);
  painter_.fillRect(QRect(x1, y2 - 1, x2 - x1, 1), edge);
  painter_.fillRect(QRect(x1, y1, 1, y2 - y1), edge);
  painter_.fillRect(QRect(x2 - 1, y1, 1, y2 - y1), edge);
}

void PainterCanvas::SetPixel(int x, int y, Colour colour) {
  painter_.fillRect(QRect(x, y, 1, 1), ToQColor(colour));
}

void PainterCanvas::Dot(int x, int y, Colour colour) {
  painter_.fillRect(QRect(x, y, 2, 2), ToQColor(colour));
}

void PainterCanvas::LineTo(int x, int y) {
  painter_.setPen(QPen(ToQColor(pen_), 1));
  painter_.drawLine(QPointF(penX_ + 0.5, penY_ + 0.5), QPointF(x + 0.5, y + 0.5));
  penX_ = x;
  penY_ = y;
}

// Placed as on the window's image: the top of the text at y.
void PainterCanvas::TextOut(int x, int y, const std::string& text) {
  painter_.setPen(ToQColor(text_));
  painter_.drawText(x, y + painter_.fontMetrics().ascent(), QString::fromStdString(text));
}

}  // namespace vorun
