#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"

#include "pdf/fonts/formats/truetype/truetype_outline.h"
#include "pdf/render/canvas/generic_canvas.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/font_data.h"

namespace {

// GetFontData's table argument holds the tag's bytes in memory order.
constexpr DWORD kCollectionTag = 0x66637474;  // "ttcf"

}  // namespace

TPDFTrueTypeRasterizer2::TPDFTrueTypeRasterizer2() : WorkBitmap(std::make_unique<TBitmap>()) {
  WorkBitmap->SetPixelFormat(pf24bit);
  WorkBitmap->SetSize(10, 10);
}

TPDFTrueTypeRasterizer2::~TPDFTrueTypeRasterizer2() = default;

TFont& TPDFTrueTypeRasterizer2::GetFont() { return WorkBitmap->Canvas().Font(); }

void TPDFTrueTypeRasterizer2::LoadSystemFontData() {
  HDC dc = WorkBitmap->Canvas().Handle();
  DWORD collectionSize = GetFontData(dc, kCollectionTag, 0, nullptr, 0);
  DWORD fontSize = GetFontData(dc, 0, 0, nullptr, 0);
  if (fontSize != GDI_ERROR && fontSize > kMaxSystemFontSize) {
    GetFont().SetName("Arial");
    dc = WorkBitmap->Canvas().Handle();
    fontSize = GetFontData(dc, 0, 0, nullptr, 0);
    collectionSize = 0;
  }
  FontData.clear();
  Parser.OffsetDelta = 0;
  if (fontSize != GDI_ERROR && fontSize > 0 && fontSize < kMaxSystemFontSize) {
    // A face of a collection file comes from its own table directory on, while its table
    // offsets still count from the collection's start.
    if (collectionSize != 0 && collectionSize != GDI_ERROR && collectionSize > fontSize) {
      Parser.OffsetDelta = int32_t(collectionSize - fontSize);
    }
    FontData.resize(fontSize);
    const DWORD got = GetFontData(dc, 0, 0, FontData.data(), fontSize);
    FontData.resize(got == GDI_ERROR ? 0 : std::min<size_t>(got, fontSize));
  }
  Parser.LoadFromString(FontData);
  HasCFF = Parser.GetCFFTable() != 0 && !FontData.empty();
  if (!HasCFF) FontData.clear();
}

void TPDFTrueTypeRasterizer2::SetEncodingWidths(const TGlyphNames& names, TEncodingWidths& widths) const {
  for (size_t code = 0; code < names.size(); ++code) {
    const int glyph = Parser.NameIndex(names[code]);
    if (glyph >= 0) widths[code] = Parser.GetAdvanceWidth(glyph);
  }
}

bool TPDFTrueTypeRasterizer2::DrawGlyph(double& x, double& y, uint8_t /*flag*/, const std::string& key,
                                        const TPDFMatrix& matrix, TPDFGenericCanvas* canvas) {
  if (Parser.GlyphCount() <= 0) return false;
  const TPDFCachedGlyph* glyph = ShapeCache.Find(key);
  if (glyph == nullptr) {
    TPDFCachedGlyph& entry = ShapeCache.Add(key);
    const int index = FindGlyph(key);
    if (index > 0 && index < Parser.GlyphCount()) {
      // A head without a usable unit size counts as the default one.
      const uint16_t unitsPerEm = Parser.GetHead().UnitsPerEm != 0 ? Parser.GetHead().UnitsPerEm : 2048;
      const double scale = 1000.0 / unitsPerEm;
      RecordTrueTypeGlyph(Parser, index, {scale, 0, 0, scale, 0, 0}, *entry.Shape);
      entry.Found = true;
    }
    glyph = &entry;
  }
  DrawGlyphShape(*glyph->Shape, x, y, matrix, canvas);
  // A font with glyphs answers true for every key, also one it has no glyph for (that key
  // draws nothing).
  return true;
}
