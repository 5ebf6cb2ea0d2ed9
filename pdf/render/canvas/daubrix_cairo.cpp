// The cairo back end: paths, fills, strokes, clips, axial shadings and pictures drawn with the
// cairo library bound at run time, and the group surfaces that soft masks paint through.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "pdf/render/canvas/cairo_binding.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/gdi_image_blit.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "platform/gdi/bitmap.h"

bool TPDFDaubrix::SetupCairo(HDC dc, const WideString& libraryPath, bool paintWhite) {
  auto binding = std::make_unique<TCairoDLL>();
  // A library without what every drawing calls is not drawn with.
  if (dc == nullptr || !binding->Load(libraryPath) || !binding->CanDraw()) return false;
  ReleaseGdiplus();
  cairo_ = std::move(binding);
  cairoSurface_ = cairo_->cairo_win32_surface_create(dc);
  cairoContext_ = cairo_->cairo_create(cairoSurface_);
  cairoDeviceSurface_ = cairoSurface_;
  cairoDeviceContext_ = cairoContext_;
  backEnd_ = kBackEndCairo;
  if (paintWhite) {
    cairo_->cairo_set_source_rgba(cairoContext_, 1, 1, 1, 1);
    cairo_->cairo_paint(cairoContext_);
  }
  return true;
}

void TPDFDaubrix::ReleaseCairo() {
  if (!cairo_) return;
  if (cairoDeviceContext_ != nullptr) cairo_->cairo_destroy(cairoDeviceContext_);
  if (cairoDeviceSurface_ != nullptr) {
    cairo_->FlushToDevice(cairoDeviceSurface_);
    cairo_->cairo_surface_destroy(cairoDeviceSurface_);
  }
  cairoContext_ = cairoDeviceContext_ = nullptr;
  cairoSurface_ = cairoDeviceSurface_ = nullptr;
  cairo_.reset();
}

// Every segment of a path also goes to the mask while a group is active.
template <class F>
void TPDFDaubrix::CairoEach(F&& segment) {
  segment(cairoContext_);
  if (Knocking()) segment(masked_.MaskContext);
}

void TPDFDaubrix::CairoNewPath() {
  const cairo_fill_rule_t rule = fillRule_ == kFillRuleWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
  CairoEach([&](cairo_t* c) {
    cairo_->cairo_set_fill_rule(c, rule);
    cairo_->cairo_new_path(c);
  });
}

void TPDFDaubrix::CairoMoveTo(double x, double y) {
  CairoEach([&](cairo_t* c) { cairo_->cairo_move_to(c, x, y); });
}

void TPDFDaubrix::CairoLineTo(double x, double y) {
  CairoEach([&](cairo_t* c) { cairo_->cairo_line_to(c, x, y); });
}

void TPDFDaubrix::CairoCurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  CairoEach([&](cairo_t* c) { cairo_->cairo_curve_to(c, x1, y1, x2, y2, x3, y3); });
}

void TPDFDaubrix::CairoClosePath() {
  CairoEach([&](cairo_t* c) { cairo_->cairo_close_path(c); });
}

void TPDFDaubrix::CairoSetFillRule(uint8_t rule) {
  if (rule != kFillRuleWinding && rule != kFillRuleEvenOdd) return;
  const cairo_fill_rule_t r = rule == kFillRuleWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
  CairoEach([&](cairo_t* c) { cairo_->cairo_set_fill_rule(c, r); });
}

namespace {

double Channel(uint32_t color, int shift) { return double((color >> shift) & 0xff) / 255.0; }
double Alpha(double a) { return std::isfinite(a) ? std::clamp(a, 0.0, 1.0) : 1.0; }

}  // namespace

void TPDFDaubrix::CairoSource(bool fill) {
  TZRXPattern* pattern = fill ? fillPattern_ : strokePattern_;
  if (pattern != nullptr && pattern->Kind == TZRXPattern::kAxial && CairoFillWithPattern(*pattern)) return;
  if (pattern != nullptr && pattern->Kind == TZRXPattern::kTiling && CairoFillWithTiling(*pattern, fill ? fillColor_ : strokeColor_))
    return;
  const uint32_t color = fill ? fillColor_ : strokeColor_;
  cairo_->cairo_set_source_rgba(cairoContext_, Channel(color, 0), Channel(color, 8), Channel(color, 16),
                                Alpha(fill ? fillAlpha_ : strokeAlpha_));
}

// Cairo pads or cuts both ends alike, where a shading says it for each end: an end that does
// not extend gets a clear stop at the very same place, which the padding then carries on.
bool TPDFDaubrix::CairoFillWithPattern(const TZRXPattern& pattern) {
  if (!cairo_->cairo_pattern_create_linear || !cairo_->cairo_pattern_destroy || pattern.Colors.empty()) return false;
  cairo_pattern_t* p =
      cairo_->cairo_pattern_create_linear(pattern.Coords[0], pattern.Coords[1], pattern.Coords[2], pattern.Coords[3]);
  const bool perEnd = cairo_->cairo_pattern_add_color_stop_rgba != nullptr;
  if (perEnd && !pattern.Extend[0]) cairo_->cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0);
  const size_t n = pattern.Colors.size();
  for (size_t i = 0; i < n; ++i) {
    const auto& c = pattern.Colors[i];
    cairo_->cairo_pattern_add_color_stop_rgb(p, n > 1 ? double(i) / double(n - 1) : 0, c[0], c[1], c[2]);
  }
  if (perEnd && !pattern.Extend[1]) cairo_->cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, 0);
  // The shading's space lies in the pattern's, which the canvas's matrix maps onto the device.
  TPDFMatrix toDevice;
  const TPDFMatrix pm = {pattern.Matrix[0], pattern.Matrix[1], pattern.Matrix[2],
                         pattern.Matrix[3], pattern.Matrix[4], pattern.Matrix[5]};
  MatrixMultiply(toDevice, pm, matrix_);
  cairo_matrix_t m = {toDevice[0], toDevice[1], toDevice[2], toDevice[3], toDevice[4], toDevice[5]};
  if (cairo_->cairo_matrix_invert(&m) == CAIRO_STATUS_SUCCESS) cairo_->cairo_pattern_set_matrix(p, &m);
  cairo_->cairo_pattern_set_extend(p, perEnd || pattern.Extend[0] ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
  cairo_->cairo_set_source(cairoContext_, p);
  cairo_->cairo_pattern_destroy(p);
  return true;
}

// The cell's image repeated; its matrix takes the image's pixels onto the device. Pixels stay
// sharp, as the GDI+ texture draws them. What the cell leaves unpainted stays clear; an
// uncoloured cell paints in the colour given.
bool TPDFDaubrix::CairoFillWithTiling(TZRXPattern& pattern, uint32_t colour) {
  TCairoDLL& cairo = *cairo_;
  if (!cairo.cairo_pattern_create_for_surface || !cairo.cairo_pattern_destroy) return false;
  std::vector<uint32_t> pixels;
  TBitmap cell;
  int w = 0, h = 0;
  if (!pattern.CellPixels.empty()) {
    pixels = pattern.CellARGB(colour);
    w = pattern.CellWidth, h = pattern.CellHeight;
    if (w <= 0 || h <= 0 || pixels.size() != size_t(w) * size_t(h)) return false;
  } else {
    try {
      pattern.CellImage.SetPosition(0);
      cell.LoadFromStream(pattern.CellImage);
      cell.SetPixelFormat(pf24bit);
    } catch (const std::exception&) {
      return false;
    }
    if (cell.Empty()) return false;
    w = cell.Width(), h = cell.Height();
  }
  cairo_surface_t* surface = cairo.cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo.cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo.cairo_surface_destroy(surface);
    return false;
  }
  cairo.cairo_surface_flush(surface);
  uint8_t* data = cairo.cairo_image_surface_get_data(surface);
  const int stride = cairo.cairo_image_surface_get_stride(surface);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride);
    if (pixels.empty()) {
      const uint8_t* in = cell.ScanLine(y);
      for (int x = 0; x < w; ++x)
        row[x] = 0xFF000000u | uint32_t(in[3 * x + 2]) << 16 | uint32_t(in[3 * x + 1]) << 8 | in[3 * x];
      continue;
    }
    // Cairo takes its colours premultiplied by alpha.
    const uint32_t* in = pixels.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) {
      const uint32_t p = in[x], a = p >> 24;
      auto times = [a](uint32_t v) { return (v * a + 127) / 255; };
      row[x] = a << 24 | times(p >> 16 & 0xFF) << 16 | times(p >> 8 & 0xFF) << 8 | times(p & 0xFF);
    }
  }
  cairo.cairo_surface_mark_dirty(surface);
  cairo_pattern_t* p = cairo.cairo_pattern_create_for_surface(surface);
  cairo.cairo_surface_destroy(surface);
  cairo_matrix_t m = {pattern.Matrix[0], pattern.Matrix[1], pattern.Matrix[2],
                      pattern.Matrix[3], pattern.Matrix[4], pattern.Matrix[5]};
  if (cairo.cairo_matrix_invert(&m) != CAIRO_STATUS_SUCCESS) {
    cairo.cairo_pattern_destroy(p);
    return false;
  }
  cairo.cairo_pattern_set_matrix(p, &m);
  cairo.cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
  if (cairo.cairo_pattern_set_filter) cairo.cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
  cairo.cairo_set_source(cairoContext_, p);
  cairo.cairo_pattern_destroy(p);
  return true;
}

void TPDFDaubrix::CairoStrokeStyle() {
  const double w = std::isfinite(lineWidth_) ? lineWidth_ : 0;
  cairo_->cairo_set_line_width(cairoContext_, std::max(w, 0.0));
  cairo_->cairo_set_line_cap(cairoContext_, lineCap_ == 1 ? CAIRO_LINE_CAP_ROUND
                                            : lineCap_ == 2 ? CAIRO_LINE_CAP_SQUARE
                                                            : CAIRO_LINE_CAP_BUTT);
  cairo_->cairo_set_line_join(cairoContext_, lineJoin_ == 1 ? CAIRO_LINE_JOIN_ROUND
                                             : lineJoin_ == 2 ? CAIRO_LINE_JOIN_BEVEL
                                                              : CAIRO_LINE_JOIN_MITER);
  cairo_->cairo_set_miter_limit(cairoContext_, std::isfinite(miterLimit_) ? std::max(miterLimit_, 1.0) : 10.0);
  // Dash entries come as multiples of the line width.
  std::vector<double> dashes;
  const double unit = w > 0 ? w : 1;
  double total = 0;
  for (float d : dash_) {
    const double v = std::max(double(d), double(kMinDashEntry)) * unit;
    dashes.push_back(v);
    total += v;
  }
  if (!(total > 0) || !std::isfinite(total)) dashes.clear();
  cairo_->cairo_set_dash(cairoContext_, dashes.data(), int(dashes.size()),
                         std::isfinite(dashPhase_) ? dashPhase_ * unit : 0);
}

// In a knockout drawing a fill first puts the backdrop back where it will lie, then paints.
void TPDFDaubrix::CairoPaint(bool fill, bool stroke) {
  cairo_t* c = cairoContext_;
  if (fill && !stroke && Knocking()) {
    cairo_->cairo_set_source_rgba(masked_.MaskContext, 0, 0, 0, 1);
    cairo_->cairo_fill(masked_.MaskContext);
    KnockOut(masked_.MaskSurface);
    cairo_->cairo_set_source_rgba(masked_.MaskContext, 0, 0, 0, 0);
    cairo_->cairo_set_operator(masked_.MaskContext, CAIRO_OPERATOR_SOURCE);
    cairo_->cairo_paint(masked_.MaskContext);
    cairo_->cairo_set_operator(masked_.MaskContext, CAIRO_OPERATOR_OVER);
  }
  if (cairo_->cairo_status(c) != CAIRO_STATUS_SUCCESS) return;
  cairo_->cairo_set_operator(c, TCairoDLL::BlendModeToOperator(blendMode_));
  if (fill) {
    CairoSource(true);
    if (stroke || clipPending_) cairo_->cairo_fill_preserve(c);
    else cairo_->cairo_fill(c);
  }
  if (stroke) {
    CairoSource(false);
    CairoStrokeStyle();
    if (CutsOwnDashes()) CairoStrokeOwnDashes();
    else if (clipPending_) cairo_->cairo_stroke_preserve(c);
    else cairo_->cairo_stroke(c);
  }
  if (clipPending_) {
    cairo_->cairo_clip(c);
    clipPending_ = false;
  }
}

void TPDFDaubrix::CairoEndPath() {
  if (clipPending_) {
    cairo_->cairo_clip(cairoContext_);
    clipPending_ = false;
  } else {
    cairo_->cairo_new_path(cairoContext_);
  }
}

void TPDFDaubrix::CairoFillClipBounds() {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  cairo_->cairo_clip_extents(cairoContext_, &x1, &y1, &x2, &y2);
  CairoNewPath();
  CairoMoveTo(x1, y1);
  CairoLineTo(x2, y1);
  CairoLineTo(x2, y2);
  CairoLineTo(x1, y2);
  CairoClosePath();
}

// A decoded picture painted onto the parallelogram whose upper-left, upper-right and lower-left
// corners are given; keyed pixels and the picture's own alpha are left transparent.
bool TPDFDaubrix::CairoDrawImage(const TDecodedImage& image, int32_t sourceWidth, int32_t sourceHeight, const double* pts,
                                 bool keyed, uint32_t lowKey, uint32_t highKey) {
  const int w = image.Width(), h = image.Height();
  if (w <= 0 || h <= 0 || !cairo_->cairo_image_surface_create) return false;
  cairo_surface_t* surface = cairo_->cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  unsigned char* data = cairo_->cairo_image_surface_get_data(surface);
  if (data == nullptr) {
    cairo_->cairo_surface_destroy(surface);
    return false;
  }
  cairo_->cairo_surface_flush(surface);
  const int stride = cairo_->cairo_image_surface_get_stride(surface);
  auto between = [](uint32_t v, uint32_t lo, uint32_t hi, int s) {
    const uint32_t c = (v >> s) & 0xff;
    return c >= ((lo >> s) & 0xff) && c <= ((hi >> s) & 0xff);
  };
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride);
    for (int x = 0; x < w; ++x) {
      uint32_t p = image.At(x, y);
      if (keyed && between(p, lowKey, highKey, 16) && between(p, lowKey, highKey, 8) && between(p, lowKey, highKey, 0))
        p = 0;
      const uint32_t a = p >> 24;
      auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
      row[x] = a << 24 | pre((p >> 16) & 0xff) << 16 | pre((p >> 8) & 0xff) << 8 | pre(p & 0xff);
    }
  }
  cairo_->cairo_surface_mark_dirty(surface);
  const bool drawn = CairoPaintSurface(surface, sourceWidth > 0 ? sourceWidth : w, sourceHeight > 0 ? sourceHeight : h, pts);
  cairo_->cairo_surface_destroy(surface);
  return drawn;
}

// The surface's rectangle (0, 0, sw, sh) onto the parallelogram of the upper-left, upper-right
// and lower-left corners, with the blend mode and the fill alpha.
bool TPDFDaubrix::CairoPaintSurface(cairo_surface_t* surface, double sw, double sh, const double* pts) {
  if (!(sw > 0 && sh > 0)) return false;
  cairo_matrix_t m = {(pts[2] - pts[0]) / sw, (pts[3] - pts[1]) / sw, (pts[4] - pts[0]) / sh,
                      (pts[5] - pts[1]) / sh, pts[0], pts[1]};
  cairo_t* c = cairoContext_;
  cairo_->cairo_save(c);
  cairo_->cairo_set_matrix(c, &m);
  cairo_->cairo_set_operator(c, TCairoDLL::BlendModeToOperator(blendMode_));
  cairo_->cairo_rectangle(c, 0, 0, sw, sh);
  cairo_->cairo_clip(c);
  cairo_->cairo_set_source_surface(c, surface, 0, 0);
  // Samples stay sharp as the other back ends draw them, not blurred across a magnified picture.
  // A context already in error (a matrix that cannot be inverted, say) answers cairo_get_source
  // with a new pattern of its own that nobody frees: it is not asked then.
  if (cairo_->cairo_get_source && cairo_->cairo_pattern_set_filter && cairo_->cairo_status(c) == CAIRO_STATUS_SUCCESS)
    cairo_->cairo_pattern_set_filter(cairo_->cairo_get_source(c), CAIRO_FILTER_NEAREST);
  cairo_->cairo_paint_with_alpha(c, Alpha(fillAlpha_));
  cairo_->cairo_restore(c);
  return cairo_->cairo_status(c) == CAIRO_STATUS_SUCCESS;
}

// Group surfaces are the size of the page's raster (a fixed size would cut off larger pages).
void TPDFDaubrix::BeginGroup(bool alphaOnly, cairo_surface_t*& previousSurface, cairo_t*& previousContext,
                             cairo_surface_t*& surface, cairo_t*& context) {
  previousSurface = cairoSurface_;
  previousContext = cairoContext_;
  surface = nullptr;
  context = nullptr;
  if (backEnd_ != kBackEndCairo || !cairo_->cairo_surface_create_similar) return;
  const int w = std::max(1, cairo_->cairo_image_surface_get_width(cairoDeviceSurface_));
  const int h = std::max(1, cairo_->cairo_image_surface_get_height(cairoDeviceSurface_));
  surface = cairo_->cairo_surface_create_similar(cairoSurface_, alphaOnly ? CAIRO_CONTENT_ALPHA : CAIRO_CONTENT_COLOR_ALPHA,
                                                 w, h);
  context = cairo_->cairo_create(surface);
  SetCurrentSurface(surface, context);
}

void TPDFDaubrix::SetCurrentSurface(cairo_surface_t* surface, cairo_t* context) {
  cairoSurface_ = surface;
  cairoContext_ = context;
}

bool TPDFDaubrix::Knocking() const {
  return masked_.Active && masked_.Target == cairoContext_ && masked_.MaskContext != nullptr &&
         masked_.MaskSurface != nullptr && masked_.GroupSurface != nullptr;
}

// The backdrop copy goes back, replacing what is there, wherever the shape covers the target.
void TPDFDaubrix::KnockOut(cairo_surface_t* shape) {
  cairo_t* c = cairoContext_;
  cairo_->cairo_save(c);
  cairo_->cairo_identity_matrix(c);
  cairo_->cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
  cairo_->cairo_set_source_surface(c, masked_.GroupSurface, 0, 0);
  cairo_->cairo_mask_surface(c, shape, 0, 0);
  cairo_->cairo_restore(c);
}

void TPDFDaubrix::BeginMaskedDrawing(bool paintWhite, cairo_t* groupContext, cairo_t* maskContext,
                                     cairo_surface_t* maskSurface, cairo_surface_t* groupSurface) {
  if (backEnd_ != kBackEndCairo || groupContext == nullptr || maskContext == nullptr) return;
  maskedOuter_.push_back(masked_);
  if (paintWhite) cairo_->cairo_set_source_rgba(groupContext, 1, 1, 1, 1);
  else cairo_->cairo_set_source_surface(groupContext, cairoSurface_, 0, 0);
  cairo_->cairo_set_operator(groupContext, CAIRO_OPERATOR_SOURCE);
  cairo_->cairo_paint(groupContext);
  cairo_->cairo_set_operator(groupContext, CAIRO_OPERATOR_OVER);
  masked_ = TMaskedDrawing{true, cairoContext_, groupSurface, groupContext, maskSurface, maskContext};
  cairo_->cairo_set_source_rgba(maskContext, 0, 0, 0, 0);
  cairo_->cairo_set_operator(maskContext, CAIRO_OPERATOR_SOURCE);
  cairo_->cairo_paint(maskContext);
  cairo_->cairo_set_operator(maskContext, CAIRO_OPERATOR_OVER);
}

void TPDFDaubrix::PaintThroughMask(cairo_surface_t* surface, cairo_surface_t* mask) {
  if (backEnd_ != kBackEndCairo) return;
  cairo_->cairo_set_source_rgba(cairoContext_, 1, 1, 1, 1);
  cairo_->cairo_mask_surface(cairoContext_, mask, 0, 0);
  cairo_->cairo_set_source_surface(cairoContext_, surface, 0, 0);
  cairo_->cairo_mask_surface(cairoContext_, mask, 0, 0);
}

void TPDFDaubrix::EndMaskedDrawing(cairo_surface_t* surface, cairo_t* context) {
  if (!maskedOuter_.empty()) {
    masked_ = maskedOuter_.back();
    maskedOuter_.pop_back();
  } else {
    masked_ = TMaskedDrawing{};
  }
  SetCurrentSurface(surface, context);
}

void TPDFDaubrix::PaintGroup(cairo_surface_t* surface) {
  if (backEnd_ != kBackEndCairo || surface == nullptr) return;
  if (Knocking()) KnockOut(surface);
  cairo_t* c = cairoContext_;
  cairo_->cairo_save(c);
  cairo_->cairo_identity_matrix(c);
  cairo_->cairo_set_operator(c, TCairoDLL::BlendModeToOperator(blendMode_));
  cairo_->cairo_set_source_surface(c, surface, 0, 0);
  cairo_->cairo_paint(c);
  cairo_->cairo_restore(c);
}

void TPDFDaubrix::FreeGroup(cairo_t* context, cairo_surface_t* surface) {
  if (!cairo_) return;
  if (context != nullptr) cairo_->cairo_destroy(context);
  if (surface != nullptr) cairo_->cairo_surface_destroy(surface);
}
