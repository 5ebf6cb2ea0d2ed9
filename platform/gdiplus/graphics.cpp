// Graphics objects: creation on a device context or an image, state, clipping, and the paint
// step that every drawing operation goes through.
#include <algorithm>
#include <cmath>

#include "platform/gdiplus/gp_internal.h"
#include "platform/gdiplus/gp_region_clip.h"
#include "platform/gdiplus/metafile_recorder.h"

namespace gdiplus {
namespace {

// Pixels of a device context, lent by the host until the Graphics is deleted.
class DeviceTarget : public PixelTarget {
 public:
  explicit DeviceTarget(const GpRawSurface& s) : surface_(s) {
    const PixelFormat f = s.bitsPerPixel == 24 ? PixelFormat24bppRGB : s.hasAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB;
    plane_.Borrow(s.scan0, s.stride, s.width, s.height, f);
  }
  ~DeviceTarget() override {
    if (surface_.release) surface_.release(surface_.context, modified_ ? 1 : 0);
  }
  Plane& plane() override { return plane_; }
  void Modified() override { modified_ = true; }
  float dpiX() const override { return surface_.dpiX > 0 ? surface_.dpiX : 96; }
  float dpiY() const override { return surface_.dpiY > 0 ? surface_.dpiY : 96; }

 private:
  GpRawSurface surface_;
  Plane plane_;
  bool modified_ = false;
};

// The pixels of a bitmap, kept alive while the Graphics draws on them.
class ImageTarget : public PixelTarget {
 public:
  explicit ImageTarget(std::shared_ptr<ImageData> data) : data_(std::move(data)) {}
  Plane& plane() override { return data_->plane; }
  void Modified() override { ++data_->generation; }
  float dpiX() const override { return data_->dpiX; }
  float dpiY() const override { return data_->dpiY; }

 private:
  std::shared_ptr<ImageData> data_;
};

bool ValidSurface(const GpRawSurface& s) {
  if (!s.scan0 || s.width <= 0 || s.height <= 0) return false;
  if (s.bitsPerPixel != 24 && s.bitsPerPixel != 32) return false;
  const int64_t rowBytes = int64_t(s.width) * (s.bitsPerPixel / 8);
  return std::llabs(int64_t(s.stride)) >= rowBytes && uint64_t(s.width) * uint64_t(s.height) <= kMaxPixels;
}

void StoreBack(cairo_surface_t* work, Plane& plane, const ClipArea& a) {
  cairo_surface_flush(work);
  const uint8_t* data = cairo_image_surface_get_data(work);
  const int stride = cairo_image_surface_get_stride(work);
  std::vector<ARGB> row(static_cast<size_t>(a.w));
  for (int32_t r = 0; r < a.h; ++r) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(data + size_t(r) * size_t(stride));
    if (plane.format() == PixelFormat24bppRGB) {
      uint8_t* p = plane.Row(a.y + r) + size_t(a.x) * 3;
      for (int32_t i = 0; i < a.w; ++i, p += 3) {
        const uint32_t v = (src[i] >> 24) == 255 ? src[i] : Unpremultiply(src[i]);
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
        p[2] = uint8_t(v >> 16);
      }
      continue;
    }
    for (int32_t i = 0; i < a.w; ++i) row[size_t(i)] = Unpremultiply(src[i]);
    plane.WriteARGB(a.y + r, a.x, a.w, row.data());
  }
}

bool ValidSmoothing(SmoothingMode m) { return m >= SmoothingModeDefault && m <= SmoothingModeAntiAlias8x8; }

}  // namespace

double UnitScale(GpUnit unit, double dpi) {
  switch (unit) {
    case UnitPoint:
      return dpi / 72.0;
    case UnitInch:
      return dpi;
    case UnitDocument:
      return dpi / 300.0;
    case UnitMillimeter:
      return dpi / 25.4;
    default:
      return 1.0;
  }
}

std::unique_ptr<GpGraphics> NewGraphics(std::unique_ptr<PixelTarget> target) {
  auto g = std::make_unique<GpGraphics>();
  g->target = std::move(target);
  g->state.clip = MakeInfiniteRegion();
  g->state.smoothing = SmoothingModeDefault;
  g->state.pixelOffset = PixelOffsetModeDefault;
  g->state.interpolation = InterpolationModeDefault;
  return g;
}

Affine GpGraphics::WorldToDevice() const {
  const double sx = UnitScale(state.pageUnit, target->dpiX()), sy = UnitScale(state.pageUnit, target->dpiY());
  return Then(state.world, Affine::Scale(sx, sy));
}

bool GpGraphics::Antialias() const {
  return state.smoothing == SmoothingModeAntiAlias || state.smoothing == SmoothingModeHighQuality ||
         state.smoothing == SmoothingModeAntiAlias8x8;
}

double GpGraphics::PixelShift() const {
  return (state.pixelOffset == PixelOffsetModeHalf || state.pixelOffset == PixelOffsetModeHighQuality) ? 0.0 : 0.5;
}

GpStatus PaintDevice(GpGraphics& g, const Box& bounds, const std::function<void(cairo_t*)>& draw) {
  Plane& plane = g.target->plane();
  if (plane.empty()) return Ok;  // a recording: nothing to paint on
  Box clipBox = RegionBounds(g.state.clip);
  clipBox = Box{clipBox.x0 - 1, clipBox.y0 - 1, clipBox.x1 + 1, clipBox.y1 + 1};
  const Box b = bounds.Intersect(Box{0, 0, double(plane.width()), double(plane.height())}).Intersect(clipBox);
  if (b.Empty() || !std::isfinite(b.x0) || !std::isfinite(b.y0) || !std::isfinite(b.x1) || !std::isfinite(b.y1))
    return Ok;
  ClipArea a;
  a.x = int32_t(std::floor(b.x0));
  a.y = int32_t(std::floor(b.y0));
  a.w = int32_t(std::ceil(b.x1)) - a.x;
  a.h = int32_t(std::ceil(b.y1)) - a.y;
  if (a.w <= 0 || a.h <= 0) return Ok;
  SurfacePtr work = PlaneToSurface(plane, a.x, a.y, a.w, a.h);
  if (!work) return OutOfMemory;
  cairo_surface_set_device_offset(work.get(), -a.x, -a.y);
  {
    CairoPtr cr(cairo_create(work.get()));
    SurfacePtr mask;
    const ClipApplied clip = ApplyClip(cr.get(), g.state.clip, a, g.PixelShift(), mask);
    if (clip == ClipApplied::Empty) return Ok;
    if (clip == ClipApplied::Mask) cairo_push_group(cr.get());
    draw(cr.get());
    cairo_identity_matrix(cr.get());
    if (clip == ClipApplied::Mask) {
      cairo_pop_group_to_source(cr.get());
      cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
      cairo_mask_surface(cr.get(), mask.get(), a.x, a.y);
    }
    if (cairo_status(cr.get()) == CAIRO_STATUS_NO_MEMORY) return OutOfMemory;
  }
  StoreBack(work.get(), plane, a);
  g.target->Modified();
  return Ok;
}

extern "C" {

GpStatus GdipCreateFromHDC(GpHDC hdc, GpGraphics** graphics) {
  if (!hdc || !graphics) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  const GpHostTable* host = Host();
  if (!host || !host->LockDC) return Win32Error;
  GpRawSurface surface{};
  const GpStatus st = host->LockDC(hdc, &surface);
  if (st != Ok) return st;
  if (!ValidSurface(surface)) {
    if (surface.release) surface.release(surface.context, 0);
    return Win32Error;
  }
  return Guarded([&] {
    *graphics = NewGraphics(std::make_unique<DeviceTarget>(surface)).release();
    return Ok;
  });
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  if (!image || !graphics) return InvalidParameter;
  if (image->type == ImageTypeMetafile)
    return Guarded([&] { return NewRecordingGraphics(static_cast<GpMetafile&>(*image), graphics); });
  if (image->type != ImageTypeBitmap) return NotImplemented;
  if (image->data->plane.indexed() || image->data->plane.empty()) return InvalidParameter;
  if (image->lock.locked) return ObjectBusy;
  return Guarded([&] {
    *graphics = NewGraphics(std::make_unique<ImageTarget>(image->data)).release();
    return Ok;
  });
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  if (!graphics) return InvalidParameter;
  // The end of a recording's Graphics ends the recording.
  if (graphics->recorder) graphics->recorder->End();
  delete graphics;
  return Ok;
}

GpStatus GdipSetSmoothingMode(GpGraphics* g, SmoothingMode mode) {
  if (!g || !ValidSmoothing(mode)) return InvalidParameter;
  g->state.smoothing = mode;
  if (g->recorder) g->recorder->SetAntiAliasMode(mode, g->Antialias());
  return Ok;
}

GpStatus GdipSetPixelOffsetMode(GpGraphics* g, PixelOffsetMode mode) {
  if (!g || mode < PixelOffsetModeDefault || mode > PixelOffsetModeHalf) return InvalidParameter;
  g->state.pixelOffset = mode;
  if (g->recorder) g->recorder->SetPixelOffsetMode(mode);
  return Ok;
}

GpStatus GdipSetInterpolationMode(GpGraphics* g, InterpolationMode mode) {
  if (!g || mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic) return InvalidParameter;
  g->state.interpolation = mode;
  if (g->recorder) g->recorder->SetInterpolationMode(mode);
  return Ok;
}

GpStatus GdipSetCompositingMode(GpGraphics* g, CompositingMode mode) {
  if (!g || (mode != CompositingModeSourceOver && mode != CompositingModeSourceCopy)) return InvalidParameter;
  g->state.compositing = mode;
  if (g->recorder) g->recorder->SetCompositingMode(mode);
  return Ok;
}

GpStatus GdipSetCompositingQuality(GpGraphics* g, CompositingQuality quality) {
  if (!g || quality < CompositingQualityDefault || quality > CompositingQualityAssumeLinear) return InvalidParameter;
  g->state.compositingQuality = quality;
  if (g->recorder) g->recorder->SetCompositingQuality(quality);
  return Ok;
}

GpStatus GdipSetPageUnit(GpGraphics* g, GpUnit unit) {
  if (!g || unit <= UnitWorld || unit > UnitMillimeter) return InvalidParameter;
  g->state.pageUnit = unit;
  if (g->recorder) g->recorder->SetPageTransform(unit, 1.0f);
  return Ok;
}

GpStatus GdipSetWorldTransform(GpGraphics* g, GpMatrix* matrix) {
  if (!g || !matrix || !matrix->a.IsInvertible()) return InvalidParameter;
  g->state.world = matrix->a;
  if (g->recorder) g->recorder->SetWorldTransform(matrix->a);
  return Ok;
}

GpStatus GdipResetWorldTransform(GpGraphics* g) {
  if (!g) return InvalidParameter;
  g->state.world = Affine{};
  if (g->recorder) g->recorder->ResetWorldTransform();
  return Ok;
}

GpStatus GdipGetWorldTransform(GpGraphics* g, GpMatrix* matrix) {
  if (!g || !matrix) return InvalidParameter;
  matrix->a = g->state.world;
  return Ok;
}

GpStatus GdipSaveGraphics(GpGraphics* g, GraphicsState* state) {
  if (!g || !state) return InvalidParameter;
  return Guarded([&] {
    g->saved.push_back({g->nextToken, g->state});
    if (g->recorder) g->recorder->Save(g->nextToken);
    *state = g->nextToken++;
    return Ok;
  });
}

GpStatus GdipRestoreGraphics(GpGraphics* g, GraphicsState state) {
  if (!g) return InvalidParameter;
  for (size_t i = g->saved.size(); i-- > 0;) {
    if (g->saved[i].token == state) {
      g->state = g->saved[i].state;
      g->saved.resize(i);
      if (g->recorder) g->recorder->Restore(state);
      return Ok;
    }
  }
  return InvalidParameter;
}

GpStatus GdipGraphicsClear(GpGraphics* g, ARGB color) {
  if (!g) return InvalidParameter;
  return Guarded([&] {
    if (g->recorder) {
      g->recorder->Clear(color);
      return Ok;
    }
    const Plane& p = g->target->plane();
    return PaintDevice(*g, Box{0, 0, double(p.width()), double(p.height())}, [&](cairo_t* cr) {
      cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
      cairo_set_source_rgba(cr, ((color >> 16) & 0xff) / 255.0, ((color >> 8) & 0xff) / 255.0, (color & 0xff) / 255.0,
                            (color >> 24) / 255.0);
      cairo_paint(cr);
    });
  });
}

GpStatus GdipGetClip(GpGraphics* g, GpRegion* region) {
  if (!g || !region) return InvalidParameter;
  return Guarded([&] {
    Affine toWorld = g->WorldToDevice();
    region->root = toWorld.Invert() ? TransformRegion(g->state.clip, toWorld) : MakeInfiniteRegion();
    return Ok;
  });
}

GpStatus GdipSetClipRegion(GpGraphics* g, GpRegion* region, CombineMode mode) {
  if (!g || !region || mode < CombineModeReplace || mode > CombineModeComplement) return InvalidParameter;
  return Guarded([&] {
    g->state.clip = CombineRegions(g->state.clip, TransformRegion(region->root, g->WorldToDevice()), mode);
    if (g->recorder) g->recorder->SetClipRegion(region->root, mode);
    return Ok;
  });
}

GpStatus GdipSetClipPath(GpGraphics* g, GpPath* path, CombineMode mode) {
  if (!g || !path || mode < CombineModeReplace || mode > CombineModeComplement) return InvalidParameter;
  return Guarded([&] {
    g->state.clip = CombineRegions(g->state.clip, TransformRegion(MakeShapeRegion(*path), g->WorldToDevice()), mode);
    if (g->recorder) g->recorder->SetClipPath(*path, mode);
    return Ok;
  });
}

GpStatus GdipSetClipRect(GpGraphics* g, REAL x, REAL y, REAL width, REAL height, CombineMode mode) {
  if (!g || mode < CombineModeReplace || mode > CombineModeComplement) return InvalidParameter;
  return Guarded([&] {
    RegionPtr r = MakeRectRegion(x, y, width, height);
    g->state.clip = CombineRegions(g->state.clip, TransformRegion(r, g->WorldToDevice()), mode);
    if (g->recorder) g->recorder->SetClipRegion(r, mode);
    return Ok;
  });
}

GpStatus GdipResetClip(GpGraphics* g) {
  if (!g) return InvalidParameter;
  g->state.clip = MakeInfiniteRegion();
  if (g->recorder) g->recorder->ResetClip();
  return Ok;
}

GpStatus GdipGetVisibleClipBounds(GpGraphics* g, GpRectF* rect) {
  if (!g || !rect) return InvalidParameter;
  return Guarded([&] {
    const Plane& p = g->target->plane();
    Box b = RegionBounds(g->state.clip).Intersect(Box{0, 0, double(p.width()), double(p.height())});
    if (b.Empty()) {
      *rect = GpRectF{0, 0, 0, 0};
      return Ok;
    }
    Affine toWorld = g->WorldToDevice();
    if (!toWorld.Invert()) return GenericError;
    Box w{1, 1, 0, 0};
    for (auto [x, y] : {std::pair{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, b.y1}, {b.x0, b.y1}}) {
      toWorld.ApplyD(x, y);
      w = w.Empty() && w.x0 > w.x1 ? Box{x, y, x, y} : Box{std::min(w.x0, x), std::min(w.y0, y), std::max(w.x1, x), std::max(w.y1, y)};
    }
    *rect = GpRectF{REAL(w.x0), REAL(w.y0), REAL(w.x1 - w.x0), REAL(w.y1 - w.y0)};
    return Ok;
  });
}

}  // extern "C"
}  // namespace gdiplus
