#include "pdf/fonts/formats/vectoriser/ttf_to_vector.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"

namespace {

// An outline buffer beyond this is refused: no glyph needs a fraction of it.
constexpr DWORD kMaxOutlineBytes = 16u << 20;

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// A 16.16 value: 16-bit fraction, then the signed 16-bit integer part.
double FixedAt(const uint8_t* p) { return double(int16_t(Le16(p + 2))) + double(Le16(p)) / 65536.0; }
TPDFPoint PointAt(const uint8_t* p) { return {FixedAt(p), FixedAt(p + 4)}; }

}  // namespace

void TFontCurveCollection::AddContour(double x, double y) {
  starts_.push_back({x, y});
  segments_.emplace_back();
}

void TFontCurveCollection::AddSegment(const TFontSegment& segment) {
  if (!segments_.empty()) segments_.back().push_back(segment);
}

void TFontCurveCollection::Clear() {
  starts_.clear();
  segments_.clear();
}

TTTFToVectorConverter::TTTFToVectorConverter() : font_(std::make_unique<TFont>()) {
  font_->SetName("Arial");
  font_->SetSize(28);
}

void TTTFToVectorConverter::SetFont(const TFont& font) { font_->Assign(font); }

bool TTTFToVectorConverter::ConvertGlyph(uint16_t ch) {
  HFONT handle = font_->Handle();
  if (handle == nullptr) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return false;
  HGDIOBJ old = SelectObject(dc, handle);
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  GLYPHMETRICS gm;
  const DWORD size = GetGlyphOutlineW(dc, ch, GGO_NATIVE, &gm, 0, nullptr, &identity);
  cellIncX_ = gm.gmCellIncX;
  cellIncY_ = gm.gmCellIncY;
  std::vector<uint8_t> buffer;
  DWORD got = GDI_ERROR;
  if (size != GDI_ERROR && size != 0 && size <= kMaxOutlineBytes) {
    buffer.resize(size);
    got = GetGlyphOutlineW(dc, ch, GGO_NATIVE, &gm, size, buffer.data(), &identity);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  if (size == GDI_ERROR) return false;
  if (got != GDI_ERROR && got != 0) ParseNativeOutline(buffer.data(), std::min<size_t>(got, buffer.size()), curves_);
  return true;
}

void TTTFToVectorConverter::ParseNativeOutline(const uint8_t* data, size_t size, TFontCurveCollection& curves) {
  constexpr size_t kHeader = 16;
  if (size < kHeader || Le32(data + 4) != TT_POLYGON_TYPE) return;
  size_t pos = 0;
  while (pos + kHeader <= size) {
    const size_t cb = Le32(data + pos);
    if (cb < kHeader || cb > size - pos) return;
    const TPDFPoint start = PointAt(data + pos + 8);
    curves.AddContour(start.X, start.Y);
    TPDFPoint current = start;
    size_t rec = pos + kHeader;
    const size_t end = pos + cb;
    while (rec + 4 <= end) {
      const uint16_t type = Le16(data + rec);
      const size_t count = Le16(data + rec + 2);
      if (count * 8 > end - rec - 4) return;
      const uint8_t* pts = data + rec + 4;
      if (type == TT_PRIM_LINE) {
        for (size_t k = 0; k < count; ++k) {
          current = PointAt(pts + 8 * k);
          curves.AddSegment(TFontLine{current.X, current.Y});
        }
      } else if (type == TT_PRIM_QSPLINE) {
        for (size_t k = 0; k + 1 < count; ++k) {
          const TPDFPoint b = PointAt(pts + 8 * k);
          TPDFPoint e = PointAt(pts + 8 * (k + 1));
          if (k + 2 < count) e = {(b.X + e.X) / 2, (b.Y + e.Y) / 2};
          curves.AddSegment(TFontSpline{(current.X + 2 * b.X) / 3, (current.Y + 2 * b.Y) / 3, (e.X + 2 * b.X) / 3,
                                        (e.Y + 2 * b.Y) / 3, e.X, e.Y});
          current = e;
        }
      } else if (type == TT_PRIM_CSPLINE) {
        // Outlines of CFF faces come as cubic pieces: two control points and an end each.
        for (size_t k = 0; k + 2 < count; k += 3) {
          const TPDFPoint c1 = PointAt(pts + 8 * k), c2 = PointAt(pts + 8 * (k + 1)), e = PointAt(pts + 8 * (k + 2));
          curves.AddSegment(TFontSpline{c1.X, c1.Y, c2.X, c2.Y, e.X, e.Y});
          current = e;
        }
      }
      rec += 4 + 8 * count;
    }
    pos = end;
  }
}
