// Native glyph outlines of an installed font, read through GetGlyphOutlineW and turned into
// contours of straight and cubic segments in double precision. The GDI glyph rasterizer draws
// substituted fonts with it; the font resource writer builds Type 3 glyph procedures from it.
//
// Coordinates are the font's device units at its size, y upwards as the outline gives them.
// Quadratic pieces are stored as the equivalent cubic segment.
#pragma once

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "pdf/core/matrix.h"
#include "platform/gdi/canvas.h"

// A straight segment from the current point to (X, Y).
struct TFontLine {
  double X = 0;
  double Y = 0;
};

// A cubic segment from the current point over the control points (X1, Y1) and (X2, Y2) to the
// end point (X3, Y3).
struct TFontSpline {
  double X1 = 0, Y1 = 0;
  double X2 = 0, Y2 = 0;
  double X3 = 0, Y3 = 0;
};

using TFontSegment = std::variant<TFontLine, TFontSpline>;

// Contours in order: each a start point and its segments. A contour is closed implicitly: no
// segment leads back to its start.
class TFontCurveCollection {
 public:
  void AddContour(double x, double y);
  // Appends to the last contour; ignored when there is none.
  void AddSegment(const TFontSegment& segment);
  void Clear();

  int ContourCount() const { return static_cast<int>(starts_.size()); }
  const TPDFPoint& StartPoint(int contour) const { return starts_[size_t(contour)]; }
  const std::vector<TFontSegment>& Segments(int contour) const { return segments_[size_t(contour)]; }

 private:
  std::vector<TPDFPoint> starts_;
  std::vector<std::vector<TFontSegment>> segments_;
};

class TTTFToVectorConverter {
 public:
  // Its own font: "Arial", size 28; an empty curve collection.
  TTTFToVectorConverter();
  virtual ~TTTFToVectorConverter() = default;
  TTTFToVectorConverter(const TTTFToVectorConverter&) = delete;
  TTTFToVectorConverter& operator=(const TTTFToVectorConverter&) = delete;

  // Copies the given font's attributes into the converter's font.
  virtual void SetFont(const TFont& font);
  TFont& Font() { return *font_; }

  // Appends the character's contours to the collection and records the cell increments.
  // Nothing is appended when the font has no handle or the character has no outline. True when
  // the face answered for the character (a blank glyph answers with no contours).
  bool ConvertGlyph(uint16_t ch);

  TFontCurveCollection& Curves() { return curves_; }
  const TFontCurveCollection& Curves() const { return curves_; }
  // Of the last converted glyph, in device units.
  int16_t CellIncX() const { return cellIncX_; }
  int16_t CellIncY() const { return cellIncY_; }

  // Walks a GGO_NATIVE outline buffer into the collection (public for tests). Records that
  // run past their polygon or the buffer end the walk; a buffer whose first polygon is of
  // another type adds nothing.
  static void ParseNativeOutline(const uint8_t* data, size_t size, TFontCurveCollection& curves);

 private:
  std::unique_ptr<TFont> font_;
  TFontCurveCollection curves_;
  int16_t cellIncX_ = 0;
  int16_t cellIncY_ = 0;
};
