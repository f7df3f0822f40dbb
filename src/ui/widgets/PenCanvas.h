// What both of the window's canvases keep between the renderers' calls: the
// pen, brush and text colours, and the pen's position that LineTo starts from.
#pragma once

#include "view/Canvas.h"

namespace vorun {

class PenCanvas : public Canvas {
 public:
  void SetPenColour(Colour colour) override { pen_ = colour; }
  void SetBrushColour(Colour colour) override { brush_ = colour; }
  void SetTextColour(Colour colour) override { text_ = colour; }
  void MoveTo(int x, int y) override {
    penX_ = x;
    penY_ = y;
  }

 protected:
  Colour pen_ = Black;
  Colour brush_ = White;
  Colour text_ = Black;
  int penX_ = 0, penY_ = 0;
};

}  // namespace vorun
