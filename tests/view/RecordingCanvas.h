// A canvas that records every call, for tests of anything that draws. Besides
// the raw call list it keeps the pen, brush and text colours in effect so that
// tests can ask for lines, pixels and texts together with their colours.
#pragma once

#include <string>
#include <vector>

#include "view/Canvas.h"

namespace vorun {

class RecordingCanvas : public Canvas {
 public:
  enum class Kind { PenColour, BrushColour, TextColour, FillRect, SetPixel, MoveTo, LineTo, TextOut };

  struct Call {
    Kind kind;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Colour colour;
    std::string text;
  };

  // A filled rectangle with the pen and brush colours in effect when it was drawn.
  struct Fill {
    int x1, y1, x2, y2;
    Colour pen, brush;
    friend bool operator==(const Fill&, const Fill&) = default;
  };
  struct Pixel {
    int x, y;
    Colour colour;
    friend bool operator==(const Pixel&, const Pixel&) = default;
  };
  // From the pen position at the time to the end point, in the pen colour.
  struct Line {
    int x1, y1, x2, y2;
    Colour colour;
    friend bool operator==(const Line&, const Line&) = default;
  };
  struct Text {
    int x, y;
    std::string text;
    Colour colour;
    friend bool operator==(const Text&, const Text&) = default;
  };

  void SetPenColour(Colour colour) override {
    pen_ = colour;
    calls.push_back({Kind::PenColour, 0, 0, 0, 0, colour, {}});
  }
  void SetBrushColour(Colour colour) override {
    brush_ = colour;
    calls.push_back({Kind::BrushColour, 0, 0, 0, 0, colour, {}});
  }
  void SetTextColour(Colour colour) override {
    text_ = colour;
    calls.push_back({Kind::TextColour, 0, 0, 0, 0, colour, {}});
  }
  void FillRect(int x1, int y1, int x2, int y2) override {
    fills.push_back({x1, y1, x2, y2, pen_, brush_});
    calls.push_back({Kind::FillRect, x1, y1, x2, y2, brush_, {}});
  }
  void SetPixel(int x, int y, Colour colour) override {
    pixels.push_back({x, y, colour});
    calls.push_back({Kind::SetPixel, x, y, 0, 0, colour, {}});
  }
  void MoveTo(int x, int y) override {
    penX_ = x, penY_ = y;
    calls.push_back({Kind::MoveTo, x, y, 0, 0, pen_, {}});
  }
  void LineTo(int x, int y) override {
    lines.push_back({penX_, penY_, x, y, pen_});
    calls.push_back({Kind::LineTo, penX_, penY_, x, y, pen_, {}});
    penX_ = x, penY_ = y;
  }
  void TextOut(int x, int y, const std::string& text) override {
    texts.push_back({x, y, text, text_});
    calls.push_back({Kind::TextOut, x, y, 0, 0, text_, text});
  }

  void Clear() { *this = RecordingCanvas{}; }

  std::vector<Call> calls;
  std::vector<Fill> fills;
  std::vector<Pixel> pixels;
  std::vector<Line> lines;
  std::vector<Text> texts;

 private:
  Colour pen_, brush_, text_;
  int penX_ = 0, penY_ = 0;
};

}  // namespace vorun
