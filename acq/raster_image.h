#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora::acq {

// An RGB colour.
struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
};

// A trace colour as the setup file keeps it (0x00BBGGRR).
[[nodiscard]] Rgb RgbOfChannelColour(std::int32_t colour);

// A small picture in memory, drawn without a window system: pixels, lines,
// filled rectangles and text in a built-in 5 x 7 font (upper case; lower
// case letters are shown in upper case, unknown characters as "?").
class RasterImage {
 public:
  RasterImage(int width, int height, Rgb background);

  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  // Rows of RGB triples, top row first.
  [[nodiscard]] const std::vector<std::uint8_t>& Pixels() const { return pixels_; }
  [[nodiscard]] Rgb At(int x, int y) const;

  // Points outside the picture are left out.
  void Set(int x, int y, Rgb c);
  void Line(int x0, int y0, int x1, int y1, Rgb c);
  void FillRect(int x, int y, int w, int h, Rgb c);
  // Text with its top left corner at (x, y), each font dot `scale` pixels
  // wide; the width it took.
  int Text(int x, int y, std::string_view text, Rgb c, int scale = 1);
  [[nodiscard]] static int TextWidth(std::string_view text, int scale = 1);

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace velmora::acq
