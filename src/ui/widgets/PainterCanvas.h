// The renderers' canvas on any QPainter: an SVG generator for picture export,
// or an image. Pixels become one-pixel squares, a taon one 2 x 2 square, and
// lines run through pixel centres, so a vector picture shows the scene as the
// window draws it.
#pragma once

#include <QPainter>

#include "ui/widgets/PenCanvas.h"

namespace vorun {

class PainterCanvas final : public PenCanvas {
 public:
  // The painter must be active and outlive the canvas.
  explicit PainterCanvas(QPainter& painter) : painter_(painter) {}

  void FillRect(int x1, int y1, int x2, int y2) override;
  void SetPixel(int x, int y, Colour colour) override;
  void Dot(int x, int y, Colour colour) override;
  void LineTo(int x, int y) override;
  void TextOut(int x, int y, const std::string& text) override;

 private:
  QPainter& painter_;
};

}  // namespace vorun
