// Stub bodies: every operation does nothing until the back ends land.
#include "pdf/render/canvas/daubrix.h"

#include "pdf/render/canvas/image_bytes_adapter.h"

TPDFDaubrix::TPDFDaubrix() = default;
TPDFDaubrix::~TPDFDaubrix() = default;
void TPDFDaubrix::SetTarget(TCanvas* canvas) {
  target_ = canvas;
  backEnd_ = kBackEndGDI;
}
void TPDFDaubrix::Setup(TCanvas* canvas, const TGDIPlusSettings& settings) {
  settings_ = settings;
  SetTarget(canvas);
}
void TPDFDaubrix::SetTargetDC(int32_t, int32_t, HDC) {}
void TPDFDaubrix::SetMetafileStream(int32_t, int32_t, TStream*) {}
bool TPDFDaubrix::RecordMetafile(HDC) { return false; }
void TPDFDaubrix::NewPath() {}
void TPDFDaubrix::MoveTo(double x, double y) { x_ = x, y_ = y; }
void TPDFDaubrix::LineTo(double x, double y) { x_ = x, y_ = y; }
void TPDFDaubrix::CurveTo(double, double, double, double, double x3, double y3) { x_ = x3, y_ = y3; }
void TPDFDaubrix::QuadCurveTo(double, double, double x2, double y2) { x_ = x2, y_ = y2; }
void TPDFDaubrix::ClosePath() {}
void TPDFDaubrix::Stroke() {}
void TPDFDaubrix::Fill() {}
void TPDFDaubrix::FillAndStroke() {}
void TPDFDaubrix::DrawImage(TGraphic& g, double x1, double y1, double x2, double y2, double x3, double y3) {
  DrawGraphicPoints(g, x1, y1, x2, y2, x3, y3);
}
bool TPDFDaubrix::DrawGraphicPoints(TGraphic&, double, double, double, double, double, double) { return false; }
void TPDFDaubrix::SetFillColor(uint32_t c) { fillColor_ = c, fillPattern_ = nullptr; }
void TPDFDaubrix::SetStrokeColor(uint32_t c) { strokeColor_ = c, strokePattern_ = nullptr; }
void TPDFDaubrix::SetFillPattern(TZRXPattern* p) { fillPattern_ = p; }
void TPDFDaubrix::SetStrokePattern(TZRXPattern* p) { strokePattern_ = p; }
void TPDFDaubrix::SetFillAlpha(double a) { fillAlpha_ = a; }
void TPDFDaubrix::SetStrokeAlpha(double a) { strokeAlpha_ = a; }
void TPDFDaubrix::SetLineWidth(double w) { lineWidth_ = w; }
void TPDFDaubrix::SetLineCap(int32_t c) { lineCap_ = c; }
void TPDFDaubrix::SetLineJoin(int32_t j) { lineJoin_ = j; }
void TPDFDaubrix::SetMiterLimit(double l) { miterLimit_ = l; }
void TPDFDaubrix::SetDash(const TGPDashArray& d, double phase) { dash_ = d, dashPhase_ = phase; }
void TPDFDaubrix::SetBlendMode(uint8_t m) { blendMode_ = m; }
void TPDFDaubrix::SetFillRule(uint8_t r) { fillRule_ = r; }
void TPDFDaubrix::SetClip(uint8_t r) { fillRule_ = r; }
void TPDFDaubrix::SetMatrix(double a, double b, double c, double d, double e, double f) { matrix_ = {a, b, c, d, e, f}; }
void TPDFDaubrix::EndPath() {}
void TPDFDaubrix::SaveState() {}
void TPDFDaubrix::RestoreState() {}
TDaubrixClip TPDFDaubrix::SaveClip() { return nullptr; }
void TPDFDaubrix::RestoreClip(TDaubrixClip) {}
void TPDFDaubrix::FillClipBounds() {}
bool TPDFDaubrix::DrawBitmap(TBitmap&, double, double, double, double) { return false; }
bool TPDFDaubrix::DrawImageStream(TStream&, int32_t, double, double, double, double, bool) { return false; }
bool TPDFDaubrix::DrawImageData(TStream&, double, double, double, double, double, double) { return false; }
bool TPDFDaubrix::DrawImageDataColorKey(TStream&, int32_t, int32_t, double, double, double, double, double, double,
                                        uint32_t, uint32_t) {
  return false;
}
bool TPDFDaubrix::SaveImageStreamAsTIFF(TStream&, TStream&) { return false; }
bool TPDFDaubrix::ConvertImageStream(TStream&, TStream&, const gdiplus::CLSID&) { return false; }
uint32_t TPDFDaubrix::FillARGB() const { return 0; }
uint32_t TPDFDaubrix::StrokeARGB() const { return 0; }
