#include "ui/widgets/QtCanvas.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace vorun {

namespace {
QRgb ToRgb(Colour c) { return qRgb(c.r, c.g, c.b); }
}  // namespace

// Pixels outside the image are dropped: nothing limits the coordinates the
// renderers compute, and a far-off dot must not fault.
void QtCanvas::Plot(int x, int y, QRgb rgb) {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  image_.setPixel(x, y, rgb);
}

void QtCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (x2 <= x1 || y2 <= y1) return;
  const QRgb fill = ToRgb(brush_);
  const QRgb edge = ToRgb(pen_);
  const int left = std::max(x1, 0), top = std::max(y1, 0);
  const int right = std::min(x2, image_.width()), bottom = std::min(y2, image_.height());
  if (left >= right || top >= bottom) return;
  // The scene is cleared after every run step: whole rows at a time, not pixel by pixel.
  for (int y = top; y < bottom; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    const bool borderRow = y == y1 || y == y2 - 1;
    std::fill(row + left, row + right, borderRow ? edge : fill);
    if (x1 >= left) row[x1] = edge;
    if (x2 - 1 < right) row[x2 - 1] = edge;
  }
}

void QtCanvas::SetPixel(int x, int y, Colour colour) { Plot(x, y, ToRgb(colour)); }

// Bresenham from the pen position; the end pixel is left out so that a
// polyline does not draw its corners twice.
void QtCanvas::LineTo(int x, int y) {
  const QRgb rgb = ToRgb(pen_);
  int cx = penX_, cy = penY_;
  const int dx = std::abs(x - cx), dy = -std::abs(y - cy);
  const int sx = cx < x ? 1 : -1, sy = cy < y ? 1 : -1;
  int err = dx + dy;
  while (cx != x || cy != y) {
    Plot(cx, cy, rgb);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      cx += sx;
    }
    if (e2 <= dx) {
      err += dx;
      cy += sy;
    }
  }
  penX_ = x;
  penY_ = y;
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  if (image_.isNull()) return;
  QPainter painter(&image_);
  painter.setPen(QColor(text_.r, text_.g, text_.b));
  const QFontMetrics metrics(painter.font());
  painter.drawText(x, y + metrics.ascent(), QString::fromStdString(text));
}

}  // namespace vorun
