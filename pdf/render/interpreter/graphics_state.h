// The graphics state of the content interpreter: one record, copied whole by q and Q and
// handed to nested content (forms, glyphs, appearances, pattern cells).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pdf/core/matrix.h"
#include "pdf/render/canvas/daubrix.h"

class TZRXPattern;

struct TPDFGraphicsState {
  // Current point, in output coordinates.
  double CurrentX = 110, CurrentY = 700;
  uint32_t FillColor = 0;  // red in the low byte, then green, then blue
  std::string FillColorText = "0 setgray";
  std::array<double, 4> FillCMYK{};  // the last fill from DeviceCMYK (or a Separation over it)
  TZRXPattern* FillPattern = nullptr;
  uint32_t StrokeColor = 0;
  std::string StrokeColorText = "0 setgray";
  std::string FillColorSpace = "DeviceGray";
  std::string StrokeColorSpace = "DeviceGray";
  TZRXPattern* StrokePattern = nullptr;
  // The space under a pattern space ([/Pattern base]): an uncoloured cell's colour is given in
  // it. Empty for a pattern space without one.
  std::string FillPatternBase, StrokePatternBase;
  std::string FillAlternateSpace;  // the alternate space of a Separation fill
  double LineWidth = 1.0;
  int32_t LineCap = 0, LineJoin = 0;
  double MiterLimit = 10.0;
  TPDFMatrix Matrix = kIdentityMatrix;  // the current matrix when the state was saved
  TPDFMatrix TextMatrix = kIdentityMatrix;
  TPDFMatrix TextLineMatrix = kIdentityMatrix;
  double HorizontalScaling = 100;
  double FontSize = 12;
  std::string FontName;  // the operand of Tf
  double Leading = 0, CharSpacing = 0, WordSpacing = 0, TextRise = 0;
  int32_t TextRenderMode = 0;
  double StrokeAlpha = 1.0, FillAlpha = 1.0;
  uint8_t BlendMode = 0;
  TDaubrixClip ClipHandle = nullptr;  // the canvas's saved clip, recorded by q
  double DashPhase = 0;
  std::vector<double> DashArray;
  // While set, fill colour operators and the alpha and blend entries of ExtGState do nothing.
  uint8_t FillColorLocked = 0;
};
