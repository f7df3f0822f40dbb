// The renderers' canvas on a QImage: the scene widget shows the image, so a
// drawing made between two run steps appears at the next event turn without
// waiting for a paint event.
#pragma once

#include <QImage>

#include "ui/widgets/PenCanvas.h"

namespace vorun {

class QtCanvas final : public PenCanvas {
 public:
  // The image must outlive the canvas; it may be resized in between.
  explicit QtCanvas(QImage& image) : image_(image) {}

  void FillRect(int x1, int y1, int x2, int y2) override;
  void SetPixel(int x, int y, Colour colour) override;
  void LineTo(int x, int y) override;
  void TextOut(int x, int y, const std::string& text) override;

 private:
  void Plot(int x, int y, QRgb rgb);

  QImage& image_;
};

}  // namespace vorun
