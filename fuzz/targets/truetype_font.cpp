// Fuzz entry point for the TrueType parser and rasterizer: the input is sfnt data. Every table
// is read, the first glyphs and a few from the end are read and recorded through the
// rasterizer's keys of every form, and the directory is rebased.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"
#include "pdf/render/canvas/generic_canvas.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Counts what it is given; nothing is painted.
class TCountingCanvas : public TPDFGenericCanvas {
 public:
  int64_t Calls = 0;
  void NewPath() override { ++Calls; }
  void MoveTo(double, double) override { ++Calls; }
  void LineTo(double, double) override { ++Calls; }
  void CurveTo(double, double, double, double, double, double) override { ++Calls; }
  void QuadCurveTo(double, double, double, double) override { ++Calls; }
  void ClosePath() override { ++Calls; }
  void Stroke() override {}
  void Fill() override {}
  void FillAndStroke() override {}
  void DrawImage(TGraphic&, double, double, double, double, double, double) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TPDFTrueTypeRasterizer2 rasterizer;
  rasterizer.Parser.LoadFromString(bytes);
  const TPDFTrueTypeParser& parser = rasterizer.Parser;
  const int count = parser.GlyphCount();
  Check(count >= 0 && count <= 65535);
  for (int i = 0; i < parser.CmapCount(); ++i) {
    const TTrueTypeCmap& t = parser.CmapAt(i);
    Check(t.Codes.size() == t.GlyphIds.size());
  }
  TCountingCanvas canvas;
  const TPDFMatrix m = {0.01, 0, 0, -0.01, 5, 5};
  auto draw = [&](const std::string& key) {
    double x = 1, y = 2;
    rasterizer.DrawGlyph(x, y, 0, key, m, &canvas);
  };
  for (int g = 0; g < std::min(count, 40); ++g) {
    const TTrueTypeGlyph glyph = parser.GetGlyph(g);
    Check(glyph.Flags.size() == glyph.Points.size());
    draw(GlyphKeyGID(g));
  }
  for (int g = std::max(40, count - 8); g < count; ++g) draw(GlyphKeyGID(g));
  for (const char* key : {"U+0041", "A", "space", "uni00E9", "PS:a", "CID:65", "questiondown"}) draw(key);
  rasterizer.SetSymbolic(4);
  rasterizer.ShapeCache.Clear();
  for (const char* key : {"CID:65", "GID:0", "CID:0"}) draw(key);
  TGlyphNames names;
  names[65] = std::string(1, 'A');
  TEncodingWidths widths{};
  rasterizer.SetEncodingWidths(names, widths);
  parser.GetAdvanceWidth(count);
  parser.NameIndex("a");
  parser.GetCFFTable();
  std::string copy = bytes;
  parser.RebaseTableOffsets(copy, 16);
  Check(copy.size() == bytes.size());
  return 0;
}
