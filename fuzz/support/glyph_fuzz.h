// Shared pieces of the font fuzz entry points: a canvas that only checks the points it is given,
// and the splitting of an input into charstrings.
#pragma once

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
