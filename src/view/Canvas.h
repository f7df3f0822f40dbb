// The drawing surface the renderers paint on: the operations any 2D canvas
// offers, in window-client pixels with y downwards. The window supplies a Qt
// implementation; tests record the calls.
#pragma once

#include <cstdint>
#include <string>

namespace vorun {

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour Black{0, 0, 0};
inline constexpr Colour Red{255, 0, 0};
inline constexpr Colour Lime{0, 255, 0};
inline constexpr Colour Yellow{255, 255, 0};
inline constexpr Colour White{255, 255, 255};

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void SetPenColour(Colour colour) = 0;
  virtual void SetBrushColour(Colour colour) = 0;
  virtual void SetTextColour(Colour colour) = 0;
  // Fills [x1, x2) x [y1, y2) with the brush, outlined with the pen.
  virtual void FillRect(int x1, int y1, int x2, int y2) = 0;
  virtual void SetPixel(int x, int y, Colour colour) = 0;
  // A taon: the 2 x 2 square with its top-left pixel at (x, y). One shape on
  // a vector canvas, so that a picture scales cleanly; four pixels here.
  virtual void Dot(int x, int y, Colour colour) {
    SetPixel(x, y, colour);
    SetPixel(x + 1, y, colour);
    SetPixel(x, y + 1, colour);
    SetPixel(x + 1, y + 1, colour);
  }
  virtual void MoveTo(int x, int y) = 0;
  // Draws from the pen position to (x, y) without the end pixel; the pen moves there.
  virtual void LineTo(int x, int y) = 0;
  // Text with its top-left corner at (x, y), in the text colour.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
};

}  // namespace vorun
