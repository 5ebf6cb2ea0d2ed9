// Drawing images onto a Graphics, with image attributes (colour keys, colour matrices).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "platform/gdiplus/gp_internal.h"
#include "platform/gdiplus/gp_region_clip.h"
#include "platform/gdiplus/metafile_recorder.h"

namespace gdiplus {
namespace {

double UnitsPerInch(GpUnit unit, double dpi) {
  switch (unit) {
    case UnitPoint:
      return 72;
    case UnitInch:
      return 1;
    case UnitDocument:
      return 300;
    case UnitMillimeter:
      return 25.4;
    default:
      return dpi;
  }
}

// A length in `unit` as pixels of an image of the given resolution.
double ToImagePixels(double v, GpUnit unit, double dpi) {
  switch (unit) {
    case UnitPoint:
    case UnitInch:
    case UnitDocument:
    case UnitMillimeter:
      return v * dpi / UnitsPerInch(unit, dpi);
    default:
      return v;
  }
}

bool Adjusting(const GpImageAttributes::Adjust& a) { return a.keyEnabled || a.matrixEnabled; }

uint8_t Channel(double v) { return uint8_t(std::clamp(std::lround(v * 255.0), 0L, 255L)); }

ARGB ApplyMatrix(const ColorMatrix& m, ARGB c) {
  const double in[5] = {((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0, (c & 0xff) / 255.0, (c >> 24) / 255.0, 1.0};
  double out[4];
  for (int j = 0; j < 4; ++j) {
    out[j] = 0;
    for (int i = 0; i < 5; ++i) out[j] += in[i] * m.m[i][j];
  }
  return uint32_t(Channel(out[3])) << 24 | uint32_t(Channel(out[0])) << 16 | uint32_t(Channel(out[1])) << 8 | Channel(out[2]);
}

bool InKeyRange(ARGB c, ARGB low, ARGB high) {
  for (int s = 0; s < 24; s += 8) {
    const uint32_t v = (c >> s) & 0xff;
    if (v < ((low >> s) & 0xff) || v > ((high >> s) & 0xff)) return false;
  }
  return true;
}

// One row of straight ARGB pixels with the attributes applied.
void AdjustRow(ARGB* row, int32_t w, const GpImageAttributes::Adjust& a) {
  for (int32_t i = 0; i < w; ++i) {
    ARGB c = row[i];
    if (a.keyEnabled && InKeyRange(c, a.keyLow, a.keyHigh)) {
      row[i] = 0;
      continue;
    }
    const bool grey = ((c >> 16) & 0xff) == ((c >> 8) & 0xff) && ((c >> 8) & 0xff) == (c & 0xff);
    if (a.matrixEnabled && !(grey && a.flags == ColorMatrixFlagsSkipGrays)) c = ApplyMatrix(a.matrix, c);
    row[i] = c;
  }
}

// A premultiplied copy of part of the image with the attributes applied.
SurfacePtr AdjustedSurface(const Plane& plane, int32_t x, int32_t y, int32_t w, int32_t h,
                           const GpImageAttributes::Adjust& a) {
  return PlaneToSurface(plane, x, y, w, h, [&a](ARGB* row, int32_t n) { AdjustRow(row, n, a); });
}

// A recording keeps the part of the picture that is drawn, with the attributes applied (the
// recorded image carries no colour keys or matrices of its own).
GpStatus RecordImage(GpGraphics& g, const Plane& plane, const GpPointF p[3], double sx, double sy, double sw,
                     double sh, double ux0, double uy0, double ux1, double uy1,
                     const GpImageAttributes::Adjust* adjust) {
  const int32_t x = int32_t(std::floor(ux0)), y = int32_t(std::floor(uy0));
  const int32_t w = int32_t(std::ceil(ux1)) - x, h = int32_t(std::ceil(uy1)) - y;
  std::vector<ARGB> pixels(size_t(w) * size_t(h));
  for (int32_t r = 0; r < h; ++r) {
    ARGB* row = pixels.data() + size_t(r) * size_t(w);
    plane.ReadARGB(y + r, x, w, row);
    if (adjust) AdjustRow(row, w, *adjust);
  }
  const GpRectF source{REAL(sx - x), REAL(sy - y), REAL(sw), REAL(sh)};
  g.recorder->DrawImagePoints(w, h, pixels, source, p);
  return Ok;
}

bool IsInteger(double v) { return std::floor(v) == v; }

std::pair<const uint8_t*, const uint8_t*> Span(const Plane& p) {
  const uint8_t* a = p.Row(0);
  const uint8_t* b = p.Row(p.height() - 1);
  if (a > b) std::swap(a, b);
  return {a, b + std::abs(p.stride())};
}

bool Overlap(const Plane& a, const Plane& b) {
  const auto [a0, a1] = Span(a);
  const auto [b0, b1] = Span(b);
  return std::less<const uint8_t*>()(a0, b1) && std::less<const uint8_t*>()(b0, a1);
}

// Whether every pixel of a plane is opaque by its format alone: 24-bit and 32-bit RGB, and
// indexed pictures whose palette holds every index with full alpha.
bool OpaqueByFormat(const Plane& p) {
  if (p.format() == PixelFormat24bppRGB || p.format() == PixelFormat32bppRGB) return true;
  if (!p.indexed()) return false;
  const size_t indexes = size_t(1) << (p.format() == PixelFormat1bppIndexed ? 1 : p.format() == PixelFormat4bppIndexed ? 4 : 8);
  const auto& palette = p.palette();
  return palette.size() >= indexes &&
         std::all_of(palette.begin(), palette.end(), [](ARGB c) { return (c >> 24) == 0xFF; });
}

// An opaque picture (24-bit, 32-bit RGB or with an opaque palette, a fax page for one) placed
// pixel for pixel on a 24-bit target, without a clip or inside rectangles on whole pixels (a
// form's box): what the working surface would give back is the picture itself where the clip
// lets it through, so its rows are copied (or converted) straight onto the target (no
// premultiplied copies of picture and target). False when that does not hold.
bool CopyPixelExact(GpGraphics& g, const Plane& source, const Affine& toDevice, double ux0, double uy0, double ux1,
                    double uy1) {
  Plane& target = g.target->plane();
  if (!OpaqueByFormat(source) || target.format() != PixelFormat24bppRGB) return false;
  Box clip;
  if (!PixelRectangleClip(g.state.clip, g.PixelShift(), clip)) return false;
  if (!IsInteger(ux0) || !IsInteger(uy0) || !IsInteger(ux1) || !IsInteger(uy1)) return false;
  // A picture drawn onto its own pixels goes the general way.
  if (Overlap(source, target)) return false;
  const double dx = toDevice.m[4], dy = toDevice.m[5];
  if (!(std::fabs(dx) < 1e9 && std::fabs(dy) < 1e9)) return false;
  const Box on = Box{ux0 + dx, uy0 + dy, ux1 + dx, uy1 + dy}
                     .Intersect(Box{0, 0, double(target.width()), double(target.height())})
                     .Intersect(clip);
  if (on.Empty()) return true;
  const int64_t x0 = int64_t(on.x0), x1 = int64_t(on.x1), y0 = int64_t(on.y0), y1 = int64_t(on.y1);
  if (x0 >= x1 || y0 >= y1) return true;
  const size_t bytes = size_t(x1 - x0) * 3;
  std::vector<ARGB> argb(source.format() == PixelFormat24bppRGB ? 0 : size_t(x1 - x0));
  for (int64_t y = y0; y < y1; ++y) {
    uint8_t* to = target.Row(int32_t(y)) + 3 * x0;
    if (argb.empty()) {
      std::memcpy(to, source.Row(int32_t(y - int64_t(dy))) + 3 * (x0 - int64_t(dx)), bytes);
      continue;
    }
    source.ReadARGB(int32_t(y - int64_t(dy)), int32_t(x0 - int64_t(dx)), int32_t(x1 - x0), argb.data());
    for (const ARGB c : argb) {
      *to++ = uint8_t(c);
      *to++ = uint8_t(c >> 8);
      *to++ = uint8_t(c >> 16);
    }
  }
  g.target->Modified();
  return true;
}

// Draws the source rectangle (sx, sy, sw, sh) of the image, in pixels, onto the parallelogram
// whose upper-left, upper-right and lower-left corners are p[0], p[1], p[2] (world units).
GpStatus DrawImageCore(GpGraphics& g, GpImage& image, const GpPointF p[3], double sx, double sy, double sw, double sh,
                       const GpImageAttributes* attributes, DrawImageAbort abort, void* abortData) {
  if (image.type != ImageTypeBitmap) return NotImplemented;
  if (image.lock.locked) return ObjectBusy;
  ImageData& data = *image.data;
  const Plane& plane = data.plane;
  if (plane.empty()) return InvalidParameter;
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(p[i].X) || !std::isfinite(p[i].Y)) return InvalidParameter;
  if (!std::isfinite(sx) || !std::isfinite(sy) || !std::isfinite(sw) || !std::isfinite(sh) || sw == 0 || sh == 0)
    return InvalidParameter;
  if (abort && abort(abortData)) return Aborted;

  Affine toWorld;
  toWorld.m[0] = (double(p[1].X) - p[0].X) / sw;
  toWorld.m[1] = (double(p[1].Y) - p[0].Y) / sw;
  toWorld.m[2] = (double(p[2].X) - p[0].X) / sh;
  toWorld.m[3] = (double(p[2].Y) - p[0].Y) / sh;
  toWorld.m[4] = p[0].X - sx * toWorld.m[0] - sy * toWorld.m[2];
  toWorld.m[5] = p[0].Y - sx * toWorld.m[1] - sy * toWorld.m[3];
  Affine toDevice = Then(toWorld, g.WorldToDevice());
  // Pixel for pixel onto whole device pixels: a plain copy, whatever the quality modes say.
  const bool exact = toDevice.m[0] == 1 && toDevice.m[1] == 0 && toDevice.m[2] == 0 && toDevice.m[3] == 1 &&
                     IsInteger(toDevice.m[4]) && IsInteger(toDevice.m[5]);
  if (!exact) {
    const double shift = g.PixelShift();
    toDevice = Then(toDevice, Affine::Translation(shift, shift));
  }
  Affine toImage = toDevice;
  if (!toImage.Invert()) return Ok;  // squeezed flat: nothing to draw

  // The part of the source rectangle that lies on the image.
  const double ux0 = std::max(0.0, std::min(sx, sx + sw)), ux1 = std::min(double(plane.width()), std::max(sx, sx + sw));
  const double uy0 = std::max(0.0, std::min(sy, sy + sh)), uy1 = std::min(double(plane.height()), std::max(sy, sy + sh));
  if (!(ux1 > ux0) || !(uy1 > uy0)) return Ok;

  const GpImageAttributes::Adjust* adjust = attributes ? &attributes->ForBitmaps() : nullptr;
  const bool adjusting = adjust && Adjusting(*adjust);
  if (g.recorder) return RecordImage(g, plane, p, sx, sy, sw, sh, ux0, uy0, ux1, uy1, adjusting ? adjust : nullptr);
  if (exact && !adjusting && CopyPixelExact(g, plane, toDevice, ux0, uy0, ux1, uy1))
    return Ok;
  SurfacePtr adjusted;
  cairo_surface_t* source = nullptr;
  int32_t originX = 0, originY = 0;
  if (adjusting) {
    originX = int32_t(std::floor(ux0));
    originY = int32_t(std::floor(uy0));
    const int32_t w = int32_t(std::ceil(ux1)) - originX, h = int32_t(std::ceil(uy1)) - originY;
    adjusted = AdjustedSurface(plane, originX, originY, w, h, *adjust);
    source = adjusted.get();
  } else {
    source = data.Surface();
  }
  if (!source) return OutOfMemory;

  double corners[4][2] = {{ux0, uy0}, {ux1, uy0}, {ux1, uy1}, {ux0, uy1}};
  Box b{1, 1, 0, 0};
  for (auto& c : corners) {
    toDevice.ApplyD(c[0], c[1]);
    b = b.x0 > b.x1 ? Box{c[0], c[1], c[0], c[1]}
                    : Box{std::min(b.x0, c[0]), std::min(b.y0, c[1]), std::max(b.x1, c[0]), std::max(b.y1, c[1])};
  }
  b = Box{b.x0 - 1, b.y0 - 1, b.x1 + 1, b.y1 + 1};
  const cairo_filter_t filter = exact ? CAIRO_FILTER_NEAREST : FilterFor(g.state.interpolation);
  const cairo_matrix_t patternMatrix = Then(toImage, Affine::Translation(-originX, -originY)).ToCairo();
  return PaintDevice(g, b, [&](cairo_t* cr) {
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    cairo_pattern_set_matrix(pattern, &patternMatrix);
    cairo_pattern_set_filter(pattern, filter);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
    cairo_set_operator(cr, g.state.compositing == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_antialias(cr, exact || !g.Antialias() ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
    cairo_new_path(cr);
    cairo_move_to(cr, corners[0][0], corners[0][1]);
    for (int i = 1; i < 4; ++i) cairo_line_to(cr, corners[i][0], corners[i][1]);
    cairo_close_path(cr);
    cairo_fill(cr);
  });
}

// The size an image has on the page when drawn without a size: its physical size.
void PhysicalSize(const GpGraphics& g, const ImageData& d, double pixelsW, double pixelsH, double& w, double& h) {
  w = pixelsW / d.dpiX * UnitsPerInch(g.state.pageUnit, g.target->dpiX());
  h = pixelsH / d.dpiY * UnitsPerInch(g.state.pageUnit, g.target->dpiY());
}

GpStatus DrawRect(GpGraphics* g, GpImage* image, double x, double y, double w, double h, double sx, double sy,
                  double sw, double sh, const GpImageAttributes* attributes, DrawImageAbort abort, void* data) {
  const GpPointF p[3] = {{REAL(x), REAL(y)}, {REAL(x + w), REAL(y)}, {REAL(x), REAL(y + h)}};
  return DrawImageCore(*g, *image, p, sx, sy, sw, sh, attributes, abort, data);
}

}  // namespace

const GpImageAttributes::Adjust& GpImageAttributes::ForBitmaps() const {
  return Adjusting(byType[ColorAdjustTypeBitmap]) ? byType[ColorAdjustTypeBitmap] : byType[ColorAdjustTypeDefault];
}

extern "C" {

GpStatus GdipDrawImageI(GpGraphics* g, GpImage* image, int32_t x, int32_t y) {
  if (!g || !image) return InvalidParameter;
  return Guarded([&] {
    const Plane& p = image->data->plane;
    double w, h;
    PhysicalSize(*g, *image->data, p.width(), p.height(), w, h);
    return DrawRect(g, image, x, y, w, h, 0, 0, p.width(), p.height(), nullptr, nullptr, nullptr);
  });
}

GpStatus GdipDrawImageRect(GpGraphics* g, GpImage* image, REAL x, REAL y, REAL width, REAL height) {
  if (!g || !image) return InvalidParameter;
  return Guarded([&] {
    const Plane& p = image->data->plane;
    return DrawRect(g, image, x, y, width, height, 0, 0, p.width(), p.height(), nullptr, nullptr, nullptr);
  });
}

GpStatus GdipDrawImageRectI(GpGraphics* g, GpImage* image, int32_t x, int32_t y, int32_t width, int32_t height) {
  return GdipDrawImageRect(g, image, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipDrawImagePoints(GpGraphics* g, GpImage* image, const GpPointF* points, int32_t count) {
  if (!g || !image || !points) return InvalidParameter;
  if (count == 4) return NotImplemented;
  if (count != 3) return InvalidParameter;
  return Guarded([&] {
    const Plane& p = image->data->plane;
    return DrawImageCore(*g, *image, points, 0, 0, p.width(), p.height(), nullptr, nullptr, nullptr);
  });
}

GpStatus GdipDrawImagePointRectI(GpGraphics* g, GpImage* image, int32_t x, int32_t y, int32_t srcx, int32_t srcy,
                                 int32_t srcwidth, int32_t srcheight, GpUnit srcUnit) {
  if (!g || !image || srcUnit < UnitWorld || srcUnit > UnitMillimeter) return InvalidParameter;
  return Guarded([&] {
    const ImageData& d = *image->data;
    const double sx = ToImagePixels(srcx, srcUnit, d.dpiX), sy = ToImagePixels(srcy, srcUnit, d.dpiY);
    const double sw = ToImagePixels(srcwidth, srcUnit, d.dpiX), sh = ToImagePixels(srcheight, srcUnit, d.dpiY);
    double w, h;
    PhysicalSize(*g, d, sw, sh, w, h);
    return DrawRect(g, image, x, y, w, h, sx, sy, sw, sh, nullptr, nullptr, nullptr);
  });
}

GpStatus GdipDrawImagePointsRect(GpGraphics* g, GpImage* image, const GpPointF* points, int32_t count, REAL srcx,
                                 REAL srcy, REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                                 const GpImageAttributes* attributes, DrawImageAbort callback, void* callbackData) {
  if (!g || !image || !points || srcUnit < UnitWorld || srcUnit > UnitMillimeter) return InvalidParameter;
  if (count == 4) return NotImplemented;
  if (count != 3) return InvalidParameter;
  return Guarded([&] {
    const ImageData& d = *image->data;
    return DrawImageCore(*g, *image, points, ToImagePixels(srcx, srcUnit, d.dpiX), ToImagePixels(srcy, srcUnit, d.dpiY),
                         ToImagePixels(srcwidth, srcUnit, d.dpiX), ToImagePixels(srcheight, srcUnit, d.dpiY),
                         attributes, callback, callbackData);
  });
}

GpStatus GdipDrawImageRectRect(GpGraphics* g, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth, REAL dstheight,
                               REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                               const GpImageAttributes* attributes, DrawImageAbort callback, void* callbackData) {
  if (!g || !image || srcUnit < UnitWorld || srcUnit > UnitMillimeter) return InvalidParameter;
  return Guarded([&] {
    const ImageData& d = *image->data;
    return DrawRect(g, image, dstx, dsty, dstwidth, dstheight, ToImagePixels(srcx, srcUnit, d.dpiX),
                    ToImagePixels(srcy, srcUnit, d.dpiY), ToImagePixels(srcwidth, srcUnit, d.dpiX),
                    ToImagePixels(srcheight, srcUnit, d.dpiY), attributes, callback, callbackData);
  });
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes) {
  if (!attributes) return InvalidParameter;
  return Guarded([&] {
    *attributes = new GpImageAttributes;
    return Ok;
  });
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes) {
  if (!attributes) return InvalidParameter;
  delete attributes;
  return Ok;
}

GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, GpBOOL enable, ARGB low,
                                         ARGB high) {
  if (!attributes || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount) return InvalidParameter;
  auto& a = attributes->byType[type];
  a.keyEnabled = enable != 0;
  a.keyLow = low;
  a.keyHigh = high;
  return Ok;
}

GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, GpBOOL enable,
                                           const ColorMatrix* colorMatrix, const ColorMatrix* grayMatrix,
                                           ColorMatrixFlags flags) {
  if (!attributes || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount) return InvalidParameter;
  if (flags < ColorMatrixFlagsDefault || flags > ColorMatrixFlagsAltGray) return InvalidParameter;
  if (enable && !colorMatrix) return InvalidParameter;
  auto& a = attributes->byType[type];
  a.matrixEnabled = enable != 0;
  if (colorMatrix) a.matrix = *colorMatrix;
  a.flags = flags;
  (void)grayMatrix;  // grey pixels are either skipped or treated like the others
  return Ok;
}

}  // extern "C"
}  // namespace gdiplus
