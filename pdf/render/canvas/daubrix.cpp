// The canvas's state and the dispatch of each operation to the chosen back end.
#include "pdf/render/canvas/daubrix.h"

#include <algorithm>
#include <cmath>

#include "pdf/render/canvas/cairo_binding.h"
#include "pdf/render/canvas/image_bytes_adapter.h"
#include "platform/gdi/canvas.h"
#include "platform/rtl/numbers.h"

TPDFDaubrix::TPDFDaubrix() { savedClips_.reserve(100); }

TPDFDaubrix::~TPDFDaubrix() {
  ReleaseGdiplus();
  ReleaseCairo();
}

void TPDFDaubrix::SetTarget(TCanvas* canvas) {
  ReleaseGdiplus();
  target_ = canvas;
  backEnd_ = kBackEndGDI;
}

// Slots 0 to 8. Every segment stores its last point as the current point: a move first, the
// others after drawing (the GDI+ segments start from the previous point).
void TPDFDaubrix::NewPath() {
  if (backEnd_ == kBackEndGDI) GdiNewPath();
  else if (backEnd_ == kBackEndGDIPlus) GpNewPath();
  else if (backEnd_ == kBackEndCairo) CairoNewPath();
  else if (backEnd_ == kBackEndHTML5) AddScriptLine("ctx.beginPath();");
}

void TPDFDaubrix::MoveTo(double x, double y) {
  x_ = x;
  y_ = y;
  if (backEnd_ == kBackEndGDI) GdiMoveTo(x, y);
  else if (backEnd_ == kBackEndGDIPlus) GpMoveTo(x, y);
  else if (backEnd_ == kBackEndCairo) CairoMoveTo(x, y);
  else if (backEnd_ == kBackEndHTML5) AddScriptLine("ctx.moveTo(" + FormatNumber(x) + "," + FormatNumber(y) + ");");
}

void TPDFDaubrix::LineTo(double x, double y) {
  if (backEnd_ == kBackEndGDI) GdiLineTo(x, y);
  else if (backEnd_ == kBackEndGDIPlus) GpLineTo(x, y);
  else if (backEnd_ == kBackEndCairo) CairoLineTo(x, y);
  else if (backEnd_ == kBackEndHTML5) AddScriptLine("ctx.lineTo(" + FormatNumber(x) + "," + FormatNumber(y) + ");");
  x_ = x;
  y_ = y;
}

void TPDFDaubrix::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (backEnd_ == kBackEndGDI) GdiCurveTo(x1, y1, x2, y2, x3, y3);
  else if (backEnd_ == kBackEndGDIPlus) GpCurveTo(x1, y1, x2, y2, x3, y3);
  else if (backEnd_ == kBackEndCairo) CairoCurveTo(x1, y1, x2, y2, x3, y3);
  else if (backEnd_ == kBackEndHTML5)
    AddScriptLine("ctx.bezierCurveTo(" + FormatNumber(x1) + "," + FormatNumber(y1) + "," + FormatNumber(x2) + "," +
                  FormatNumber(y2) + "," + FormatNumber(x3) + "," + FormatNumber(y3) + ");");
  x_ = x3;
  y_ = y3;
}

// Raised to the cubic with the same curve: C1 = P0 + 2/3 (Q - P0), C2 = Q + 1/3 (P - Q).
void TPDFDaubrix::QuadCurveTo(double x1, double y1, double x2, double y2) {
  if (backEnd_ == kBackEndHTML5) {
    // The script's canvas draws quadratic segments itself.
    AddScriptLine("ctx.quadraticCurveTo(" + FormatNumber(x1) + "," + FormatNumber(y1) + "," + FormatNumber(x2) + "," +
                  FormatNumber(y2) + ");");
    x_ = x2;
    y_ = y2;
    return;
  }
  const double c1x = x_ + 2.0 / 3.0 * (x1 - x_), c1y = y_ + 2.0 / 3.0 * (y1 - y_);
  const double c2x = x1 + 1.0 / 3.0 * (x2 - x1), c2y = y1 + 1.0 / 3.0 * (y2 - y1);
  CurveTo(c1x, c1y, c2x, c2y, x2, y2);
}

void TPDFDaubrix::ClosePath() {
  if (backEnd_ == kBackEndGDI) GdiClosePath();
  else if (backEnd_ == kBackEndGDIPlus) GpClosePath();
  else if (backEnd_ == kBackEndCairo) CairoClosePath();
  else if (backEnd_ == kBackEndHTML5) AddScriptLine("ctx.closePath();");
}

void TPDFDaubrix::Stroke() {
  if (backEnd_ == kBackEndGDI) GdiPaint(false, true);
  else if (backEnd_ == kBackEndGDIPlus) GpPaint(false, true);
  else if (backEnd_ == kBackEndCairo) CairoPaint(false, true);
  else if (backEnd_ == kBackEndHTML5) Html5Paint(false, true);
}

void TPDFDaubrix::Fill() {
  if (backEnd_ == kBackEndGDI) GdiPaint(true, false);
  else if (backEnd_ == kBackEndGDIPlus) GpPaint(true, false);
  else if (backEnd_ == kBackEndCairo) CairoPaint(true, false);
  else if (backEnd_ == kBackEndHTML5) Html5Paint(true, false);
}

void TPDFDaubrix::FillAndStroke() {
  if (backEnd_ == kBackEndGDI) GdiPaint(true, true);
  else if (backEnd_ == kBackEndGDIPlus) GpPaint(true, true);
  else if (backEnd_ == kBackEndCairo) CairoPaint(true, true);
  else if (backEnd_ == kBackEndHTML5) Html5Paint(true, true);
}

void TPDFDaubrix::DrawImage(TGraphic& graphic, double x1, double y1, double x2, double y2, double x3, double y3) {
  DrawGraphicPoints(graphic, x1, y1, x2, y2, x3, y3);
}

// State setters: every back end stores; only some use a value.
void TPDFDaubrix::SetFillColor(uint32_t color) {
  fillColor_ = color;
  fillPattern_ = nullptr;
}

void TPDFDaubrix::SetStrokeColor(uint32_t color) {
  strokeColor_ = color;
  strokePattern_ = nullptr;
}

void TPDFDaubrix::SetFillPattern(TZRXPattern* pattern) { fillPattern_ = pattern; }
void TPDFDaubrix::SetStrokePattern(TZRXPattern* pattern) { strokePattern_ = pattern; }
void TPDFDaubrix::SetFillAlpha(double alpha) { fillAlpha_ = alpha; }
void TPDFDaubrix::SetStrokeAlpha(double alpha) { strokeAlpha_ = alpha; }
void TPDFDaubrix::SetLineWidth(double width) { lineWidth_ = width; }
void TPDFDaubrix::SetLineCap(int32_t cap) { lineCap_ = cap; }
void TPDFDaubrix::SetLineJoin(int32_t join) { lineJoin_ = join; }
void TPDFDaubrix::SetMiterLimit(double limit) { miterLimit_ = limit; }

void TPDFDaubrix::SetDash(const TGPDashArray& dashes, double phase) {
  dash_ = dashes;
  dashPhase_ = phase;
}

void TPDFDaubrix::SetBlendMode(uint8_t mode) { blendMode_ = mode; }

void TPDFDaubrix::SetFillRule(uint8_t rule) {
  fillRule_ = rule;
  if (backEnd_ == kBackEndGDIPlus && path_)
    gdiplus_->GdipSetPathFillMode(path_, rule == kFillRuleWinding ? gdiplus::FillModeWinding : gdiplus::FillModeAlternate);
  if (backEnd_ == kBackEndCairo) CairoSetFillRule(rule);
}

void TPDFDaubrix::SetClip(uint8_t rule) {
  // The clip's rule reaches the path that is about to become the clip.
  SetFillRule(rule);
  if (backEnd_ == kBackEndGDIPlus || backEnd_ == kBackEndHTML5) {
    clipPending_ = true;
    clipChanged_ = true;
  }
  if (backEnd_ == kBackEndCairo) clipPending_ = true;
}

void TPDFDaubrix::SetMatrix(double a, double b, double c, double d, double e, double f) {
  matrix_ = {a, b, c, d, e, f};
}

// Only the cairo back end keeps a state of its own; the depth keeps saves and restores paired
// so that a restore without its save never reaches a back end.
void TPDFDaubrix::SaveState() {
  ++saveDepth_;
  if (backEnd_ == kBackEndCairo) cairo_->cairo_save(cairoContext_);
}

void TPDFDaubrix::RestoreState() {
  if (saveDepth_ == 0) return;
  --saveDepth_;
  if (backEnd_ == kBackEndCairo) cairo_->cairo_restore(cairoContext_);
}

void TPDFDaubrix::FillClipBounds() {
  // The script knows no shadings and no path of the clip's bounds: filling its last path
  // again would paint a shape that the page does not have.
  if (backEnd_ == kBackEndHTML5) return;
  if (backEnd_ == kBackEndCairo) CairoFillClipBounds();
  if (backEnd_ == kBackEndGDIPlus) {
    gdiplus::GpRectF r{};
    if (gdiplus_->GdipGetVisibleClipBounds(graphics_, &r) != gdiplus::Ok) return;
    DeletePath();
    if (gdiplus_->GdipCreatePath(gdiplus::FillModeWinding, &path_) != gdiplus::Ok) {
      path_ = nullptr;
      return;
    }
    pathWithinLimits_ = true;
    gdiplus_->GdipAddPathLine(path_, r.X, r.Y, r.X + r.Width, r.Y);
    gdiplus_->GdipAddPathLine(path_, r.X + r.Width, r.Y, r.X + r.Width, r.Y + r.Height);
    gdiplus_->GdipAddPathLine(path_, r.X + r.Width, r.Y + r.Height, r.X, r.Y + r.Height);
    gdiplus_->GdipClosePathFigure(path_);
  }
  Fill();
}

namespace {

// An alpha beyond 1 (a "CA" of 50) would spill out of its byte.
uint32_t ToARGB(uint32_t color, double alpha) {
  const double a = std::isfinite(alpha) ? std::clamp(alpha, 0.0, 1.0) : 1.0;
  const uint32_t top = uint32_t(RoundHalfEven(a * 255.0));
  const uint32_t r = color & 0xff, g = (color >> 8) & 0xff, b = (color >> 16) & 0xff;
  return top << 24 | r << 16 | g << 8 | b;
}

}  // namespace

uint32_t TPDFDaubrix::FillARGB() const { return ToARGB(fillColor_, fillAlpha_); }
uint32_t TPDFDaubrix::StrokeARGB() const { return ToARGB(strokeColor_, strokeAlpha_); }

void TPDFDaubrix::RecordError(const std::string& text) {
  if (lastError_.empty()) lastError_ = text;
}

bool TPDFDaubrix::ImageFailed() {
  RecordError(kImageDrawError);
  return false;
}
