// Shared pieces of the font fuzz entry points: a canvas that only checks the points it is given,
// the splitting of an input into charstrings, and the choice between a whole font and bare
// charstrings.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/render/canvas/generic_canvas.h"

class TCheckingCanvas : public TPDFGenericCanvas {
 public:
  void NewPath() override {}
  void MoveTo(double x, double y) override { Point(x, y); }
  void LineTo(double x, double y) override { Point(x, y); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
    Point(x1, y1);
    Point(x2, y2);
    Point(x3, y3);
  }
  void QuadCurveTo(double x1, double y1, double x2, double y2) override {
    Point(x1, y1);
    Point(x2, y2);
  }
  void ClosePath() override {}
  void Stroke() override {}
  void Fill() override {}
  void FillAndStroke() override {}
  void DrawImage(TGraphic&, double, double, double, double, double, double) override {}

 private:
  // Coordinates are always numbers, whatever the font says.
  static void Point(double x, double y) {
    if (x != x || y != y) std::abort();
  }
};

// The pieces of data between "\n\n" separators.
inline std::vector<std::string> SplitCharstrings(std::string_view data) {
  std::vector<std::string> pieces;
  size_t pos = 0;
  while (pos <= data.size()) {
    size_t end = data.find("\n\n", pos);
    if (end == std::string_view::npos) end = data.size();
    pieces.emplace_back(data.substr(pos, end - pos));
    pos = end + 2;
  }
  return pieces;
}

// The first byte chooses what the rest is: a whole font program when even, bare charstrings
// when odd.
template <class FontReading, class CharstringReading>
int ReadFontOrCharstrings(const uint8_t* data, size_t size, FontReading font, CharstringReading charstrings) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    font(input);
  } else {
    charstrings(input);
  }
  return 0;
}
