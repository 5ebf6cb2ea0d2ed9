// What drawing text and extracting it share: the walk over a showing operator's strings that
// turns codes into glyph keys, widths and advances.
//
// Advances are kept in glyph units: U per text-space unit at size 1 (1000 for outline fonts,
// 1 / FontMatrix[0] for Type 3 fonts), divided by the rasterizer's scale k. Horizontal scaling
// is applied once, when the text matrix moves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/core/matrix.h"

class TPDFFontCollectionData;
class TPDFType3Rasterizer;

struct TTextRun {
  TPDFFontCollectionData* Font = nullptr;
  TPDFType3Rasterizer* Type3 = nullptr;
  double Size = 0, Scale = 1, Units = 1000, SpaceUnits = 1000, Hz = 1;
  bool Vertical = false;
  // Extraction measures spacing by the size's magnitude.
  bool AbsoluteSize = false;
  double Tx = 0, Ty = 0;
  // The rise in glyph units: up the glyph's y axis, and along its x axis where a Type 3 font's
  // matrix is skewed.
  double Rise = 0, RiseX = 0;
  // The glyph-unit step of one unit of advance: along the glyph's x axis, or, where a Type 3
  // font's matrix tilts that axis, back through the matrix so that glyphs stay on the line.
  double AlongX = 1, AlongY = 0;
  TPDFMatrix Saved = kIdentityMatrix;  // the current matrix before the run
  // The device box the glyphs may cover, for the paint budget.
  double MinX = 1, MinY = 1, MaxX = 0, MaxY = 0;
};

// One glyph of a showing operator: where it goes (glyph units) and how far it advances.
struct TShownGlyph {
  uint32_t Code = 0;
  int64_t Cid = 0;
  std::string Key;
  double X = 0, Y = 0, Advance = 0;
};

// A shown operand as bytes: literal and hexadecimal strings decoded; false for a number.
bool ShownOperandBytes(std::string_view token, std::string& bytes);
