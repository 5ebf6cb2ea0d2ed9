// The glyph rasterizer of installed faces drawn through GDI glyph outlines: the substitutes of
// fonts that embed no program (the CJK substitutes among them). Outlines are asked for at a
// size that makes one pixel 1/1000 em and drawn straight onto the canvas; nothing is cached.
#pragma once

#include <memory>
#include <string>

#include "pdf/fonts/font_rasterizer.h"

class TBitmap;
class TFont;

class TPDFSimpleTrueTypeRasterizer : public TPDFFontRasterizer {
 public:
  TPDFSimpleTrueTypeRasterizer();
  ~TPDFSimpleTrueTypeRasterizer() override;

  // The glyph of the character whose number follows "CID:" or "GID:" (any other key: character
  // 0), offset by (x, y) and mapped through matrix. True when the face has an outline for it.
  bool DrawGlyph(double& x, double& y, uint8_t flag, const std::string& key, const TPDFMatrix& matrix,
                 TPDFGenericCanvas* canvas) override;
  double GetFontMatrixScale() override { return 1.0; }

  // The face: the collection sets its name, style and character set.
  TFont& GetFont();
  // The point size at which one pixel of the outline is 1/1000 em.
  int OutlineFontSize() const;

  // A 10 x 10 24-bit bitmap whose canvas font names the face.
  std::unique_ptr<TBitmap> WorkBitmap;
  // The screen's horizontal resolution, taken at creation.
  int ScreenDPI = 0;
};
