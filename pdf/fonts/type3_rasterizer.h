// The glyphs of a Type 3 font: its glyph procedures (CharProcs) kept as decoded text. The
// renderer runs a procedure through its own interpreter (GetCharProc); DrawGlyph is the small
// interpreter of the path operators m l c h, the fill f, cm and inline images, for callers that
// draw a glyph straight onto a canvas.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/fonts/font_rasterizer.h"

class TPDFDictionary;
class TPDFImageDecoder;

class TPDFType3Rasterizer : public TPDFFontRasterizer {
 public:
  TPDFType3Rasterizer();
  ~TPDFType3Rasterizer() override;

  // Reads FontMatrix and CharProcs; each procedure stream is decoded between the read
  // callbacks.
  void LoadFont(TPDFDictionary* font);
  bool DrawGlyph(double& x, double& y, uint8_t flag, const std::string& key, const TPDFMatrix& matrix,
                 TPDFGenericCanvas* canvas) override;
  double GetFontMatrixScale() override { return 1.0; }
  // The decoded procedure of a glyph; empty when the font has no such glyph.
  std::string GetCharProc(std::string_view name) const;
  bool HasGlyph(std::string_view name) const { return index_.find(std::string(name)) != index_.end(); }

  TPDFDictionary* Font = nullptr;
  std::vector<std::string> GlyphNames;
  std::vector<std::string> GlyphProcedures;
  TPDFMatrix FontMatrix = kIdentityMatrix;
  // Set by the renderer before drawing (the text's fill colour): the colour image masks of the
  // glyphs paint in.
  int32_t ImageContext = 0;
  TPDFDictionary* Resources = nullptr;  // the font's own, nil when it has none

 private:
  struct CachedImage {
    std::unique_ptr<TPDFImageDecoder> Decoder;
    int32_t After = 0;  // where reading goes on after the image
  };
  // Inline images by glyph name and position, so that every BI of a procedure draws its own
  // image and reading always moves forward.
  std::map<std::pair<std::string, int32_t>, CachedImage> images_;
  std::map<std::string, size_t> index_;
};
