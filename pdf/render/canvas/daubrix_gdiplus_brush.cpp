// Pens and brushes of the GDI+ back end: solid fills, axial gradients (ending or extending as
// the shading says) and tiling textures from a pattern, and the stroke pen with its dash,
// caps, joins and miter limit.
#include <algorithm>
#include <cmath>
#include <vector>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/image_bytes_adapter.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/numbers.h"

using namespace gdiplus;

namespace {

uint8_t Byte(double v) {
  if (!std::isfinite(v)) return 0;
  return uint8_t(RoundHalfEven(std::clamp(v, 0.0, 1.0) * 255.0));
}

ARGB Opaque(const TZRXPattern& p, int32_t i) {
  return 0xFF000000u | uint32_t(Byte(p.GetColor(i, 0))) << 16 | uint32_t(Byte(p.GetColor(i, 1))) << 8 |
         Byte(p.GetColor(i, 2));
}

}  // namespace

double TPDFDaubrix::TargetDiagonal() const {
  // Where the target's size is not known, a large page at a high resolution.
  HDC dc = TargetDC();
  std::shared_ptr<GdiBitmap> surface = dc ? GetDCBitmap(dc) : nullptr;
  if (!surface || surface->Empty()) return 20000;
  return std::hypot(double(surface->Width()), double(surface->Height()));
}

// A pattern that cannot become a brush (a tiling cell without an image, an axis of no length)
// fills nothing: the plain colour is not the pattern's.
GpBrush* TPDFDaubrix::CreateFillBrush() {
  if (fillPattern_ && fillPattern_->Kind != TZRXPattern::kUnusable) return FillWithPattern(*fillPattern_);
  GpSolidFill* solid = nullptr;
  if (gdiplus_->GdipCreateSolidFill(FillARGB(), &solid) != Ok) return nullptr;
  return reinterpret_cast<GpBrush*>(solid);
}

// A pattern brush, or null when the provider lacks what it needs or refuses the pattern.
GpBrush* TPDFDaubrix::FillWithPattern(TZRXPattern& pattern) {
  TWZRXGDIPlus& gp = *gdiplus_;
  if (pattern.Kind == TZRXPattern::kAxial) {
    const int32_t samples = pattern.ColorCount();
    if (samples < 1 || !gp.GdipCreateLineBrush) return nullptr;
    TPDFMatrix m;
    const TPDFMatrix pm = {pattern.GetMatrix(0), pattern.GetMatrix(1), pattern.GetMatrix(2),
                           pattern.GetMatrix(3), pattern.GetMatrix(4), pattern.GetMatrix(5)};
    MatrixMultiply(m, pm, matrix_);
    TPDFPoint a, b;
    MatrixTransformPoint(m, {pattern.GetCoords(0), pattern.GetCoords(1)}, a);
    MatrixTransformPoint(m, {pattern.GetCoords(2), pattern.GetCoords(3)}, b);
    // A line brush repeats beyond its line, where a shading ends: the line is drawn out past
    // the target on both sides, holding the end colour where the shading extends and
    // transparent where it does not.
    const double length = std::hypot(b.X - a.X, b.Y - a.Y);
    if (!(length > 0) || !std::isfinite(length) || !gp.GdipSetLinePresetBlend) return nullptr;
    const double reach = std::ceil(TargetDiagonal() / length) + 1;
    if (!(reach < 1e5)) return nullptr;
    const double dx = (b.X - a.X) * reach, dy = (b.Y - a.Y) * reach;
    const GpPointF p1{REAL(a.X - dx), REAL(a.Y - dy)}, p2{REAL(b.X + dx), REAL(b.Y + dy)};
    GpLineGradient* brush = nullptr;
    if (gp.GdipCreateLineBrush(&p1, &p2, Opaque(pattern, 0), Opaque(pattern, samples - 1), WrapModeTile, &brush) !=
        Ok)
      return nullptr;
    constexpr ARGB kClear = 0;
    const ARGB first = Opaque(pattern, 0), last = Opaque(pattern, samples - 1);
    std::vector<ARGB> colors;
    std::vector<REAL> positions;
    auto stop = [&](double at, ARGB c) {
      colors.push_back(c);
      positions.push_back(REAL(at));
    };
    const double whole = 2 * reach + 1;
    stop(0, pattern.GetExtend(0) ? first : kClear);
    if (!pattern.GetExtend(0)) stop(reach / whole, kClear);
    for (int32_t i = 0; i < samples; ++i)
      stop((reach + (samples > 1 ? double(i) / double(samples - 1) : 0.0)) / whole, Opaque(pattern, i));
    if (!pattern.GetExtend(1)) stop((reach + 1) / whole, kClear);
    stop(1, pattern.GetExtend(1) ? last : kClear);
    // The provider asks for positions that never fall back, from exactly 0 to exactly 1.
    for (size_t i = 1; i < positions.size(); ++i) positions[i] = std::max(positions[i], positions[i - 1]);
    positions.front() = 0, positions.back() = 1;
    gp.GdipSetLinePresetBlend(brush, colors.data(), positions.data(), int32_t(colors.size()));
    return reinterpret_cast<GpBrush*>(brush);
  }
  if (pattern.Kind == TZRXPattern::kTiling) {
    if (!gp.GdipCreateTexture2 || !gp.GdipSetTextureTransform || !gp.GdipCreateMatrix2 || !gp.GdipDeleteMatrix ||
        !gp.GdipGetImageWidth || !gp.GdipGetImageHeight)
      return nullptr;
    // The cell's pixels with their alpha (the provider copies them into the texture), or an
    // encoded image handed in.
    std::vector<uint32_t> pixels;
    GpImage* image = nullptr;
    if (!pattern.CellPixels.empty()) {
      pixels = pattern.CellARGB(fillColor_);
      GpBitmap* bitmap = nullptr;
      if (!gp.GdipCreateBitmapFromScan0 || pattern.CellWidth <= 0 || pattern.CellWidth > INT32_MAX / 4 ||
          pixels.size() != size_t(pattern.CellWidth) * size_t(std::max(pattern.CellHeight, 0)) ||
          gp.GdipCreateBitmapFromScan0(pattern.CellWidth, pattern.CellHeight, pattern.CellWidth * 4,
                                       PixelFormat32bppARGB, reinterpret_cast<uint8_t*>(pixels.data()),
                                       &bitmap) != Ok)
        return nullptr;
      image = reinterpret_cast<GpImage*>(bitmap);
    } else {
      pattern.CellImage.SetPosition(0);
      image = LoadImage(pattern.CellImage, false);
    }
    if (!image) return nullptr;
    uint32_t w = 0, h = 0;
    gp.GdipGetImageWidth(image, &w);
    gp.GdipGetImageHeight(image, &h);
    GpTexture* texture = nullptr;
    GpStatus st = gp.GdipCreateTexture2(image, WrapModeTile, 0, 0, REAL(w), REAL(h), &texture);
    gp.GdipDisposeImage(image);
    if (st != Ok || !texture) return nullptr;
    double e = pattern.GetMatrix(4), f = pattern.GetMatrix(5);
    if (TileOffset > 0) {
      e = e * matrix_[0];
      f = (f - TileOffset) * matrix_[3];
    }
    GpMatrix* transform = nullptr;
    if (gp.GdipCreateMatrix2(REAL(pattern.GetMatrix(0)), REAL(pattern.GetMatrix(1)), REAL(pattern.GetMatrix(2)),
                             REAL(pattern.GetMatrix(3)), REAL(e), REAL(f), &transform) == Ok) {
      gp.GdipSetTextureTransform(texture, transform);
      gp.GdipDeleteMatrix(transform);
    }
    if (pattern.Scale != 1.0 && gp.GdipScaleTextureTransform)
      gp.GdipScaleTextureTransform(texture, REAL(pattern.Scale), REAL(pattern.Scale), MatrixOrderPrepend);
    return reinterpret_cast<GpBrush*>(texture);
  }
  return nullptr;
}

GpPen* TPDFDaubrix::CreateStrokePen(bool dashed) {
  TWZRXGDIPlus& gp = *gdiplus_;
  // A negative or undefined width would be refused, which would leave the stroke undrawn.
  const double width = std::isfinite(lineWidth_) && lineWidth_ > 0 ? lineWidth_ : 0.0;
  GpPen* pen = nullptr;
  if (gp.GdipCreatePen1(StrokeARGB(), REAL(width), UnitPixel, &pen) != Ok) return nullptr;
  if (dashed && !dash_.empty()) {
    // GDI+ refuses an array with a zero or negative entry: each is kept at a small positive
    // length (a dash of no length is still a dot with its caps).
    std::vector<REAL> dashes(dash_.begin(), dash_.end());
    for (REAL& d : dashes) d = std::isfinite(d) ? std::max(d, kMinDashEntry) : kMinDashEntry;
    gp.GdipSetPenDashArray(pen, dashes.data(), int32_t(dashes.size()));
    gp.GdipSetPenDashOffset(pen, std::isfinite(dashPhase_) ? REAL(dashPhase_) : 0);
  }
  switch (lineJoin_) {
    case 0: gp.GdipSetPenLineJoin(pen, LineJoinMiter); break;
    case 1: gp.GdipSetPenLineJoin(pen, LineJoinRound); break;
    case 2: gp.GdipSetPenLineJoin(pen, LineJoinBevel); break;
    default: break;
  }
  static constexpr GpLineCap kCaps[3] = {LineCapFlat, LineCapRound, LineCapSquare};
  static constexpr GpDashCap kDashCaps[3] = {DashCapFlat, DashCapRound, DashCapFlat};
  if (lineCap_ >= 0 && lineCap_ <= 2) {
    gp.GdipSetPenStartCap(pen, kCaps[lineCap_]);
    gp.GdipSetPenEndCap(pen, kCaps[lineCap_]);
    gp.GdipSetPenDashCap197819(pen, kDashCaps[lineCap_]);
  }
  gp.GdipSetPenMiterLimit(pen, std::isfinite(miterLimit_) ? REAL(miterLimit_) : 10.0f);
  return pen;
}
