// Pens and brushes: solid, line-gradient and texture.
#include <cmath>

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {
namespace {

bool FiniteF(REAL v) { return std::isfinite(v); }

bool ValidCap(GpLineCap cap) {
  switch (cap) {
    case LineCapFlat:
    case LineCapSquare:
    case LineCapRound:
    case LineCapTriangle:
    case LineCapNoAnchor:
    case LineCapSquareAnchor:
    case LineCapRoundAnchor:
    case LineCapDiamondAnchor:
    case LineCapArrowAnchor:
    case LineCapCustom:
      return true;
  }
  return false;
}

void AddStop(cairo_pattern_t* p, double offset, ARGB c) {
  cairo_pattern_add_color_stop_rgba(p, offset, ((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0,
                                    (c & 0xff) / 255.0, (c >> 24) / 255.0);
}

// A tile holding the picture and its mirror images, for the wrap modes that flip along
// one axis only (cairo reflects along both).
SurfacePtr MirroredTile(cairo_surface_t* src, int32_t w, int32_t h, bool flipX, bool flipY) {
  const int32_t tw = flipX ? w * 2 : w, th = flipY ? h * 2 : h;
  SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, tw, th));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  CairoPtr cr(cairo_create(s.get()));
  for (int iy = 0; iy < (flipY ? 2 : 1); ++iy) {
    for (int ix = 0; ix < (flipX ? 2 : 1); ++ix) {
      cairo_save(cr.get());
      cairo_translate(cr.get(), ix ? 2.0 * w : 0, iy ? 2.0 * h : 0);
      cairo_scale(cr.get(), ix ? -1 : 1, iy ? -1 : 1);
      cairo_set_source_surface(cr.get(), src, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_NEAREST);
      cairo_paint(cr.get());
      cairo_restore(cr.get());
    }
  }
  return s;
}

}  // namespace

cairo_filter_t FilterFor(InterpolationMode mode) {
  switch (mode) {
    case InterpolationModeNearestNeighbor:
      return CAIRO_FILTER_NEAREST;
    case InterpolationModeHighQuality:
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBilinear:
    case InterpolationModeHighQualityBicubic:
      return CAIRO_FILTER_GOOD;
    default:
      return CAIRO_FILTER_BILINEAR;
  }
}

bool SetBrushSource(cairo_t* cr, const GpBrush& brush, const Affine& worldToDevice, cairo_filter_t filter) {
  switch (brush.kind) {
    case BrushKind::Solid: {
      const ARGB c = static_cast<const GpSolidFill&>(brush).color;
      cairo_set_source_rgba(cr, ((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0, (c & 0xff) / 255.0,
                            (c >> 24) / 255.0);
      return true;
    }
    case BrushKind::LineGradient: {
      const auto& b = static_cast<const GpLineGradient&>(brush);
      Affine toPattern = Then(b.transform, worldToDevice);
      if (!toPattern.Invert()) return false;
      cairo_pattern_t* p = cairo_pattern_create_linear(b.p1.X, b.p1.Y, b.p2.X, b.p2.Y);
      for (size_t i = 0; i < b.colors.size() && i < b.positions.size(); ++i) AddStop(p, b.positions[i], b.colors[i]);
      cairo_pattern_set_extend(p, b.wrap == WrapModeTile ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_REFLECT);
      const cairo_matrix_t m = toPattern.ToCairo();
      cairo_pattern_set_matrix(p, &m);
      cairo_set_source(cr, p);
      cairo_pattern_destroy(p);
      return true;
    }
    case BrushKind::Texture: {
      const auto& b = static_cast<const GpTexture&>(brush);
      Affine toPattern = Then(b.transform, worldToDevice);
      if (!b.tile || !toPattern.Invert()) return false;
      cairo_pattern_t* p = cairo_pattern_create_for_surface(b.tile.get());
      cairo_pattern_set_extend(p, b.wrap == WrapModeClamp       ? CAIRO_EXTEND_NONE
                                  : b.wrap == WrapModeTileFlipXY ? CAIRO_EXTEND_REFLECT
                                                                 : CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(p, filter);
      const cairo_matrix_t m = toPattern.ToCairo();
      cairo_pattern_set_matrix(p, &m);
      cairo_set_source(cr, p);
      cairo_pattern_destroy(p);
      return true;
    }
  }
  return false;
}

extern "C" {

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  if (!brush) return InvalidParameter;
  return Guarded([&] {
    auto* b = new GpSolidFill;
    b->color = color;
    *brush = b;
    return Ok;
  });
}

GpStatus GdipCreateLineBrush(const GpPointF* p1, const GpPointF* p2, ARGB c1, ARGB c2, GpWrapMode wrap,
                             GpLineGradient** brush) {
  if (!p1 || !p2 || !brush) return InvalidParameter;
  if (wrap < WrapModeTile || wrap > WrapModeTileFlipXY) return InvalidParameter;  // clamp is not for lines
  if (!FiniteF(p1->X) || !FiniteF(p1->Y) || !FiniteF(p2->X) || !FiniteF(p2->Y)) return InvalidParameter;
  if (p1->X == p2->X && p1->Y == p2->Y) return OutOfMemory;  // the platform's answer for a zero-length line
  return Guarded([&] {
    auto* b = new GpLineGradient;
    b->kind = BrushKind::LineGradient;
    b->p1 = *p1;
    b->p2 = *p2;
    b->colors = {c1, c2};
    b->positions = {0.0f, 1.0f};
    b->wrap = wrap;
    *brush = b;
    return Ok;
  });
}

GpStatus GdipSetLinePresetBlend(GpLineGradient* brush, const ARGB* colors, const REAL* positions, int32_t count) {
  if (!brush || !colors || !positions || count < 2 || brush->kind != BrushKind::LineGradient) return InvalidParameter;
  if (positions[0] != 0.0f || positions[count - 1] != 1.0f) return InvalidParameter;
  for (int32_t i = 1; i < count; ++i)
    if (!FiniteF(positions[i]) || positions[i] < positions[i - 1]) return InvalidParameter;
  return Guarded([&] {
    brush->colors.assign(colors, colors + count);
    brush->positions.assign(positions, positions + count);
    return Ok;
  });
}

GpStatus GdipSetLineTransform(GpLineGradient* brush, const GpMatrix* matrix) {
  if (!brush || !matrix || brush->kind != BrushKind::LineGradient || !matrix->a.IsInvertible()) return InvalidParameter;
  brush->transform = matrix->a;
  return Ok;
}

GpStatus GdipCreateTexture2(GpImage* image, GpWrapMode wrap, REAL x, REAL y, REAL width, REAL height,
                            GpTexture** texture) {
  if (!image || !texture || wrap < WrapModeTile || wrap > WrapModeClamp) return InvalidParameter;
  if (image->type != ImageTypeBitmap || image->data->plane.empty()) return InvalidParameter;
  const Plane& plane = image->data->plane;
  if (!FiniteF(x) || !FiniteF(y) || !FiniteF(width) || !FiniteF(height)) return InvalidParameter;
  const int32_t ix = int32_t(std::lround(x)), iy = int32_t(std::lround(y));
  const int32_t iw = int32_t(std::lround(width)), ih = int32_t(std::lround(height));
  if (ix < 0 || iy < 0 || iw <= 0 || ih <= 0 || int64_t(ix) + iw > plane.width() || int64_t(iy) + ih > plane.height())
    return OutOfMemory;  // the platform's answer for a rectangle outside the picture
  return Guarded([&] {
    SurfacePtr tile = PlaneToSurface(plane, ix, iy, iw, ih);
    if (!tile) return OutOfMemory;
    if (wrap == WrapModeTileFlipX || wrap == WrapModeTileFlipY) {
      tile = MirroredTile(tile.get(), iw, ih, wrap == WrapModeTileFlipX, wrap == WrapModeTileFlipY);
      if (!tile) return OutOfMemory;
    }
    auto* b = new GpTexture;
    b->kind = BrushKind::Texture;
    b->tile = std::move(tile);
    b->width = iw;
    b->height = ih;
    b->wrap = wrap;
    *texture = b;
    return Ok;
  });
}

GpStatus GdipSetTextureTransform(GpTexture* brush, const GpMatrix* matrix) {
  if (!brush || !matrix || brush->kind != BrushKind::Texture || !matrix->a.IsInvertible()) return InvalidParameter;
  brush->transform = matrix->a;
  return Ok;
}

GpStatus GdipScaleTextureTransform(GpTexture* brush, REAL sx, REAL sy, GpMatrixOrder order) {
  if (!brush || brush->kind != BrushKind::Texture) return InvalidParameter;
  if (order != MatrixOrderPrepend && order != MatrixOrderAppend) return InvalidParameter;
  const Affine s = Affine::Scale(sx, sy);
  brush->transform = order == MatrixOrderPrepend ? Then(s, brush->transform) : Then(brush->transform, s);
  return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  if (!brush) return InvalidParameter;
  delete brush;
  return Ok;
}

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen) {
  if (!pen || !FiniteF(width) || width < 0) return InvalidParameter;
  if (unit < UnitWorld || unit > UnitMillimeter || unit == UnitDisplay) return InvalidParameter;
  return Guarded([&] {
    auto* p = new GpPen;
    p->color = color;
    p->width = width;
    p->unit = unit;
    *pen = p;
    return Ok;
  });
}

GpStatus GdipDeletePen(GpPen* pen) {
  if (!pen) return InvalidParameter;
  delete pen;
  return Ok;
}

GpStatus GdipSetPenDashArray(GpPen* pen, const REAL* dashes, int32_t count) {
  if (!pen || !dashes || count <= 0) return InvalidParameter;
  for (int32_t i = 0; i < count; ++i)
    if (!FiniteF(dashes[i]) || dashes[i] <= 0) return InvalidParameter;
  return Guarded([&] {
    pen->dashes.assign(dashes, dashes + count);
    return Ok;
  });
}

GpStatus GdipSetPenDashOffset(GpPen* pen, REAL offset) {
  if (!pen || !FiniteF(offset)) return InvalidParameter;
  pen->dashOffset = offset;
  return Ok;
}

GpStatus GdipSetPenLineJoin(GpPen* pen, GpLineJoin join) {
  if (!pen || join < LineJoinMiter || join > LineJoinMiterClipped) return InvalidParameter;
  pen->join = join;
  return Ok;
}

GpStatus GdipSetPenStartCap(GpPen* pen, GpLineCap cap) {
  if (!pen || !ValidCap(cap)) return InvalidParameter;
  pen->startCap = cap;
  return Ok;
}

GpStatus GdipSetPenEndCap(GpPen* pen, GpLineCap cap) {
  if (!pen || !ValidCap(cap)) return InvalidParameter;
  pen->endCap = cap;
  return Ok;
}

GpStatus GdipSetPenMiterLimit(GpPen* pen, REAL limit) {
  if (!pen || !FiniteF(limit)) return InvalidParameter;
  pen->miterLimit = limit < 1 ? 1 : limit;
  return Ok;
}

GpStatus GdipSetPenDashCap197819(GpPen* pen, GpDashCap cap) {
  if (!pen || (cap != DashCapFlat && cap != DashCapRound && cap != DashCapTriangle)) return InvalidParameter;
  pen->dashCap = cap;
  return Ok;
}

GpStatus GdipSetPenTransform(GpPen* pen, GpMatrix* matrix) {
  if (!pen || !matrix || !matrix->a.IsInvertible()) return InvalidParameter;
  pen->transform = matrix->a;
  return Ok;
}

}  // extern "C"
}  // namespace gdiplus
